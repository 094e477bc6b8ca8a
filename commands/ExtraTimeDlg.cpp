#include "commands/ExtraTimeDlg.h"

namespace hg {

void CExtraTimeDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_EXTRA_MINUTES, m_nMinutes);
  DDV_MinMaxUInt(pDX, m_nMinutes, kMinExtraMinutes, kMaxExtraMinutes);
}

} // namespace hg
