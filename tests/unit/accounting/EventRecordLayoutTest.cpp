#include "accounting/EventRecordLayout.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hg {
namespace {

std::uint32_t DwordAt(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

void PutDword(std::string* bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    (*bytes)[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i) & 0xFF);
}

TEST(ParseEventRecordTest, ReadsIdAndTimeFromTheRecordLayout) {
  std::string bytes = sim::SimPlatform::EncodeEventRecord(EventRecord{0x80001771u, 1704412800}, 7);
  EventRecord record;
  ASSERT_TRUE(ParseEventRecord(bytes.data(), bytes.size(), &record));
  EXPECT_EQ(record.eventId, 0x80001771u);
  EXPECT_EQ(record.timeGenerated, 1704412800);
  EXPECT_EQ(record.source, "EventLog");
}

TEST(ParseEventRecordTest, SourceIsTheTextAfterTheFixedPart) {
  std::string bytes = sim::SimPlatform::EncodeEventRecord(
      EventRecord{1, 1704412800, "Microsoft-Windows-Kernel-General"}, 3);
  // The layout Windows writes: the source right after the 56 fixed bytes,
  // then the computer name, the DWORD-aligned offsets, the length at both ends.
  EXPECT_EQ(bytes.compare(56, 33, std::string("Microsoft-Windows-Kernel-General\0", 33)), 0);
  EXPECT_EQ(bytes.compare(89, 8, std::string("KIDS-PC\0", 8)), 0);
  EXPECT_EQ(DwordAt(bytes, 0), bytes.size());
  EXPECT_EQ(DwordAt(bytes, bytes.size() - 4), bytes.size());
  EXPECT_EQ(bytes.size() % 4, 0u);
  EXPECT_EQ(DwordAt(bytes, 36) % 4, 0u); // StringOffset
  EXPECT_EQ(DwordAt(bytes, 52), DwordAt(bytes, 36));
  EventRecord record;
  ASSERT_TRUE(ParseEventRecord(bytes.data(), bytes.size(), &record));
  EXPECT_EQ(record.source, "Microsoft-Windows-Kernel-General");
  EXPECT_EQ(record.source.data(), bytes.data() + 56) << "a view into the bytes read";
}

TEST(ParseEventRecordTest, SourceNeverRunsPastTheRecord) {
  // A fixed part alone: no room for a name.
  std::string bare(56, '\0');
  PutDword(&bare, 0, 56);
  PutDword(&bare, 20, 6005);
  EventRecord record;
  ASSERT_TRUE(ParseEventRecord(bare.data(), bare.size(), &record));
  EXPECT_TRUE(record.source.empty());
  EXPECT_EQ(record.eventId, 6005u);
  // A name without its NUL ends with the record, not in the next one.
  std::string unterminated = bare + "Microsoft-Windows-Kernel-General" + "EventLog";
  PutDword(&unterminated, 0, 56 + 32);
  ASSERT_TRUE(ParseEventRecord(unterminated.data(), unterminated.size(), &record));
  EXPECT_EQ(record.source, "Microsoft-Windows-Kernel-General");
}

TEST(ParseEventRecordTest, RefusesShortOrInconsistentBytes) {
  std::string bytes = sim::SimPlatform::EncodeEventRecord(EventRecord{6005, 1}, 1);
  EventRecord record{0xDEAD, -7};
  EXPECT_FALSE(ParseEventRecord(bytes.data(), 55, &record));
  EXPECT_FALSE(ParseEventRecord(nullptr, 100, &record));
  std::string lying = bytes;
  lying[0] = static_cast<char>(0xFF); // says longer than it is
  EXPECT_FALSE(ParseEventRecord(lying.data(), lying.size(), &record));
  std::string tiny = bytes;
  tiny[0] = 8; // shorter than a record can be
  tiny[1] = tiny[2] = tiny[3] = 0;
  EXPECT_FALSE(ParseEventRecord(tiny.data(), tiny.size(), &record));
  EXPECT_EQ(record.eventId, 0xDEADu) << "a refused record leaves the output alone";
}

// The records a walk hands over, as "id@time/source".
struct Seen {
  std::vector<std::string> records;
  std::size_t stopAfter = 1000;
};
bool Collect(void* context, const EventRecord& r) {
  auto* seen = static_cast<Seen*>(context);
  seen->records.push_back(std::to_string(r.eventId) + "@" + std::to_string(r.timeGenerated) + "/" +
                          std::string(r.source));
  return seen->records.size() < seen->stopAfter;
}

std::string ThreeRecords() {
  return sim::SimPlatform::EncodeEventRecord(
             EventRecord{507, 300, "Microsoft-Windows-Kernel-Power"}, 3) +
         sim::SimPlatform::EncodeEventRecord(EventRecord{7036, 200}, 2, 37) +
         sim::SimPlatform::EncodeEventRecord(EventRecord{6005, 100}, 1);
}

TEST(WalkEventRecordsTest, FindsEveryRecordByTheLengthOfTheOneBefore) {
  std::string bytes = ThreeRecords();
  Seen seen;
  EXPECT_EQ(WalkEventRecords(bytes.data(), bytes.size(), &Collect, &seen), EventWalk::Done);
  EXPECT_EQ(seen.records,
            (std::vector<std::string>{"507@300/Microsoft-Windows-Kernel-Power",
                                      "7036@200/Service Control Manager", "6005@100/EventLog"}));
  Seen none;
  EXPECT_EQ(WalkEventRecords(bytes.data(), 0, &Collect, &none), EventWalk::Done);
  EXPECT_TRUE(none.records.empty());
}

TEST(WalkEventRecordsTest, StopsWhenTheVisitorSaysSo) {
  std::string bytes = ThreeRecords();
  Seen seen;
  seen.stopAfter = 2;
  EXPECT_EQ(WalkEventRecords(bytes.data(), bytes.size(), &Collect, &seen), EventWalk::Stopped);
  EXPECT_EQ(seen.records.size(), 2u);
}

TEST(WalkEventRecordsTest, AMalformedLengthEndsTheWalkAtThatRecord) {
  std::string bytes = ThreeRecords();
  std::size_t second = DwordAt(bytes, 0);
  struct Case {
    const char* what;
    std::uint32_t length;
  };
  for (Case c : {Case{"zero", 0}, Case{"below the fixed part", 55},
                 Case{"past the bytes read", static_cast<std::uint32_t>(bytes.size())},
                 Case{"huge", 0xFFFFFFFFu}}) {
    std::string damaged = bytes;
    PutDword(&damaged, second, c.length);
    Seen seen;
    EXPECT_EQ(WalkEventRecords(damaged.data(), damaged.size(), &Collect, &seen),
              EventWalk::Malformed)
        << c.what;
    EXPECT_EQ(seen.records.size(), 1u) << c.what;
  }
  // Bytes that end inside a record: the records before it were whole.
  Seen cut;
  EXPECT_EQ(WalkEventRecords(bytes.data(), bytes.size() - 1, &Collect, &cut), EventWalk::Malformed);
  EXPECT_EQ(cut.records.size(), 2u);
  Seen stub;
  EXPECT_EQ(WalkEventRecords(bytes.data(), second + 10, &Collect, &stub), EventWalk::Malformed);
  EXPECT_EQ(stub.records.size(), 1u);
}

} // namespace
} // namespace hg
