// The enforcing service second by second on the simulated Windows: when it
// starts counting, awake time only, the power-off from session 0, the
// parent's zone, the pipe's commands behind the password, the pause after
// the exit command, the uninstall, and what it does when no tray is there.
#include "ProgramHarness.h"
#include "ServiceHarness.h"
#include "commands/Scramble.h"
#include "res/resource.h"
#include "service/ServiceUninstall.h"
#include "service/SessionPowerOff.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

constexpr char kToday[] = "752964"; // 2024-01-05
constexpr char kTrayCommand[] = "\"C:\\Program Files (x86)\\HourgaugeLite\\hourgauge.exe\"";

class ServiceTest : public ::testing::Test {
protected:
  ServiceRun s;
  void SetUp() override {
    s.At(2024, 1, 5, 9, 0);
    s.Set("LimitTime", "60");
    s.Set("LastDate", kToday);
  }
  // Someone is signed in: the service counts from its start.
  void StartSignedIn() {
    s.platform.SetActiveSessions({1});
    s.service.OnStart();
  }
  std::string Text(UINT id) {
    char text[512];
    s.platform.LoadStringA(id, text, sizeof text);
    return text;
  }
};

TEST_F(ServiceTest, CountsEveryAwakeSecondAndNothingOfSleepOrAStall) {
  s.Set("LastTime", "1000");
  StartSignedIn();
  s.Run(10);
  EXPECT_EQ(s.Get("LastTime"), "990");
  s.platform.SleepFor(3600); // the clock moves on, awake time does not
  s.Run(5);
  EXPECT_EQ(s.Get("LastTime"), "985");
  // A loop held up for 12 seconds catches every one of them up at once.
  s.platform.AdvanceSeconds(12);
  s.service.OnWake();
  EXPECT_EQ(s.Get("LastTime"), "973");
}

TEST_F(ServiceTest, BootWithNobodySignedInWaitsForTheFirstSignIn) {
  s.Set("LimitTime", "0");
  s.Set("LastTime", "0"); // a spent day
  s.service.OnStart();
  s.Run(120);
  EXPECT_EQ(s.Get("LastTime"), "0") << "nothing counted or stored before a sign-in";
  EXPECT_FALSE(s.Get("EndTime"));
  EXPECT_TRUE(s.platform.ShutdownRequests().empty());

  s.platform.SetActiveSessions({1});
  EXPECT_EQ(s.service.OnControl(kControlSessionChange, kSessionLogon, 1), DWORD{NO_ERROR});
  EXPECT_EQ(s.Get("LastTime"), "60") << "the start-up grace begins at the sign-in";
  s.Run(90);
  EXPECT_TRUE(s.platform.ShutdownRequests().empty()) << "a parent has the minute and a half";
  s.Run(1);
  EXPECT_EQ(s.platform.ShutdownRequests().size(), 1u);
}

TEST_F(ServiceTest, BootWithoutASignInStartsCountingFiveMinutesAfterTheBoot) {
  s.Set("LastTime", "1000");
  s.service.OnStart();
  s.Run(299);
  EXPECT_EQ(s.service.Accountant(), nullptr);
  EXPECT_FALSE(s.Get("EndTime"));
  s.Run(1);
  EXPECT_NE(s.service.Accountant(), nullptr);
  s.Run(1);
  EXPECT_TRUE(s.Get("EndTime"));
  EXPECT_EQ(s.Get("LastTime"), "999");
}

TEST_F(ServiceTest, SpentDayPowersOffFromSessionZeroOnEveryTick) {
  s.Set("LimitTime", "0");
  s.Set("LastTime", "0");
  StartSignedIn();
  s.Run(91);
  ASSERT_EQ(s.platform.ShutdownRequests().size(), 1u);
  const sim::ShutdownRequest& r = s.platform.ShutdownRequests()[0];
  EXPECT_EQ(r.flags, DWORD{SHUTDOWN_POWEROFF | SHUTDOWN_FORCE_OTHERS | SHUTDOWN_FORCE_SELF});
  EXPECT_EQ(r.reason, kServicePowerOffReason);
  EXPECT_EQ(r.result, DWORD{ERROR_SUCCESS}) << "the privilege was enabled first";
  EXPECT_EQ(s.Get("LastTime"), "0");
  s.Run(2);
  EXPECT_EQ(s.platform.ShutdownRequests().size(), 3u) << "asked again while the day is spent";
  EXPECT_TRUE(s.platform.PowerOffRequests().empty()) << "no ExitWindowsEx from session 0";
}

