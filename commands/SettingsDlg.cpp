#include "commands/SettingsDlg.h"

namespace hg {

// clang-format off
BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
  ON_BN_CLICKED(IDC_RESET_TODAY, OnResetToday)
END_MESSAGE_MAP()
// clang-format on

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_DAILY_LIMIT, m_nDailyLimit);
  DDV_MinMaxUInt(pDX, m_nDailyLimit, 0, kMaxSettingMinutes);
  DDX_Text(pDX, IDC_ADJUST_TIME, m_nDayStartAdjust);
  DDV_MinMaxUInt(pDX, m_nDayStartAdjust, 0, kMaxSettingMinutes);
}

void CSettingsDlg::OnResetToday() {
  // Stays set even when this press ends in a refused field.
  m_bResetToday = true;
  OnOK();
}

} // namespace hg
