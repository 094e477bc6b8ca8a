// The password, settings, exit and uninstall commands with a scripted parent.
#include "ProgramHarness.h"
#include "commands/Scramble.h"
#include "res/Texts.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

class CommandsTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;
  void SetUp() override {
    p.At(2024, 1, 5, 9, 0);
    p.Set("LastDate", "752964");
    p.Set("LastTime", "3000");
    p.Start();
  }
  void Command(UINT id) {
    ui.PostMessageA(p.hwnd, WM_COMMAND, id, 0);
    ui.Pump();
  }
  void SetPassword(const std::string& plain) { p.Set("PASSWORD", ScramblePassword(plain)); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : ui.MessageBoxes())
      texts.push_back(box.text);
    return texts;
  }
  std::vector<UINT> DialogIds() const {
    std::vector<UINT> ids;
    for (const auto& d : ui.Dialogs())
      ids.push_back(d.templateId);
    return ids;
  }
  void TearDown() override { EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front(); }
};

TEST(ScrambleTest, RoundTripAndTheKeyByteRule) {
  EXPECT_EQ(ScramblePassword(ScramblePassword("abc")), "abc");
  EXPECT_EQ(ScramblePassword("abc").size(), 3u);
  EXPECT_NE(ScramblePassword("abc"), "abc");
  EXPECT_EQ(ScramblePassword(""), "");
  std::string key(1, static_cast<char>(kScrambleKey));
  EXPECT_EQ(ScramblePassword(key + "abc"), "");
  EXPECT_EQ(ScramblePassword("ab" + key + "cd"), ScramblePassword("ab"));
  EXPECT_EQ(ScramblePassword(std::string(300, 'x')).size(), 255u);
}

// ---- Password ----------------------------------------------------------------

struct DisabledSeen {
  bool checked = false;
  bool enabled = true;
};
void LookAtOldEdit(sim::SimPlatform& platform, UINT templateId, void* context) {
  auto* seen = static_cast<DisabledSeen*>(context);
  if (templateId != IDD_PASSWORD_CHANGE || seen->checked)
    return;
  seen->checked = true;
  seen->enabled = platform.OpenDialogControl(templateId, IDC_PASSWORD)->enabled;
}

TEST_F(CommandsTest, SettingAPasswordWhenNoneIsStored) {
  DisabledSeen seen;
  ui.SetDialogObserver(&LookAtOldEdit, &seen);
  ui.Type(IDC_NEW_PASSWORD, "abc").Type(IDC_CONFIRM_PASSWORD, "abc").Click(IDOK);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_TRUE(seen.checked);
  EXPECT_FALSE(seen.enabled) << "no old password to type";
  EXPECT_EQ(p.Get("PASSWORD"), ScramblePassword("abc"));
  EXPECT_EQ(p.Get("PASSWORD")->size(), 3u);
  EXPECT_TRUE(ui.MessageBoxes().empty());
  EXPECT_EQ(DialogIds(), std::vector<UINT>{IDD_PASSWORD_CHANGE});
}

TEST_F(CommandsTest, CheckDialogAcceptsExactlyThePassword) {
  SetPassword("abc");
  ui.Type(IDC_PASSWORD, "ABC").PressEnter();
  ui.Type(IDC_PASSWORD, "abc ").PressEnter();
  ui.Type(IDC_PASSWORD, "ab").PressEnter();
  ui.Type(IDC_PASSWORD, "abcabcabcabc").PressEnter();
  ui.Type(IDC_PASSWORD, "abc").PressEnter();
  ui.PressEscape(); // the settings dialog that follows
  Command(ID_SETTINGS);
  ASSERT_EQ(ui.MessageBoxes().size(), 4u);
  for (const auto& box : ui.MessageBoxes()) {
    EXPECT_EQ(box.text, "Password is not correct.     ");
    EXPECT_EQ(box.caption, "Password Error");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONHAND | MB_OK));
  }
  EXPECT_EQ(DialogIds(), (std::vector<UINT>{IDD_PASSWORD_CHECK, IDD_SETTINGS}));
  EXPECT_EQ(ui.Dialogs()[0].result, IDOK);
}

