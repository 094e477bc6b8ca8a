// Programs on the simulated Windows, set up the way the benchmarks need
// them: recording off (no journal, no call records), a typical registry.
#pragma once
#include "ProgramHarness.h"
#include "commands/Scramble.h"

#include <memory>
#include <vector>

namespace hg::bench {

// A parent's registry after some days of use.
inline void TypicalRegistry(test::Program& p, const char* lastDate) {
  p.Set(reg::kLimitTime, "120");
  p.Set(reg::kLastDate, lastDate);
  p.Set(reg::kLastTime, "1800");
  p.Set(reg::kAdjustTime, "0");
  p.Set(reg::kDayTotal, "\n01/04 17:00:00 - 01/04 18:10:00 (70min)"
                        "\n01/05 07:30:00 - 01/05 08:00:00 (30min)");
  p.Set(reg::kStartTime, "01/05 07:30:00");
  p.Set(reg::kEndTime, "01/05 08:00:00");
  p.Set(reg::kPassword, ScramblePassword("abc"));
}

// A System log of `count` records, newest first: the current run started an
// hour before `now`, and before it one hour of use every two hours, as far
// back as the count reaches (a million records go back 114 years).
inline std::vector<EventRecord> SessionLog(std::int64_t now, std::size_t count) {
  std::vector<EventRecord> log;
  log.reserve(count);
  if (count > 0)
    log.push_back(test::Start(now - 3600));
  for (std::int64_t t = now - 2 * 3600; log.size() < count; t -= 3600)
    log.push_back(log.size() % 2 == 1 ? test::Stop(t) : test::Start(t));
  return log;
}

} // namespace hg::bench
