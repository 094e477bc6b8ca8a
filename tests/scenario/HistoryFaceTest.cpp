// The history window and the later stored day's prompt of the tray as the
// service's face: the figures come from a History request, the password of
// the later day goes to the service, which judges it.
#include "ProgramHarness.h"
#include "ServicePipe.h"
#include "app/HistoryWnd.h"
#include "commands/Scramble.h"
#include "res/resource.h"
#include "service/HourgaugeService.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hg::test {
namespace {

class HistoryFaceTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;
  CHourgaugeService service{p.platform};

  void SetUp() override {
    p.At(2024, 1, 5, 9, 0);
    p.Set("LimitTime", "60");
    p.Set("LastDate", "752964");
    p.Set("LastTime", "3000");
    p.Set("PASSWORD", ScramblePassword("pw"));
    p.Set("DayTotal2", "\n01/04 17:02:10 - 01/04 17:45:40 (43min)");
    ui.SetEventLog({Start(ui.Now() - 600)});
    ui.SetModulePath("C:\\Program Files (x86)\\HourgaugeLite\\hourgauge.exe");
    ui.SetActiveSessions({1});
  }
  void StartWithService() { StartFaceWithService(p, service); }
  void Run(int seconds) { RunFaceAndService(p, service, seconds); }
  void TearDown() override { EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front(); }
};

TEST_F(HistoryFaceTest, HistoryComesFromTheService) {
  StartWithService();
  Run(2);
  ui.PostMessageA(p.hwnd, WM_COMMAND, ID_HISTORY, 0);
  ui.Pump();
  const auto windows = ui.WindowsOfClass(kHistoryWndClass);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(ui.TitleOf(windows[0]), "使用履歴: 今日 10分 (上限 60分)、昨日 0分、おととい 0分");
  const auto texts = ui.PaintedTexts(windows[0]);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "昨日の使用\n17:02～17:45 (43分)"), texts.end());
  EXPECT_TRUE(ui.Dialogs().empty()) << "no password";
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 0) << "the tray's own count never started";
}

TEST_F(HistoryFaceTest, LaterDayRightPasswordGoesToTheService) {
  p.Set("LastDate", "752966");
  ui.WaitSeconds(3).Type(IDC_PASSWORD, "pw").PressEnter();
  StartWithService();
  Run(3);
  EXPECT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_EQ(p.Get("LastDate"), "752964");
  Run(90);
  EXPECT_TRUE(ui.ShutdownRequests().empty());
  EXPECT_TRUE(p.Alive());
}

TEST_F(HistoryFaceTest, LaterDayWrongPasswordEndsTheMinuteInTheService) {
  p.Set("LastDate", "752966");
  ui.WaitSeconds(3).Type(IDC_PASSWORD, "nope").PressEnter();
  StartWithService();
  Run(3);
  EXPECT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_FALSE(ui.ShutdownRequests().empty()) << "the service powers off at once";
  EXPECT_EQ(p.Get("LastDate"), "752966");
}

} // namespace
} // namespace hg::test
