// The one-second tick, driven second by second on the simulated clock.
#include "AccountantTestAccess.h"
#include "ProgramHarness.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

class TickTest : public ::testing::Test {
protected:
  Program p;
  void StartWith(const char* lastTime, int hour = 9, int minute = 0) {
    p.At(2024, 1, 5, hour, minute);
    p.Set("LastDate", "752964");
    p.Set("LastTime", lastTime);
    p.Start();
  }
};

TEST_F(TickTest, EveryTickStoresEndTimeAndTheDecrementedRemainder) {
  StartWith("1000");
  p.Tick();
  EXPECT_EQ(p.Get("LastTime"), "999");
  EXPECT_EQ(p.Get("EndTime"), "01/05 09:00:01");
  p.Tick();
  EXPECT_EQ(p.Get("LastTime"), "998");
  EXPECT_EQ(p.Get("EndTime"), "01/05 09:00:02");
  EXPECT_EQ(p.Tip(), "LastTime( 16min )");
}

TEST_F(TickTest, EndTimeIsInAccountingTime) {
  p.At(2024, 1, 5, 9, 0);
  p.Set("LastDate", "752964");
  p.Set("AdjustTime", "30");
  p.Start();
  p.Tick();
  EXPECT_EQ(p.Get("EndTime"), "01/05 08:30:01");
}

TEST_F(TickTest, OtherTimerIdsChangeNothing) {
  StartWith("1000");
  p.platform.ClearRegJournal();
  p.platform.PostMessageA(p.hwnd, WM_TIMER, 7, 0);
  p.platform.Pump();
  EXPECT_TRUE(p.platform.RegJournal().empty());
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 1000);
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 0);
}

TEST_F(TickTest, SpentDayPowersOffAtThe91stTick) {
  p.platform.SetEventLog({Start(p.Local(2024, 1, 5, 7, 0))}); // two hours used
  StartWith("0");
  p.Tick(29);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 31);
  p.Tick(1); // the 30th: the log takes over, floored at a minute
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 60);
  EXPECT_EQ(p.Get("LastTime"), "60");
  EXPECT_EQ(p.PowerOffs(), 0u);
  p.Tick(60);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 0);
  EXPECT_EQ(p.PowerOffs(), 0u);
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u);
  EXPECT_EQ(p.Get("LastTime"), "0") << "the power-off's 0 is the tick's last write";
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), -1);
  p.Tick(2);
  EXPECT_EQ(p.PowerOffs(), 3u) << "repeated every second while the PC stays on";
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), -3);
}

TEST_F(TickTest, LimitZeroAlsoPowersOffAtThe91stTick) {
  p.At(2024, 1, 5, 9, 0);
  p.Set("LimitTime", "0");
  p.Start();
  p.Tick(90);
  EXPECT_EQ(p.PowerOffs(), 0u);
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u);
}

TEST_F(TickTest, RecountAtMultiplesOf600) {
  StartWith("601");
  p.platform.SetEventLog({Start(p.platform.Now() - 100)});
  std::size_t before = p.platform.EventRecordsRead();
  p.Tick();
  EXPECT_GT(p.platform.EventRecordsRead(), before) << "600 recounts";
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600 - 101);
}

TEST_F(TickTest, RemainingOneGoesToZeroThenPowersOff) {
  p.platform.SetEventLog({Start(p.Local(2024, 1, 5, 6, 0))});
  StartWith("3000");
  p.Tick(30); // recount finds the day spent: floor 60
  AccountantTestAccess::SetLastTime(p.wnd->m_accountant, 1);
  p.Tick(1);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 0);
  EXPECT_EQ(p.PowerOffs(), 0u);
  p.Tick(1);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), -1);
  EXPECT_EQ(p.PowerOffs(), 1u);
}

TEST_F(TickTest, TooltipMinutesTruncateTowardZero) {
  StartWith("1000");
  struct {
    int remaining;
    const char* tip;
  } cases[] = {{3600, "LastTime( 59min )"}, {3599 + 1, "LastTime( 59min )"},
               {60, "LastTime( 00min )"},   {0, "LastTime( 00min )"},
               {-59, "LastTime( -1min )"},  {7200, "LastTime( 119min )"}};
  for (const auto& c : cases) {
    AccountantTestAccess::SetLastTime(p.wnd->m_accountant, c.remaining);
    p.Tick(); // decrements before it shows
    if (c.remaining > 0 && (c.remaining - 1) % 600 == 0)
      continue; // a recount would replace the value
    EXPECT_EQ(p.Tip(), c.tip) << c.remaining;
  }
}

