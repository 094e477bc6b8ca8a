// Command 32772: the daily limit, the day-start adjustment, reset today.
#include "accounting/AccountingTime.h"
#include "app/LimitWnd.h"
#include "commands/SettingsDlg.h"
#include "store/ValueNames.h"

namespace hg {

void CLimitWnd::OnSettings() {
  if (!ConfirmPassword())
    return;
  CSettingsDlg dlg(m_platform);
  dlg.m_nDailyLimit = static_cast<UINT>(m_nLimitTime);
  dlg.m_nDayStartAdjust = static_cast<UINT>(m_nAdjustTime);
  if (dlg.DoModal() != IDOK)
    return;

  // The dialog keeps both within what a signed 32-bit count of seconds holds.
  m_nLimitTime = static_cast<std::int32_t>(dlg.m_nDailyLimit);
  m_nAdjustTime = static_cast<std::int32_t>(dlg.m_nDayStartAdjust);
  WriteNumber(reg::kLimitTime, m_nLimitTime);
  WriteNumber(reg::kAdjustTime, m_nAdjustTime);
  RecountUsage();

  if (dlg.m_bResetToday) {
    // The credit is what was used so far today, so every later recount gives
    // a full allowance counted from now.
    m_nLastTime = MinutesToSeconds(m_nLimitTime);
    m_nLastTimeAdjust = m_nDayUsage[0];
    WriteNumber(reg::kLastTimeAdjust, m_nLastTimeAdjust);
  } else {
    m_nLastTime = SaturatingSum(m_nLastTimeAdjust, MinutesToSeconds(m_nLimitTime), m_nDayUsage[0]);
    if (m_nLastTime < 0)
      m_nLastTime = 0;
    WriteNumber(reg::kLastTime, m_nLastTime);
  }
  RefreshTooltip();
}

} // namespace hg
