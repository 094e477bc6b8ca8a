#include "ProgramHarness.h"
#include "accounting/AccountingTime.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

TEST(DayKeyTest, KnownKeysAndOrder) {
  EXPECT_EQ(MakeDayKey(LocalTm{2023, 12, 31}), 752959);
  EXPECT_EQ(MakeDayKey(LocalTm{2024, 1, 5}), 752964);
  // Keys jump after short months but stay ordered.
  EXPECT_LT(MakeDayKey(LocalTm{2024, 2, 29}), MakeDayKey(LocalTm{2024, 3, 1}));
  EXPECT_EQ(MakeDayKey(LocalTm{2024, 3, 1}) - MakeDayKey(LocalTm{2024, 2, 29}), 3);
}

TEST(DayKeyTest, AdjustmentMovesTheDayStart) {
  sim::SimPlatform platform;
  platform.SetTimeZone("Asia/Tokyo");
  platform.SetTime(platform.LocalTime(2024, 1, 6, 0, 30));
  EXPECT_EQ(MakeDayKey(platform, AccountingNow(platform, 60)), 752964);
  EXPECT_EQ(MakeDayKey(platform, AccountingNow(platform, 0)), 752965);
}

TEST(DayKeyTest, DaylightSavingZoneKeepsLocalDates) {
  sim::SimPlatform platform;
  platform.SetTimeZone("Europe/Berlin");
  // 31 March 2024: clocks go from 02:00 to 03:00; the day is 23 hours long.
  std::int64_t before = platform.LocalTime(2024, 3, 31, 0, 0);
  std::int64_t after = platform.LocalTime(2024, 4, 1, 0, 0);
  EXPECT_EQ(after - before, 23 * 3600);
  EXPECT_EQ(MakeDayKey(platform, after - 1), MakeDayKey(LocalTm{2024, 3, 31}));
  EXPECT_EQ(MakeDayKey(platform, after), MakeDayKey(LocalTm{2024, 4, 1}));
}

TEST(SaturationTest, MinutesToSecondsNeverWraps) {
  EXPECT_EQ(MinutesToSeconds(60), 3600);
  EXPECT_EQ(MinutesToSeconds(-5), -300);
  EXPECT_EQ(MinutesToSeconds(35791394), 2147483640);
  EXPECT_EQ(MinutesToSeconds(35791395), 2147483647);
  EXPECT_EQ(MinutesToSeconds(-2147483647 - 1), -2147483647 - 1);
}

class SettleTest : public ::testing::Test {
protected:
  Program p;
  void SetUp() override { p.At(2024, 1, 5, 9, 15); }
  std::string Key(int offset = 0) { return std::to_string(752964 + offset); }
};

TEST_F(SettleTest, FirstRunOnAnEmptyStoreStartsANewDay) {
  p.Start();
  EXPECT_EQ(p.Get("LastDate"), Key());
  EXPECT_EQ(p.Get("LastTime"), "3600");
  EXPECT_EQ(p.Get("DayTotal2"), "");
  EXPECT_EQ(p.Get("DayTotal"), "");
  EXPECT_EQ(p.Get("LastTimeAdjust"), ""); // cleared with empty text, not "0"
  EXPECT_FALSE(p.Get("LimitTime"));       // read, never written here
  EXPECT_EQ(p.wnd->m_accountant.LimitTime(), 60);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600);
  EXPECT_EQ(p.PowerOffs(), 0u);
  auto writes = p.ProgramWrites();
  ASSERT_GE(writes.size(), 5u);
  EXPECT_EQ(writes[0], "DayTotal2=");
  EXPECT_EQ(writes[1], "DayTotal=");
  EXPECT_EQ(writes[2], "LastTimeAdjust=");
  EXPECT_EQ(writes[3], "LastDate=" + Key());
  EXPECT_EQ(writes[4], "LastTime=3600");
}

TEST_F(SettleTest, NewDayRollsTheListOverAndDropsTheCredit) {
  p.Set("LastDate", Key(-1));
  p.Set("LastTime", "12");
  p.Set("LastTimeAdjust", "1500");
  p.Set("DayTotal", "\n01/04 08:00:00 - 01/04 09:00:00 (60min)");
  p.Set("LimitTime", "90");
  p.Start();
  EXPECT_EQ(p.Get("DayTotal2"), "\n01/04 08:00:00 - 01/04 09:00:00 (60min)");
  EXPECT_EQ(p.Get("LastTime"), "5400");
  EXPECT_EQ(p.Get("LastTimeAdjust"), "");
  EXPECT_EQ(p.wnd->m_accountant.LastTimeAdjust(), 0);
}

TEST_F(SettleTest, SameDayRestartGetsAtLeastAMinute) {
  for (const char* stored : {"0", "45", "-3"}) {
    Program q;
    q.At(2024, 1, 5, 9, 15);
    q.Set("LastDate", Key());
    q.Set("LastTime", stored);
    q.Set("LastTimeAdjust", "100");
    q.Start();
    EXPECT_EQ(q.Get("LastTime"), "60") << stored;
    EXPECT_EQ(q.wnd->m_accountant.LastTimeAdjust(), 100) << "the credit stays on the same day";
  }
  p.Set("LastDate", Key());
  p.Set("LastTime", "1234");
  p.Start();
  EXPECT_EQ(p.Get("LastTime"), "1234");
}

