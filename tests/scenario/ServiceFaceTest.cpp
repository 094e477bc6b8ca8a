// The tray program with the service installed: it shows the service's
// figures, writes nothing, sends its commands through the pipe with the
// password, and trusts no pipe but the service's own.
#include "ProgramHarness.h"
#include "ServicePipe.h"
#include "commands/Scramble.h"
#include "res/resource.h"
#include "service/HourgaugeService.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hg::test {
namespace {

// A program that took the pipe's name: it only counts what reaches it.
struct Impostor {
  int requests = 0;
};
int ServeImpostor(void* context, std::uint64_t, const std::uint8_t*, std::size_t, std::uint8_t*,
                  std::size_t) {
  ++static_cast<Impostor*>(context)->requests;
  return -1;
}

class ServiceFaceTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;
  CHourgaugeService service{p.platform};

  void SetUp() override {
    p.At(2024, 1, 5, 9, 0);
    p.Set("LimitTime", "60");
    p.Set("LastDate", "752964");
    p.Set("LastTime", "1000");
    ui.SetModulePath("C:\\Program Files (x86)\\HourgaugeLite\\hourgauge.exe");
    ui.SetActiveSessions({1});
  }
  void StartWithService() { StartFaceWithService(p, service); }
  // Seconds with both programs running.
  void Run(int seconds) { RunFaceAndService(p, service, seconds); }
  void Command(UINT id) {
    ui.PostMessageA(p.hwnd, WM_COMMAND, id, 0);
    ui.Pump();
  }
  std::string Text(UINT id) {
    char text[512];
    ui.LoadStringA(id, text, sizeof text);
    return text;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : ui.MessageBoxes())
      texts.push_back(box.text);
    return texts;
  }
  void TearDown() override { EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front(); }
};

TEST_F(ServiceFaceTest, ShowsTheServicesTimeAndWritesNothingItself) {
  StartWithService();
  Run(5);
  EXPECT_EQ(p.Get("LastTime"), "995") << "the service counts";
  EXPECT_EQ(p.Tip().rfind("LastTime( 16min )", 0), 0u) << p.Tip();
  EXPECT_FALSE(ui.RegText(reg::kRunKey, reg::kAutostartValue)) << "the tray wrote its entry";
  EXPECT_EQ(p.wnd->m_accountant.TickCount(), 0) << "the tray's own count never started";
}

TEST_F(ServiceFaceTest, InstalledButStoppedServiceIsSaidAndRefusesTheCommands) {
  ui.SetService(true, SERVICE_STOPPED);
  p.Set("PASSWORD", ScramblePassword("pw"));
  p.Start();
  ui.ClearRegJournal();
  p.Tick(5);
  EXPECT_EQ(p.Tip(), Text(IDS_SERVICE_NOT_RUNNING));
  EXPECT_TRUE(ui.RegWrites().empty()) << "no fallback to counting here";
  for (UINT command : {ID_SETTINGS, ID_QUIT, ID_UNINSTALL, ID_CHANGE_PASSWORD})
    Command(command);
  EXPECT_EQ(Boxes(), std::vector<std::string>(4, Text(IDS_SERVICE_REFUSED)));
  EXPECT_TRUE(ui.Dialogs().empty()) << "no password dialog: nothing could judge it";
  EXPECT_TRUE(p.Alive());
}

TEST_F(ServiceFaceTest, APipeThatIsNotTheServicesOwnGetsNoPassword) {
  Impostor impostor;
  ui.SetService(true, SERVICE_RUNNING, kServiceProcess);
  ui.SetPipeServer(kServicePipeName, &ServeImpostor, &impostor, 0x999);
  p.Set("PASSWORD", ScramblePassword("pw"));
  p.Start();
  p.Tick(3);
  Command(ID_SETTINGS);
  EXPECT_EQ(impostor.requests, 0);
  EXPECT_EQ(p.Tip(), Text(IDS_SERVICE_NOT_RUNNING));
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(IDS_SERVICE_REFUSED)});
}

TEST_F(ServiceFaceTest, SettingsGoThroughTheServiceWithThePassword) {
  p.Set("PASSWORD", ScramblePassword("pw"));
  StartWithService();
  Run(2);
  // A wrong password keeps the dialog open with the usual message; the
  // right one, two seconds later, opens the settings.
  ui.Type(IDC_PASSWORD, "nope").Click(IDOK).AnswerMessageBox(IDOK).WaitSeconds(2);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Type(IDC_DAILY_LIMIT, "90").Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(IDS_PASSWORD_WRONG)});
  EXPECT_EQ(p.Get("LimitTime"), "90");
  Run(1);
  EXPECT_EQ(p.Tip().rfind("LastTime( 90min )", 0), 0u) << "recounted by the service";
}

TEST_F(ServiceFaceTest, PasswordIsChangedByTheService) {
  p.Set("PASSWORD", ScramblePassword("old"));
  StartWithService();
  Run(2);
  ui.Type(IDC_PASSWORD, "old").Type(IDC_NEW_PASSWORD, "new").Type(IDC_CONFIRM_PASSWORD, "new");
  ui.Click(IDOK);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_TRUE(ui.MessageBoxes().empty());
  EXPECT_EQ(p.Get("PASSWORD"), ScramblePassword("new"));
}

TEST_F(ServiceFaceTest, ExitEndsTheTrayAndPausesTheServicesCount) {
  StartWithService();
  Run(3);
  Command(ID_QUIT);
  ui.Pump();
  EXPECT_FALSE(p.Alive());
  const auto stored = p.Get("LastTime");
  for (int i = 0; i < 10; ++i) {
    ui.AdvanceSeconds(1);
    service.OnWake();
  }
  EXPECT_EQ(p.Get("LastTime"), stored);
}

TEST_F(ServiceFaceTest, UninstallIsTheServicesAndEndsTheTray) {
  p.Set("PASSWORD", ScramblePassword("pw"));
  StartWithService();
  Run(2);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK).AnswerMessageBox(IDOK);
  Command(ID_UNINSTALL);
  ui.Pump();
  EXPECT_FALSE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_TRUE(ui.ServiceDeleted());
  EXPECT_TRUE(service.StopRequested());
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(IDS_UNINSTALL_MESSAGE)});
  EXPECT_FALSE(p.Alive());
}

TEST_F(ServiceFaceTest, EachNoticeOfTheServiceIsOneBalloon) {
  p.Set("LimitTime", "11");
  p.Set("LastTime", "660");
  ui.SetEventLog({Start(ui.Now())});
  StartWithService();
  Run(70);
  int balloons = 0;
  for (const sim::TrayCall& call : ui.TrayCalls())
    if (call.data.uFlags == NIF_INFO) {
      ++balloons;
      EXPECT_EQ(std::string(call.data.szInfo), Text(IDS_NOTICE_10MIN));
    }
  EXPECT_EQ(balloons, 1);
  EXPECT_TRUE(ui.SessionMessages().empty()) << "the tray was there";
}

} // namespace
} // namespace hg::test
