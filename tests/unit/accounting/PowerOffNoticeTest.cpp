// The rule that says which notice is due before a forced power-off.
#include "accounting/PowerOffNotice.h"

#include <gtest/gtest.h>

#include <vector>

namespace hg {
namespace {

NoticeInput Counting(std::int32_t remaining, std::int32_t tickCount = 100) {
  NoticeInput in;
  in.remaining = remaining;
  in.tickCount = tickCount;
  return in;
}

// Runs the rule over ticks that count the remainder down from `from`,
// and lists the balloons with the remainder they came at.
std::vector<std::pair<std::int32_t, Balloon>>
BalloonsCountingDown(std::int32_t from, std::int32_t to, NoticeState& state) {
  std::vector<std::pair<std::int32_t, Balloon>> shown;
  for (std::int32_t r = from; r >= to; --r) {
    Notice n = DueNotice(Counting(r), state);
    if (n.balloon != Balloon::None)
      shown.emplace_back(r, n.balloon);
  }
  return shown;
}

TEST(PowerOffNotice, AllowanceEndsOneTickAfterZero) {
  EXPECT_EQ(SecondsToAllowanceEnd(0, 100), 1);
  EXPECT_EQ(SecondsToAllowanceEnd(599, 100), 600);
  EXPECT_EQ(SecondsToAllowanceEnd(-1, 100), 0);
  EXPECT_EQ(SecondsToAllowanceEnd(-40, 100), 0);
}

TEST(PowerOffNotice, StartUpGraceCountsToTheNinetyFirstTick) {
  // A spent day: 60 seconds at the start, 59 after the first tick, and the
  // power-off on tick 91, whatever tick the question is asked on.
  EXPECT_EQ(SecondsToAllowanceEnd(59, 1), 90);
  EXPECT_EQ(SecondsToAllowanceEnd(31, 29), 62);
  EXPECT_EQ(SecondsToAllowanceEnd(60, 30), 61); // the floor just lifted it
  EXPECT_EQ(SecondsToAllowanceEnd(59, 31), 60);
  // Enough left: the grace changes nothing.
  EXPECT_EQ(SecondsToAllowanceEnd(2999, 1), 3000);
}

TEST(PowerOffNotice, EachThresholdWarnsOnceOnTheWayDown) {
  NoticeState state;
  auto shown = BalloonsCountingDown(700, -3, state);
  std::vector<std::pair<std::int32_t, Balloon>> expected = {
      {599, Balloon::TenMinutes}, {299, Balloon::FiveMinutes}, {59, Balloon::OneMinute}};
  EXPECT_EQ(shown, expected);
}

TEST(PowerOffNotice, CountdownWindowForTheLastMinuteOnly) {
  NoticeState state;
  EXPECT_EQ(DueNotice(Counting(60), state).countdown, -1);
  EXPECT_EQ(DueNotice(Counting(59), state).countdown, 60);
  EXPECT_EQ(DueNotice(Counting(0), state).countdown, 1);
  // Below zero the power-off is under way: the window stays, at 0.
  EXPECT_EQ(DueNotice(Counting(-1), state).countdown, 0);
}

TEST(PowerOffNotice, TimeGivenBackWarnsAgainAndClosesTheWindow) {
  NoticeState state;
  BalloonsCountingDown(400, 30, state); // 10 and 5 minutes, then 1 minute
  Notice raised = DueNotice(Counting(1800), state);
  EXPECT_EQ(raised.balloon, Balloon::None);
  EXPECT_EQ(raised.countdown, -1);
  auto again = BalloonsCountingDown(1799, 250, state);
  std::vector<std::pair<std::int32_t, Balloon>> expected = {{599, Balloon::TenMinutes},
                                                            {299, Balloon::FiveMinutes}};
  EXPECT_EQ(again, expected);
}

TEST(PowerOffNotice, OnlyAThresholdTheTimeRoseAboveWarnsAgain) {
  // Time given back at 4 minutes to 5 min 40 s: the 5-minute warning comes
  // again, the 10-minute one does not.
  NoticeState state;
  BalloonsCountingDown(400, 240, state);
  auto after = BalloonsCountingDown(340, 250, state);
  std::vector<std::pair<std::int32_t, Balloon>> expected = {{299, Balloon::FiveMinutes}};
  EXPECT_EQ(after, expected);
  // A gain that stays below 5 minutes repeats nothing.
  auto below = BalloonsCountingDown(260, 200, state);
  EXPECT_TRUE(below.empty());
}

TEST(PowerOffNotice, ALateFirstWarningUsesTheNearestText) {
  // Starting with four minutes left: one balloon, the 5-minute text; the
  // 10-minute one is not shown after it.
  NoticeState state;
  auto shown = BalloonsCountingDown(239, 100, state);
  std::vector<std::pair<std::int32_t, Balloon>> expected = {{239, Balloon::FiveMinutes}};
  EXPECT_EQ(shown, expected);
}

TEST(PowerOffNotice, DayEndAndAllowanceTheEarlierWins) {
  NoticeState state;
  NoticeInput in = Counting(1000);
  in.toDayEnd = 601;
  EXPECT_EQ(DueNotice(in, state).balloon, Balloon::None);
  in.remaining = 999;
  in.toDayEnd = 600;
  EXPECT_EQ(DueNotice(in, state).balloon, Balloon::TenMinutes);
  // The allowance reaching 10 minutes later adds no second warning.
  in.remaining = 599;
  in.toDayEnd = 200;
  EXPECT_EQ(DueNotice(in, state).balloon, Balloon::FiveMinutes);
  in.remaining = 598;
  in.toDayEnd = 199;
  EXPECT_EQ(DueNotice(in, state).balloon, Balloon::None);
  in.toDayEnd = 45;
  Notice last = DueNotice(in, state);
  EXPECT_EQ(last.balloon, Balloon::OneMinute);
  EXPECT_EQ(last.countdown, 45);
}

TEST(PowerOffNotice, SpentDayStartSaysSoOnceThenCountsDown) {
  NoticeState state;
  Notice first = DueNotice(Counting(59, 1), state);
  EXPECT_EQ(first.balloon, Balloon::DaySpent);
  EXPECT_EQ(first.countdown, -1); // 90 seconds away
  // Ticks 2 to 90: no further balloon; the window for the last minute.
  std::int32_t remaining = 58;
  int windows = 0;
  for (std::int32_t tick = 2; tick <= 90; ++tick) {
    if (tick == 30)
      remaining = 60; // the floor of the 30th tick
    Notice n = DueNotice(Counting(remaining, tick), state);
    EXPECT_EQ(n.balloon, Balloon::None) << "tick " << tick;
    if (n.countdown >= 0)
      ++windows;
    --remaining;
  }
  EXPECT_EQ(windows, 60);
}

TEST(PowerOffNotice, StartWithTimeLeftIsNoSpentDay) {
  NoticeState state;
  EXPECT_EQ(DueNotice(Counting(2999, 1), state).balloon, Balloon::None);
  NoticeState other;
  // Five minutes left at the start: the 5-minute warning, not the spent text.
  EXPECT_EQ(DueNotice(Counting(299, 1), other).balloon, Balloon::FiveMinutes);
}

TEST(PowerOffNotice, LateNewDayCountsDownItsMinute) {
  NoticeState state;
  NoticeInput in = Counting(3599);
  in.toLatePowerOff = 60;
  Notice n = DueNotice(in, state);
  EXPECT_EQ(n.countdown, 60);
  EXPECT_EQ(n.balloon, Balloon::OneMinute);
  in.toLatePowerOff = 1;
  EXPECT_EQ(DueNotice(in, state).countdown, 1);
  in.toLatePowerOff = kNoPowerOff;
  in.poweringOff = true;
  EXPECT_EQ(DueNotice(in, state).countdown, 0);
}

TEST(PowerOffNotice, NothingWhenNoPowerOffIsNear) {
  NoticeState state;
  NoticeInput in = Counting(3000);
  in.toDayEnd = 5000;
  Notice n = DueNotice(in, state);
  EXPECT_EQ(n.balloon, Balloon::None);
  EXPECT_EQ(n.countdown, -1);
}

TEST(PowerOffNotice, LateTickIsMoreThanAFewSeconds) {
  EXPECT_FALSE(IsLateTick(0));
  EXPECT_FALSE(IsLateTick(1));
  EXPECT_FALSE(IsLateTick(kLateTickSeconds));
  EXPECT_TRUE(IsLateTick(kLateTickSeconds + 1));
  EXPECT_TRUE(IsLateTick(8 * 3600));
  EXPECT_FALSE(IsLateTick(-86400)); // a clock turned back is not late
}

TEST(PowerOffNotice, ClockGivesTheGapsAndCountsTheLateMinuteByThem) {
  NoticeClock clock;
  EXPECT_EQ(clock.Gap(1000), 0); // the first tick
  EXPECT_EQ(clock.Gap(1001), 1);
  EXPECT_EQ(clock.Gap(9001), 8000);
  EXPECT_EQ(clock.Gap(5401), -3600); // a clock set back
  EXPECT_FALSE(clock.InLateMinute());
  EXPECT_EQ(clock.LateLeft(), kNoPowerOff);

  clock.StartLateMinute();
  EXPECT_EQ(clock.LateLeft(), kLateNewDayNotice);
  // A tick counts one second at least, also when the clock went back.
  EXPECT_FALSE(clock.CountLateMinute(-3600));
  EXPECT_EQ(clock.LateLeft(), kLateNewDayNotice - 1);
  EXPECT_FALSE(clock.CountLateMinute(1));
  // Sleep within the minute uses it up.
  EXPECT_TRUE(clock.CountLateMinute(600));
  EXPECT_FALSE(clock.InLateMinute());

  clock.StartLateMinute();
  clock.EndLateMinute();
  EXPECT_EQ(clock.LateLeft(), kNoPowerOff);
}

} // namespace
} // namespace hg