TEST_F(ServiceTest, WhereInitiateShutdownIsMissingExitWindowsExPowersOff) {
  s.Set("LimitTime", "0");
  s.Set("LastTime", "0");
  s.platform.SetInitiateShutdownResult(ERROR_CALL_NOT_IMPLEMENTED);
  StartSignedIn();
  s.Run(91);
  ASSERT_EQ(s.platform.PowerOffRequests().size(), 1u);
  EXPECT_NE(s.platform.PowerOffRequests()[0].flags & EWX_POWEROFF, 0u);
}

TEST_F(ServiceTest, DayFollowsTheParentsZoneWhateverWindowsIsSetTo) {
  for (const char* pinned : {"Tokyo Standard Time", ""}) {
    ServiceRun run;
    run.At(2024, 1, 5, 23, 59, 50); // Tokyo; 15:59:50 in Berlin
    run.Set("LimitTime", "60");
    run.Set("LastDate", kToday);
    run.Set("LastTime", "1000");
    run.Set("TimeZone", pinned);
    run.platform.SetTimeZone("Europe/Berlin"); // a child moved Windows' zone
    run.platform.SetActiveSessions({1});
    run.service.OnStart();
    run.Run(15);
    if (pinned[0] != '\0') {
      EXPECT_EQ(run.Get("LastDate"), "752965") << "Tokyo's midnight began a new day";
      EXPECT_EQ(run.platform.ShutdownRequests().size(), 1u);
    } else {
      EXPECT_EQ(run.Get("LastDate"), kToday) << "still the 5th in Berlin";
      EXPECT_TRUE(run.platform.ShutdownRequests().empty());
    }
  }
}

TEST_F(ServiceTest, StatusTellsTheTrayWhatItShows) {
  s.Set("LastTime", "1000");
  s.Set("PASSWORD", ScramblePassword("pw"));
  StartSignedIn();
  s.Run(3);
  auto reply = s.Ask(RequestKind::Status, "");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  EXPECT_EQ(reply->flags, kReplyPasswordSet | kReplyCounting);
  EXPECT_EQ(reply->remaining, 997);
  EXPECT_EQ(reply->limitMinutes, 60);
}

TEST_F(ServiceTest, CommandsNeedThePasswordAndGarbageEndsTheConnection) {
  s.Set("LastTime", "1000");
  s.Set("PASSWORD", ScramblePassword("pw"));
  StartSignedIn();
  ServiceRequest settings;
  settings.kind = RequestKind::Settings;
  settings.limitMinutes = 120;
  std::strcpy(settings.password, "wrong");
  auto reply = s.Ask(settings);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::WrongPassword);
  EXPECT_EQ(s.Get("LimitTime"), "60");

  std::strcpy(settings.password, "pw");
  reply = s.Ask(settings);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::LockedOut) << "a second try within two seconds";
  s.Run(2);
  reply = s.Ask(settings);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  EXPECT_EQ(s.Get("LimitTime"), "120");
  EXPECT_EQ(reply->limitMinutes, 120);

  std::uint8_t garbage[kRequestSize] = {1, 2, 3};
  EXPECT_FALSE(s.Send(garbage, sizeof garbage));
  EXPECT_FALSE(s.Send(garbage, 5));
}

TEST_F(ServiceTest, TenWrongPasswordsLockEveryConnectionOut) {
  s.Set("PASSWORD", ScramblePassword("pw"));
  StartSignedIn();
  for (std::uint64_t c = 1; c <= 10; ++c)
    EXPECT_EQ(s.Ask(RequestKind::CheckPassword, "guess", c)->result, ReplyResult::WrongPassword);
  auto reply = s.Ask(RequestKind::CheckPassword, "pw", 11);
  EXPECT_EQ(reply->result, ReplyResult::LockedOut);
  EXPECT_EQ(reply->lockoutSeconds, 300);
  s.Run(300);
  EXPECT_EQ(s.Ask(RequestKind::CheckPassword, "pw", 12)->result, ReplyResult::Ok);
}

