// Command 32780: the usage history window of the tray alone, from the
// engine in the process. One window at a time, the figures of the event
// log and the stored session lists, today live, closed with Esc or its
// close box, and nothing written.
#include "app/HistoryWnd.h"
#include "ProgramHarness.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace hg::test {
namespace {

class HistoryWndTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;

  void SetUp() override {
    p.At(2024, 1, 5, 9, 0); // a Friday
    p.Set("LimitTime", "60");
    p.Set("LastDate", "752964");
    p.Set("LastTime", "3000");
    p.Set("DayTotal", "\n01/05 07:00:00 - 01/05 07:20:00 (20min)");
    p.Set("DayTotal2", "\n01/04 17:02:10 - 01/04 17:45:40 (43min)");
    // Up for 25 minutes today; 43 minutes yesterday; 30 three days ago.
    ui.SetEventLog({Start(p.Local(2024, 1, 5, 8, 35)), Stop(p.Local(2024, 1, 4, 17, 45, 40)),
                    Start(p.Local(2024, 1, 4, 17, 2, 10)), Stop(p.Local(2024, 1, 2, 20, 30)),
                    Start(p.Local(2024, 1, 2, 20, 0))});
  }
  void Command(UINT id) {
    ui.PostMessageA(p.hwnd, WM_COMMAND, id, 0);
    ui.Pump();
  }
  std::vector<Hwnd> Windows() const { return ui.WindowsOfClass(kHistoryWndClass); }
  bool Painted(Hwnd h, const std::string& text) const {
    const auto texts = ui.PaintedTexts(h);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
  void TearDown() override { EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front(); }
};

TEST_F(HistoryWndTest, CommandOpensOneWindowWithTheDaysAndTheSessions) {
  p.Start();
  p.Tick(1);
  ASSERT_TRUE(Windows().empty());
  Command(ID_HISTORY);
  ASSERT_EQ(Windows().size(), 1u);
  const Hwnd h = Windows()[0];
  EXPECT_TRUE(ui.IsVisible(h));
  EXPECT_TRUE(ui.Dialogs().empty()) << "no password: a child may look too";
  // The title names the figures for screen readers.
  EXPECT_EQ(ui.TitleOf(h), "使用履歴: 今日 25分 (上限 60分)、昨日 43分、おととい 0分");
  // Bars: today, yesterday and three days ago, each with its figure and day.
  EXPECT_TRUE(Painted(h, "25分"));
  EXPECT_TRUE(Painted(h, "43分"));
  EXPECT_TRUE(Painted(h, "30分"));
  EXPECT_TRUE(Painted(h, "金\n1/5"));
  EXPECT_TRUE(Painted(h, "木\n1/4"));
  EXPECT_TRUE(Painted(h, "水\n12/27")) << "ten days: back to 27 December";
  // The sessions as times of day.
  // Today's list has the session before this start too (recorded at the start).
  EXPECT_TRUE(Painted(h, "今日の使用\n7:00～7:20 (20分)\n17:02～17:45 (43分)"));
  EXPECT_TRUE(Painted(h, "昨日の使用\n17:02～17:45 (43分)"));
  // Bars, limit lines, today's mark and the baseline.
  EXPECT_GE(ui.FilledRects(h).size(), 3u + 10u + 1u + 1u);
  const Rect r = ui.WindowRect(h);
  EXPECT_GE(r.right - r.left, 300);
  EXPECT_GE(r.bottom - r.top, 200);
}

TEST_F(HistoryWndTest, SecondCommandBringsTheOpenWindowToTheFront) {
  p.Start();
  Command(ID_HISTORY);
  const int foreground = ui.ForegroundCalls();
  Command(ID_HISTORY);
  EXPECT_EQ(Windows().size(), 1u);
  EXPECT_EQ(ui.ForegroundCalls(), foreground + 1);
}

TEST_F(HistoryWndTest, EscapeClosesItAndFreesWhatItDrewWith) {
  p.Start();
  const int gdi = ui.LiveGdiObjects();
  Command(ID_HISTORY);
  const Hwnd h = Windows()[0];
  ui.SendMessageA(h, WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(ui.IsWindowAlive(h)) << "only Esc closes";
  ui.SendMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(ui.IsWindowAlive(h));
  EXPECT_EQ(ui.LiveGdiObjects(), gdi);
  EXPECT_TRUE(p.Alive());
  // And opens again.
  Command(ID_HISTORY);
  EXPECT_EQ(Windows().size(), 1u);
}

TEST_F(HistoryWndTest, CloseBoxClosesOnlyTheHistory) {
  p.Start();
  Command(ID_HISTORY);
  const Hwnd h = Windows()[0];
  ui.PostMessageA(h, WM_CLOSE, 0, 0);
  p.Tick(2);
  EXPECT_FALSE(ui.IsWindowAlive(h));
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(ui.HasTimer(p.hwnd, kTickTimerId));
}

TEST_F(HistoryWndTest, TodayGoesOnLiveWhileOpen) {
  p.Start();
  Command(ID_HISTORY);
  const Hwnd h = Windows()[0];
  p.Tick(60);
  ui.Pump();
  EXPECT_EQ(ui.TitleOf(h), "使用履歴: 今日 26分 (上限 60分)、昨日 43分、おととい 0分");
  EXPECT_TRUE(Painted(h, "26分"));
}

TEST_F(HistoryWndTest, WritesNothing) {
  p.Start();
  p.Tick(1);
  ui.ClearRegJournal();
  Command(ID_HISTORY);
  EXPECT_TRUE(ui.RegWrites().empty());
  // While it is open only the tick's own values are written.
  p.Tick(25);
  for (const std::string& write : p.ProgramWrites())
    EXPECT_TRUE(write.rfind("LastTime=", 0) == 0 || write.rfind("EndTime=", 0) == 0) << write;
}

TEST_F(HistoryWndTest, ScalesWithTheDpi) {
  ui.SetScreenDpi(144);
  ui.SetScreenSize(2000, 1200);
  p.Start();
  Command(ID_HISTORY);
  const Rect r = ui.WindowRect(Windows()[0]);
  EXPECT_EQ(r.right - r.left, 840);
  EXPECT_EQ(r.bottom - r.top, 600);
}

TEST_F(HistoryWndTest, EnglishDisplayLanguage) {
  ui.SetUiLanguage(0x0409);
  p.Start();
  Command(ID_HISTORY);
  const Hwnd h = Windows()[0];
  EXPECT_EQ(ui.TitleOf(h),
            "Usage history: today 25 of 60 min, yesterday 43 min, the day before 0 min");
  EXPECT_TRUE(Painted(h, "Fri\n1/5"));
  EXPECT_TRUE(Painted(h, "Yesterday\n17:02 - 17:45 (43 min)"));
}

TEST_F(HistoryWndTest, EmptyListsSayNone) {
  p.Set("DayTotal", "");
  p.Set("DayTotal2", "");
  p.Start();
  Command(ID_HISTORY);
  EXPECT_TRUE(Painted(Windows()[0], "昨日の使用\n(なし)"));
}

} // namespace
} // namespace hg::test
