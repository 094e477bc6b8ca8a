// The recount: the use of the last days rebuilt from the System event log,
// and the remaining time recomputed from today's share of it.
#include "accounting/Accountant.h"
#include "accounting/AccountingTime.h"
#include "accounting/EventLogReader.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <algorithm>

namespace hg {

void CAccountant::ScanDays(DayTable& days, std::int32_t (&usage)[kUsageDays]) {
  std::int64_t t0 = AccountingNow();
  for (int i = 0; i < kUsageDays; ++i) {
    usage[i] = 0;
    LocalTm local;
    if (m_platform.GetLocalTm(t0 - i * kSecondsPerDay, &local)) {
      days.key[i] = MakeDayKey(local);
      days.dayOfMonth[i] = local.day;
      days.date[i] = (local.year * 100 + local.month) * 100 + local.day;
    }
  }
  std::int64_t reference = AccountingNow();
  // The session of the current run is open and ends now.
  std::int64_t now = m_platform.GetCurrentTime();

  UsageScan scan(
      days, now, reference, std::int64_t{m_nAdjustTime} * 60,
      [](void* platform, std::int64_t t) {
        return MakeDayKey(*static_cast<SystemPlatform*>(platform), t);
      },
      &m_platform);
  ReadSystemLogBackwards(m_platform,
                         [&scan](const EventRecord& record) { return scan.Feed(record); });
  for (int i = 0; i < kUsageDays; ++i)
    usage[i] = scan.Usage(i);
}

void CAccountant::RecountUsage() {
  DayTable days;
  ScanDays(days, m_nDayUsage);

  m_nEveryDayLimit =
      ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kLimitTime, 60);
  LoadDayRules();
  const std::int64_t t = AccountingNow();
  m_nLimitTime = LimitOfDay(t);
  m_nLastTime = SaturatingSum(m_nLastTimeAdjust, MinutesToSeconds(m_nLimitTime), m_nDayUsage[0]);
  if (m_nLastTime < 0)
    m_nLastTime = 0;
  m_nLastTime = CapToBedtime(m_nLastTime, t);
  WriteNumber(reg::kLastTime, m_nLastTime);

  m_display.ShowUsage(days, m_nDayUsage);
  m_display.ShowRemaining(m_nLastTime);
}

std::int32_t CAccountant::TodayUse() {
  DayTable days;
  std::int32_t usage[kUsageDays];
  ScanDays(days, usage);
  return usage[0];
}

void CAccountant::History(UsageHistory* history) {
  DayTable days;
  ScanDays(days, history->usage);
  for (int i = 0; i < kUsageDays; ++i) {
    const std::int32_t date = days.date[i];
    history->date[i] = date;
    history->weekday[i] = date != 0 ? WeekdayOf(date / 10000, date / 100 % 100, date % 100) : 0;
    history->limit[i] = LimitForWeekday(m_dayRules, m_nEveryDayLimit, history->weekday[i]);
  }
  history->remaining = m_nLastTime;
  std::string today = ReadText(reg::kDayTotal);
  std::string yesterday = ReadText(reg::kDayTotal2);
  // A read gives at most kRegReadLimit bytes, which the lists hold.
  today.copy(history->today, kSessionListSize - 1);
  history->today[std::min<std::size_t>(today.size(), kSessionListSize - 1)] = '\0';
  yesterday.copy(history->yesterday, kSessionListSize - 1);
  history->yesterday[std::min<std::size_t>(yesterday.size(), kSessionListSize - 1)] = '\0';
}

} // namespace hg
