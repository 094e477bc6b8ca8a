#include "accounting/AccountingTime.h"

#include <algorithm>
#include <limits>

namespace hg {

std::int32_t MakeDayKey(const LocalTm& local) {
  return (local.year * 12 + local.month) * 31 + local.day;
}

std::int32_t MakeDayKey(SystemPlatform& platform, std::int64_t t) {
  LocalTm local;
  if (!platform.GetLocalTm(t, &local))
    return 0;
  return MakeDayKey(local);
}

std::int64_t SecondsToDayEnd(SystemPlatform& platform, std::int64_t t, std::int32_t key,
                             DayEnd& cache) {
  if (cache.key != key) {
    cache.key = key;
    cache.end = -1;
    LocalTm next;
    if (platform.GetLocalTm(t, &next)) {
      // The local calendar carries day 32 into the next month.
      ++next.day;
      next.hour = next.minute = next.second = 0;
      cache.end = platform.MakeLocalTime(next);
    }
  }
  return cache.end < 0 ? -1 : cache.end - t;
}

std::int64_t AccountingNow(SystemPlatform& platform, std::int32_t adjustMinutes) {
  return platform.GetCurrentTime() - std::int64_t{adjustMinutes} * 60;
}

std::int32_t SaturatingSum(std::int64_t a, std::int64_t b, std::int64_t c) {
  std::int64_t sum = a + b - c;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t MinutesToSeconds(std::int32_t minutes) {
  return SaturatingSum(std::int64_t{minutes} * 60, 0);
}

} // namespace hg
