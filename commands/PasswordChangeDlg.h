// Sets, changes or clears the password.
#pragma once
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

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
};

} // namespace hg