TEST_F(ServiceTest, PasswordChangeFollowsTheDialogsRules) {
  StartSignedIn();
  ServiceRequest change;
  change.kind = RequestKind::ChangePassword;
  std::strcpy(change.newPassword, "toolongpw");
  EXPECT_EQ(s.Ask(change)->result, ReplyResult::Failed);
  EXPECT_FALSE(s.Get("PASSWORD"));
  s.Run(2);
  std::strcpy(change.newPassword, "new pw");
  EXPECT_EQ(s.Ask(change)->result, ReplyResult::Ok);
  EXPECT_EQ(s.Get("PASSWORD"), ScramblePassword("new pw"));
  s.Run(2);
  std::strcpy(change.password, "new pw");
  change.newPassword[0] = '\0';
  EXPECT_EQ(s.Ask(change)->result, ReplyResult::Ok);
  EXPECT_EQ(s.Get("PASSWORD"), "") << "an empty new password clears it";
}

TEST_F(ServiceTest, ExitPausesTheCountUntilTheNextSignIn) {
  s.Set("LastTime", "1000");
  StartSignedIn();
  s.RunWithTray(5);
  auto reply = s.Ask(RequestKind::Exit, "");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->flags & (kReplyPaused | kReplyCounting), kReplyPaused);
  EXPECT_EQ(s.Get("LastTime"), "995");
  s.Run(60);
  EXPECT_EQ(s.Get("LastTime"), "995");
  EXPECT_TRUE(s.platform.UserProcesses().empty()) << "no tray is started while paused";
  s.service.OnControl(kControlSessionChange, kSessionLogon, 1);
  s.Run(3);
  EXPECT_EQ(s.Get("LastTime"), "992");
}

TEST_F(ServiceTest, UninstallRemovesEverythingAsTheSystem) {
  s.Set("PASSWORD", ScramblePassword("pw"));
  s.platform.SetRegText(reg::kRunKey, reg::kAutostartValue, "\"C:\\x\\hourgauge.exe\"");
  s.platform.SetRegText(kSafeBootMinimalKey, "", "Service");
  s.platform.SetRegText(kSafeBootNetworkKey, "", "Service");
  s.platform.SetService(true);
  StartSignedIn();
  s.platform.RefuseFileMoves(ERROR_ACCESS_DENIED);
  auto reply = s.Ask(RequestKind::Uninstall, "pw");
  EXPECT_EQ(reply->result, ReplyResult::Failed);
  EXPECT_EQ(reply->error, DWORD{ERROR_ACCESS_DENIED});
  EXPECT_TRUE(s.platform.RegKeyExists(reg::kProgramKey)) << "a refusal keeps the password";
  EXPECT_FALSE(s.service.StopRequested());

  s.platform.RefuseFileMoves(0);
  s.Run(2);
  reply = s.Ask(RequestKind::Uninstall, "pw");
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  EXPECT_FALSE(s.platform.RegKeyExists(reg::kProgramKey));
  EXPECT_FALSE(s.platform.RegText(reg::kRunKey, reg::kAutostartValue));
  EXPECT_FALSE(s.platform.RegKeyExists(kSafeBootMinimalKey));
  EXPECT_FALSE(s.platform.RegKeyExists(kSafeBootNetworkKey));
  EXPECT_TRUE(s.platform.ServiceDeleted());
  EXPECT_EQ(s.platform.OpenServiceHandles(), 0);
  ASSERT_EQ(s.platform.FileMoves().size(), 2u);
  EXPECT_EQ(s.platform.FileMoves()[0].existing,
            "C:\\Program Files (x86)\\HourgaugeLite\\hourgauge-service.exe");
  EXPECT_EQ(s.platform.FileMoves()[1].existing,
            "C:\\Program Files (x86)\\HourgaugeLite\\hourgauge.exe");
  EXPECT_TRUE(s.service.StopRequested());
  s.Run(5);
  EXPECT_FALSE(s.platform.RegKeyExists(reg::kProgramKey)) << "nothing is written after it";
}

