#include "store/RegistryStore.h"
#include "platform/sim/SimPlatform.h"
#include "store/ValueNames.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

constexpr const char* kKey = reg::kProgramKey;

class RegistryStoreTest : public ::testing::Test {
protected:
  sim::SimPlatform platform;
  std::string Read(const char* name) {
    return ReadRegString(platform, kHkeyLocalMachine, kKey, name);
  }
};

TEST_F(RegistryStoreTest, WriteCreatesTheKeyAndStoresSzWithoutTerminator) {
  ASSERT_FALSE(platform.RegKeyExists(kKey));
  WriteRegString(platform, kHkeyLocalMachine, kKey, "LastTime", "3600");
  auto raw = platform.RegRaw(kKey, "LastTime");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw->data, "3600"); // four bytes, no zero
  EXPECT_TRUE(platform.RegKeyExists("SOFTWARE"));
  EXPECT_EQ(Read("LastTime"), "3600");
}

TEST_F(RegistryStoreTest, WriteOpensForWritingAndCreatesOnlyWhenMissing) {
  WriteRegString(platform, kHkeyLocalMachine, kKey, "A", "1");
  platform.ClearRegJournal();
  WriteRegString(platform, kHkeyLocalMachine, kKey, "A", "2");
  const auto& journal = platform.RegJournal();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0].op, sim::RegOp::Open);
  EXPECT_EQ(journal[0].access, static_cast<DWORD>(KEY_WRITE));
  EXPECT_EQ(journal[1].op, sim::RegOp::Set);
}

TEST_F(RegistryStoreTest, EmptyTextIsAZeroByteValueThatReadsEmpty) {
  WriteRegString(platform, kHkeyLocalMachine, kKey, "LastTimeAdjust", "");
  auto raw = platform.RegRaw(kKey, "LastTimeAdjust");
  ASSERT_TRUE(raw);
  EXPECT_TRUE(raw->data.empty());
  EXPECT_EQ(ReadRegNumber(platform, kHkeyLocalMachine, kKey, "LastTimeAdjust", 77), 77);
}

TEST_F(RegistryStoreTest, ReadLimitIs256BytesAndLongerReadsEmpty) {
  platform.SetRegText(kKey, "Exact", std::string(256, 'x'));
  platform.SetRegText(kKey, "Long", std::string(257, 'x'));
  EXPECT_EQ(Read("Exact"), std::string(256, 'x'));
  EXPECT_EQ(Read("Long"), "");
  platform.SetRegText(kKey, "LimitTime", std::string(300, '9'));
  EXPECT_EQ(ReadRegNumber(platform, kHkeyLocalMachine, kKey, "LimitTime", 60), 60);
}

TEST_F(RegistryStoreTest, ReadCutsAtEmbeddedZeroAndIgnoresType) {
  platform.SetRegRaw(kKey, "Term", REG_SZ, std::string("45\0", 3));
  platform.SetRegRaw(kKey, "Mid", REG_SZ,
                     std::string("12\0"
                                 "99",
                                 5));
  platform.SetRegRaw(kKey, "Dword", REG_DWORD, std::string("\x2a\0\0\0", 4));
  platform.SetRegRaw(kKey, "Binary", REG_BINARY, std::string("77z", 3));
  EXPECT_EQ(Read("Term"), "45");
  EXPECT_EQ(Read("Mid"), "12");
  EXPECT_EQ(Read("Dword"), "*"); // raw bytes taken as text
  EXPECT_EQ(Read("Binary"), "77z");
}

TEST_F(RegistryStoreTest, MissingKeyOrValueReadsEmptyAndDeleteDoesNothing) {
  EXPECT_EQ(Read("Nothing"), "");
  DeleteRegValue(platform, kHkeyLocalMachine, kKey, "Nothing");
  EXPECT_FALSE(platform.RegKeyExists(kKey));
  platform.SetRegText(kKey, "Other", "x");
  EXPECT_EQ(Read("Nothing"), "");
}

TEST_F(RegistryStoreTest, ReadOnlyKeyKeepsTheOldValue) {
  platform.SetRegText(kKey, "LastTime", "100");
  platform.MakeKeyReadOnly(kKey);
  WriteRegString(platform, kHkeyLocalMachine, kKey, "LastTime", "99");
  EXPECT_EQ(Read("LastTime"), "100");
  // Access denied is not "not found": no creation is tried.
  for (const auto& access : platform.RegJournal())
    EXPECT_NE(access.op, sim::RegOp::Create);
  DeleteRegValue(platform, kHkeyLocalMachine, kKey, "LastTime");
  EXPECT_EQ(Read("LastTime"), "100");
}

TEST_F(RegistryStoreTest, UnreadableKeyReadsEmptyUncreatableKeyWritesNothing) {
  platform.SetRegText(kKey, "LimitTime", "90");
  platform.MakeKeyUnreadable(kKey);
  EXPECT_EQ(Read("LimitTime"), "");
  platform.MakeKeyUncreatable("SOFTWARE\\Other");
  WriteRegString(platform, kHkeyLocalMachine, "SOFTWARE\\Other", "X", "1");
  EXPECT_FALSE(platform.RegKeyExists("SOFTWARE\\Other"));
}

