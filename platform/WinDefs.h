// The handful of Win32 types and constants the program uses, so that code
// outside platform/win32/ compiles without <windows.h>. Values are the
// published ones. In a Windows translation unit <windows.h> is included first
// and its definitions win.
#pragma once
#include <cstddef>
#include <cstdint>

namespace hg {
using BOOL = int;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using Handle = std::uintptr_t; // HKEY, HWND, HMENU, HICON, HANDLE as opaque values
using Hkey = Handle;
using Hwnd = Handle;
using Hmenu = Handle;
using Hicon = Handle;
using Wparam = std::uintptr_t;
using Lparam = std::intptr_t;
using Lresult = std::intptr_t;

using WndProc = Lresult (*)(Hwnd, UINT, Wparam, Lparam);
using DlgProc = std::intptr_t (*)(Hwnd, UINT, Wparam, Lparam);

inline constexpr Hkey kHkeyLocalMachine = 0x80000002u;

struct Point {
  LONG x = 0;
  LONG y = 0;
};
struct Rect {
  LONG left = 0, top = 0, right = 0, bottom = 0;
};
struct Msg {
  Hwnd hwnd = 0;
  UINT message = 0;
  Wparam wParam = 0;
  Lparam lParam = 0;
};
struct PaintStruct {
  Handle hdc = 0;
  BOOL fErase = 0;
  Rect rcPaint;
};
struct Luid {
  DWORD LowPart = 0;
  LONG HighPart = 0;
};

// The 488-byte NOTIFYICONDATAA of the shell's version 2 on i686 (504 bytes on
// a 64-bit build, like Windows' own). Laid out like the Windows record so the
// Windows build can pass it straight to Shell_NotifyIconA.
struct NotifyIconDataA {
  DWORD cbSize = 0;
  Hwnd hWnd = 0;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  Hicon hIcon = 0;
  char szTip[128] = {};
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char szInfo[256] = {};
  UINT uTimeoutOrVersion = 0;
  char szInfoTitle[64] = {};
  DWORD dwInfoFlags = 0;
};
inline constexpr DWORD kNotifyIconDataV2Size = sizeof(NotifyIconDataA);

struct MenuItemInfoA {
  UINT cbSize = sizeof(MenuItemInfoA);
  UINT fMask = 0;
  UINT fType = 0;
  UINT fState = 0;
  UINT wID = 0;
  Hmenu hSubMenu = 0;
  Handle hbmpChecked = 0;
  Handle hbmpUnchecked = 0;
  std::uintptr_t dwItemData = 0;
  char* dwTypeData = nullptr;
  UINT cch = 0;
};

struct WndClassA {
  UINT style = 0;
  WndProc lpfnWndProc = nullptr;
  Hicon hIcon = 0;
  Handle hCursor = 0;
  Handle hbrBackground = 0;
  const char* lpszClassName = nullptr;
};

// Local broken-down time: full year, month 1-12.
struct LocalTm {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// QueryServiceStatusEx's SERVICE_STATUS_PROCESS, the parts the program reads.
struct ServiceStatusProcess {
  DWORD dwCurrentState = 0; // SERVICE_RUNNING, SERVICE_STOPPED, ...
  DWORD dwProcessId = 0;
};
inline constexpr Handle kInvalidHandle = ~Handle{0}; // INVALID_HANDLE_VALUE
} // namespace hg

#ifndef _WINDOWS_
// clang-format off
#define ERROR_SUCCESS              0L
#define ERROR_FILE_NOT_FOUND       2L
#define ERROR_ACCESS_DENIED        5L
#define ERROR_HANDLE_EOF           38L
#define ERROR_INSUFFICIENT_BUFFER  122L
#define ERROR_MORE_DATA            234L
#define ERROR_NOT_ENOUGH_MEMORY    8L
#define ERROR_NOT_ALL_ASSIGNED     1300L
#define ERROR_PRIVILEGE_NOT_HELD   1314L
#define ERROR_INVALID_PARAMETER    87L
#define ERROR_ALREADY_EXISTS       183L
#define ERROR_SEM_TIMEOUT          121L
#define ERROR_PIPE_BUSY            231L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_SERVICE_DOES_NOT_EXIST 1060L
#define ERROR_SHUTDOWN_IN_PROGRESS 1115L
#define ERROR_NOT_READY            21L
#define ERROR_SHUTDOWN_USERS_LOGGED_ON 1190L
#define NO_ERROR                   0L

#define SC_MANAGER_CONNECT         0x0001
#define SERVICE_QUERY_STATUS       0x0004
#define SERVICE_STOPPED            0x00000001
#define SERVICE_START_PENDING      0x00000002
#define SERVICE_STOP_PENDING       0x00000003
#define SERVICE_RUNNING            0x00000004
#define DELETE                     0x00010000L

#define SHUTDOWN_FORCE_OTHERS      0x00000001
#define SHUTDOWN_FORCE_SELF        0x00000002
#define SHUTDOWN_POWEROFF          0x00000008

#define MB_ICONWARNING             0x00000030L
#define MB_SETFOREGROUND           0x00010000L

#define TRUE  1
#define FALSE 0

#define KEY_READ                   0x20019
#define KEY_WRITE                  0x20006
#define REG_SZ                     1
#define REG_BINARY                 3
#define REG_DWORD                  4
#define REG_OPTION_NON_VOLATILE    0

#define EVENTLOG_SEQUENTIAL_READ   0x0001
#define EVENTLOG_BACKWARDS_READ    0x0008

#define TOKEN_ADJUST_PRIVILEGES    0x0020
#define SE_PRIVILEGE_ENABLED       0x00000002
#define SE_SHUTDOWN_NAME           "SeShutdownPrivilege"
#define EWX_LOGOFF                 0x00000000
#define EWX_POWEROFF               0x00000008
#define EWX_FORCE                  0x00000004
#define EWX_FORCEIFHUNG            0x00000010
#define SHTDN_REASON_MAJOR_OTHER   0x00000000
#define SHTDN_REASON_MINOR_OTHER   0x00000000
#define SHTDN_REASON_FLAG_PLANNED  0x80000000

#define WM_NULL                    0x0000
#define WM_CREATE                  0x0001
#define WM_DESTROY                 0x0002
#define WM_SIZE                    0x0005
#define WM_SETFOCUS                0x0007
#define WM_PAINT                   0x000F
#define WM_CLOSE                   0x0010
#define WM_QUERYENDSESSION         0x0011
#define WM_QUIT                    0x0012
#define WM_ENDSESSION              0x0016
#define WM_NCDESTROY               0x0082
#define WM_INITDIALOG              0x0110
#define WM_COMMAND                 0x0111
#define WM_SYSCOMMAND              0x0112
#define WM_TIMER                   0x0113
#define WM_MOUSEMOVE               0x0200
#define WM_LBUTTONDOWN             0x0201
#define WM_LBUTTONUP               0x0202
#define WM_LBUTTONDBLCLK           0x0203
#define WM_RBUTTONDOWN             0x0204
#define WM_RBUTTONUP               0x0205
#define WM_RBUTTONDBLCLK           0x0206
#define WM_MBUTTONDOWN             0x0207
#define WM_USER                    0x0400
#define WM_KEYDOWN                 0x0100
#define VK_ESCAPE                  0x1B
#define EM_SETSEL                  0x00B1
#define EM_LIMITTEXT               0x00C5
#define BN_CLICKED                 0

#define SIZE_RESTORED              0
#define SIZE_MINIMIZED             1

#define SW_HIDE                    0
#define SW_SHOWNORMAL              1
#define SW_SHOWMINIMIZED           2
#define SW_SHOW                    5
#define SW_MINIMIZE                6
#define SW_SHOWNOACTIVATE          4
#define SW_RESTORE                 9

#define CS_DBLCLKS                 0x0008
#define WS_OVERLAPPEDWINDOW        0x00CF0000L
#define WS_CLIPCHILDREN            0x02000000L
#define WS_VISIBLE                 0x10000000L
#define WS_DISABLED                0x08000000L
#define WS_POPUP                   0x80000000L
#define WS_BORDER                  0x00800000L
#define CW_USEDEFAULT              ((int)0x80000000)
#define WS_CAPTION                 0x00C00000L
#define WS_SYSMENU                 0x00080000L
#define WS_MINIMIZEBOX             0x00020000L
#define WS_EX_TOPMOST              0x00000008L
#define WS_EX_TOOLWINDOW           0x00000080L
#define WS_EX_NOACTIVATE           0x08000000L
#define TRANSPARENT                1
#define DT_CENTER                  0x00000001
#define DT_VCENTER                 0x00000004
#define DT_WORDBREAK               0x00000010
#define DT_SINGLELINE              0x00000020
#define DT_NOPREFIX                0x00000800
#define FW_BOLD                    700
#define FW_NORMAL                  400
#define WHITE_BRUSH                0
#define ES_PASSWORD                0x0020L

#define SM_CXSCREEN                0
#define SM_CYSCREEN                1
#define SM_SHUTTINGDOWN            0x2000
#define SM_CXSMICON                49
#define SM_CYSMICON                50
#define LTGRAY_BRUSH               1
#define IMAGE_ICON                 1
#define LR_DEFAULTCOLOR            0x0000

#define NIM_ADD                    0x00000000
#define NIM_MODIFY                 0x00000001
#define NIM_DELETE                 0x00000002
#define NIF_MESSAGE                0x00000001
#define NIF_ICON                   0x00000002
#define NIF_TIP                    0x00000004
#define NIF_INFO                   0x00000010
#define NIIF_WARNING               0x00000002

#define MIIM_TYPE                  0x00000010
#define MFT_STRING                 0x00000000
#define TPM_RIGHTBUTTON            0x0002L

#define MB_OK                      0x00000000L
#define MB_ICONHAND                0x00000010L
#define MB_ICONEXCLAMATION         0x00000030L
#define IDOK                       1
#define IDCANCEL                   2
#define MB_YESNO                   0x00000004L
#define MB_DEFBUTTON2              0x00000100L
#define IDYES                      6
#define IDNO                       7

#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
// clang-format on
#endif