TEST_F(TickTest, DayChangeWhileRunning) {
  p.At(2024, 1, 5, 23, 59, 58);
  p.Set("LastDate", "752964");
  p.Set("LastTime", "1000");
  p.Set("LastTimeAdjust", "500");
  p.Set("LimitTime", "45");
  p.Start();
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 0u);
  p.Tick(1); // 00:00:00 on the 6th
  EXPECT_EQ(p.PowerOffs(), 1u);
  EXPECT_EQ(p.Get("LastDate"), "752965");
  EXPECT_EQ(p.Get("LastTime"), "2699");
  EXPECT_EQ(p.Get("LastTimeAdjust"), "");
  EXPECT_EQ(p.wnd->m_accountant.LastTimeAdjust(), 0);
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u) << "only the changing tick powers off";
}

TEST_F(TickTest, LaterStoredDayGivesAMinuteThenPowersOffEveryTickKeepingTheLaterDay) {
  p.At(2024, 1, 5, 9, 0);
  p.Set("LastDate", "752966");
  p.Set("LastTime", "500");
  p.Start();
  EXPECT_EQ(p.PowerOffs(), 0u) << "the minute for the password comes first";
  p.Tick(59);
  EXPECT_EQ(p.PowerOffs(), 0u);
  EXPECT_EQ(p.Get("LastTime"), "500") << "nothing is counted in the minute";
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u);
  EXPECT_EQ(p.Get("LastDate"), "752966") << "the next start asks again";
  EXPECT_EQ(p.Get("LastTime"), "0");
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 2u);
  EXPECT_EQ(p.Get("LastDate"), "752966");
}

TEST_F(TickTest, RefusedPowerOffIsRepeated) {
  p.platform.RefusePrivilege();
  p.At(2024, 1, 5, 9, 0);
  p.Set("LastDate", "752964");
  p.Set("LastTime", "0");
  p.Start();
  AccountantTestAccess::SetLastTime(p.wnd->m_accountant, 0);
  p.Tick(3);
  // Without the privilege the power-off cannot be asked for: the session is
  // ended instead, once a tick.
  EXPECT_EQ(p.PowerOffs(), 0u);
  EXPECT_EQ(p.Logoffs(), 3u);
  EXPECT_TRUE(p.Alive());
  ASSERT_FALSE(p.platform.PrivilegeAdjustments().empty());
  EXPECT_EQ(p.platform.PrivilegeAdjustments()[0].privilege, "SeShutdownPrivilege");
  EXPECT_EQ(p.platform.PrivilegeAdjustments()[0].attributes,
            static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
  EXPECT_EQ(p.platform.OpenTokens(), 0) << "every token closed";
}

// The clock set back a day while the program runs: Windows' timer goes on
// counting elapsed time, so the very next tick sees the earlier day, takes
// the day-change path and asks for the power-off once; the ticks after it
// come a second apart as before.
TEST_F(TickTest, ClockTurnedBackWhileRunningIsSeenByTheNextTick) {
  StartWith("1000");
  p.Tick(5);
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 5);
  const std::int64_t elapsed = p.platform.ElapsedMs();
  p.platform.SetTime(p.platform.Now() - 86400);
  EXPECT_EQ(p.platform.ElapsedMs(), elapsed) << "setting the clock is no elapsed time";
  p.Tick();
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 6);
  EXPECT_EQ(p.PowerOffs(), 1u);
  EXPECT_EQ(p.Get("LastDate"), "752963");
  EXPECT_EQ(p.Get("EndTime"), "01/04 09:00:06");
  EXPECT_EQ(p.Get("LastTime"), "3599") << "the new day's allowance less the tick";
  p.Tick(3);
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 9);
  EXPECT_EQ(p.PowerOffs(), 1u) << "only the changing tick powers off";
  EXPECT_EQ(p.Get("EndTime"), "01/04 09:00:09");
  EXPECT_EQ(p.Get("LastTime"), "3596");
}

