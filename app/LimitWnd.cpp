// The main window: construction, its message map, and the handlers that
// open and close it.
#include "app/LimitWnd.h"

#include "commands/ServiceClient.h"
#include "platform/framework/WinApp.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/RegistryStore.h"

namespace hg {
namespace {
constexpr int kWindowWidth = 320;
constexpr int kWindowHeight = 86;
constexpr int kWindowRightMargin = 320;  // left edge at screen width less this
constexpr int kWindowBottomMargin = 126; // top edge at screen height less this
constexpr UINT kIdcArrow = 32512;
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CLimitWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_SIZE()
  ON_WM_CLOSE()
  ON_COMMAND(ID_APP_EXIT, OnAppExit)
  ON_WM_TIMER()
  ON_WM_QUERYENDSESSION()
  ON_WM_ENDSESSION()
  ON_COMMAND(ID_CHANGE_PASSWORD, OnChangePassword)
  ON_COMMAND(ID_SETTINGS, OnSettings)
  ON_COMMAND(ID_EXTRA_TIME, OnExtraTime)
  ON_COMMAND(ID_QUIT, OnQuit)
  ON_COMMAND(ID_UNINSTALL, OnUninstall)
  ON_COMMAND(ID_HISTORY, OnHistory)
  ON_COMMAND(ID_LATER_DAY, OnLaterDay)
  ON_WM_CREATE()
  ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
  ON_REGISTERED_MESSAGE(s_nTaskbarCreated, OnTaskbarCreated)
END_MESSAGE_MAP()
// clang-format on

CLimitWnd::CLimitWnd(Platform& platform) : CWnd(platform) {
  DWORD serviceProcess = 0;
  if (QueryServiceState(m_platform, &serviceProcess) != ServiceState::NotInstalled) {
    // The service counts, and owns the program key and the autostart entry.
    m_pFace = std::make_unique<CServiceFace>(m_platform, *this, m_tray);
  } else {
    // The autostart entry comes first, before any other registry access, so
    // a moved program re-registers even when this start ends in a power-off.
    WriteAutostartEntry(m_platform);
    m_accountant.Start();
  }

  s_nTaskbarCreated = m_platform.RegisterWindowMessageA("TaskbarCreated");
  m_tray.Load();

  int screenWidth = m_platform.GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = m_platform.GetSystemMetrics(SM_CYSCREEN);
  const char* className = AfxRegisterWndClass(
      m_platform, CS_DBLCLKS, m_platform.LoadCursorA(kIdcArrow),
      m_platform.GetStockObject(LTGRAY_BRUSH), m_platform.LoadIconA(IDR_MAINFRAME));
  CreateEx(0, className, text::kWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
           screenWidth - kWindowRightMargin, screenHeight - kWindowBottomMargin, kWindowWidth,
           kWindowHeight, 0, 0);
}

void CLimitWnd::PostNcDestroy() {
  delete this;
}

int CLimitWnd::OnCreate(Lparam createStruct) {
  if (CWnd::OnCreate(createStruct) == -1)
    return -1;
  m_nTimerId = static_cast<std::uint8_t>(m_platform.SetTimer(m_hWnd, kTickTimerId, kTickPeriodMs));
  // A copy run as administrator hears a new Explorer only when it lets
  // the message in from the lower level Explorer runs at.
  m_platform.ChangeWindowMessageFilterEx(m_hWnd, s_nTaskbarCreated);
  return 0;
}

void CLimitWnd::OnPaint() {
  PaintStruct paint;
  m_platform.BeginPaint(m_hWnd, &paint);
  if (m_bFirstPaint) {
    ShowWindow(SW_MINIMIZE);
    m_bFirstPaint = FALSE;
  }
  m_platform.EndPaint(m_hWnd, &paint);
}

void CLimitWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED)
    return;
  m_tray.Add(Remaining());
  if (m_pFace)
    m_pFace->Poll();
  ShowWindow(SW_HIDE);
}

std::int32_t CLimitWnd::Remaining() const {
  return m_pFace ? m_pFace->Remaining() : m_accountant.LastTime();
}

void CLimitWnd::SaveIfCounting() {
  // After the exit and uninstall commands (no timer) nothing may be written:
  // the uninstall has removed the program key.
  if (m_nTimerId != 0 && !m_pFace)
    m_accountant.Save();
}

void CLimitWnd::OnTimer(UINT nIDEvent) {
  if (nIDEvent == kTickTimerId) {
    InvalidateRect(nullptr, FALSE);
    if (m_pFace)
      m_pFace->Poll();
    else
      m_accountant.Tick();
    m_laterDay.Check();
  }
  CWnd::OnTimer(nIDEvent);
}

Lresult CLimitWnd::OnTaskbarCreated(Wparam, Lparam) {
  m_tray.OnTaskbarCreated(Remaining());
  return 0;
}

void CLimitWnd::OnClose() {
  // While Windows shuts down, a close request is part of the session's end
  // (the end-session messages may not reach a program that is busy).
  if (!m_bAllowClose && m_platform.GetSystemMetrics(SM_SHUTTINGDOWN) != 0)
    m_bAllowClose = TRUE;
  if (!m_bAllowClose) {
    // Closing is refused: the window goes back to the tray. A window that is
    // already minimised gets no WM_SIZE from another minimise, and a hidden
    // one would come back from it as a taskbar button: so minimise only what
    // is shown, and hide in any case.
    if (m_platform.IsWindowVisible(m_hWnd))
      ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
    return;
  }
  m_tray.Remove();
  // After the exit and uninstall commands the timer is already stopped and
  // nothing may be written: the uninstall has removed the program key.
  if (m_nTimerId != 0) {
    m_platform.KillTimer(m_hWnd, kTickTimerId);
    Hwnd companion = m_platform.FindWindowA(nullptr, text::kSysconfigTitle);
    if (companion != 0)
      m_platform.PostMessageA(companion, WM_CLOSE, 0, 0);
    if (!m_pFace)
      m_accountant.Save();
  }
  CWnd::OnClose();
}

void CLimitWnd::OnAppExit() {
  CloseForGood();
}

void CLimitWnd::CloseForGood() {
  m_bAllowClose = TRUE;
  PostMessage(WM_CLOSE);
}

void CLimitWnd::StopTicking() {
  if (m_nTimerId != 0)
    m_platform.KillTimer(m_hWnd, kTickTimerId);
  m_nTimerId = 0;
}

// The session may still be cancelled (by another program, or by the user):
// save, but keep refusing to close until it really ends.
BOOL CLimitWnd::OnQueryEndSession() {
  if (!CWnd::OnQueryEndSession())
    return FALSE;
  SaveIfCounting();
  return TRUE;
}

// Once this returns with bEnding set, Windows may end the process at any
// moment: save here. Any program can send this message, so it closes
// nothing: after a real session end Windows ends the process itself.
void CLimitWnd::OnEndSession(BOOL bEnding) {
  CWnd::OnEndSession(bEnding);
  if (bEnding)
    SaveIfCounting();
}

} // namespace hg
