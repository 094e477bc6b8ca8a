// Sets, changes or clears the password.
#pragma once
#include "commands/PasswordAuthority.h"
#include "platform/framework/Dialog.h"
#include "res/resource.h"

namespace hg {

inline constexpr int kPasswordMaxChars = 8;

class CPasswordChangeDlg : public CDialog {
public:
  explicit CPasswordChangeDlg(Platform& platform) : CDialog(platform, IDD_PASSWORD_CHANGE) {}

  std::string m_strNewPassword;
  std::string m_strConfirmPassword;
  std::string m_strOldPassword;
  // On entry the current password in plain form; after OK the new one, scrambled.
  char m_szPassword[20] = {};
  // When set, it judges the old password and stores the new one, and
  // m_bPasswordSet says whether there is an old one to type.
  PasswordAuthority* m_pAuthority = nullptr;
  bool m_bPasswordSet = false;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
};

} // namespace hg
