#include "commands/PasswordCheckDlg.h"

#include "commands/Scramble.h"
#include "res/Texts.h"

namespace hg {

void CPasswordCheckDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
}

void CPasswordCheckDlg::OnOK() {
  UpdateData(TRUE);
  if (ScramblePassword(m_szStored) != m_strPassword) {
    MessageBox(text::kPasswordWrong, text::kPasswordErrorCaption, MB_ICONHAND | MB_OK);
    return;
  }
  CDialog::OnOK();
}

} // namespace hg
