#include "commands/PasswordCommands.h"

#include "commands/PasswordChangeDlg.h"
#include "commands/PasswordCheckDlg.h"
#include "commands/Scramble.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {
namespace {
std::string StoredPassword(Platform& platform) {
  return ReadRegString(platform, kHkeyLocalMachine, reg::kProgramKey, reg::kPassword);
}
} // namespace

void ChangePassword(Platform& platform) {
  std::string stored = StoredPassword(platform);
  CPasswordChangeDlg dlg(platform);
  char scrambled[sizeof dlg.m_szPassword];
  CopyPasswordText(scrambled, stored);
  CopyPasswordText(dlg.m_szPassword, ScramblePassword(scrambled));
  if (dlg.DoModal() == IDOK)
    WriteRegString(platform, kHkeyLocalMachine, reg::kProgramKey, reg::kPassword, dlg.m_szPassword);
}

bool ConfirmPassword(Platform& platform) {
  std::string stored = StoredPassword(platform);
  if (stored.empty())
    return true;
  CPasswordCheckDlg dlg(platform);
  CopyPasswordText(dlg.m_szStored, stored);
  return dlg.DoModal() == IDOK;
}

} // namespace hg
