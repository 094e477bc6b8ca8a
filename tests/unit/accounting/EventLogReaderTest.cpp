// The reader over the simulated log: many records per request, a buffer of
// its own for a record larger than the usual one, and every way a scan ends
// leaves the log closed and no buffer behind.
#include "accounting/EventLogReader.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

#include <vector>

namespace hg {
namespace {

class EventLogReaderTest : public ::testing::Test {
protected:
  sim::SimPlatform platform;
  std::vector<std::int64_t> seen; // times of the records handed over

  // Records with times count, count - 1, ... 1, newest first.
  void LogOf(std::size_t count) {
    std::vector<EventRecord> log;
    for (std::size_t i = count; i > 0; --i)
      log.push_back(EventRecord{i % 3 == 0 ? 7036u : 6005u, static_cast<std::int64_t>(i)});
    platform.SetEventLog(log);
  }
  void Add(std::int64_t time, std::size_t dataBytes = 0) {
    platform.AddRawEventRecord(sim::SimPlatform::EncodeEventRecord(
        EventRecord{6005, time}, static_cast<std::uint32_t>(time), dataBytes));
  }
  void Scan(std::size_t stopAfter = SIZE_MAX) {
    seen.clear();
    ReadSystemLogBackwards(platform, [&](const EventRecord& r) {
      seen.push_back(r.timeGenerated);
      return seen.size() < stopAfter;
    });
  }
  void ExpectClosedAndReleased() {
    EXPECT_EQ(platform.OpenEventLogs(), 0);
    EXPECT_EQ(platform.LiveAllocations(), 0);
  }
  static std::vector<std::int64_t> Descending(std::int64_t from, std::int64_t to) {
    std::vector<std::int64_t> v;
    for (std::int64_t t = from; t >= to; --t)
      v.push_back(t);
    return v;
  }
};

TEST_F(EventLogReaderTest, ManyRecordsPerRequestInOneBuffer) {
  LogOf(2000);
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < 2000; ++i)
    bytes +=
        sim::SimPlatform::EncodeEventRecord(EventRecord{i % 3 == 0 ? 7036u : 6005u, 1}, 1).size();
  Scan();
  EXPECT_EQ(seen, Descending(2000, 1));
  // Whole 64 KiB buffers, then the request that meets the end of the log.
  std::size_t full = (bytes + kEventReadBufferSize - 1) / kEventReadBufferSize;
  EXPECT_GE(platform.EventLogReads(), full + 1);
  EXPECT_LE(platform.EventLogReads(), full + 2);
  EXPECT_EQ(platform.AllocationsMade(), 1u) << "one buffer for the whole scan";
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, TheVisitorStopsTheScanWithoutAnotherRequest) {
  LogOf(2000);
  Scan(10);
  EXPECT_EQ(seen, Descending(2000, 1991));
  EXPECT_EQ(platform.EventLogReads(), 1u);
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, ARecordLargerThanTheBufferGetsABufferOfItsSize) {
  Add(5);
  Add(4);
  Add(3, 70000); // more than 64 KiB of event data
  Add(2);
  Add(1, 100000);
  Scan();
  EXPECT_EQ(seen, Descending(5, 1));
  // 5 and 4; too small for 3; 3 alone; 2 (and not 1); too small for 1; 1; the end.
  EXPECT_EQ(platform.EventLogReads(), 7u);
  EXPECT_EQ(platform.AllocationsMade(), 3u);
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, ARecordLargerThanARequestMayTakeEndsTheScan) {
  Add(3);
  Add(2, kMaxEventReadSize); // more than 0x7FFFF bytes with its fixed part
  Add(1);
  Scan();
  EXPECT_EQ(seen, Descending(3, 3));
  EXPECT_EQ(platform.AllocationsMade(), 1u);
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, AMalformedLengthEndsTheScanSafely) {
  Add(4);
  Add(3);
  std::string damaged = sim::SimPlatform::EncodeEventRecord(EventRecord{6005, 2}, 2);
  damaged[0] = static_cast<char>(0xF0); // claims more than the bytes read
  damaged[1] = static_cast<char>(0xFF);
  platform.AddRawEventRecord(damaged);
  Add(1);
  Scan();
  EXPECT_EQ(seen, Descending(4, 3));
  EXPECT_EQ(platform.EventLogReads(), 1u);
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, AReadFailingAfterSomeBuffersKeepsWhatCameBefore) {
  LogOf(3000);
  platform.FailEventReadAt(2500);
  Scan();
  EXPECT_EQ(seen, Descending(3000, 501)) << "every record before the unreadable one";
  EXPECT_GE(platform.EventLogReads(), 4u);
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, AFailedAllocationEndsTheScan) {
  LogOf(10);
  platform.FailAllocationAfter(0);
  Scan();
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(platform.EventLogReads(), 0u);
  ExpectClosedAndReleased();

  // The buffer for a large record cannot be had: the records before it stay.
  sim::SimPlatform& p = platform;
  p.SetEventLog({});
  Add(3);
  Add(2, 100000);
  Add(1);
  p.FailAllocationAfter(1);
  Scan();
  EXPECT_EQ(seen, Descending(3, 3));
  ExpectClosedAndReleased();
}

TEST_F(EventLogReaderTest, AnEmptyOrUnopenableLogHasNoRecords) {
  // Wine's log: the first request fails with ERROR_HANDLE_EOF.
  Scan();
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(platform.EventLogReads(), 1u);
  ExpectClosedAndReleased();

  LogOf(5);
  platform.MakeEventLogUnopenable();
  Scan();
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(platform.AllocationsMade(), 1u) << "no buffer for a log that did not open";
  ExpectClosedAndReleased();
}

} // namespace
} // namespace hg
