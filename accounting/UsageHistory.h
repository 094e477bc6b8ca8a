// What the history window shows: the last days' use with each day's limit,
// and the sessions of today and yesterday as their lists record them.
#pragma once
#include "accounting/SessionScan.h"

#include <cstdint>

namespace hg {

// A stored list of sessions, as read (at most 256 bytes) and terminated.
inline constexpr int kSessionListSize = 257;

struct UsageHistory {
  std::int32_t usage[kUsageDays] = {};   // seconds, today first (today up to now)
  std::int32_t date[kUsageDays] = {};    // yyyymmdd of each accounting day; 0: unknown
  std::int32_t weekday[kUsageDays] = {}; // 0 (Sunday) to 6
  std::int32_t limit[kUsageDays] = {};   // minutes: the day's limit by today's rules
  std::int32_t remaining = 0;            // seconds left of today
  char today[kSessionListSize] = {};     // DayTotal
  char yesterday[kSessionListSize] = {}; // DayTotal2
};

} // namespace hg
