// The recount: the use of the last days rebuilt from the System event log,
// and the remaining time recomputed from today's share of it.
#include "accounting/Accountant.h"
#include "accounting/AccountingTime.h"
#include "accounting/EventLogReader.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {

void CAccountant::RecountUsage() {
  DayTable days;
  std::int64_t t0 = AccountingNow();
  for (int i = 0; i < kUsageDays; ++i) {
    m_nDayUsage[i] = 0;
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
    m_nDayUsage[i] = scan.Usage(i);

  m_nLimitTime =
      ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kLimitTime, 60);
  m_nLastTime = SaturatingSum(m_nLastTimeAdjust, MinutesToSeconds(m_nLimitTime), m_nDayUsage[0]);
  if (m_nLastTime < 0)
    m_nLastTime = 0;
  WriteNumber(reg::kLastTime, m_nLastTime);

  m_display.ShowUsage(days, m_nDayUsage);
  m_display.ShowRemaining(m_nLastTime);
}

} // namespace hg