TEST_F(CommandsTest, EscapeOrCloseBoxInTheCheckDialogChangesNothing) {
  SetPassword("abc");
  ui.PressEscape();
  Command(ID_QUIT);
  ui.PressCloseBox();
  Command(ID_UNINSTALL);
  ui.PressEscape();
  Command(ID_SETTINGS);
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(ui.HasTimer(p.hwnd, 1));
  EXPECT_TRUE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_EQ(DialogIds(), std::vector<UINT>(3, IDD_PASSWORD_CHECK));
  p.Tick(1);
  EXPECT_EQ(p.Get("LastTime"), "2999");
}

TEST_F(CommandsTest, ChangeDialogReportsOnlyTheFirstFailingCheck) {
  SetPassword("abc");
  ui.Type(IDC_PASSWORD, "xyz").Type(IDC_NEW_PASSWORD, "one").Type(IDC_CONFIRM_PASSWORD, "two");
  ui.Click(IDOK);
  ui.Type(IDC_PASSWORD, "abc").Click(IDOK);
  ui.Type(IDC_CONFIRM_PASSWORD, "one").Click(IDOK);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"Old Password is not correct. Please input again...  ",
                                      "New Password does not match. Please input again...  "}));
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "Warning");
  EXPECT_EQ(ui.MessageBoxes()[0].type, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
  EXPECT_EQ(p.Get("PASSWORD"), ScramblePassword("one"));
}

TEST_F(CommandsTest, NewPasswordWithTheKeyByteIsRefused) {
  std::string bad = std::string("ab") + static_cast<char>(kScrambleKey) + "c";
  ui.Type(IDC_NEW_PASSWORD, bad).Type(IDC_CONFIRM_PASSWORD, bad).Click(IDOK);
  ui.Click(IDCANCEL);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "New Password is not correct. Please try another password...  "});
  EXPECT_FALSE(p.Get("PASSWORD"));
}

TEST_F(CommandsTest, EmptyNewPasswordClearsTheProtection) {
  SetPassword("abc");
  ui.Type(IDC_PASSWORD, "abc").Click(IDOK);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_EQ(p.Get("PASSWORD"), "");
  ui.PressEscape();
  Command(ID_SETTINGS);
  EXPECT_EQ(DialogIds(), (std::vector<UINT>{IDD_PASSWORD_CHANGE, IDD_SETTINGS}));
  p.platform.SendMessageA(p.hwnd, WM_TRAYNOTIFY, 101, WM_RBUTTONDOWN);
  EXPECT_EQ(ui.Popups().back().items[0].second, "パスワード設定(&P)");
}

TEST_F(CommandsTest, PasswordEditsStopAtEightCharacters) {
  ui.Type(IDC_NEW_PASSWORD, "abcdefghij").Type(IDC_CONFIRM_PASSWORD, "abcdefgh").Click(IDOK);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_EQ(p.Get("PASSWORD"), ScramblePassword("abcdefgh"));
}

TEST_F(CommandsTest, CancelAfterFailedAttemptsStoresNothing) {
  SetPassword("abc");
  ui.Type(IDC_PASSWORD, "bad").Click(IDOK).Click(IDCANCEL);
  Command(ID_CHANGE_PASSWORD);
  EXPECT_EQ(p.Get("PASSWORD"), ScramblePassword("abc"));
  EXPECT_EQ(ui.Dialogs().back().result, IDCANCEL);
}

TEST_F(CommandsTest, HandEditedLongPasswordNeverOverrunsItsBuffer) {
  p.Set("PASSWORD", ScramblePassword(std::string(40, 'q')));
  ui.Type(IDC_PASSWORD, std::string(40, 'q')).PressEnter();
  ui.Type(IDC_PASSWORD, std::string(19, 'q')).PressEnter();
  ui.PressEscape();
  Command(ID_SETTINGS);
  // The stored text is cut to the 19 bytes its buffer holds.
  EXPECT_EQ(Texts(), std::vector<std::string>{"Password is not correct.     "});
  EXPECT_EQ(DialogIds(), (std::vector<UINT>{IDD_PASSWORD_CHECK, IDD_SETTINGS}));
}

TEST_F(CommandsTest, DialogThatCannotBeCreatedFailsThePasswordStep) {
  SetPassword("abc");
  ui.FailDialogs();
  Command(ID_QUIT);
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(ui.HasTimer(p.hwnd, 1));
}

// ---- Settings ----------------------------------------------------------------

