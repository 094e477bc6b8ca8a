// The program on a Windows whose display language is not Japanese: every
// text a parent or child reads is English.
#include "ProgramHarness.h"
#include "app/NoticeWnd.h"
#include "commands/Scramble.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

class EnglishUiTest : public ::testing::Test {
protected:
  Program p;
  void SetUp() override {
    p.platform.SetUiLanguage(0x0409);
    p.At(2024, 1, 23, 9, 0);
    p.Set("LastDate", "752982"); // 23 January 2024
  }
  void Command(UINT id) {
    p.platform.PostMessageA(p.hwnd, WM_COMMAND, id, 0);
    p.platform.Pump();
  }
};

TEST_F(EnglishUiTest, TooltipShowsEnglishDays) {
  p.Set("LastTime", "3000");
  p.platform.SetEventLog({Start(p.Local(2024, 1, 23, 8, 42)), Stop(p.Local(2024, 1, 22, 19, 0)),
                          Start(p.Local(2024, 1, 22, 18, 0))});
  p.Start();
  EXPECT_EQ(p.Tip(), "Time left( 50min )");
  p.Tick(30); // the first recount
  EXPECT_EQ(p.Tip(), "Time left( 41min )\n 23rd(18min) 22nd(60min) 21st(0min)");
}

TEST_F(EnglishUiTest, MenuAndItsPasswordItemAreEnglish) {
  p.Start();
  p.platform.ChooseMenuItem(0);
  p.platform.SendMessageA(p.hwnd, WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONDOWN);
  p.platform.Pump();
  ASSERT_EQ(p.platform.Popups().size(), 1u);
  const auto& items = p.platform.Popups()[0].items;
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0], std::make_pair(UINT{ID_CHANGE_PASSWORD}, std::string("Set &Password...")));
  EXPECT_EQ(items[1].second, "&Settings...");
  EXPECT_EQ(items[2].second, "&Extra time...");
  EXPECT_EQ(items[3].second, "Usage &history...");
  EXPECT_EQ(items[7].second, "E&xit");
}

TEST_F(EnglishUiTest, DialogMessagesAndUninstallAreEnglish) {
  p.Set("PASSWORD", ScramblePassword("abc"));
  p.Start();
  p.platform.Type(IDC_PASSWORD, "no").PressEnter();
  p.platform.Type(IDC_PASSWORD, "abc").PressEnter();
  p.platform.Type(IDC_DAILY_LIMIT, "35791395").Click(IDOK);
  p.platform.PressEscape();
  Command(ID_SETTINGS);
  p.platform.Type(IDC_PASSWORD, "abc").PressEnter();
  Command(ID_UNINSTALL);
  std::vector<std::string> texts;
  for (const auto& box : p.platform.MessageBoxes())
    texts.push_back(box.caption + ": " + box.text);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Password Error: Password is not correct.     ");
  EXPECT_EQ(texts[1], "Hourgauge: Please enter an integer between 0 and 35791394.");
  EXPECT_EQ(texts[2], "HourgaugeLite: Restart Windows to finish removing HourgaugeLite.  ");
}

TEST_F(EnglishUiTest, WarningsAndTheCountdownAreEnglish) {
  p.Set("LastTime", "610");
  p.platform.SetEventLog({Start(p.platform.Now() - (3600 - 610))});
  p.Start();
  p.Tick(600);
  std::vector<std::string> balloons;
  for (const auto& call : p.platform.TrayCalls())
    if (call.data.uFlags & NIF_INFO)
      balloons.push_back(call.data.szInfo);
  const std::vector<std::string> expected = {
      "This PC turns off in 10 minutes. Please save your work.",
      "This PC turns off in 5 minutes. Please save your work.",
      "This PC turns off in 1 minute. Please save your work."};
  EXPECT_EQ(balloons, expected);
  auto windows = p.platform.WindowsOfClass(kNoticeWndClass);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(p.platform.TitleOf(windows[0]), "Turning off in 11 s");
}

} // namespace
} // namespace hg::test
