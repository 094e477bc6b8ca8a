// Bedtime: from the bedtime until the accounting day ends the day counts
// as spent. The remaining time is held below the seconds to the bedtime, so
// the warnings and the power-off come as for a spent allowance.
#include "accounting/Accountant.h"

#include <algorithm>

namespace hg {
namespace {
constexpr std::int32_t kLateBedtimeSeconds = 60;
} // namespace

std::int64_t CAccountant::SecondsToBedtime(std::int64_t t, std::int32_t key) {
  if (m_dayRules.bedtime == kNoBedtime)
    return kNoPowerOff;
  BedtimeCache& cache = m_bedtimeCache;
  if (cache.key != key || cache.bedtime != m_dayRules.bedtime || cache.adjust != m_nAdjustTime) {
    cache.key = key;
    cache.bedtime = m_dayRules.bedtime;
    cache.adjust = m_nAdjustTime;
    cache.at = -1;
    LocalTm at;
    if (m_platform.GetLocalTm(t, &at)) {
      // On the accounting clock, so that the local calendar settles a day
      // with a daylight-saving change.
      const std::int32_t minute = BedtimeOnAccountingClock(m_dayRules.bedtime, m_nAdjustTime);
      at.hour = minute / 60;
      at.minute = minute % 60;
      at.second = 0;
      cache.at = m_platform.MakeLocalTime(at);
    }
  }
  return cache.at < 0 ? kNoPowerOff : cache.at - t;
}

std::int32_t CAccountant::CapToBedtime(std::int32_t remaining, std::int64_t t) {
  const std::int64_t toBedtime = SecondsToBedtime(t, MakeDayKey(m_platform, t));
  m_bInBedtime = toBedtime <= 0;
  if (toBedtime == kNoPowerOff)
    return remaining;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(remaining, std::max<std::int64_t>(toBedtime, 0)));
}

void CAccountant::TickBedtime(std::int64_t t, std::int32_t key, bool late) {
  const std::int64_t toBedtime = SecondsToBedtime(t, key);
  const bool inBedtime = toBedtime <= 0;
  if (!inBedtime) {
    if (toBedtime < m_nLastTime)
      m_nLastTime = static_cast<std::int32_t>(toBedtime);
  } else if (!m_bInBedtime) {
    // Met on time, the countdown is at 0 now. Found begun after sleep, it
    // leaves a minute to save work, as a new day seen late does.
    m_nLastTime = std::min(m_nLastTime, late ? kLateBedtimeSeconds : 0);
  }
  // Inside the bedtime the countdown runs on: a start there had its grace.
  m_bInBedtime = inBedtime;
}

} // namespace hg
