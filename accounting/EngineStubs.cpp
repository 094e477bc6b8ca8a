// TEMPORARY (ui-week): stand-ins for the engine's new methods until the
// lead's implementation lands on main; removed at that merge.
#include "accounting/Accountant.h"

#include <cstring>

#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {

void CAccountant::AcceptToday() {
  m_bLaterDay = false;
}

void CAccountant::RefuseToday() {
  m_bLaterDay = false;
  ForceShutdown();
}

void CAccountant::History(UsageHistory* history) {
  *history = UsageHistory{};
  const std::int64_t t = AccountingNow();
  for (int i = 0; i < kUsageDays; ++i) {
    LocalTm tm;
    m_platform.GetLocalTm(t - 86400LL * i, &tm);
    history->usage[i] = m_nDayUsage[i];
    history->date[i] = tm.year * 10000 + tm.month * 100 + tm.day;
    history->weekday[i] = WeekdayOf(tm.year, tm.month, tm.day);
    history->limit[i] = m_nLimitTime;
  }
  history->remaining = m_nLastTime;
  std::strncpy(history->today, ReadText(reg::kDayTotal).c_str(), kSessionListSize - 1);
  std::strncpy(history->yesterday, ReadText(reg::kDayTotal2).c_str(), kSessionListSize - 1);
}

int WeekdayOf(int year, int month, int day) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3)
    year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

} // namespace hg
