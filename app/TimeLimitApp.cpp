#include "app/TimeLimitApp.h"

#include "app/LimitWnd.h"

namespace hg {

CTimeLimitApp::~CTimeLimitApp() {
  if (m_hSingleInstance != 0)
    m_platform.CloseHandle(m_hSingleInstance);
}

BOOL CTimeLimitApp::InitInstance() {
  m_hSingleInstance = m_platform.CreateMutexA(kSingleInstanceMutex);
  if (m_hSingleInstance != 0 && m_platform.GetLastError() == ERROR_ALREADY_EXISTS)
    return FALSE;
  // The window owns itself from here on and deletes itself once destroyed.
  auto* wnd = new CLimitWnd(m_platform);
  m_pMainWnd = wnd;
  // Always minimised, whatever show command the program was started with:
  // minimising is what puts the icon into the tray and hides the window.
  wnd->ShowWindow(SW_SHOWMINIMIZED);
  wnd->UpdateWindow();
  return TRUE;
}

} // namespace hg
