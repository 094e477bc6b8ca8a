// The main window: construction, its message map, and the handlers that
// open and close it.
#include "app/LimitWnd.h"

#include "platform/framework/WinApp.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <cstring>

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
  ON_COMMAND(ID_CHANGE_PASSWORD, OnChangePassword)
  ON_COMMAND(ID_SETTINGS, OnSettings)
  ON_COMMAND(ID_QUIT, OnQuit)
  ON_COMMAND(ID_UNINSTALL, OnUninstall)
  ON_WM_CREATE()
  ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
  ON_REGISTERED_MESSAGE(s_nTaskbarCreated, OnTaskbarCreated)
END_MESSAGE_MAP()
// clang-format on

CLimitWnd::CLimitWnd(Platform& platform) : CWnd(platform) {
  // The autostart entry comes first, before any other registry access, so a
  // moved program re-registers even when this start ends in a power-off.
  WriteAutostartEntry(m_platform);
  std::int64_t t = SettleAccountingDay();
  RecordPreviousSession(t);

  s_nTaskbarCreated = m_platform.RegisterWindowMessageA("TaskbarCreated");
  m_hTrayIcon =
      m_platform.LoadImageA(IDR_MAINFRAME, IMAGE_ICON, m_platform.GetSystemMetrics(SM_CXSMICON),
                            m_platform.GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
  BuildTrayRecord(m_hWnd, NIF_MESSAGE | NIF_ICON);

  int screenWidth = m_platform.GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = m_platform.GetSystemMetrics(SM_CYSCREEN);
  const char* className = AfxRegisterWndClass(
      m_platform, CS_DBLCLKS, m_platform.LoadCursorA(kIdcArrow),
      m_platform.GetStockObject(LTGRAY_BRUSH), m_platform.LoadIconA(IDR_MAINFRAME));
  CreateEx(0, className, text::kWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
           screenWidth - kWindowRightMargin, screenHeight - kWindowBottomMargin, kWindowWidth,
           kWindowHeight, 0, 0);
}

CLimitWnd::~CLimitWnd() {
  if (m_hTrayIcon != 0)
    m_platform.DestroyIcon(m_hTrayIcon);
}

void CLimitWnd::PostNcDestroy() {
  delete this;
}

int CLimitWnd::OnCreate(Lparam createStruct) {
  if (CWnd::OnCreate(createStruct) == -1)
    return -1;
  m_nTimerId = static_cast<std::uint8_t>(m_platform.SetTimer(m_hWnd, kTickTimerId, kTickPeriodMs));
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
  m_bTrayWanted = TRUE;
  AddTrayIcon();
  ShowWindow(SW_HIDE);
}

void CLimitWnd::OnClose() {
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
  m_platform.Shell_NotifyIconA(NIM_DELETE, &m_nid);
  // After the exit and uninstall commands the timer is already stopped and
  // nothing may be written: the uninstall has removed the program key.
  if (m_nTimerId != 0) {
    m_platform.KillTimer(m_hWnd, m_nTimerId);
    Hwnd companion = m_platform.FindWindowA(nullptr, text::kSysconfigTitle);
    if (companion != 0)
      m_platform.PostMessageA(companion, WM_CLOSE, 0, 0);
    SaveAccountingState();
  }
  CWnd::OnClose();
}

void CLimitWnd::OnAppExit() {
  m_bAllowClose = TRUE;
  PostMessage(WM_CLOSE);
}

BOOL CLimitWnd::OnQueryEndSession() {
  if (!CWnd::OnQueryEndSession())
    return FALSE;
  SaveAccountingState();
  m_bAllowClose = TRUE;
  return TRUE;
}

void CLimitWnd::SaveAccountingState() {
  WriteNumber(reg::kLastDate, m_nLastDate);
  WriteNumber(reg::kLastTime, m_nLastTime);
}

void CLimitWnd::WriteNumber(const char* valueName, std::int32_t value) {
  WriteRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, valueName, value);
}

std::string CLimitWnd::ReadRegString(Hkey root, const char* keyPath, const char* valueName) {
  return hg::ReadRegString(m_platform, root, keyPath, valueName);
}

void CLimitWnd::WriteRegString(Hkey root, const char* keyPath, const char* valueName,
                               const char* text) {
  hg::WriteRegString(m_platform, root, keyPath, valueName, text);
}

void CLimitWnd::DeleteRegValue(Hkey root, const char* keyPath, const char* valueName) {
  hg::DeleteRegValue(m_platform, root, keyPath, valueName);
}

} // namespace hg
