// A System log as a PC used every day writes it, newest first: the boot at
// 07:30 (the kernel's start record, the clock read from the hardware, the log
// service's start), a time synchronisation at 10:00, sleep from 12:00 to
// 13:00 (with the clock set again after the wake), shutdown at 22:00, and in
// between thousands of other events a day (service state changes, registry
// hive housekeeping, DCOM, the DNS client) spread over the hours awake.
// With Fast Startup (the default of Windows 10 and 11) the shutdown is a
// hibernation of the kernel: Kernel-Power's entry into sleep in place of the
// log service's stop, and at the next start the log service, hibernated with
// it, writes no start record: the kernel's start record and the boot type
// (Kernel-Boot 27) are all there is.
#pragma once
#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace hg::test {

struct SystemLogDay {
  std::int64_t boot = 0;     // the log service's start record (6005)
  std::int64_t timeSync = 0; // the clock set by the time service (1, Kernel-General)
  std::int64_t sleep = 0;    // the entry into sleep (42)
  std::int64_t wake = 0;     // the return from sleep (1, Power-Troubleshooter)
  std::int64_t shutdown = 0; // the log service's stop record (6006)
};

// The day `daysAgo` days before the local date of `now`.
inline SystemLogDay SystemLogDayOf(sim::SimPlatform& platform, std::int64_t now, int daysAgo) {
  LocalTm today;
  platform.GetLocalTm(now, &today);
  auto at = [&](int hour, int minute, int second) {
    return platform.LocalTime(today.year, today.month, today.day - daysAgo, hour, minute, second);
  };
  return SystemLogDay{at(7, 30, 10), at(10, 0, 0), at(12, 0, 0), at(13, 0, 0), at(22, 0, 0)};
}

// `count` records (fewer when `now` is too early in the century to hold
// them), newest first, none later than `now`: today's run is still open
// when `now` is before 22:00.
inline std::vector<EventRecord> SystemLog(sim::SimPlatform& platform, std::int64_t now,
                                          std::size_t count, int otherEventsPerDay = 4000,
                                          bool fastStartup = false) {
  static const EventRecord kOthers[] = {
      {7036, 0, "Service Control Manager"}, {16, 0, "Microsoft-Windows-Kernel-General"},
      {7036, 0, "Service Control Manager"}, {10016, 0, "Microsoft-Windows-DistributedCOM"},
      {7040, 0, "Service Control Manager"}, {1014, 0, "Microsoft-Windows-DNS-Client"},
      {7036, 0, "Service Control Manager"}, {16, 0, "Microsoft-Windows-Kernel-General"},
  };
  constexpr const char* kKernelGeneral = "Microsoft-Windows-Kernel-General";
  std::vector<EventRecord> log;
  log.reserve(count);
  std::vector<EventRecord> day; // oldest first
  for (int daysAgo = 0; log.size() < count; ++daysAgo) {
    SystemLogDay d = SystemLogDayOf(platform, now, daysAgo);
    if (d.boot < 3600)
      break;
    day.clear();
    day.push_back({12, d.boot - 10, kKernelGeneral}); // the operating system started
    day.push_back({1, d.boot - 5, kKernelGeneral});   // the clock from the hardware
    if (fastStartup)
      day.push_back({27, d.boot - 9, "Microsoft-Windows-Kernel-Boot"}); // boot type 0x1
    else
      day.push_back({0x80001775u, d.boot}); // 6005 as the log service writes it
    day.push_back({1, d.timeSync, kKernelGeneral});
    std::int64_t awake = (d.sleep - d.boot) + (d.shutdown - d.wake) - 120;
    for (int i = 0; i < otherEventsPerDay; ++i) {
      std::int64_t t = d.boot + 60 + awake * i / otherEventsPerDay;
      if (t >= d.sleep)
        t += d.wake - d.sleep + 30;
      EventRecord other = kOthers[i % std::size(kOthers)];
      other.timeGenerated = t;
      day.push_back(other);
    }
    day.push_back({42, d.sleep, "Microsoft-Windows-Kernel-Power"});
    day.push_back({1, d.wake, "Microsoft-Windows-Power-Troubleshooter"});
    day.push_back({1, d.wake + 2, kKernelGeneral});
    if (fastStartup) {
      day.push_back({42, d.shutdown, "Microsoft-Windows-Kernel-Power"}); // hybrid shutdown
    } else {
      day.push_back({13, d.shutdown - 1, kKernelGeneral}); // the operating system stops
      day.push_back({0x80001776u, d.shutdown});            // 6006
    }
    std::stable_sort(day.begin(), day.end(), [](const EventRecord& a, const EventRecord& b) {
      return a.timeGenerated < b.timeGenerated;
    });
    for (auto r = day.rbegin(); r != day.rend() && log.size() < count; ++r)
      if (r->timeGenerated <= now)
        log.push_back(*r);
  }
  return log;
}

} // namespace hg::test
