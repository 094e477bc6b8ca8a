// Warnings before a forced power-off, second by second: the balloons, the
// countdown window, and the minute given to a new day seen late.
#include "ProgramHarness.h"
#include "app/NoticeWnd.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace hg::test {
namespace {

const std::string kTen = "あと10分でパソコンの電源が切れます。作業を保存してください。";
const std::string kFive = "あと5分でパソコンの電源が切れます。作業を保存してください。";
const std::string kOne = "あと1分でパソコンの電源が切れます。作業を保存してください。";
const std::string kSpent =
    "今日の使用時間は終わりました。まもなく電源が切れます。作業を保存してください。";

std::string Countdown(int seconds) {
  return "電源が切れるまで あと " + std::to_string(seconds) + " 秒";
}

class PowerOffNoticesTest : public ::testing::Test {
protected:
  Program p;
  std::int64_t start = 0;

  struct Balloon {
    std::int64_t second; // seconds after `start`
    std::string text;
    bool operator==(const Balloon&) const = default;
  };
  struct Run {
    std::vector<Balloon> balloons;
    std::vector<std::pair<std::int64_t, std::string>> countdown; // second, shown text
    std::vector<std::pair<std::int64_t, std::string>> warnings;  // the same, of a warning
    std::int64_t firstPowerOff = -1;                             // second
  };

  // Today's allowance as the log shows it: the PC has been on since
  // `usedSeconds` ago, the limit is `limitMinutes`.
  void StartAt(int hour, int minute, int second, std::int32_t limitMinutes,
               std::int32_t usedSeconds, int day = 5, int month = 1, int year = 2024) {
    p.At(year, month, day, hour, minute, second);
    StartAtTime(p.platform.Now(), limitMinutes, usedSeconds);
  }
  // The same at a time given in seconds since 1970, for a local time that
  // happens twice.
  void StartAtTime(std::int64_t t, std::int32_t limitMinutes, std::int32_t usedSeconds) {
    p.platform.SetTime(t);
    start = t;
    p.Set("LimitTime", std::to_string(limitMinutes));
    p.platform.SetEventLog({Start(start - usedSeconds)});
  }
  void Launch(std::int32_t remaining) {
    p.Set("LastDate", std::to_string(MakeDayKey(p.platform, AccountingToday())));
    p.Set("LastTime", std::to_string(remaining));
    p.Start();
  }
  std::int64_t AccountingToday() {
    std::int64_t adjust = std::stoll(p.Get("AdjustTime").value_or("0"));
    return p.platform.Now() - adjust * 60;
  }

  // The PC sleeps from now to 07:30 the next morning (6 January 2024); the
  // run's seconds count from the resume.
  void ResumeNextMorning() {
    p.platform.SetTime(p.Local(2024, 1, 6, 7, 30));
    start = p.platform.Now();
    p.platform.ClearRegJournal();
  }

  Hwnd CountdownWindow() const {
    auto windows = p.platform.WindowsOfClass(kNoticeWndClass);
    return windows.empty() ? 0 : windows.front();
  }
  bool CountdownShown() const {
    Hwnd w = CountdownWindow();
    return w != 0 && p.platform.IsVisible(w);
  }

