// The menu's protected commands bound to the window: the command does its
// work (commands/), the window its part (the timer, the message box, the
// close).
#include "app/LimitWnd.h"
#include "commands/ExitCommands.h"
#include "commands/ExtraTimeCommand.h"
#include "commands/PasswordCommands.h"
#include "commands/SettingsCommand.h"
#include "res/resource.h"

namespace hg {

void CLimitWnd::OnChangePassword() {
  // No check dialog first: the old-password field is this command's guard.
  if (m_pFace)
    m_pFace->ChangePassword();
  else
    ChangePassword(m_platform);
}

void CLimitWnd::OnSettings() {
  if (m_pFace)
    m_pFace->Settings();
  else if (ConfirmPassword(m_platform))
    ChangeSettings(m_platform, m_accountant);
}

void CLimitWnd::OnExtraTime() {
  if (m_pFace)
    m_pFace->ExtraTime();
  else if (ConfirmPassword(m_platform))
    GiveExtraTime(m_platform, m_accountant);
}

// Exit and uninstall stop the countdown for good and close the window
// without saving: OnClose sees no timer.
void CLimitWnd::OnQuit() {
  // Through the service the count pauses until the next sign-in.
  if (m_pFace ? !m_pFace->Exit() : !ConfirmPassword(m_platform))
    return;
  StopTicking();
  CloseCompanion(m_platform);
  CloseForGood();
}

// No password: a child may look too.
void CLimitWnd::OnHistory() {
  m_wndHistory.Open(m_pFace ? static_cast<HistorySource&>(*m_pFace) : m_engineHistory);
}

void CLimitWnd::OnUninstall() {
  if (m_pFace) {
    // The service removes the program and itself.
    if (!m_pFace->Uninstall())
      return;
  } else if (!ConfirmPassword(m_platform)) {
    return;
  } else if (DWORD error = RemoveInstallation(m_platform); error != ERROR_SUCCESS) {
    const UINT id = error == ERROR_ACCESS_DENIED ? IDS_UNINSTALL_NEEDS_ADMIN : IDS_UNINSTALL_FAILED;
    MessageBox(id, IDS_UNINSTALL_CAPTION, MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  StopTicking();
  MessageBox(IDS_UNINSTALL_MESSAGE, IDS_UNINSTALL_CAPTION, MB_ICONEXCLAMATION | MB_OK);
  CloseForGood();
}

} // namespace hg
