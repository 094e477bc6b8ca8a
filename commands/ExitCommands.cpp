// Commands 32773 (exit) and 32777 (uninstall). Both stop the countdown for
// good and close the window without saving: OnClose sees no timer.
#include "app/LimitWnd.h"
#include "res/Texts.h"
#include "store/ValueNames.h"

namespace hg {
namespace {
// A companion window that never closes must not hold the exit up forever.
constexpr int kCompanionCloseTries = 500;
constexpr DWORD kCompanionClosePauseMs = 10;
} // namespace

void CLimitWnd::OnQuit() {
  if (!ConfirmPassword())
    return;
  if (m_nTimerId != 0)
    m_platform.KillTimer(m_hWnd, kTickTimerId);
  m_nTimerId = 0;
  for (int tries = 0; tries < kCompanionCloseTries; ++tries) {
    Hwnd companion = m_platform.FindWindowA(nullptr, text::kSysconfigTitle);
    if (companion == 0)
      break;
    m_platform.PostMessageA(companion, WM_CLOSE, 0, 0);
    m_platform.Sleep(kCompanionClosePauseMs);
  }
  m_bAllowClose = TRUE;
  PostMessage(WM_CLOSE);
}

void CLimitWnd::OnUninstall() {
  if (!ConfirmPassword())
    return;
  char path[256] = {};
  DWORD length = m_platform.GetModuleFileNameA(path, sizeof path);
  path[length < sizeof path ? length : sizeof path - 1] = '\0';
  m_platform.MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // The key has no subkeys, so this takes every value with it.
  m_platform.RegDeleteKeyA(kHkeyLocalMachine, reg::kProgramKey);
  DeleteRegValue(kHkeyLocalMachine, reg::kRunKey, reg::kAutostartValue);
  if (m_nTimerId != 0)
    m_platform.KillTimer(m_hWnd, kTickTimerId);
  m_nTimerId = 0;
  MessageBox(text::kUninstallMessage, text::kUninstallCaption, MB_ICONEXCLAMATION | MB_OK);
  m_bAllowClose = TRUE;
  PostMessage(WM_CLOSE);
}

} // namespace hg