  // Ticks one second at a time for `seconds`, or until `stopAfterPowerOff`
  // seconds after the first power-off request.
  Run TickFor(int seconds, int stopAfterPowerOff = 0) {
    Run run;
    std::size_t trayCalls = p.platform.TrayCalls().size();
    std::size_t powerOffs = p.PowerOffs();
    for (int i = 0; i < seconds; ++i) {
      p.Tick(1);
      std::int64_t second = p.platform.Now() - start;
      const auto& calls = p.platform.TrayCalls();
      for (; trayCalls < calls.size(); ++trayCalls)
        if (calls[trayCalls].data.uFlags & NIF_INFO)
          run.balloons.push_back({second, calls[trayCalls].data.szInfo});
      if (CountdownShown()) {
        std::string title = p.platform.TitleOf(CountdownWindow());
        if (title == kTen || title == kFive)
          run.warnings.emplace_back(second, title);
        else
          run.countdown.emplace_back(second, title);
      }
      if (run.firstPowerOff < 0 && p.PowerOffs() > powerOffs)
        run.firstPowerOff = second;
      if (run.firstPowerOff >= 0 && second - run.firstPowerOff >= stopAfterPowerOff)
        break;
    }
    return run;
  }
};

TEST_F(PowerOffNoticesTest, AllowanceWarnsAtTenFiveAndOneMinuteThenCountsDown) {
  // 700 seconds left: the power-off comes on the tick that reaches -1.
  StartAt(9, 0, 0, 60, 3600 - 700);
  Launch(700);
  Run run = TickFor(800);
  ASSERT_EQ(run.firstPowerOff, 701);
  std::vector<Balloon> expected = {{101, kTen}, {401, kFive}, {641, kOne}};
  EXPECT_EQ(run.balloons, expected);
  // The countdown: the last minute, one number a second, then 0 while the
  // power-off is under way.
  ASSERT_EQ(run.countdown.size(), 61u);
  EXPECT_EQ(run.countdown.front(), std::make_pair(std::int64_t{641}, Countdown(60)));
  EXPECT_EQ(run.countdown[59], std::make_pair(std::int64_t{700}, Countdown(1)));
  EXPECT_EQ(run.countdown.back(), std::make_pair(std::int64_t{701}, Countdown(0)));
  // The ten and five minutes stay in the notice window for 15 seconds each,
  // in case the balloon is held back.
  ASSERT_EQ(run.warnings.size(), 30u);
  EXPECT_EQ(run.warnings.front(), std::make_pair(std::int64_t{101}, kTen));
  EXPECT_EQ(run.warnings[14], std::make_pair(std::int64_t{115}, kTen));
  EXPECT_EQ(run.warnings[15], std::make_pair(std::int64_t{401}, kFive));
  EXPECT_EQ(run.warnings.back(), std::make_pair(std::int64_t{415}, kFive));
}

TEST_F(PowerOffNoticesTest, WarningWindowIsRaisedOverEverythingEachTimeItShows) {
  StartAt(9, 0, 0, 60, 3600 - 610);
  Launch(610);
  TickFor(11);
  Hwnd w = CountdownWindow();
  ASSERT_NE(w, 0u);
  EXPECT_TRUE(p.platform.IsVisible(w));
  EXPECT_EQ(p.platform.TitleOf(w), kTen);
  EXPECT_EQ(p.platform.PaintedTexts(w), std::vector<std::string>{kTen});
  EXPECT_EQ(p.platform.ExStyleOf(w),
            static_cast<DWORD>(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
  EXPECT_EQ(p.platform.RaisesOf(w), 1);
  TickFor(15);
  EXPECT_FALSE(p.platform.IsVisible(w)) << "gone about 15 s later";
  TickFor(290);
  EXPECT_TRUE(p.platform.IsVisible(w));
  EXPECT_EQ(p.platform.TitleOf(w), kFive);
  EXPECT_EQ(p.platform.RaisesOf(w), 2);
  EXPECT_EQ(p.platform.ShowCommandsOf(w),
            (std::vector<int>{SW_SHOWNOACTIVATE, SW_HIDE, SW_SHOWNOACTIVATE}));
}

TEST_F(PowerOffNoticesTest, BalloonRecordIsAWarningOfTheIconWithTheTitle) {
  StartAt(9, 0, 0, 60, 3600 - 610);
  Launch(610);
  TickFor(11);
  const auto& calls = p.platform.TrayCalls();
  auto balloon = std::find_if(calls.begin(), calls.end(),
                              [](const sim::TrayCall& c) { return c.data.uFlags & NIF_INFO; });
  ASSERT_NE(balloon, calls.end());
  EXPECT_EQ(balloon->message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(balloon->data.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(std::string(balloon->data.szInfoTitle), "HourgaugeLite");
  EXPECT_EQ(balloon->data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_EQ(balloon->data.uTimeoutOrVersion, 10000u);
  EXPECT_EQ(balloon->data.uID, kTrayIconId);
  EXPECT_TRUE(balloon->result);
  // One extra modify on that tick only: the tip's refresh is there as always.
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const sim::TrayCall& c) { return c.data.uFlags & NIF_INFO; }),
            1);
}

TEST_F(PowerOffNoticesTest, CountdownWindowIsTopmostUnactivatedWithoutATaskbarButton) {
  StartAt(9, 0, 0, 60, 3600 - 200);
  Launch(200);
  TickFor(150);
  Hwnd w = CountdownWindow();
  ASSERT_NE(w, 0u);
  EXPECT_TRUE(p.platform.IsVisible(w));
  EXPECT_EQ(p.platform.ExStyleOf(w),
            static_cast<DWORD>(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
  EXPECT_EQ(p.platform.StyleOf(w) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
  // First the five minutes' warning of the start (three minutes and a bit
  // were left), then the countdown.
  EXPECT_EQ(p.platform.ShowCommandsOf(w),
            (std::vector<int>{SW_SHOWNOACTIVATE, SW_HIDE, SW_SHOWNOACTIVATE}));
  // Near the notification area: bottom right of the work area.
  Rect r = p.platform.WindowRect(w);
  EXPECT_GT(r.left, 1024 / 2);
  EXPECT_LE(r.right, 1024);
  EXPECT_LE(r.bottom, 768 - 40);
  EXPECT_GT(r.top, 768 / 2);
  // What it paints is what its title says.
  EXPECT_EQ(p.platform.PaintedTexts(w), std::vector<std::string>{p.platform.TitleOf(w)});
  EXPECT_EQ(p.platform.TitleOf(w), Countdown(51));
}

TEST_F(PowerOffNoticesTest, DayEndAtMidnightWarnsAndPowersOffOnTheNewDay) {
  StartAt(23, 45, 0, 600, 300);
  Launch(36000);
  Run run = TickFor(20 * 60);
  ASSERT_EQ(run.firstPowerOff, 15 * 60); // 00:00:00
  std::vector<Balloon> expected = {{5 * 60, kTen}, {10 * 60, kFive}, {14 * 60, kOne}};
  EXPECT_EQ(run.balloons, expected);
  ASSERT_GE(run.countdown.size(), 60u);
  EXPECT_EQ(run.countdown.front(), std::make_pair(std::int64_t{14 * 60}, Countdown(60)));
  EXPECT_EQ(run.countdown[59], std::make_pair(std::int64_t{15 * 60 - 1}, Countdown(1)));
  EXPECT_EQ(run.countdown[60], std::make_pair(std::int64_t{15 * 60}, Countdown(0)));
}

TEST_F(PowerOffNoticesTest, DayEndWithAdjustTimeIsAtThreeInTheMorning) {
  p.Set("AdjustTime", "180");
  StartAt(2, 45, 0, 600, 300, 6);
  Launch(36000);
  Run run = TickFor(20 * 60);
  ASSERT_EQ(run.firstPowerOff, 15 * 60); // 03:00:00
  std::vector<Balloon> expected = {{5 * 60, kTen}, {10 * 60, kFive}, {14 * 60, kOne}};
  EXPECT_EQ(run.balloons, expected);
}

TEST_F(PowerOffNoticesTest, AllowanceAndDayEndInTheSameTenMinutesWarnOnce) {
  // The allowance ends at 23:57, three minutes before the day.
  StartAt(23, 45, 0, 60, 3600 - 719);
  Launch(719);
  Run run = TickFor(15 * 60);
  ASSERT_EQ(run.firstPowerOff, 12 * 60);
  std::vector<Balloon> expected = {{2 * 60, kTen}, {7 * 60, kFive}, {11 * 60, kOne}};
  EXPECT_EQ(run.balloons, expected);
}

TEST_F(PowerOffNoticesTest, LimitRaisedAfterAWarningWarnsAgainLater) {
  StartAt(9, 0, 0, 60, 3600 - 400);
  Launch(400);
  Run before = TickFor(120);
  ASSERT_EQ(before.balloons.size(), 2u); // 10 minutes at once, 5 minutes at 299
  // The parent raises the limit by 10 minutes.
  p.platform.Type(IDC_DAILY_LIMIT, "70").Click(IDOK);
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_SETTINGS, 0);
  p.platform.Pump();
  ASSERT_TRUE(p.platform.ScriptDone());
  Run after = TickFor(900);
  // Now 880 seconds left: 10 and 5 minutes warn again, then 1 minute.
  ASSERT_EQ(after.firstPowerOff, 120 + 881);
  std::vector<Balloon> expected = {{120 + 281, kTen}, {120 + 581, kFive}, {120 + 821, kOne}};
  EXPECT_EQ(after.balloons, expected);
}

TEST_F(PowerOffNoticesTest, ResetTodayClosesTheCountdownAndWarnsAgain) {
  StartAt(9, 0, 0, 60, 3600 - 90);
  Launch(90);
  Run before = TickFor(40);
  ASSERT_FALSE(before.countdown.empty());
  ASSERT_TRUE(CountdownShown());
  p.platform.Click(IDC_RESET_TODAY).Click(IDOK);
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_SETTINGS, 0);
  p.platform.Pump();
  // The whole limit again: the window closes itself on the next tick.
  Run after = TickFor(2);
  EXPECT_TRUE(after.countdown.empty());
  EXPECT_FALSE(CountdownShown());
  Run later = TickFor(3600, 0);
  ASSERT_EQ(later.balloons.size(), 3u);
  EXPECT_EQ(later.balloons[0].text, kTen);
  EXPECT_EQ(later.balloons[2].text, kOne);
}

TEST_F(PowerOffNoticesTest, DayEndAcrossADaylightSavingChangeIsTenRealMinutes) {
  // Europe/Berlin, 27 October 2024: at 01:00 UTC the clocks go from 03:00
  // back to 02:00. With the day starting at 03:05 accounting time, the day
  // ends five minutes after the change: the warnings count real seconds.
  p.platform.SetTimeZone("Europe/Berlin");
  p.Set("AdjustTime", "185");
  StartAtTime(1729989900, 600, 300); // 27 October 2024 00:45 UTC, 02:45 CEST
  Launch(36000);
  Run run = TickFor(30 * 60);
  ASSERT_EQ(run.firstPowerOff, 20 * 60); // 01:05 UTC, 02:05 CET
  std::vector<Balloon> expected = {{10 * 60, kTen}, {15 * 60, kFive}, {19 * 60, kOne}};
  EXPECT_EQ(run.balloons, expected);
  ASSERT_GE(run.countdown.size(), 60u);
  EXPECT_EQ(run.countdown.front().first, 19 * 60);
}

TEST_F(PowerOffNoticesTest, DayEndAcrossTheSpringChange) {
  // 31 March 2024: at 01:00 UTC the clocks go from 02:00 on to 03:00.
  p.platform.SetTimeZone("Europe/Berlin");
  p.Set("AdjustTime", "125");
  StartAt(1, 45, 0, 600, 300, 31, 3); // 01:45 CET, 00:45 UTC
  Launch(36000);
  Run run = TickFor(30 * 60);
  ASSERT_EQ(run.firstPowerOff, 20 * 60); // 01:05 UTC, 03:05 CEST
  std::vector<Balloon> expected = {{10 * 60, kTen}, {15 * 60, kFive}, {19 * 60, kOne}};
  EXPECT_EQ(run.balloons, expected);
}

TEST_F(PowerOffNoticesTest, StartOnASpentDaySaysSoThenCountsTheLastMinute) {
  StartAt(9, 15, 0, 60, 75 * 60); // 75 minutes used, 60 allowed
  Launch(0);
  Run run = TickFor(200);
  ASSERT_EQ(run.firstPowerOff, 91);
  ASSERT_EQ(run.balloons.size(), 1u);
  EXPECT_EQ(run.balloons[0], (Balloon{1, kSpent}));
  // No window during the start-up grace; the last minute before tick 91.
  ASSERT_EQ(run.countdown.size(), 61u);
  EXPECT_EQ(run.countdown.front(), std::make_pair(std::int64_t{31}, Countdown(60)));
  EXPECT_EQ(run.countdown[59], std::make_pair(std::int64_t{90}, Countdown(1)));
}

TEST_F(PowerOffNoticesTest, ResumePastTheDayEndGivesAMinuteThenOnePowerOff) {
  StartAt(22, 0, 0, 90, 600);
  Launch(4800);
  TickFor(60);
  ASSERT_EQ(p.PowerOffs(), 0u);
  // The lid closes at 22:01 and opens at 07:30: the first tick sees a new day.
  ResumeNextMorning();
  Run run = TickFor(120, 0);
  // The first tick after the resume is second 1: the minute runs from it.
  EXPECT_EQ(run.firstPowerOff, 61);
  EXPECT_EQ(p.PowerOffs(), 1u);
  // The countdown from the first tick after the resume.
  ASSERT_GE(run.countdown.size(), 60u);
  EXPECT_EQ(run.countdown.front(), std::make_pair(std::int64_t{1}, Countdown(60)));
  EXPECT_EQ(run.countdown[59], std::make_pair(std::int64_t{60}, Countdown(1)));
  EXPECT_EQ(run.countdown[60], std::make_pair(std::int64_t{61}, Countdown(0)));
  // Stored as an immediate power-off stores it: the new day, its whole
  // allowance less the one second of that tick, the credit cleared; the
  // minute is not charged.
  EXPECT_EQ(p.Get("LastDate"), "752965");
  EXPECT_EQ(p.Get("LastTimeAdjust"), "");
  std::vector<std::string> lastTimes;
  for (const auto& write : p.ProgramWrites())
    if (write.rfind("LastTime=", 0) == 0)
      lastTimes.push_back(write);
  ASSERT_EQ(lastTimes.size(), 4u);
  EXPECT_EQ(lastTimes[0], "LastTime=5400");
  EXPECT_EQ(lastTimes[1], "LastTime=5399");
  // At the power-off: "0" from the request, then the allowance again.
  EXPECT_EQ(lastTimes[2], "LastTime=0");
  EXPECT_EQ(lastTimes[3], "LastTime=5399");
}

TEST_F(PowerOffNoticesTest, NewDaySeenOnTimeStaysImmediate) {
  StartAt(23, 59, 50, 600, 300);
  Launch(36000);
  Run run = TickFor(20, 0);
  EXPECT_EQ(run.firstPowerOff, 10);
  EXPECT_EQ(p.Get("LastDate"), "752965");
}

TEST_F(PowerOffNoticesTest, NoWarningWhenNoPowerOffIsWithinTenMinutes) {
  StartAt(9, 0, 0, 60, 600);
  Launch(3000);
  Run run = TickFor(1800);
  EXPECT_TRUE(run.balloons.empty());
  EXPECT_TRUE(run.countdown.empty());
  EXPECT_EQ(CountdownWindow(), 0u); // never even made
}

TEST_F(PowerOffNoticesTest, WarningTicksTouchNoMoreOfTheRegistryThanOrdinaryOnes) {
  StartAt(9, 0, 0, 60, 3600 - 650);
  Launch(650);
  TickFor(40); // past the first recount
  // Ordinary ticks, ticks with a balloon and ticks with the countdown all
  // write EndTime and LastTime and nothing else, through the same calls.
  std::size_t ordinary = 0;
  for (int second = 0; second < 600; ++second) {
    bool recounts = (p.wnd->m_accountant.LastTime() - 1) % 600 == 0;
    p.platform.ClearRegJournal();
    p.Tick(1);
    if (recounts)
      continue;
    std::vector<std::string> sets;
    for (const auto& access : p.platform.RegJournal())
      if (access.op == sim::RegOp::Set)
        sets.push_back(access.name);
    ASSERT_EQ(sets, (std::vector<std::string>{"EndTime", "LastTime"})) << "second " << second;
    if (ordinary == 0)
      ordinary = p.platform.RegJournal().size();
    ASSERT_EQ(p.platform.RegJournal().size(), ordinary) << "second " << second;
  }
  EXPECT_TRUE(CountdownShown());
}

TEST_F(PowerOffNoticesTest, ClockSetBackDuringTheLateMinuteDoesNotStretchIt) {
  StartAt(22, 0, 0, 90, 600);
  Launch(4800);
  TickFor(5);
  ResumeNextMorning();
  TickFor(10);
  ASSERT_EQ(p.PowerOffs(), 0u);
  // An hour back, still on the new day: the minute goes on second by second.
  p.platform.SetTime(p.platform.Now() - 3600);
  start = p.platform.Now();
  Run run = TickFor(120, 0);
  EXPECT_EQ(run.firstPowerOff, 51);
}

TEST_F(PowerOffNoticesTest, LateNewDayWithoutAllowanceStoresItSpent) {
  StartAt(22, 0, 0, 0, 0);
  p.Set("LastTime", "600");
  p.Set("LastDate", "752964");
  p.Start();
  TickFor(5);
  ResumeNextMorning();
  Run run = TickFor(120, 0);
  EXPECT_EQ(run.firstPowerOff, 61);
  EXPECT_EQ(p.PowerOffs(), 1u);
  // A limit of 0 leaves nothing for the new day: "0" all through the minute
  // and after the request, as an immediate power-off leaves it.
  for (const auto& write : p.ProgramWrites()) {
    if (write.rfind("LastTime=", 0) == 0) {
      EXPECT_EQ(write, "LastTime=0");
    }
  }
  EXPECT_EQ(p.Get("LastDate"), "752965");
}

TEST_F(PowerOffNoticesTest, ClockTurnedBackDuringTheLateMinutePowersOffAtOnce) {
  StartAt(22, 0, 0, 31, 600);
  Launch(1000);
  TickFor(5);
  ResumeNextMorning();
  TickFor(10);
  ASSERT_EQ(p.PowerOffs(), 0u);
  // Back to the day before: a new day seen on time, so the power-off comes
  // now, and the tick counts on as any tick after a day change does.
  p.platform.SetTime(p.Local(2024, 1, 5, 23, 0));
  start = p.platform.Now();
  Run run = TickFor(3, 0);
  EXPECT_EQ(run.firstPowerOff, 1);
  EXPECT_EQ(p.Get("LastDate"), "752964");
  EXPECT_EQ(p.Get("LastTime"), "1859");
}

} // namespace
} // namespace hg::test