// A week of starts, sleeps and stops in a zone with daylight saving, checking
// what is stored at each step.
TEST(WeekScenarioTest, AWeekAcrossTheSpringClockChange) {
  Program p;
  p.platform.SetTimeZone("Europe/Berlin");
  auto at = [&](int day, int hour, int minute) { return p.Local(2024, 3, day, hour, minute); };
  std::vector<EventRecord> log; // newest first
  auto boot = [&](int day, int hour, int minute) {
    log.insert(log.begin(), Start(at(day, hour, minute)));
  };
  auto halt = [&](int day, int hour, int minute) {
    log.insert(log.begin(), Stop(at(day, hour, minute)));
  };
  std::unique_ptr<Program> run;
  auto startRun = [&](int day, int hour, int minute) {
    boot(day, hour, minute);
    run = std::make_unique<Program>();
    run->platform.SetTimeZone("Europe/Berlin");
    // Carry the registry over from the previous run.
    for (const char* name : {"LimitTime", "LastDate", "LastTime", "LastTimeAdjust", "AdjustTime",
                             "DayTotal", "DayTotal2", "StartTime", "EndTime"})
      if (auto v = p.Get(name))
        run->Set(name, *v);
    run->platform.SetTime(at(day, hour, minute) + 20);
    run->platform.SetEventLog(log);
    run->Start();
  };
  auto stopRun = [&](int day, int hour, int minute) {
    run->platform.SetTime(at(day, hour, minute) - 1);
    for (const char* name : {"LastDate", "LastTime", "LastTimeAdjust", "DayTotal", "DayTotal2",
                             "StartTime", "EndTime"})
      if (auto v = run->Get(name))
        p.Set(name, *v);
    run.reset();
    halt(day, hour, minute);
  };

  // Friday 29 March: 40 minutes.
  startRun(29, 16, 0);
  EXPECT_EQ(run->Get("LastTime"), "3600");
  run->Tick(40 * 60);
  EXPECT_EQ(run->wnd->m_accountant.DayUsage(0) / 60, 40);
  stopRun(29, 16, 41);
  // Saturday 30: two sessions; the second starts with what the first left.
  startRun(30, 10, 0);
  EXPECT_EQ(run->Get("DayTotal2"), "") << "the first day had no earlier session";
  EXPECT_EQ(run->Get("DayTotal"), "\n03/29 16:00:00 - 03/29 16:41:00 (41min)");
  run->Tick(30 * 60);
  stopRun(30, 10, 30);
  startRun(30, 15, 0);
  EXPECT_EQ(run->Get("DayTotal"), "\n03/29 16:00:00 - 03/29 16:41:00 (41min)"
                                  "\n03/30 10:00:00 - 03/30 10:30:00 (30min)");
  run->Tick(60);
  EXPECT_LE(run->wnd->m_accountant.LastTime(), 1800) << "the log charges the morning's half hour";
  stopRun(30, 15, 5);
  // Sunday 31: the clock jumps from 02:00 to 03:00. A session from 01:30 to
  // 03:30 local lasts one real hour.
  startRun(31, 1, 30);
  EXPECT_EQ(run->Get("DayTotal2"), "\n03/29 16:00:00 - 03/29 16:41:00 (41min)"
                                   "\n03/30 10:00:00 - 03/30 10:30:00 (30min)");
  run->Tick(3600 - 20);
  EXPECT_LE(run->wnd->m_accountant.LastTime(), 60) << "one real hour used up the allowance";
  EXPECT_EQ(run->PowerOffs(), 0u);
  stopRun(31, 3, 30);
  startRun(31, 9, 0);
  // The new day's list begins with the session before its first start.
  EXPECT_EQ(run->Get("DayTotal"), "\n03/30 15:00:00 - 03/30 15:05:00 (5min)"
                                  "\n03/31 01:30:00 - 03/31 03:30:00 (60min)");
  EXPECT_EQ(run->Get("LastTime"), "60");
  run->Tick(31);
  EXPECT_EQ(run->wnd->m_accountant.DayUsage(0), 3600 + 50) << "as of the recount at the 30th tick";
  EXPECT_EQ(std::string(run->wnd->m_tray.TipSuffix()), "\n 31日(60min) 30日(35min) 29日(41min)");
  run->Tick(60);
  EXPECT_EQ(run->PowerOffs(), 1u) << "the spent day ends at the 91st tick";
}

} // namespace
} // namespace hg::test