TEST_F(ServiceTest, NoTrayAtTheStartIsStartedAtOnce) {
  s.Set("LastTime", "1000");
  StartSignedIn();
  s.Run(3);
  EXPECT_TRUE(s.platform.UserProcesses().empty()) << "a running tray has a moment to connect";
  s.Run(2);
  ASSERT_EQ(s.platform.UserProcesses().size(), 1u);
  s.Run(28);
  EXPECT_EQ(s.platform.UserProcesses().size(), 1u) << "not again while the first one starts";
  s.Run(1);
  EXPECT_EQ(s.platform.UserProcesses().size(), 2u);
}

TEST_F(ServiceTest, TrayThatEndedIsStartedAgainWithinTenSeconds) {
  s.Set("LastTime", "1000");
  StartSignedIn();
  s.RunWithTray(20);
  EXPECT_TRUE(s.platform.UserProcesses().empty());
  s.Run(10); // the tray was killed
  ASSERT_EQ(s.platform.UserProcesses().size(), 1u);
  EXPECT_EQ(s.platform.UserProcesses()[0].session, 1u);
  EXPECT_EQ(s.platform.UserProcesses()[0].commandLine, kTrayCommand);
  s.RunWithTray(60);
  EXPECT_EQ(s.platform.UserProcesses().size(), 1u) << "a tray that answers is left alone";
}

TEST_F(ServiceTest, WithoutATrayTheSessionsGetTheWarningsThemselves) {
  s.Set("LimitTime", "11");
  s.Set("LastTime", "660");
  s.platform.SetEventLog({Start(s.platform.Now())});
  StartSignedIn();
  s.Run(61);
  ASSERT_EQ(s.platform.SessionMessages().size(), 1u);
  const sim::SessionMessage& m = s.platform.SessionMessages()[0];
  EXPECT_EQ(m.session, 1u);
  EXPECT_EQ(m.title, "HourgaugeLite");
  EXPECT_EQ(m.text, Text(IDS_NOTICE_10MIN));
  EXPECT_EQ(m.style, DWORD{MB_OK | MB_ICONWARNING | MB_SETFOREGROUND});
}

TEST_F(ServiceTest, WithATrayTheWarningsAreTheTraysOwn) {
  s.Set("LimitTime", "11");
  s.Set("LastTime", "660");
  s.platform.SetEventLog({Start(s.platform.Now())});
  StartSignedIn();
  s.RunWithTray(61);
  EXPECT_TRUE(s.platform.SessionMessages().empty());
  auto reply = s.Ask(RequestKind::Status, "");
  EXPECT_EQ(reply->balloon, static_cast<std::uint16_t>(Balloon::TenMinutes));
  EXPECT_EQ(reply->noticeNumber, 1u);
}

TEST_F(ServiceTest, TimeIsUpReachesTheSessionsBeforeThePowerOff) {
  s.Set("LimitTime", "0");
  s.Set("LastTime", "0");
  StartSignedIn();
  s.Run(93);
  int timeUp = 0;
  for (const sim::SessionMessage& m : s.platform.SessionMessages())
    timeUp += m.text == Text(IDS_NOTICE_TIME_UP) ? 1 : 0;
  EXPECT_EQ(timeUp, 1) << "once, not on every retry";
}

TEST_F(ServiceTest, ControlsItTakesAndTheOnesItIgnores) {
  s.Set("LastTime", "1000");
  StartSignedIn();
  s.Run(4);
  for (DWORD user = 128; user <= 255; ++user)
    EXPECT_EQ(s.service.OnControl(user, 0, 0), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
  EXPECT_EQ(s.service.OnControl(kControlInterrogate, 0, 0), DWORD{NO_ERROR});
  EXPECT_EQ(s.service.OnControl(kControlPowerEvent, kPowerSuspend, 0), DWORD{NO_ERROR});
  EXPECT_EQ(s.service.OnControl(kControlShutdown, 0, 0), DWORD{NO_ERROR});
  EXPECT_FALSE(s.service.StopRequested());
  EXPECT_EQ(s.service.OnControl(kControlStop, 0, 0), DWORD{NO_ERROR});
  EXPECT_TRUE(s.service.StopRequested());
  EXPECT_EQ(s.Get("LastTime"), "996");
}

} // namespace
} // namespace hg::test
