// The accounting clock: local time less the day-start adjustment, and the
// day key that names an accounting day.
#pragma once
#include "platform/SystemPlatform.h"

#include <cstdint>

namespace hg {

inline constexpr std::int64_t kSecondsPerDay = 86400;

// (year * 12 + month) * 31 + day: a later date always has a larger key.
// Keys are only compared, never counted.
std::int32_t MakeDayKey(const LocalTm& local);
// The key of t's local date; 0 when t has no local form.
std::int32_t MakeDayKey(SystemPlatform& platform, std::int64_t t);

// The accounting time at which the day of `key` ends, kept for that key:
// the next local midnight does not move while the day lasts.
struct DayEnd {
  std::int32_t key = 0;
  std::int64_t end = -1;
};
// Seconds from accounting time t (of the day `key`) until a tick sees the
// next accounting day; -1 when the local calendar cannot say.
std::int64_t SecondsToDayEnd(SystemPlatform& platform, std::int64_t t, std::int32_t key,
                             DayEnd& cache);

// The current time less `adjustMinutes` minutes.
std::int64_t AccountingNow(SystemPlatform& platform, std::int32_t adjustMinutes);

// Minutes to seconds without overflowing 32 bits: the stored minutes may
// have been written by hand, and a huge limit means "practically unlimited".
std::int32_t MinutesToSeconds(std::int32_t minutes);
// a + b - c, held within 32 bits.
std::int32_t SaturatingSum(std::int64_t a, std::int64_t b, std::int64_t c = 0);

} // namespace hg
