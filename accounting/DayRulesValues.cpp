// The weekday limits and the bedtime as stored: decimal minutes by the same
// rule as LimitTime, and "HH:MM"; the empty text (or an absent value) for
// none.
#include "accounting/Accountant.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <algorithm>

namespace hg {

void CAccountant::LoadDayRules() {
  for (int day = 0; day < kWeekdays; ++day) {
    std::string text = ReadText(reg::kLimitTimeOfWeekday[day]);
    // A negative limit allows nothing, as 0 does (and is not "none").
    m_dayRules.weekdayLimit[day] =
        text.empty() ? kNoDayLimit : std::max(ParseStoredNumber(text.c_str()), 0);
  }
  // A bedtime that is not a time of day (written by hand) is none: a parent
  // sees it empty in the dialog and can set it again.
  std::string bedtime = ReadText(reg::kBedtime);
  if (bedtime.empty() || !ParseBedtime(bedtime.c_str(), &m_dayRules.bedtime))
    m_dayRules.bedtime = kNoBedtime;
}

void CAccountant::StoreDayRules() {
  for (int day = 0; day < kWeekdays; ++day) {
    if (m_dayRules.weekdayLimit[day] == kNoDayLimit)
      WriteText(reg::kLimitTimeOfWeekday[day], "");
    else
      WriteNumber(reg::kLimitTimeOfWeekday[day], m_dayRules.weekdayLimit[day]);
  }
  char text[kBedtimeTextSize] = "";
  if (m_dayRules.bedtime != kNoBedtime)
    FormatBedtime(m_dayRules.bedtime, text);
  WriteText(reg::kBedtime, text);
}

std::int32_t CAccountant::LimitOfDay(std::int64_t t) {
  LocalTm local;
  if (!m_platform.GetLocalTm(t, &local))
    return m_nEveryDayLimit;
  return LimitForWeekday(m_dayRules, m_nEveryDayLimit,
                         WeekdayOf(local.year, local.month, local.day));
}

} // namespace hg
