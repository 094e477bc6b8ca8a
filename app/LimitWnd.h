// The program's one window. It is never seen: it holds the run-time state,
// receives the timer, the tray callbacks and the menu commands, and shows
// itself as an icon in the notification area.
#pragma once
#include "accounting/AccountingTime.h"
#include "accounting/PowerOffNotice.h"
#include "accounting/SessionScan.h"
#include "app/NoticeWnd.h"
#include "platform/framework/Wnd.h"

#include <cstdint>
#include <string>

namespace hg {

// The tray icon's identity.
inline constexpr UINT kTrayIconId = 101;
inline constexpr UINT WM_TRAYNOTIFY = 0x9F1;
inline constexpr UINT kTickTimerId = 1;
inline constexpr UINT kTickPeriodMs = 1000;

class CLimitWnd : public CWnd {
public:
  explicit CLimitWnd(Platform& platform);
  ~CLimitWnd() override;

  // Accounting (accounting/).
  std::int64_t AccountingNow();
  std::int64_t SettleAccountingDay();
  void ForceShutdown();
  bool EnableShutdownPrivilege();
  void RecountUsage();
  void RecordPreviousSession(std::int64_t t);
  void OnTimer(UINT nIDEvent);

  // Password step of the protected commands (commands/).
  bool ConfirmPassword();

  // The store, for the program key and the Run key of HKEY_LOCAL_MACHINE.
  std::string ReadRegString(Hkey root, const char* keyPath, const char* valueName);
  void WriteRegString(Hkey root, const char* keyPath, const char* valueName, const char* text);
  LONG DeleteRegValue(Hkey root, const char* keyPath, const char* valueName);

  // Tray (app/TrayIcon.cpp).
  void RefreshTooltip();
  void FormatTooltip(char* tip, std::size_t size) const;
  void AddTrayIcon();
  void ShowBalloon(UINT textId);

  // Notices before a power-off (app/PowerOffNotices.cpp).
  void ShowDueNotice(std::int64_t t, std::int32_t key, bool poweringOff);

  // The tray icon record; the 488-byte form on the Windows build.
  NotifyIconDataA m_nid;
  BOOL m_bFirstPaint = TRUE;
  // Non-zero while the tick's timer runs (SetTimer's result, which Windows
  // promises only to be non-zero; the timer itself is kTickTimerId).
  std::uint8_t m_nTimerId = 0;
  BOOL m_bAllowClose = FALSE;

  std::int32_t m_nLimitTime = 60;     // minutes
  std::int32_t m_nLastDate = 0;       // day key
  std::int32_t m_nLastTime = 0;       // remaining seconds
  std::int32_t m_nLastTimeAdjust = 0; // credit, seconds
  std::int32_t m_nAdjustTime = 0;     // day-start adjustment, minutes
  std::int32_t m_nTickCount = 0;
  std::int32_t m_nDayUsage[kUsageDays] = {};
  char m_szTipSuffix[1000] = {};
  char m_szTipFormat[64] = {}; // the tooltip's format in the display language

  // The tray icon, loaded once at the system's small-icon size.
  Hicon m_hTrayIcon = 0;
  BOOL m_bTrayWanted = FALSE; // the window went to the tray
  BOOL m_bTrayAdded = FALSE;  // the shell holds the icon
  // "TaskbarCreated": Explorer started again and lost every icon.
  static inline UINT s_nTaskbarCreated = 0;

  // Notices before a power-off.
  NoticeState m_noticeState;
  DayEnd m_dayEnd;
  NoticeClock m_noticeClock;
  CNoticeWnd m_wndNotice{m_platform};

protected:
  int OnCreate(Lparam createStruct);
  void OnPaint();
  void OnSize(UINT nType, int cx, int cy);
  void OnClose();
  void OnAppExit();
  BOOL OnQueryEndSession();
  void OnEndSession(BOOL bEnding);
  Lresult OnTrayNotify(Wparam wParam, Lparam lParam);
  Lresult OnTaskbarCreated(Wparam wParam, Lparam lParam);
  void OnChangePassword();
  void OnSettings();
  void OnQuit();
  void OnUninstall();
  void ShowUninstallFailure(DWORD error);
  void PostNcDestroy() override;

  void BuildTrayRecord(Hwnd hwnd, UINT flags);
  void SaveAccountingState();
  void WriteNumber(const char* valueName, std::int32_t value);

  DECLARE_MESSAGE_MAP()
};

} // namespace hg
