// Asks for the password before a protected command.
#pragma once
#include "commands/PasswordAuthority.h"
#include "platform/framework/Dialog.h"
#include "res/resource.h"

namespace hg {

class CPasswordCheckDlg : public CDialog {
public:
  explicit CPasswordCheckDlg(Platform& platform) : CDialog(platform, IDD_PASSWORD_CHECK) {}

  std::string m_strPassword; // as typed
  char m_szStored[20] = {};  // the stored value, still scrambled
  // Judges the typed password instead of m_szStored when set.
  PasswordAuthority* m_pAuthority = nullptr;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
};

} // namespace hg
