// Extra time, the limits by day and the question before settings that
// power the PC off, from a tray program that is the service's face: the
// same dialogs, the password judged and the figures given by the service.
#include "ProgramHarness.h"
#include "ServicePipe.h"
#include "commands/Scramble.h"
#include "res/resource.h"
#include "service/HourgaugeService.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hg::test {
namespace {

const std::string kPowerOffQuestion = "設定すると今すぐパソコンの電源が切れます。続けますか?";

class FaceCommandsTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;
  CHourgaugeService service{p.platform};

  // Friday 5 January 2024, 09:00, the password "pw", `used` seconds of
  // today in the log.
  void StartWithService(std::int32_t used = 0) {
    p.At(2024, 1, 5, 9, 0);
    if (used > 0)
      ui.SetEventLog({Start(ui.Now() - used)});
    p.Set("LimitTime", "60");
    p.Set("LastDate", "752964");
    p.Set("LastTime", "2000");
    p.Set("PASSWORD", ScramblePassword("pw"));
    ui.SetModulePath("C:\\Program Files (x86)\\HourgaugeLite\\hourgauge.exe");
    ui.SetActiveSessions({1});
    StartFaceWithService(p, service);
    Run(2);
  }
  void Run(int seconds) { RunFaceAndService(p, service, seconds); }
  void Command(UINT id) {
    ui.PostMessageA(p.hwnd, WM_COMMAND, id, 0);
    ui.Pump();
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : ui.MessageBoxes())
      texts.push_back(box.text);
    return texts;
  }
  void TearDown() override {
    EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front();
    EXPECT_TRUE(ui.ScriptDone());
  }
};

TEST_F(FaceCommandsTest, ExtraTimeIsTheServicesWithThePassword) {
  StartWithService();
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Type(IDC_EXTRA_MINUTES, "20").Click(IDOK);
  Command(ID_EXTRA_TIME);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(p.Get("LastTimeAdjust"), "1200") << "stored by the service";
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 0) << "the tray's own count never started";
  Run(1);
  EXPECT_EQ(p.Tip().rfind("LastTime( 53min )", 0), 0u) << p.Tip();
}

TEST_F(FaceCommandsTest, ExtraTimeAfterAWrongPasswordIsNeverAsked) {
  StartWithService();
  ui.Type(IDC_PASSWORD, "PW").Click(IDOK).PressEscape();
  Command(ID_EXTRA_TIME);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Password is not correct.     "});
  ASSERT_EQ(ui.Dialogs().size(), 1u) << "no extra-time dialog";
  EXPECT_FALSE(p.Get("LastTimeAdjust"));
}

TEST_F(FaceCommandsTest, SettingsShowTheStoredRulesAndSendTheNewOnes) {
  p.Set("LimitTimeFri", "25");
  p.Set("Bedtime", "21:30");
  StartWithService();
  struct Seen {
    std::string limit, fri, bedtime;
  } seen;
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT id, void* context) {
        auto* s = static_cast<Seen*>(context);
        if (id == IDD_SETTINGS && s->limit.empty())
          s->limit = platform.OpenDialogControl(id, IDC_DAILY_LIMIT)->text;
        if (id == IDD_DAY_RULES && s->fri.empty()) {
          s->fri = platform.OpenDialogControl(id, IDC_LIMIT_FRI)->text;
          s->bedtime = platform.OpenDialogControl(id, IDC_BEDTIME)->text;
        }
      },
      &seen);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.WaitSeconds(1).Click(IDC_DAY_RULES);
  ui.WaitSeconds(1).Type(IDC_LIMIT_FRI, "40").Type(IDC_LIMIT_SUN, "90").Type(IDC_BEDTIME, "");
  ui.Click(IDOK).Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(seen.limit, "60") << "the every-day limit, not Friday's";
  EXPECT_EQ(seen.fri, "25");
  EXPECT_EQ(seen.bedtime, "21:30");
  EXPECT_EQ(p.Get("LimitTimeFri"), "40");
  EXPECT_EQ(p.Get("LimitTimeSun"), "90");
  EXPECT_EQ(p.Get("Bedtime"), "");
  EXPECT_EQ(p.Get("LimitTime"), "60");
}

TEST_F(FaceCommandsTest, QuestionComesFromTheServicesUseAndCredit) {
  p.Set("LastTimeAdjust", "300"); // five minutes given earlier
  StartWithService(1500);         // 25 minutes used
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  // 20 minutes and the five of credit do not cover the 25 used.
  ui.Type(IDC_DAILY_LIMIT, "20").Click(IDOK).AnswerMessageBox(IDNO);
  ui.Type(IDC_DAILY_LIMIT, "21").Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kPowerOffQuestion});
  EXPECT_EQ(p.Get("LimitTime"), "21");
  Run(1);
  EXPECT_TRUE(ui.ShutdownRequests().empty() && ui.PowerOffRequests().empty());
}

} // namespace
} // namespace hg::test
