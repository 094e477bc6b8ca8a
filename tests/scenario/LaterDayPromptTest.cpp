// The later stored day's minute in the tray alone: the countdown window
// and one password prompt; the right password takes today as the day and
// the program counts on, a wrong one powers off at once, none lets the
// minute run out. The prompt closes itself when the minute is over.
#include "ProgramHarness.h"
#include "app/NoticeWnd.h"
#include "commands/Scramble.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

constexpr char kToday[] = "752964"; // 5 January 2024
constexpr char kLater[] = "752966"; // 7 January 2024

class LaterDayPromptTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;

  void SetUp() override {
    p.At(2024, 1, 5, 9, 0);
    p.Set("LimitTime", "60");
    p.Set("LastDate", kLater);
    p.Set("LastTime", "2000");
    p.Set("PASSWORD", ScramblePassword("pw"));
    ui.SetEventLog({Start(ui.Now() - 600)});
  }
  std::size_t Prompts() const {
    std::size_t n = 0;
    for (const sim::DialogRecord& d : ui.Dialogs())
      n += d.templateId == IDD_PASSWORD_CHECK ? 1 : 0;
    return n;
  }
  bool CountdownShown() const {
    const auto windows = ui.WindowsOfClass(kNoticeWndClass);
    return !windows.empty() && ui.IsVisible(windows[0]);
  }
  void TearDown() override { EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front(); }
};

TEST_F(LaterDayPromptTest, RightPasswordKeepsThePcOnAndStoresToday) {
  bool countdownWhileAsked = false;
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT, void* seen) {
        const auto windows = platform.WindowsOfClass(kNoticeWndClass);
        *static_cast<bool*>(seen) = !windows.empty() && platform.IsVisible(windows[0]);
      },
      &countdownWhileAsked);
  ui.WaitSeconds(10).Type(IDC_PASSWORD, "pw").PressEnter();
  p.Start();
  EXPECT_TRUE(p.wnd->m_accountant.LaterDayPending());
  p.Tick(1); // the prompt opens, and is answered
  EXPECT_EQ(Prompts(), 1u);
  EXPECT_EQ(ui.Dialogs().back().result, IDOK);
  EXPECT_TRUE(countdownWhileAsked) << "the minute's countdown shows meanwhile";
  EXPECT_FALSE(p.wnd->m_accountant.LaterDayPending());
  EXPECT_EQ(p.Get("LastDate"), kToday);
  p.Tick(120);
  EXPECT_EQ(p.PowerOffs(), 0u);
  EXPECT_TRUE(p.Alive());
  EXPECT_FALSE(CountdownShown());
  EXPECT_EQ(Prompts(), 1u);
}

TEST_F(LaterDayPromptTest, WrongPasswordPowersOffAtOnce) {
  ui.WaitSeconds(5).Type(IDC_PASSWORD, "nope").PressEnter();
  p.Start();
  p.Tick(1);
  EXPECT_EQ(Prompts(), 1u);
  EXPECT_GE(p.PowerOffs(), 1u) << "no second try";
  EXPECT_TRUE(ui.MessageBoxes().empty());
  EXPECT_EQ(p.Get("LastDate"), kLater) << "the next start asks again";
  p.Tick(5);
  EXPECT_EQ(Prompts(), 1u);
}

TEST_F(LaterDayPromptTest, NoPasswordLetsTheMinuteRunOutAndThePromptCloses) {
  ui.WaitSeconds(75);
  p.Start();
  p.Tick(1);
  EXPECT_EQ(Prompts(), 1u);
  EXPECT_EQ(ui.Dialogs().back().result, IDCANCEL) << "closed by the minute's end";
  EXPECT_GE(p.PowerOffs(), 1u);
  EXPECT_EQ(p.Get("LastDate"), kLater);
  EXPECT_TRUE(ui.ScriptDone());
}

TEST_F(LaterDayPromptTest, CancelledPromptDoesNotComeBackAndTheMinuteRunsOut) {
  ui.WaitSeconds(3).PressEscape();
  p.Start();
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 0u);
  p.Tick(70);
  EXPECT_EQ(Prompts(), 1u);
  EXPECT_GE(p.PowerOffs(), 1u);
}

TEST_F(LaterDayPromptTest, PromptOpensOnceEvenWhenAskedAgain) {
  // Another program posts the prompt's command while it is open.
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT, void* hwnd) {
        platform.PostMessageA(*static_cast<Hwnd*>(hwnd), WM_COMMAND, ID_LATER_DAY, 0);
      },
      &p.hwnd);
  ui.WaitSeconds(2).WaitSeconds(2).Type(IDC_PASSWORD, "pw").PressEnter();
  p.Start();
  p.Tick(1);
  EXPECT_EQ(Prompts(), 1u);
  ui.SetDialogObserver(nullptr, nullptr);
  // After the minute the command opens nothing.
  ui.PostMessageA(p.hwnd, WM_COMMAND, ID_LATER_DAY, 0);
  ui.Pump();
  EXPECT_EQ(Prompts(), 1u);
}

TEST_F(LaterDayPromptTest, WithoutAStoredPasswordOkTakesToday) {
  p.Set("PASSWORD", "");
  ui.WaitSeconds(2).PressEnter();
  p.Start();
  p.Tick(1);
  EXPECT_EQ(p.Get("LastDate"), kToday);
  p.Tick(90);
  EXPECT_EQ(p.PowerOffs(), 0u);
}

TEST_F(LaterDayPromptTest, NoPromptOnAnOrdinaryDay) {
  p.Set("LastDate", kToday);
  p.Start();
  p.Tick(90);
  EXPECT_EQ(Prompts(), 0u);
}

} // namespace
} // namespace hg::test