TEST_F(CommandsTest, SettingsOkUnchangedStoresAndRecounts) {
  ui.Click(IDOK);
  std::size_t before = ui.EventRecordsRead();
  ui.SetEventLog({Start(p.Local(2024, 1, 5, 8, 30))});
  Command(ID_SETTINGS);
  EXPECT_EQ(p.Get("LimitTime"), "60");
  EXPECT_EQ(p.Get("AdjustTime"), "0");
  EXPECT_GT(ui.EventRecordsRead(), before);
  EXPECT_EQ(p.Get("LastTime"), "1800");
  EXPECT_EQ(p.Tip(), "LastTime( 30min )\n 5日(30min) 4日(0min) 3日(0min)");
}

TEST_F(CommandsTest, SettingsCancelWritesNothing) {
  ui.Type(IDC_DAILY_LIMIT, "5").Click(IDCANCEL);
  ui.ClearRegJournal();
  Command(ID_SETTINGS);
  EXPECT_TRUE(p.ProgramWrites().empty());
  EXPECT_EQ(p.wnd->m_accountant.LimitTime(), 60);
}

TEST_F(CommandsTest, ResetTodayGrantsAFullAllowanceFromNow) {
  ui.SetEventLog({Start(p.platform.Now() - 1500)});
  ui.Click(IDC_RESET_TODAY);
  Command(ID_SETTINGS);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600);
  EXPECT_EQ(p.Get("LastTimeAdjust"), "1500");
  EXPECT_EQ(p.Tip().substr(0, 17), "LastTime( 60min )");
  // Later recounts count the allowance from the reset.
  p.Tick(600);
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600 - 600);
}

TEST_F(CommandsTest, LimitBelowTodaysUseLeadsToThePowerOff) {
  ui.SetEventLog({Start(p.platform.Now() - 1500)});
  ui.Type(IDC_DAILY_LIMIT, "20").Click(IDOK).AnswerMessageBox(IDYES);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"設定すると今すぐパソコンの電源が切れます。続けますか?"});
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 0);
  EXPECT_EQ(p.Get("LimitTime"), "20");
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u);
}

TEST_F(CommandsTest, NumbersWithBlanksAreAcceptedOthersRefusedWithTheDialogKept) {
  for (const char* bad : {"-5", "abc", "12a", "", "4294967296"})
    ui.Type(IDC_DAILY_LIMIT, bad).Click(IDOK);
  ui.Type(IDC_DAILY_LIMIT, " 90 ").Type(IDC_ADJUST_TIME, "\t30").Click(IDOK);
  Command(ID_SETTINGS);
  ASSERT_EQ(ui.MessageBoxes().size(), 5u);
  for (const auto& box : ui.MessageBoxes()) {
    EXPECT_EQ(box.text, "正の整数を入力してください。");
    EXPECT_EQ(box.caption, "Hourgauge");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
  }
  EXPECT_EQ(p.Get("LimitTime"), "90");
  EXPECT_EQ(p.Get("AdjustTime"), "30");
  EXPECT_EQ(DialogIds(), std::vector<UINT>{IDD_SETTINGS});
}

TEST_F(CommandsTest, MinutesThatWouldOverflowAreRefusedWithTheirRange) {
  ui.Type(IDC_DAILY_LIMIT, "35791395").Click(IDOK);
  ui.Type(IDC_DAILY_LIMIT, "35791394").Type(IDC_ADJUST_TIME, "99999999").Click(IDOK);
  ui.Click(IDCANCEL);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"0 から 35791394 までの整数を入力してください。",
                                               "0 から 1439 までの整数を入力してください。"}));
  EXPECT_FALSE(p.Get("LimitTime"));
}

TEST_F(CommandsTest, ResetPressedWithABadFieldStillResetsAfterTheFix) {
  ui.SetEventLog({Start(p.platform.Now() - 600)});
  ui.Type(IDC_ADJUST_TIME, "x").Click(IDC_RESET_TODAY);
  ui.Type(IDC_ADJUST_TIME, "0").Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts().size(), 1u);
  EXPECT_EQ(p.Get("LastTimeAdjust"), "600");
}

