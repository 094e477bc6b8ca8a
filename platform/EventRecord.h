// One record of the System event log as the program reads it: what the
// event-log reader hands over and what the simulated log is built from.
#pragma once
#include <cstdint>
#include <string_view>

namespace hg {

struct EventRecord {
  EventRecord() = default;
  EventRecord(std::uint32_t id, std::int64_t time, std::string_view from = {})
      : eventId(id), timeGenerated(time), source(from) {}

  std::uint32_t eventId = 0;
  std::int64_t timeGenerated = 0; // seconds since 1970, UTC
  // The event's source, such as "EventLog" or "Microsoft-Windows-Kernel-Power".
  // A parsed record's source points into the bytes it was read from.
  std::string_view source;
};

} // namespace hg
