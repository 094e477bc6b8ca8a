// A parent's week, second by second on the simulated Windows: weekday
// limits, bedtime, extra time, the first day and the later stored day's
// minute, with the engine alone.
#include "EngineRecorder.h"
#include "ProgramHarness.h"
#include "accounting/Accountant.h"
#include "store/ValueNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hg::test {
namespace {

class ParentsWeekTest : public ::testing::Test {
protected:
  sim::SimPlatform platform;
  Recorder recorder{platform};
  CAccountant accountant{platform, recorder, recorder};

  void SetUp() override { platform.SetTimeZone("Asia/Tokyo"); }
  void At(int year, int month, int day, int hour, int minute, int second = 0) {
    platform.SetTime(platform.LocalTime(year, month, day, hour, minute, second));
  }
  void Set(const char* name, const std::string& text) {
    platform.SetRegText(reg::kProgramKey, name, text);
  }
  std::string Get(const char* name) const {
    return platform.RegText(reg::kProgramKey, name).value_or("<absent>");
  }
  static std::string Key(int year, int month, int day) {
    return std::to_string(MakeDayKey(LocalTm{year, month, day}));
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      platform.SetTime(platform.Now() + 1);
      accountant.Tick();
    }
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& e : recorder.events)
      n += e.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  int PowerOffs() const { return Count("power-off"); }
  int Balloons(Balloon b) const { return Count("notice " + std::to_string(static_cast<int>(b))); }
};

TEST_F(ParentsWeekTest, WeekdayValueGivesTodayItsAllowanceAndAnEmptyOneTheEveryDayLimit) {
  At(2024, 1, 5, 9, 0); // a Friday
  Set("LimitTime", "60");
  Set("LimitTimeFri", "30");
  Set("LimitTimeSat", "");
  Set("LastDate", Key(2024, 1, 4));
  accountant.Start();
  EXPECT_EQ(Get("LastTime"), "1800");
  EXPECT_EQ(accountant.LimitTime(), 30);
  EXPECT_EQ(accountant.EveryDayLimit(), 60);
  EXPECT_EQ(accountant.Rules().weekdayLimit[6], kNoDayLimit);
  EXPECT_EQ(Get("LimitTime"), "60") << "the every-day limit is left as it was";
}

TEST_F(ParentsWeekTest, WeekdayChangesAtTheDayStartWithTheAdjustment) {
  // 02:59:50 on Saturday with the day starting at 03:00 is still Friday.
  At(2024, 1, 6, 2, 59, 50);
  Set("AdjustTime", "180");
  Set("LimitTime", "60");
  Set("LimitTimeFri", "30");
  Set("LimitTimeSat", "90");
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "1000");
  accountant.Start();
  EXPECT_EQ(accountant.LimitTime(), 30);
  Ticks(9);
  EXPECT_EQ(PowerOffs(), 0);
  Ticks(1); // 03:00:00: Saturday begins while the PC is on
  EXPECT_EQ(PowerOffs(), 1);
  EXPECT_EQ(Get("LastDate"), Key(2024, 1, 6));
  EXPECT_EQ(accountant.LimitTime(), 90);
  EXPECT_EQ(Get("LastTime"), "5399") << "Saturday's allowance for the next start";
}

TEST_F(ParentsWeekTest, BedtimeWarnsAtTenFiveAndOneMinuteThenPowersOffAsASpentDay) {
  At(2024, 1, 5, 20, 49);
  Set("Bedtime", "21:00");
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "3000");
  accountant.Start();
  EXPECT_EQ(Get("LastTime"), "660") << "no more than the 11 minutes to bedtime";
  Ticks(660); // 21:00:00
  EXPECT_EQ(accountant.LastTime(), 0);
  EXPECT_EQ(PowerOffs(), 0);
  EXPECT_EQ(Balloons(Balloon::TenMinutes), 1);
  EXPECT_EQ(Balloons(Balloon::FiveMinutes), 1);
  EXPECT_EQ(Balloons(Balloon::OneMinute), 1);
  Ticks(1);
  EXPECT_EQ(PowerOffs(), 1);
  EXPECT_EQ(Get("LastTime"), "0");
  Ticks(1);
  EXPECT_EQ(PowerOffs(), 2) << "asked again every tick, as for a spent allowance";
}