TEST_F(CommandsTest, RefusedFieldGetsTheFocusWithItsTextSelected) {
  struct Seen {
    std::optional<sim::SimPlatform::ControlState> state;
  } seen;
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT id, void* context) {
        auto* s = static_cast<Seen*>(context);
        if (!s->state && !platform.MessageBoxes().empty())
          s->state = platform.OpenDialogControl(id, IDC_ADJUST_TIME);
      },
      &seen);
  ui.Type(IDC_ADJUST_TIME, "1.5").Click(IDOK).Click(IDCANCEL);
  Command(ID_SETTINGS);
  ASSERT_TRUE(seen.state);
  EXPECT_TRUE(seen.state->focused);
  EXPECT_TRUE(seen.state->selectedAll);
  EXPECT_EQ(seen.state->text, "1.5");
}

TEST_F(CommandsTest, TicksGoOnWhileADialogIsOpen) {
  ui.WaitSeconds(5).PressEscape();
  Command(ID_SETTINGS);
  EXPECT_EQ(p.Get("LastTime"), "2995");
}

TEST_F(CommandsTest, AdjustmentMovingIntoAnotherDayTakesTheDayChangePath) {
  // 09:00 less 10 hours: yesterday, so the parent is asked first.
  ui.Type(IDC_ADJUST_TIME, "600").Click(IDOK).AnswerMessageBox(IDYES);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"設定すると今すぐパソコンの電源が切れます。続けますか?"});
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u);
  EXPECT_EQ(p.Get("LastDate"), "752963");
}

// ---- Exit and uninstall --------------------------------------------------------

TEST_F(CommandsTest, ExitWithoutCompanionsClosesWithoutSaving) {
  p.Tick(3);
  ui.ClearRegJournal();
  Command(ID_QUIT);
  EXPECT_FALSE(p.Alive());
  EXPECT_TRUE(ui.QuitPosted());
  EXPECT_TRUE(p.ProgramWrites().empty());
  EXPECT_EQ(p.Get("LastTime"), "2997") << "as the last tick stored it";
}

TEST_F(CommandsTest, ExitClosesTheOneCompanionWithoutSaving) {
  Hwnd companion = ui.AddForeignWindow("sysconfig", 2);
  ui.ClearRegJournal();
  Command(ID_QUIT);
  EXPECT_FALSE(ui.IsWindowAlive(companion));
  EXPECT_EQ(ui.ClosePostsReceived(companion), 2) << "asked again until it is gone";
  EXPECT_TRUE(p.ProgramWrites().empty());
  EXPECT_FALSE(p.Alive());
}

TEST_F(CommandsTest, ExitClosesEveryCompanionFirst) {
  Hwnd quick = ui.AddForeignWindow("sysconfig", 1);
  Hwnd slow = ui.AddForeignWindow("sysconfig", 3);
  Command(ID_QUIT);
  EXPECT_FALSE(ui.IsWindowAlive(quick));
  EXPECT_FALSE(ui.IsWindowAlive(slow));
  EXPECT_EQ(ui.ClosePostsReceived(slow), 3);
  EXPECT_FALSE(p.Alive());
}

TEST_F(CommandsTest, ExitGivesUpOnACompanionThatNeverCloses) {
  Hwnd stubborn = ui.AddForeignWindow("sysconfig", 0);
  Command(ID_QUIT);
  EXPECT_TRUE(ui.IsWindowAlive(stubborn));
  EXPECT_GT(ui.ClosePostsReceived(stubborn), 1);
  EXPECT_LE(ui.SleptMilliseconds(), 10000u);
  EXPECT_FALSE(p.Alive()) << "the program still ends";
}

TEST_F(CommandsTest, UninstallRemovesEverythingAndWritesNothingBack) {
  SetPassword("abc");
  ui.Type(IDC_PASSWORD, "abc").PressEnter();
  Command(ID_UNINSTALL);
  EXPECT_FALSE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_FALSE(ui.RegRaw(reg::kRunKey, "Hourgauge"));
  ASSERT_EQ(ui.FileMoves().size(), 1u);
  EXPECT_EQ(ui.FileMoves()[0].existing, "C:\\Program Files\\Hourgauge\\hourgauge.exe");
  EXPECT_FALSE(ui.FileMoves()[0].replacement);
  EXPECT_EQ(ui.FileMoves()[0].flags, static_cast<DWORD>(MOVEFILE_DELAY_UNTIL_REBOOT));
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text,
            "HourgaugeLiteを削除するために、Windowsを再起動してください。  ");
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "HourgaugeLite");
  EXPECT_EQ(ui.MessageBoxes()[0].type, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
  EXPECT_EQ(ui.MessageBoxes()[0].owner, p.hwnd);
  EXPECT_FALSE(p.Alive());
  EXPECT_FALSE(ui.RegKeyExists(reg::kProgramKey)) << "closing did not re-create the key";
}

