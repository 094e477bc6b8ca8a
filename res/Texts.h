// The program's own 8-bit texts, all in one place. The sources are UTF-8;
// the compiler stores these literals as code page 932 bytes on every build
// (-fexec-charset=CP932), exactly as a Japanese Windows shows them. Texts
// that live in the resources (menu, dialogs, string table) are in
// hourgauge.rc. Trailing blanks are part of the texts.
#pragma once

namespace hg::text {

inline constexpr char kWindowTitle[] = "HourgaugeLite";
inline constexpr char kSysconfigTitle[] = "sysconfig";

// Tray tooltip: remaining whole minutes, then the suffix of the last three days.
inline constexpr char kTipFormat[] = "LastTime( %02dmin )%s";
inline constexpr char kTipSuffixFormat[] = "\n %d日(%dmin) %d日(%dmin) %d日(%dmin)";

// Menu item 32771 while no password is stored.
inline constexpr char kSetPasswordItem[] = "パスワード設定(&P)";

inline constexpr char kWarningCaption[] = "Warning";
inline constexpr char kOldPasswordWrong[] = "Old Password is not correct. Please input again...  ";
inline constexpr char kNewPasswordMismatch[] =
    "New Password does not match. Please input again...  ";
inline constexpr char kNewPasswordRefused[] =
    "New Password is not correct. Please try another password...  ";
inline constexpr char kPasswordErrorCaption[] = "Password Error";
inline constexpr char kPasswordWrong[] = "Password is not correct.     ";

inline constexpr char kUninstallCaption[] = "HourgaugeLite";
inline constexpr char kUninstallMessage[] =
    "HourgaugeLiteを削除するために、Windowsを再起動してください。  ";

} // namespace hg::text
