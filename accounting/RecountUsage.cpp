// The recount: the use of the last days rebuilt from the System event log,
// and the remaining time recomputed from today's share of it.
#include "accounting/AccountingTime.h"
#include "accounting/EventLogReader.h"
#include "accounting/TipSuffix.h"
#include "app/LimitWnd.h"
#include "platform/framework/WinApp.h"
#include "res/resource.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <cstdio>

namespace hg {

void CLimitWnd::RecountUsage() {
  DayTable days;
  std::int64_t t0 = AccountingNow();
  for (int i = 0; i < kUsageDays; ++i) {
    m_nDayUsage[i] = 0;
    LocalTm local;
    if (m_platform.GetLocalTm(t0 - i * kSecondsPerDay, &local)) {
      days.key[i] = MakeDayKey(local);
      days.dayOfMonth[i] = local.day;
    }
  }
  std::int64_t reference = AccountingNow();
  // The session of the current run is open and ends now.
  std::int64_t now = m_platform.GetCurrentTime();

  UsageScan scan(
      days, now, reference, std::int64_t{m_nAdjustTime} * 60,
      [](void* platform, std::int64_t t) {
        return MakeDayKey(*static_cast<Platform*>(platform), t);
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

  char format[64];
  char marks[64];
  AfxLoadString(m_platform, IDS_TIP_DAYS, format);
  AfxLoadString(m_platform, IDS_DAY_MARKS, marks);
  const int minutes[3] = {m_nDayUsage[0] / 60, m_nDayUsage[1] / 60, m_nDayUsage[2] / 60};
  FormatTipSuffix(m_szTipSuffix, sizeof m_szTipSuffix, format, marks, days.dayOfMonth, minutes);
  RefreshTooltip();
}

} // namespace hg