TEST_F(RegistryStoreTest, DeleteRemovesOnlyThatValue) {
  platform.SetRegText(kKey, "A", "1");
  platform.SetRegText(kKey, "B", "2");
  DeleteRegValue(platform, kHkeyLocalMachine, kKey, "A");
  EXPECT_FALSE(platform.RegRaw(kKey, "A"));
  EXPECT_EQ(Read("B"), "2");
}

TEST(StoredNumberTest, LeadingIntegerRule) {
  EXPECT_EQ(ParseStoredNumber("60"), 60);
  EXPECT_EQ(ParseStoredNumber("  42min"), 42);
  EXPECT_EQ(ParseStoredNumber("-15"), -15);
  EXPECT_EQ(ParseStoredNumber("+7"), 7);
  EXPECT_EQ(ParseStoredNumber("\t 8"), 8);
  EXPECT_EQ(ParseStoredNumber("abc"), 0);
  EXPECT_EQ(ParseStoredNumber("--5"), 0);
  EXPECT_EQ(ParseStoredNumber("- 5"), 0);
  EXPECT_EQ(ParseStoredNumber("12 34"), 12);
}

TEST(StoredNumberTest, HugeNumbersSaturateInsteadOfWrapping) {
  EXPECT_EQ(ParseStoredNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseStoredNumber("2147483648"), 2147483647);
  EXPECT_EQ(ParseStoredNumber("99999999999999999999999"), 2147483647);
  EXPECT_EQ(ParseStoredNumber("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseStoredNumber("-99999999999999999999"), -2147483647 - 1);
}

TEST_F(RegistryStoreTest, NumbersAreWrittenAsDecimalText) {
  WriteRegNumber(platform, kHkeyLocalMachine, kKey, "LastTime", -5);
  EXPECT_EQ(platform.RegText(kKey, "LastTime"), "-5");
  platform.SetRegText(kKey, "LimitTime", "abc");
  EXPECT_EQ(ReadRegNumber(platform, kHkeyLocalMachine, kKey, "LimitTime", 60), 0);
}

TEST_F(RegistryStoreTest, AutostartEntryIsTheQuotedModulePath) {
  platform.SetModulePath("C:\\Program Files\\Hourgauge\\hourgauge.exe");
  WriteAutostartEntry(platform);
  EXPECT_EQ(platform.RegText(reg::kRunKey, "Hourgauge"),
            "\"C:\\Program Files\\Hourgauge\\hourgauge.exe\"");
  EXPECT_EQ(platform.RegRaw(reg::kRunKey, "Hourgauge")->type, static_cast<DWORD>(REG_SZ));
}

TEST_F(RegistryStoreTest, AutostartEntryOfAPathFillingTheBufferIsCutNotOverrun) {
  platform.SetModulePath(std::string(300, 'p'));
  WriteAutostartEntry(platform);
  EXPECT_EQ(platform.RegText(reg::kRunKey, "Hourgauge"), "\"" + std::string(255, 'p') + "\"");
}

// Sets written to the Run key since the journal was cleared.
std::size_t RunKeyWrites(const sim::SimPlatform& platform) {
  std::size_t n = 0;
  for (const auto& w : platform.RegWrites())
    n += w.key == reg::kRunKey && w.op != sim::RegOp::Open ? 1 : 0;
  return n;
}

TEST_F(RegistryStoreTest, IdenticalAutostartEntryIsNotWrittenAgain) {
  platform.SetModulePath("C:\\Tools\\hourgauge.exe");
  platform.SetRegText(reg::kRunKey, "Hourgauge", "\"C:\\Tools\\hourgauge.exe\"");
  platform.ClearRegJournal();
  WriteAutostartEntry(platform);
  EXPECT_EQ(RunKeyWrites(platform), 0u);
  EXPECT_EQ(platform.RegText(reg::kRunKey, "Hourgauge"), "\"C:\\Tools\\hourgauge.exe\"");
}

TEST_F(RegistryStoreTest, OldUnquotedOrMovedAutostartEntryIsRewrittenQuoted) {
  platform.SetModulePath("C:\\Program Files\\Hourgauge\\hourgauge.exe");
  for (const char* old :
       {"C:\\Program Files\\Hourgauge\\hourgauge.exe", "\"D:\\Old\\hourgauge.exe\""}) {
    platform.SetRegText(reg::kRunKey, "Hourgauge", old);
    platform.ClearRegJournal();
    WriteAutostartEntry(platform);
    EXPECT_EQ(RunKeyWrites(platform), 1u) << old;
    EXPECT_EQ(platform.RegText(reg::kRunKey, "Hourgauge"),
              "\"C:\\Program Files\\Hourgauge\\hourgauge.exe\"");
  }
}

// A start without the rights to the Run key goes on: nothing is written,
// and the entry stays as it was.
TEST_F(RegistryStoreTest, ReadOnlyRunKeyKeepsItsEntry) {
  platform.SetModulePath("C:\\Tools\\hourgauge.exe");
  platform.SetRegText(reg::kRunKey, "Hourgauge", "C:\\Tools\\hourgauge.exe");
  platform.MakeKeyReadOnly(reg::kRunKey);
  platform.ClearRegJournal();
  WriteAutostartEntry(platform);
  EXPECT_EQ(platform.RegText(reg::kRunKey, "Hourgauge"), "C:\\Tools\\hourgauge.exe");
  for (const auto& w : platform.RegWrites())
    EXPECT_NE(w.op, sim::RegOp::Set);
}

} // namespace
} // namespace hg
