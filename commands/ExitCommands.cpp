// Commands 32773 (exit) and 32777 (uninstall). Both stop the countdown for
// good and close the window without saving: OnClose sees no timer.
#include "app/LimitWnd.h"
#include "res/Texts.h"
#include "res/resource.h"
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

// Uninstalling needs an administrator: the deletion at the next restart is
// written to PendingFileRenameOperations, and the two entries lie under
// HKEY_LOCAL_MACHINE. The step most likely to be refused comes first, and
// the program key, which holds the password, goes last, so that a refusal
// leaves the program protected and running with its state in place.
void CLimitWnd::OnUninstall() {
  if (!ConfirmPassword())
    return;
  char path[256] = {};
  DWORD length = m_platform.GetModuleFileNameA(path, sizeof path);
  path[length < sizeof path ? length : sizeof path - 1] = '\0';
  // A step finds nothing to remove (ERROR_FILE_NOT_FOUND) when it was done
  // before: that counts as done.
  auto failed = [](DWORD status) {
    return status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND;
  };
  DWORD error = ERROR_SUCCESS;
  if (!m_platform.MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    error = m_platform.GetLastError();
  if (!failed(error))
    error =
        static_cast<DWORD>(DeleteRegValue(kHkeyLocalMachine, reg::kRunKey, reg::kAutostartValue));
  // The key has no subkeys, so this takes every value with it.
  if (!failed(error))
    error = static_cast<DWORD>(m_platform.RegDeleteKeyA(kHkeyLocalMachine, reg::kProgramKey));
  if (failed(error)) {
    ShowUninstallFailure(error);
    return;
  }
  if (m_nTimerId != 0)
    m_platform.KillTimer(m_hWnd, kTickTimerId);
  m_nTimerId = 0;
  MessageBox(IDS_UNINSTALL_MESSAGE, IDS_UNINSTALL_CAPTION, MB_ICONEXCLAMATION | MB_OK);
  m_bAllowClose = TRUE;
  PostMessage(WM_CLOSE);
}

void CLimitWnd::ShowUninstallFailure(DWORD error) {
  const UINT id = error == ERROR_ACCESS_DENIED ? IDS_UNINSTALL_NEEDS_ADMIN : IDS_UNINSTALL_FAILED;
  MessageBox(id, IDS_UNINSTALL_CAPTION, MB_ICONEXCLAMATION | MB_OK);
}

} // namespace hg
