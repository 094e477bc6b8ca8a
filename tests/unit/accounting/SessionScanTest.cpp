#include "accounting/SessionScan.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(ClassifyEventTest, StartEndAndOtherIdsWithBit31Ignored) {
  EXPECT_EQ(ClassifyEvent(6005, "EventLog"), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(1, "Microsoft-Windows-Power-Troubleshooter"), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(6006, "EventLog"), EventKind::End);
  EXPECT_EQ(ClassifyEvent(42, "Microsoft-Windows-Kernel-Power"), EventKind::End);
  EXPECT_EQ(ClassifyEvent(0x80000000u | 6005, "EventLog"), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(0x80000000u | 42, "Microsoft-Windows-Kernel-Power"), EventKind::End);
  // Only bit 31 is cleared: a set qualifier bit makes another identifier.
  EXPECT_EQ(ClassifyEvent(0x40000000u | 6005, "EventLog"), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(7036, "Service Control Manager"), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(0, "EventLog"), EventKind::Other);
}

TEST(ClassifyEventTest, EachIdentifierCountsOnlyFromItsOwnSource) {
  EXPECT_EQ(ClassifyEvent(6005, "EventLog"), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(6006, "eventlog"), EventKind::End);
  EXPECT_EQ(ClassifyEvent(1, kPowerTroubleshooterSource), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(42, kKernelPowerSource), EventKind::End);
  EXPECT_EQ(ClassifyEvent(12, kKernelGeneralSource), EventKind::Start);
  // The same numbers from any other provider are that provider's own.
  for (std::string_view source : {"", "Microsoft-Windows-Kernel-Boot", "Some-Driver",
                                  "Microsoft-Windows-Kernel-Processor-Power", "Disk"}) {
    EXPECT_EQ(ClassifyEvent(6005, source), EventKind::Other) << source;
    EXPECT_EQ(ClassifyEvent(6006, source), EventKind::Other) << source;
    EXPECT_EQ(ClassifyEvent(42, source), EventKind::Other) << source;
    EXPECT_EQ(ClassifyEvent(1, source), EventKind::Other) << source;
    EXPECT_EQ(ClassifyEvent(12, source), EventKind::Other) << source;
  }
  EXPECT_EQ(ClassifyEvent(6005, kKernelGeneralSource), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(42, kKernelGeneralSource), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(1, kKernelPowerSource), EventKind::Other);
}

TEST(ClassifyEventTest, ClockSetByKernelGeneralIsNoStart) {
  EXPECT_EQ(ClassifyEvent(1, "Microsoft-Windows-Kernel-General"), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(0x80000001u, "Microsoft-Windows-Kernel-General"), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(1, "microsoft-windows-kernel-general"), EventKind::Other);
  // Kernel-General's other records are ignored as before.
  EXPECT_EQ(ClassifyEvent(13, kKernelGeneralSource), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(16, kKernelGeneralSource), EventKind::Other);
  // A name that only begins or ends like the resume's source is another one.
  EXPECT_EQ(ClassifyEvent(1, "Microsoft-Windows-Power-Troubleshoote"), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(1, "Microsoft-Windows-Power-Troubleshooter2"), EventKind::Other);
}

TEST(ClassifyEventTest, ModernStandbyOfKernelPowerEndsAndStartsASession) {
  EXPECT_EQ(ClassifyEvent(506, "Microsoft-Windows-Kernel-Power"), EventKind::End);
  EXPECT_EQ(ClassifyEvent(507, "Microsoft-Windows-Kernel-Power"), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(0x80000000u | 506, kKernelPowerSource), EventKind::End);
  EXPECT_EQ(ClassifyEvent(507, "MICROSOFT-WINDOWS-KERNEL-POWER"), EventKind::Start);
  // From any other source they are someone else's identifiers.
  EXPECT_EQ(ClassifyEvent(506, "EventLog"), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(507, ""), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(507, kKernelGeneralSource), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(0x40000000u | 507, kKernelPowerSource), EventKind::Other);
  // The record form reads its own source.
  EXPECT_EQ(ClassifyEvent(EventRecord{506, 0, kKernelPowerSource}), EventKind::End);
  EXPECT_EQ(ClassifyEvent(EventRecord{1, 0, kKernelGeneralSource}), EventKind::Other);
}

// Days are plain numbers here: day key = t / 86400.
std::int32_t DayOf(void*, std::int64_t t) {
  return static_cast<std::int32_t>(t / 86400);
}

