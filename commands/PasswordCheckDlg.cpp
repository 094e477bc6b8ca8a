#include "commands/PasswordCheckDlg.h"

#include "commands/Scramble.h"
#include "res/resource.h"

namespace hg {

void CPasswordCheckDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

void CPasswordCheckDlg::OnOK() {
  UpdateData(TRUE);
  UINT refusal = 0;
  if (m_pAuthority != nullptr)
    refusal = m_pAuthority->CheckPassword(m_strPassword);
  else if (ScramblePassword(m_szStored) != m_strPassword)
    refusal = IDS_PASSWORD_WRONG;
  if (refusal != 0) {
    MessageBox(refusal, IDS_PASSWORD_ERROR_CAPTION, MB_ICONHAND | MB_OK);
    return;
  }
  CDialog::OnOK();
}

} // namespace hg