TEST_F(ParentsWeekTest, StartInsideTheBedtimeGetsTheSpentDayGrace) {
  At(2024, 1, 5, 21, 30);
  Set("Bedtime", "21:00");
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "3000");
  accountant.Start();
  EXPECT_EQ(Get("LastTime"), "60");
  Ticks(1);
  EXPECT_EQ(Balloons(Balloon::DaySpent), 1);
  Ticks(89);
  EXPECT_EQ(PowerOffs(), 0);
  Ticks(1); // the 91st tick, as on a spent day
  EXPECT_EQ(PowerOffs(), 1);
}

TEST_F(ParentsWeekTest, BedtimeAfterMidnightBelongsToTheAccountingDay) {
  // The day starts at 03:00; 00:30 on Saturday is Friday's, and its
  // bedtime of 01:00 is half an hour away.
  At(2024, 1, 6, 0, 30);
  Set("AdjustTime", "180");
  Set("Bedtime", "01:00");
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "3600");
  accountant.Start();
  EXPECT_EQ(Get("LastTime"), "1800");
}

TEST_F(ParentsWeekTest, BedtimeFoundBegunAfterSleepLeavesAMinute) {
  At(2024, 1, 5, 20, 0);
  Set("Bedtime", "21:00");
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "3000");
  platform.SetEventLog({Start(platform.Now() - 600)});
  accountant.Start();
  Ticks(40);
  At(2024, 1, 5, 21, 30); // the PC slept past the bedtime
  accountant.Tick();
  EXPECT_EQ(accountant.LastTime(), 60);
  Ticks(1);
  EXPECT_EQ(recorder.lastNotice.countdown, 60) << "the countdown window from the next tick";
  EXPECT_EQ(Balloons(Balloon::OneMinute), 1);
  Ticks(59);
  EXPECT_EQ(PowerOffs(), 0);
  Ticks(1);
  EXPECT_EQ(PowerOffs(), 1);
}

TEST_F(ParentsWeekTest, ExtraTimeAfterTheFiveMinuteWarningGrowsTheTimeAndWarnsAgain) {
  At(2024, 1, 5, 9, 0);
  // 55 minutes used since the boot, as the event log shows.
  platform.SetEventLog({Start(platform.Now() - 3295)});
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "305");
  accountant.Start();
  Ticks(10);
  ASSERT_EQ(Balloons(Balloon::FiveMinutes), 1);
  ASSERT_EQ(accountant.LastTime(), 295);
  accountant.AddExtraTime(15);
  EXPECT_EQ(accountant.LastTime(), 1195);
  EXPECT_EQ(Get("LastTime"), "1195");
  EXPECT_EQ(Get("LastTimeAdjust"), "900");
  // The recount at tick 30 agrees: the credit counts in it.
  Ticks(20);
  EXPECT_EQ(accountant.LastTime(), 1175);
  Ticks(575); // 600 left
  EXPECT_EQ(Balloons(Balloon::TenMinutes), 1) << "the ten-minute warning again";
  Ticks(301);
  EXPECT_EQ(Balloons(Balloon::FiveMinutes), 2);
  EXPECT_EQ(PowerOffs(), 0);
}

TEST_F(ParentsWeekTest, ExtraTimeGoesAtTheDayEnd) {
  At(2024, 1, 5, 23, 59, 50);
  Set("LastDate", Key(2024, 1, 5));
  Set("LastTime", "100");
  accountant.Start();
  accountant.AddExtraTime(30);
  EXPECT_EQ(Get("LastTimeAdjust"), "1800");
  Ticks(10);
  EXPECT_EQ(PowerOffs(), 1) << "the new day powers off";
  EXPECT_EQ(Get("LastTimeAdjust"), "");
  EXPECT_EQ(accountant.LastTimeAdjust(), 0);
}