class UsageScanTest : public ::testing::Test {
protected:
  static constexpr std::int64_t kDay = 86400;
  static constexpr std::int64_t kToday = 20000 * kDay;
  DayTable days;
  void SetUp() override {
    for (int i = 0; i < kUsageDays; ++i) {
      days.key[i] = 20000 - i;
      days.dayOfMonth[i] = 10 - i;
    }
  }
  // Feeds newest-first records, each without a source from the one Windows
  // writes it with; returns how many were taken before the stop.
  int Run(UsageScan& scan, const std::vector<EventRecord>& records) {
    int taken = 0;
    for (EventRecord r : records) {
      if (r.source.empty())
        r.source = sim::SimPlatform::DefaultEventSource(r.eventId);
      ++taken;
      if (!scan.Feed(r))
        break;
    }
    return taken;
  }
};

TEST_F(UsageScanTest, OpenSessionEndsNowAndSleepIsNotCharged) {
  std::int64_t now = kToday + 11 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{1, kToday + 10 * 3600}, {42, kToday + 9 * 3600}, {6005, kToday + 8 * 3600}});
  EXPECT_EQ(scan.Usage(0), 3600 + 3600);
}

TEST_F(UsageScanTest, OldestOfSeveralEndRecordsEndsTheSession) {
  std::int64_t now = kToday + 12 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{6006, kToday + 9 * 3600 + 1800}, {42, kToday + 9 * 3600}, {6005, kToday + 8 * 3600}});
  // The current run (no start record of its own) is still open until the
  // end record, then 08:00-09:00.
  EXPECT_EQ(scan.Usage(0), 3600);
}

TEST_F(UsageScanTest, StartWithoutEndIsSkipped) {
  std::int64_t now = kToday + 13 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{6005, kToday + 12 * 3600}, {6005, kToday + 8 * 3600}});
  EXPECT_EQ(scan.Usage(0), 3600);
}

TEST_F(UsageScanTest, SessionIsChargedWholeToItsStartDayInAccountingTime) {
  std::int64_t now = kToday + 3 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{6006, kToday + 3600}, {6005, kToday - 3600}});
  EXPECT_EQ(scan.Usage(0), 0);
  EXPECT_EQ(scan.Usage(1), 7200);

  // With a one-hour adjustment a start at 00:30 belongs to the day before.
  UsageScan adjusted(days, now, now - 3600, 3600, &DayOf, nullptr);
  Run(adjusted, {{6006, kToday + 7200}, {6005, kToday + 1800}});
  EXPECT_EQ(adjusted.Usage(1), 5400);
}

TEST_F(UsageScanTest, ClockSetInsideASessionDoesNotCutIt) {
  std::int64_t now = kToday + 12 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{1, kToday + 10 * 3600, kKernelGeneralSource}, {6005, kToday + 8 * 3600}});
  EXPECT_EQ(scan.Usage(0), 4 * 3600) << "08:00 to now, not 10:00 to now";
}

TEST_F(UsageScanTest, ModernStandbyIsNotCharged) {
  std::int64_t now = kToday + 18 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{507, kToday + 17 * 3600, kKernelPowerSource},
             {506, kToday + 12 * 3600, kKernelPowerSource},
             {6005, kToday + 7 * 3600}});
  EXPECT_EQ(scan.Usage(0), 3600 + 5 * 3600);
}

TEST_F(UsageScanTest, StopsAfterTheFirstSessionTwoDaysOld) {
  std::int64_t now = kToday + 20 * 3600;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  std::vector<EventRecord> log;
  for (int hours : {10, 30, 47, 49, 60}) {
    log.push_back({6006, now - hours * 3600 + 600});
    log.push_back({6005, now - hours * 3600});
  }
  EXPECT_EQ(Run(scan, log), 8) << "the 49-hour session is the last one read";
  std::int64_t total = 0;
  for (int i = 0; i < kUsageDays; ++i)
    total += scan.Usage(i);
  EXPECT_EQ(total, 4 * 600); // the 60-hour session is never reached
}

TEST_F(UsageScanTest, AnOldSessionIsNotChargedToARecentDayOfTheSameNumber) {
  std::int64_t now = kToday + 10 * 3600;
  // Day numbers repeat every month; keys do not. A session 31 days old must
  // land nowhere, not on today's bucket.
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  Run(scan, {{6006, now - 31 * kDay + 3600}, {6005, now - 31 * kDay}});
  for (int i = 0; i < kUsageDays; ++i)
    EXPECT_EQ(scan.Usage(i), 0) << i;
}

TEST_F(UsageScanTest, HugeDurationsSaturate) {
  std::int64_t now = kToday + 100;
  UsageScan scan(days, now, now, 0, &DayOf, nullptr);
  for (int i = 0; i < 5; ++i)
    scan.Feed({6005, now - 1, kEventLogSource}); // open, then skipped: only the first counts
  EXPECT_EQ(scan.Usage(0), 1);
  UsageScan far(days, 0x7FFFFFFFFFLL, now, 0, &DayOf, nullptr);
  far.Feed({6005, kToday + 1, kEventLogSource});
  EXPECT_EQ(far.Usage(0), 2147483647);
}

} // namespace
} // namespace hg
