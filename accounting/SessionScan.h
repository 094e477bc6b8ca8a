// Sessions from the System event log. Pure rules, no window and no platform:
// what a record is, and how a newest-first run of records charges sessions
// to the ten day buckets.
#pragma once
#include "accounting/EventRecordLayout.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hg {

inline constexpr int kUsageDays = 10;

enum class EventKind { Start, End, Other };

// Sources whose records the rule reads.
inline constexpr std::string_view kEventLogSource = "EventLog";
inline constexpr std::string_view kKernelGeneralSource = "Microsoft-Windows-Kernel-General";
inline constexpr std::string_view kKernelPowerSource = "Microsoft-Windows-Kernel-Power";
inline constexpr std::string_view kPowerTroubleshooterSource =
    "Microsoft-Windows-Power-Troubleshooter";

// Many providers log identifiers such as 1, 42, 6005 or 6006 in the System
// log, so a record counts only from the source that means it. A session
// starts at EventLog's 6005 (the log service started), Power-Troubleshooter's
// 1 (the return from sleep or hibernation), Kernel-Power's 507 (the return
// from Modern Standby) and Kernel-General's 12 (the operating system
// started: at a start from Fast Startup, which hibernates the services with
// the kernel, it is the only one; at a full start 6005 follows it within
// seconds and begins the session). A session ends at EventLog's 6006 (the
// log service stopped), Kernel-Power's 42 (the entry into sleep, and a Fast
// Startup shutdown, a hibernation of the kernel) and 506 (the entry into
// Modern Standby). Only bit 31 of the identifier is ignored; sources compare
// without regard to case.
EventKind ClassifyEvent(std::uint32_t eventId, std::string_view source);
inline EventKind ClassifyEvent(const EventRecord& record) {
  return ClassifyEvent(record.eventId, record.source);
}

// The day the recount charges to: every bucket is a local date, named by its
// day key (whole dates, so that an old session never lands on a recent day
// that merely shares its day of the month).
struct DayTable {
  std::int32_t key[kUsageDays] = {};
  int dayOfMonth[kUsageDays] = {};
  std::int32_t date[kUsageDays] = {}; // yyyymmdd, for a display
};

// Charges the sessions of a newest-first record stream to the buckets.
// `now` ends the open session of the current run, `reference` is the
// accounting time of the stop rule, and `adjustSeconds` moves a start into
// accounting time. dayKeyOf gives the day key of a time.
class UsageScan {
public:
  using DayKeyFn = std::int32_t (*)(void* context, std::int64_t t);

  UsageScan(const DayTable& days, std::int64_t now, std::int64_t reference,
            std::int64_t adjustSeconds, DayKeyFn dayKeyOf, void* context);

  // Takes the next older record; false once the scan must stop (after the
  // session that started two days or more before the reference).
  bool Feed(const EventRecord& record);

  // The buckets in seconds, held within 32 bits.
  std::int32_t Usage(int day) const;

private:
  const DayTable& m_days;
  std::int64_t m_reference = 0;
  std::int64_t m_adjustSeconds = 0;
  DayKeyFn m_dayKeyOf = nullptr;
  void* m_context = nullptr;
  std::int64_t m_end = 0;
  bool m_bOpen = true;
  std::int64_t m_usage[kUsageDays] = {};
};

} // namespace hg