TEST_F(SettleTest, ClockTurnedBackKeepsTheLaterDayAndPowersOffAfterTheMinute) {
  p.Set("LastDate", Key(+1));
  p.Set("LastTime", "30");
  p.Start();
  EXPECT_EQ(p.PowerOffs(), 0u);
  EXPECT_TRUE(p.wnd->m_accountant.LaterDayPending());
  EXPECT_EQ(p.Get("LastDate"), Key(+1));
  EXPECT_EQ(p.Get("LastTime"), "60") << "the larger of a minute and the stored 30";
  p.Tick(60);
  ASSERT_EQ(p.PowerOffs(), 1u);
  EXPECT_EQ(p.platform.PowerOffRequests()[0].flags,
            static_cast<UINT>(EWX_POWEROFF | EWX_FORCE | EWX_FORCEIFHUNG));
  EXPECT_EQ(p.platform.PowerOffRequests()[0].reason,
            static_cast<DWORD>(SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
                               SHTDN_REASON_FLAG_PLANNED));
  EXPECT_EQ(p.Logoffs(), 0u) << "the power-off was granted";
  EXPECT_EQ(p.Get("LastDate"), Key(+1));
}

TEST_F(SettleTest, ClockTurnedBackKeepsALargerStoredRemainder) {
  p.Set("LastDate", Key(+3));
  p.Set("LastTime", "700");
  p.Start();
  EXPECT_EQ(p.Get("LastTime"), "700");
}

TEST_F(SettleTest, LimitZeroOrNotANumberStillGrantsTheMinute) {
  p.Set("LimitTime", "0");
  p.Start();
  EXPECT_EQ(p.Get("LastTime"), "60");
  Program q;
  q.At(2024, 1, 5, 9, 15);
  q.Set("LimitTime", "abc");
  q.Start();
  EXPECT_EQ(q.wnd->m_accountant.LimitTime(), 0);
  EXPECT_EQ(q.Get("LastTime"), "60");
}

TEST_F(SettleTest, EmptyLastTimeMeansTheFullLimit) {
  p.Set("LastDate", Key());
  p.Set("LastTime", "");
  p.Set("LimitTime", "30");
  p.Start();
  EXPECT_EQ(p.Get("LastTime"), "1800");
}

TEST_F(SettleTest, NonNumericLastDateCountsAsANewDay) {
  p.Set("LastDate", "yesterday");
  p.Set("LastTime", "5");
  p.Start();
  EXPECT_EQ(p.Get("LastDate"), Key());
  EXPECT_EQ(p.Get("LastTime"), "3600");
}

TEST_F(SettleTest, HugeStoredLimitSaturatesInsteadOfOverflowing) {
  p.Set("LimitTime", "999999999");
  p.Start();
  EXPECT_EQ(p.Get("LastTime"), "2147483647");
  p.Tick(1);
  EXPECT_EQ(p.Get("LastTime"), "2147483646");
}

TEST_F(SettleTest, AdjustmentAtHalfPastMidnightStaysOnThePreviousDay) {
  p.At(2024, 1, 6, 0, 30);
  p.Set("AdjustTime", "60");
  p.Set("LastDate", Key());
  p.Set("LastTime", "900");
  p.Start();
  EXPECT_EQ(p.Get("LastDate"), Key());
  EXPECT_EQ(p.Get("LastTime"), "900");
}

TEST_F(SettleTest, AutostartEntryIsTheFirstRegistryAccessEvenOnALaterStoredDay) {
  p.Set("LastDate", Key(+1));
  p.platform.SetModulePath("D:\\hg\\hourgauge.exe");
  p.Start();
  const auto& journal = p.platform.RegJournal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal[0].key, reg::kRunKey);
  std::optional<sim::RegAccess> firstSet;
  for (const auto& w : p.platform.RegWrites())
    if (w.op == sim::RegOp::Set && !firstSet)
      firstSet = w;
  ASSERT_TRUE(firstSet);
  EXPECT_EQ(firstSet->key, reg::kRunKey);
  EXPECT_EQ(firstSet->name, "Hourgauge");
  EXPECT_EQ(firstSet->data, "\"D:\\hg\\hourgauge.exe\"");
  EXPECT_TRUE(p.wnd->m_accountant.LaterDayPending());
}

TEST_F(SettleTest, UnwritableStoreLeavesStartUpRunningOnDefaults) {
  p.Set("LastDate", Key());
  p.Set("LastTime", "500");
  p.platform.MakeKeyReadOnly(reg::kProgramKey);
  p.Start();
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 500);
  EXPECT_EQ(p.Get("LastTime"), "500");
  EXPECT_TRUE(p.Alive());
}

TEST_F(SettleTest, UnreadableStoreReadsAsFirstRun) {
  p.Set("LastDate", Key());
  p.Set("LastTime", "500");
  p.Set("LimitTime", "10");
  p.platform.MakeKeyUnreadable(reg::kProgramKey);
  p.Start();
  EXPECT_EQ(p.wnd->m_accountant.LimitTime(), 60);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600);
}

} // namespace
} // namespace hg::test