// Without an administrator's rights the deletion at the next restart is
// refused first: the program says so, claims nothing, removes nothing and
// goes on counting, protected by its password.
TEST_F(CommandsTest, UninstallWithoutRightsSaysSoAndKeepsEverything) {
  SetPassword("abc");
  ui.RefuseFileMoves(ERROR_ACCESS_DENIED);
  ui.Type(IDC_PASSWORD, "abc").PressEnter();
  ui.ClearRegJournal();
  Command(ID_UNINSTALL);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text,
            "アンインストールするには、HourgaugeLite を管理者として実行してください。");
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "HourgaugeLite");
  EXPECT_EQ(ui.MessageBoxes()[0].type, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
  EXPECT_TRUE(ui.FileMoves().empty());
  for (const auto& w : ui.RegWrites())
    EXPECT_NE(w.op, sim::RegOp::DeleteKey) << w.key;
  EXPECT_TRUE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_TRUE(ui.RegRaw(reg::kRunKey, "Hourgauge"));
  EXPECT_TRUE(p.Get("PASSWORD"));
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(ui.HasTimer(p.hwnd, kTickTimerId));
  const std::string left = *p.Get("LastTime");
  p.Tick();
  EXPECT_NE(*p.Get("LastTime"), left) << "the countdown goes on";
}

// Registry entries that cannot be removed (a standard account whose writes
// Windows redirects, say): the same message; the program key with the
// password stays, and the program keeps running.
TEST_F(CommandsTest, UninstallWithAReadOnlyRunKeyKeepsTheProgramKey) {
  ui.MakeKeyReadOnly(reg::kRunKey);
  Command(ID_UNINSTALL);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text,
            "アンインストールするには、HourgaugeLite を管理者として実行してください。");
  EXPECT_TRUE(ui.RegRaw(reg::kRunKey, "Hourgauge"));
  EXPECT_TRUE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_TRUE(p.Alive());
}

TEST_F(CommandsTest, UninstallWithAReadOnlyProgramKeySaysSo) {
  ui.MakeKeyReadOnly(reg::kProgramKey);
  Command(ID_UNINSTALL);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text,
            "アンインストールするには、HourgaugeLite を管理者として実行してください。");
  EXPECT_TRUE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_TRUE(p.Alive());
}

TEST_F(CommandsTest, UninstallFailingForAnotherReasonClaimsNoSuccess) {
  ui.RefuseFileMoves(32); // ERROR_SHARING_VIOLATION
  Command(ID_UNINSTALL);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text,
            "HourgaugeLite をアンインストールできませんでした。HourgaugeLite は動作を続けます。");
  EXPECT_TRUE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_TRUE(ui.RegRaw(reg::kRunKey, "Hourgauge"));
  EXPECT_TRUE(p.Alive());
}

TEST_F(CommandsTest, UninstallOfAnEntryAlreadyGoneStillSucceeds) {
  // Someone removed the autostart entry by hand.
  Hkey run = 0;
  ASSERT_EQ(ui.RegOpenKeyExA(kHkeyLocalMachine, reg::kRunKey, KEY_WRITE, &run), ERROR_SUCCESS);
  ui.RegDeleteValueA(run, "Hourgauge");
  ui.RegCloseKey(run);
  Command(ID_UNINSTALL);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text,
            "HourgaugeLiteを削除するために、Windowsを再起動してください。  ");
  EXPECT_FALSE(ui.RegKeyExists(reg::kProgramKey));
  EXPECT_FALSE(p.Alive());
}

TEST_F(CommandsTest, MenuChoiceReachesTheCommand) {
  ui.ChooseMenuItem(ID_QUIT);
  ui.SendMessageA(p.hwnd, WM_TRAYNOTIFY, 101, WM_LBUTTONDOWN);
  ui.Pump();
  EXPECT_FALSE(p.Alive());
}

} // namespace
} // namespace hg::test
