#include "commands/PasswordCheckDlg.h"

#include "commands/Scramble.h"
#include "res/resource.h"

namespace hg {

void CPasswordCheckDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

void CPasswordCheckDlg::OnOK() {
  UpdateData(TRUE);
  if (ScramblePassword(m_szStored) != m_strPassword) {
    MessageBox(IDS_PASSWORD_WRONG, IDS_PASSWORD_ERROR_CAPTION, MB_ICONHAND | MB_OK);
    return;
  }
  CDialog::OnOK();
}

} // namespace hg
