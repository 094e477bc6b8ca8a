#include "commands/PasswordChangeDlg.h"

#include "commands/Scramble.h"
#include "res/resource.h"

namespace hg {

void CPasswordChangeDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_NEW_PASSWORD, m_strNewPassword);
  DDV_MaxChars(pDX, m_strNewPassword, kPasswordMaxChars);
  DDX_Text(pDX, IDC_CONFIRM_PASSWORD, m_strConfirmPassword);
  DDV_MaxChars(pDX, m_strConfirmPassword, kPasswordMaxChars);
  DDX_Text(pDX, IDC_PASSWORD, m_strOldPassword);
  DDV_MaxChars(pDX, m_strOldPassword, kPasswordMaxChars);
}

BOOL CPasswordChangeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // With no password set there is no old one to type.
  if (m_pAuthority != nullptr ? !m_bPasswordSet : m_szPassword[0] == '\0')
    m_platform.EnableWindow(GetDlgItem(IDC_PASSWORD), FALSE);
  return TRUE;
}

void CPasswordChangeDlg::OnOK() {
  // A field refused by its length rule has shown its message already; the
  // checks below would only add a second one for the same press.
  if (!UpdateData(TRUE))
    return;
  if (m_pAuthority == nullptr && m_strOldPassword != m_szPassword) {
    MessageBox(IDS_OLD_PASSWORD_WRONG, IDS_WARNING_CAPTION, MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  if (m_strNewPassword != m_strConfirmPassword) {
    MessageBox(IDS_NEW_PASSWORD_MISMATCH, IDS_WARNING_CAPTION, MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  // A password holding the key byte would not survive scrambling.
  std::string scrambled = ScramblePassword(m_strNewPassword);
  if (ScramblePassword(scrambled) != m_strNewPassword) {
    MessageBox(IDS_NEW_PASSWORD_REFUSED, IDS_WARNING_CAPTION, MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  // The service judges the old password last, when the new one is sure to
  // be taken: every try there counts.
  if (m_pAuthority != nullptr) {
    const UINT refusal = m_pAuthority->ChangePassword(m_strOldPassword, m_strNewPassword);
    if (refusal != 0) {
      MessageBox(refusal, IDS_WARNING_CAPTION, MB_ICONEXCLAMATION | MB_OK);
      return;
    }
  }
  CopyPasswordText(m_szPassword, scrambled);
  CDialog::OnOK();
}

} // namespace hg
