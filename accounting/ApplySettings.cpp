// A parent's settings take effect at once: the limit and the day-start
// adjustment are stored, the use recounted, and today's use forgiven when
// the parent reset it.
#include "accounting/Accountant.h"
#include "store/ValueNames.h"

namespace hg {

void CAccountant::ApplySettings(std::int32_t limitMinutes, std::int32_t adjustMinutes,
                                bool resetToday) {
  m_nEveryDayLimit = limitMinutes;
  m_nAdjustTime = adjustMinutes;
  WriteNumber(reg::kLimitTime, m_nEveryDayLimit);
  WriteNumber(reg::kAdjustTime, m_nAdjustTime);
  RecountUsage();

  if (resetToday) {
    // The credit is what was used so far today, so every later recount gives
    // a full allowance counted from now.
    m_nLastTime = CapToBedtime(MinutesToSeconds(m_nLimitTime), AccountingNow());
    m_nLastTimeAdjust = m_nDayUsage[0];
    WriteNumber(reg::kLastTimeAdjust, m_nLastTimeAdjust);
  } else {
    m_nLastTime = SaturatingSum(m_nLastTimeAdjust, MinutesToSeconds(m_nLimitTime), m_nDayUsage[0]);
    if (m_nLastTime < 0)
      m_nLastTime = 0;
    m_nLastTime = CapToBedtime(m_nLastTime, AccountingNow());
    WriteNumber(reg::kLastTime, m_nLastTime);
  }
  m_display.ShowRemaining(m_nLastTime);
}

void CAccountant::ApplySettings(std::int32_t limitMinutes, std::int32_t adjustMinutes,
                                bool resetToday, const DayRules& rules) {
  m_dayRules = rules;
  StoreDayRules();
  ApplySettings(limitMinutes, adjustMinutes, resetToday);
}

} // namespace hg
