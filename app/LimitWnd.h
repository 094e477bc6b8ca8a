// The program's one window. It is never seen: it hosts the accounting
// engine, receives the timer, the tray callbacks and the menu commands, and
// shows itself as an icon in the notification area.
#pragma once
#include "accounting/Accountant.h"
#include "accounting/ExitWindowsPowerOff.h"
#include "app/HistoryWnd.h"
#include "app/LaterDayPrompt.h"
#include "app/ServiceFace.h"
#include "app/TrayIcon.h"
#include "platform/framework/Wnd.h"

#include <cstdint>
#include <memory>

namespace hg {

inline constexpr UINT kTickTimerId = 1;
inline constexpr UINT kTickPeriodMs = 1000;

class CLimitWnd : public CWnd {
public:
  explicit CLimitWnd(Platform& platform);

  // The tray shows what the accountant counts; the power-off is the
  // signed-in account's own.
  CTrayIcon m_tray{m_platform, *this};
  CExitWindowsPowerOff m_powerOff{m_platform};
  CAccountant m_accountant{m_platform, m_powerOff, m_tray};
  // With the service installed the window is its face, and the accountant
  // above never starts.
  std::unique_ptr<CServiceFace> m_pFace;
  // The usage history (from the accountant or the face) and the later
  // stored day's password prompt.
  CHistoryWnd m_wndHistory{m_platform};
  CEngineHistory m_engineHistory{m_accountant};
  CLaterDayPrompt m_laterDay{m_platform, *this, m_accountant, m_pFace};

  BOOL m_bFirstPaint = TRUE;
  // Non-zero while the tick's timer runs (SetTimer's result, which Windows
  // promises only to be non-zero; the timer itself is kTickTimerId).
  std::uint8_t m_nTimerId = 0;
  BOOL m_bAllowClose = FALSE;
  // "TaskbarCreated": Explorer started again and lost every icon.
  static inline UINT s_nTaskbarCreated = 0;

protected:
  int OnCreate(Lparam createStruct);
  void OnPaint();
  void OnSize(UINT nType, int cx, int cy);
  void OnTimer(UINT nIDEvent);
  void OnClose();
  void OnAppExit();
  BOOL OnQueryEndSession();
  void OnEndSession(BOOL bEnding);
  Lresult OnTrayNotify(Wparam wParam, Lparam lParam);
  Lresult OnTaskbarCreated(Wparam wParam, Lparam lParam);
  void OnChangePassword();
  void OnSettings();
  void OnExtraTime();
  void OnQuit();
  void OnUninstall();
  void OnHistory();
  void OnLaterDay() { m_laterDay.Ask(); }
  void PostNcDestroy() override;

  // Stops the countdown for good: nothing more is counted or stored.
  void StopTicking();
  // Lets the window close, and closes it.
  void CloseForGood();
  // Stores the accounting state, when this program counts.
  void SaveIfCounting();
  std::int32_t Remaining() const;

  DECLARE_MESSAGE_MAP()
};

} // namespace hg
