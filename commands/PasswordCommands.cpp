// Command 32771 (set or change the password) and the password step that
// guards the other protected commands.
#include "app/LimitWnd.h"
#include "commands/PasswordChangeDlg.h"
#include "commands/PasswordCheckDlg.h"
#include "commands/Scramble.h"
#include "store/ValueNames.h"

namespace hg {

void CLimitWnd::OnChangePassword() {
  // No check dialog first: the old-password field is this command's guard.
  std::string stored = ReadRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kPassword);
  CPasswordChangeDlg dlg(m_platform);
  char scrambled[sizeof dlg.m_szPassword];
  CopyPasswordText(scrambled, stored);
  CopyPasswordText(dlg.m_szPassword, ScramblePassword(scrambled));
  if (dlg.DoModal() == IDOK)
    WriteRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kPassword, dlg.m_szPassword);
}

bool CLimitWnd::ConfirmPassword() {
  std::string stored = ReadRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kPassword);
  if (stored.empty())
    return true;
  CPasswordCheckDlg dlg(m_platform);
  CopyPasswordText(dlg.m_szStored, stored);
  return dlg.DoModal() == IDOK;
}

} // namespace hg