TEST_F(ParentsWeekTest, FirstDayCountsFromTheFirstStart) {
  At(2024, 1, 5, 9, 0);
  platform.SetEventLog({Start(platform.Now() - 2400)}); // 40 minutes since the boot
  accountant.Start();
  EXPECT_EQ(Get("LastDate"), Key(2024, 1, 5));
  EXPECT_EQ(Get("LastTimeAdjust"), "2400");
  EXPECT_EQ(Get("LastTime"), "3600");
  Ticks(30); // the recount charges only the use since the start
  EXPECT_EQ(accountant.LastTime(), 3570);
}

TEST_F(ParentsWeekTest, LaterStoredDayTakesTodayWithTheRightPassword) {
  At(2024, 1, 5, 9, 0);
  platform.SetEventLog({Start(platform.Now() - 600)});
  Set("LastDate", Key(2024, 1, 7));
  Set("LastTime", "2000");
  accountant.Start();
  EXPECT_TRUE(accountant.LaterDayPending());
  Ticks(20);
  EXPECT_TRUE(recorder.lastNotice.laterDay);
  EXPECT_EQ(recorder.lastNotice.countdown, 40);
  accountant.AcceptToday();
  EXPECT_FALSE(accountant.LaterDayPending());
  EXPECT_EQ(Get("LastDate"), Key(2024, 1, 5));
  // Today's use so far (the 600 s before the start and the 20 s of the
  // minute) is charged.
  EXPECT_EQ(accountant.LastTime(), 3600 - 620);
  Ticks(120);
  EXPECT_EQ(PowerOffs(), 0);
  EXPECT_FALSE(recorder.lastNotice.laterDay);
}

TEST_F(ParentsWeekTest, LaterStoredDayWithAWrongPasswordPowersOffAtOnce) {
  At(2024, 1, 5, 9, 0);
  Set("LastDate", Key(2024, 1, 7));
  accountant.Start();
  Ticks(5);
  accountant.RefuseToday();
  EXPECT_EQ(PowerOffs(), 1);
  EXPECT_EQ(Get("LastDate"), Key(2024, 1, 7)) << "the next start asks again";
  EXPECT_FALSE(accountant.LaterDayPending());
  accountant.AcceptToday(); // too late: the minute is over
  Ticks(1);
  EXPECT_EQ(PowerOffs(), 2);
  EXPECT_EQ(Get("LastDate"), Key(2024, 1, 7));
}

TEST_F(ParentsWeekTest, LaterStoredDayMinuteIsCountedByTicksAcrossADaylightSavingChange) {
  platform.SetTimeZone("Europe/Berlin");
  // 31 March 2024: 02:00 becomes 03:00 within the minute.
  At(2024, 3, 31, 1, 59, 30);
  Set("LastDate", Key(2024, 4, 1));
  accountant.Start();
  Ticks(59);
  EXPECT_EQ(PowerOffs(), 0) << "the hour the clock skips takes nothing of the minute";
  EXPECT_EQ(recorder.lastNotice.countdown, 1);
  Ticks(1);
  EXPECT_EQ(PowerOffs(), 1);
  EXPECT_EQ(Get("LastDate"), Key(2024, 4, 1));
}

TEST_F(ParentsWeekTest, LaterStoredDayAcceptedAfterADaylightSavingChangeStoresTheLocalDate) {
  platform.SetTimeZone("Europe/Berlin");
  At(2024, 3, 31, 1, 59, 50);
  Set("LastDate", Key(2024, 4, 2));
  accountant.Start();
  Ticks(20); // 03:00:10 local
  accountant.AcceptToday();
  EXPECT_EQ(Get("LastDate"), Key(2024, 3, 31));
  Ticks(30);
  EXPECT_EQ(PowerOffs(), 0);
}

} // namespace
} // namespace hg::test
