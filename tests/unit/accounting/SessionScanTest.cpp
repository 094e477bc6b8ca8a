#include "accounting/SessionScan.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(ClassifyEventTest, StartEndAndOtherIdsWithBit31Ignored) {
  EXPECT_EQ(ClassifyEvent(6005), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(1), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(6006), EventKind::End);
  EXPECT_EQ(ClassifyEvent(42), EventKind::End);
  EXPECT_EQ(ClassifyEvent(0x80000000u | 6005), EventKind::Start);
  EXPECT_EQ(ClassifyEvent(0x80000000u | 42), EventKind::End);
  // Only bit 31 is cleared: a set qualifier bit makes another identifier.
  EXPECT_EQ(ClassifyEvent(0x40000000u | 6005), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(7036), EventKind::Other);
  EXPECT_EQ(ClassifyEvent(0), EventKind::Other);
}

TEST(ParseEventRecordTest, ReadsIdAndTimeFromTheRecordLayout) {
  std::string bytes = sim::SimPlatform::EncodeEventRecord(EventRecord{0x80001771u, 1704412800}, 7);
  EventRecord record;
  ASSERT_TRUE(ParseEventRecord(bytes.data(), bytes.size(), &record));
  EXPECT_EQ(record.eventId, 0x80001771u);
  EXPECT_EQ(record.timeGenerated, 1704412800);
}

TEST(ParseEventRecordTest, RefusesShortOrInconsistentBytes) {
  std::string bytes = sim::SimPlatform::EncodeEventRecord(EventRecord{6005, 1}, 1);
  EventRecord record;
  EXPECT_FALSE(ParseEventRecord(bytes.data(), 55, &record));
  EXPECT_FALSE(ParseEventRecord(nullptr, 100, &record));
  std::string lying = bytes;
  lying[0] = static_cast<char>(0xFF); // says longer than it is
  EXPECT_FALSE(ParseEventRecord(lying.data(), lying.size(), &record));
  std::string tiny = bytes;
  tiny[0] = 8; // shorter than a record can be
  tiny[1] = tiny[2] = tiny[3] = 0;
  EXPECT_FALSE(ParseEventRecord(tiny.data(), tiny.size(), &record));
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
  // Feeds newest-first records; returns how many were taken before the stop.
  int Run(UsageScan& scan, const std::vector<EventRecord>& records) {
    int taken = 0;
    for (const EventRecord& r : records) {
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
    scan.Feed({6005, now - 1}); // open, then skipped: only the first counts
  EXPECT_EQ(scan.Usage(0), 1);
  UsageScan far(days, 0x7FFFFFFFFFLL, now, 0, &DayOf, nullptr);
  far.Feed({6005, kToday + 1});
  EXPECT_EQ(far.Usage(0), 2147483647);
}

} // namespace
} // namespace hg
