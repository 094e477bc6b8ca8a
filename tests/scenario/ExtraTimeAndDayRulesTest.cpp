// A parent's extra time, limits by day and bedtime through the menu, the
// password and the dialogs, and the question before settings that would
// power the PC off at once.
#include "ProgramHarness.h"
#include "commands/Scramble.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

const std::string kFive = "あと5分でパソコンの電源が切れます。作業を保存してください。";
const std::string kTen = "あと10分でパソコンの電源が切れます。作業を保存してください。";
const std::string kPowerOffQuestion = "設定すると今すぐパソコンの電源が切れます。続けますか?";
const std::string kBedtimeFormat =
    "就寝時刻は 21:30 のように 時:分 で入力してください。空欄なら就寝時刻はありません。";

const char* const kWeekdayValues[7] = {"LimitTimeSun", "LimitTimeMon", "LimitTimeTue",
                                       "LimitTimeWed", "LimitTimeThu", "LimitTimeFri",
                                       "LimitTimeSat"};

class ParentCommandsTest : public ::testing::Test {
protected:
  Program p;
  sim::SimPlatform& ui = p.platform;

  // Friday 5 January 2024, 09:00, with the password "pw" and `used` seconds
  // of today in the log.
  void StartFriday(std::int32_t lastTime, std::int32_t used = 0) {
    p.At(2024, 1, 5, 9, 0);
    if (used > 0)
      ui.SetEventLog({Start(ui.Now() - used)});
    p.Set("LastDate", "752964");
    p.Set("LastTime", std::to_string(lastTime));
    p.Set("PASSWORD", ScramblePassword("pw"));
    p.Start();
  }
  void Command(UINT id) {
    ui.PostMessageA(p.hwnd, WM_COMMAND, id, 0);
    ui.Pump();
  }
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
  int BalloonsOf(const std::string& text) const {
    int n = 0;
    for (const sim::TrayCall& call : ui.TrayCalls())
      n += (call.data.uFlags & NIF_INFO) && text == call.data.szInfo ? 1 : 0;
    return n;
  }
  void TearDown() override {
    EXPECT_TRUE(ui.ScriptErrors().empty()) << ui.ScriptErrors().front();
    EXPECT_TRUE(ui.ScriptDone()) << "the script has steps nothing took";
  }
};

// ---- Extra time ----------------------------------------------------------------

TEST_F(ParentCommandsTest, ExtraTimeAfterTheFiveMinuteWarningGrowsTheTimeAndWarnsAgain) {
  StartFriday(305, 3295); // 55 minutes used of 60
  p.Tick(10);
  ASSERT_EQ(BalloonsOf(kFive), 1);
  // The parent types the password and 15 minutes; the dialogs take three
  // seconds, which are counted too.
  ui.Type(IDC_PASSWORD, "pw").WaitSeconds(1).Click(IDOK);
  ui.Type(IDC_EXTRA_MINUTES, "15").WaitSeconds(2).Click(IDOK);
  Command(ID_EXTRA_TIME);
  EXPECT_EQ(DialogIds(), (std::vector<UINT>{IDD_PASSWORD_CHECK, IDD_EXTRA_TIME}));
  EXPECT_EQ(p.Get("LastTimeAdjust"), "900");
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 292 + 900);
  EXPECT_EQ(p.Tip().rfind("LastTime( 19min )", 0), 0u) << p.Tip();
  // The recount at the 30th tick agrees: the credit counts in it.
  p.Tick(17);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 1175);
  p.Tick(575); // ten minutes left
  EXPECT_EQ(BalloonsOf(kTen), 1) << "the ten-minute warning again";
  p.Tick(301);
  EXPECT_EQ(BalloonsOf(kFive), 2) << "the five-minute warning again";
  EXPECT_EQ(p.PowerOffs(), 0u);
}

TEST_F(ParentCommandsTest, ExtraTimeWithAWrongPasswordChangesNothing) {
  StartFriday(2000);
  ui.Type(IDC_PASSWORD, "PW").Click(IDOK).PressEscape();
  ui.ClearRegJournal();
  Command(ID_EXTRA_TIME);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Password is not correct.     "});
  EXPECT_EQ(DialogIds(), std::vector<UINT>{IDD_PASSWORD_CHECK}) << "no extra-time dialog";
  EXPECT_TRUE(p.ProgramWrites().empty());
  EXPECT_EQ(p.wnd->m_accountant.LastTimeAdjust(), 0);
}

TEST_F(ParentCommandsTest, ExtraMinutesOutsideOneToADayAreRefusedWithTheRange) {
  StartFriday(2000);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  for (const char* bad : {"0", "1441", "abc", "-5", ""})
    ui.Type(IDC_EXTRA_MINUTES, bad).Click(IDOK);
  ui.Type(IDC_EXTRA_MINUTES, " 1440 ").Click(IDOK);
  Command(ID_EXTRA_TIME);
  const std::string range = "1 から 1440 までの整数を入力してください。";
  const std::string positive = "正の整数を入力してください。";
  EXPECT_EQ(Texts(), (std::vector<std::string>{range, range, positive, positive, positive}));
  for (const auto& box : ui.MessageBoxes())
    EXPECT_EQ(box.caption, "Hourgauge");
  EXPECT_EQ(p.Get("LastTimeAdjust"), "86400");
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 2000 + 86400);
}

TEST_F(ParentCommandsTest, ExtraTimeDialogOffersFifteenMinutesAndCancelGivesNone) {
  p.At(2024, 1, 5, 9, 0);
  p.Set("LastDate", "752964");
  p.Set("LastTime", "2000");
  p.Start(); // no password: the dialog comes at once
  struct Seen {
    std::string text;
    bool focused = false;
  } seen;
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT id, void* context) {
        auto* s = static_cast<Seen*>(context);
        if (id == IDD_EXTRA_TIME && s->text.empty()) {
          s->text = platform.OpenDialogControl(id, IDC_EXTRA_MINUTES)->text;
          s->focused = platform.OpenDialogControl(id, IDC_EXTRA_MINUTES)->focused;
        }
      },
      &seen);
  ui.WaitSeconds(1).Click(IDCANCEL);
  ui.ClearRegJournal();
  Command(ID_EXTRA_TIME);
  EXPECT_EQ(seen.text, "15");
  EXPECT_TRUE(seen.focused) << "the minutes are the first field";
  EXPECT_EQ(DialogIds(), std::vector<UINT>{IDD_EXTRA_TIME});
  EXPECT_EQ(p.ProgramWrites(),
            (std::vector<std::string>{"EndTime=01/05 09:00:01", "LastTime=1999"}))
      << "only the tick's own values";
}

// ---- Limits by day and bedtime ---------------------------------------------------

TEST_F(ParentCommandsTest, LimitsByDayAreStoredAndTodaysAppliesAtOnce) {
  StartFriday(3000, 600); // ten minutes used
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Click(IDC_DAY_RULES);
  ui.Type(IDC_LIMIT_SUN, "120").Type(IDC_LIMIT_MON, "").Type(IDC_LIMIT_TUE, "0");
  ui.Type(IDC_LIMIT_WED, " 45 ").Type(IDC_LIMIT_THU, "35791394").Type(IDC_LIMIT_FRI, "30");
  ui.Type(IDC_LIMIT_SAT, "\t").Type(IDC_BEDTIME, " 9:05 ").Click(IDOK);
  ui.Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(DialogIds(), (std::vector<UINT>{IDD_PASSWORD_CHECK, IDD_DAY_RULES, IDD_SETTINGS}));
  EXPECT_TRUE(Texts().empty());
  const char* const want[7] = {"120", "", "0", "45", "35791394", "30", ""};
  for (int d = 0; d < 7; ++d)
    EXPECT_EQ(p.Get(kWeekdayValues[d]), want[d]) << kWeekdayValues[d];
  EXPECT_EQ(p.Get("Bedtime"), "09:05");
  EXPECT_EQ(p.Get("LimitTime"), "60") << "the every-day limit stays";
  // 5 January 2024 is a Friday: its own 30 minutes, less the ten used, and
  // sooner than that the bedtime, five minutes from now.
  EXPECT_EQ(p.wnd->m_accountant.LimitTime(), 30);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 300);
}

TEST_F(ParentCommandsTest, SettingsShowTheEveryDayLimitAndTheDayRulesTheirStoredValues) {
  p.Set("LimitTime", "60");
  p.Set("LimitTimeFri", "25");
  p.Set("LimitTimeSun", "90");
  p.Set("Bedtime", "21:30");
  StartFriday(1200);
  ASSERT_EQ(p.wnd->m_accountant.LimitTime(), 25);
  struct Seen {
    std::string limit, sun, mon, fri, bedtime;
  } seen;
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT id, void* context) {
        auto* s = static_cast<Seen*>(context);
        if (id == IDD_SETTINGS && s->limit.empty())
          s->limit = platform.OpenDialogControl(id, IDC_DAILY_LIMIT)->text;
        if (id == IDD_DAY_RULES && s->bedtime.empty()) {
          s->sun = platform.OpenDialogControl(id, IDC_LIMIT_SUN)->text;
          s->mon = platform.OpenDialogControl(id, IDC_LIMIT_MON)->text;
          s->fri = platform.OpenDialogControl(id, IDC_LIMIT_FRI)->text;
          s->bedtime = platform.OpenDialogControl(id, IDC_BEDTIME)->text;
        }
      },
      &seen);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.WaitSeconds(1).Click(IDC_DAY_RULES);
  ui.WaitSeconds(1).Click(IDCANCEL);
  ui.Click(IDCANCEL);
  Command(ID_SETTINGS);
  EXPECT_EQ(seen.limit, "60") << "the every-day limit, not today's";
  EXPECT_EQ(seen.sun, "90");
  EXPECT_EQ(seen.mon, "") << "no value of its own";
  EXPECT_EQ(seen.fri, "25");
  EXPECT_EQ(seen.bedtime, "21:30");
}

TEST_F(ParentCommandsTest, DayRulesCancelledOrSettingsCancelledStoreNothing) {
  p.Set("LimitTimeFri", "25");
  StartFriday(1200);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  // Typed, then cancelled: the settings' OK keeps the stored rules.
  ui.Click(IDC_DAY_RULES).Type(IDC_LIMIT_FRI, "5").Type(IDC_BEDTIME, "20:00").Click(IDCANCEL);
  ui.Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(p.Get("LimitTimeFri"), "25");
  EXPECT_EQ(p.Get("Bedtime"), "");
  // Taken by the day rules' OK, then the settings cancelled: nothing.
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Click(IDC_DAY_RULES).Type(IDC_LIMIT_FRI, "5").Click(IDOK);
  ui.Click(IDCANCEL);
  ui.ClearRegJournal();
  Command(ID_SETTINGS);
  EXPECT_EQ(p.Get("LimitTimeFri"), "25");
  for (const std::string& write : p.ProgramWrites())
    EXPECT_TRUE(write.rfind("EndTime=", 0) == 0 || write.rfind("LastTime=", 0) == 0) << write;
}

TEST_F(ParentCommandsTest, DayRulesRefuseBadFieldsAndKeepTheDialogOpen) {
  StartFriday(1200);
  struct Seen {
    std::vector<int> focused;
  } seen;
  ui.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT id, void* context) {
        auto* s = static_cast<Seen*>(context);
        if (id != IDD_DAY_RULES || platform.MessageBoxes().size() <= s->focused.size())
          return;
        for (int c = IDC_LIMIT_SUN; c <= IDC_BEDTIME; ++c)
          if (platform.OpenDialogControl(id, c)->focused &&
              platform.OpenDialogControl(id, c)->selectedAll)
            s->focused.push_back(c);
      },
      &seen);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Click(IDC_DAY_RULES);
  ui.Type(IDC_LIMIT_TUE, "abc").Click(IDOK);
  ui.Type(IDC_LIMIT_TUE, "-1").Click(IDOK);
  ui.Type(IDC_LIMIT_TUE, "40").Type(IDC_LIMIT_SAT, "35791395").Click(IDOK);
  ui.Type(IDC_LIMIT_SAT, "").Type(IDC_BEDTIME, "25:00").Click(IDOK);
  ui.Type(IDC_BEDTIME, "21.30").Click(IDOK);
  ui.Type(IDC_BEDTIME, "  ").Click(IDOK);
  ui.Click(IDOK);
  Command(ID_SETTINGS);
  const std::string positive = "正の整数を入力してください。";
  EXPECT_EQ(Texts(), (std::vector<std::string>{positive, positive,
                                               "0 から 35791394 までの整数を入力してください。",
                                               kBedtimeFormat, kBedtimeFormat}));
  EXPECT_EQ(seen.focused, (std::vector<int>{IDC_LIMIT_TUE, IDC_LIMIT_TUE, IDC_LIMIT_SAT,
                                            IDC_BEDTIME, IDC_BEDTIME}));
  EXPECT_EQ(p.Get("LimitTimeTue"), "40");
  EXPECT_EQ(p.Get("LimitTimeSat"), "");
  EXPECT_EQ(p.Get("Bedtime"), "") << "blanks only: no bedtime";
}

// ---- Settings that would power the PC off now ------------------------------------

TEST_F(ParentCommandsTest, NoToTheQuestionAppliesNothingAndKeepsTheDialog) {
  StartFriday(2000, 1500); // 25 minutes used
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Type(IDC_DAILY_LIMIT, "20").Click(IDOK).AnswerMessageBox(IDNO);
  ui.Type(IDC_DAILY_LIMIT, "25").Click(IDOK).AnswerMessageBox(IDNO);
  ui.Type(IDC_DAILY_LIMIT, "26").Click(IDOK);
  ui.ClearRegJournal();
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(), std::vector<std::string>(2, kPowerOffQuestion));
  const sim::MessageBoxRecord& box = ui.MessageBoxes().front();
  EXPECT_EQ(box.caption, "HourgaugeLite");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2))
      << "No is the default: Enter must not power the PC off";
  EXPECT_EQ(ui.Dialogs().back().result, IDOK);
  EXPECT_EQ(p.Get("LimitTime"), "26") << "a minute left asks nothing";
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 0u);
}

// The PC is in use while the dialog is open: a minute there is a minute
// less of today.
TEST_F(ParentCommandsTest, QuestionCountsTheTimeTheDialogWasOpen) {
  StartFriday(2000, 1500); // 25 minutes used
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.WaitSeconds(60).Type(IDC_DAILY_LIMIT, "26").Click(IDOK).AnswerMessageBox(IDNO);
  ui.PressEscape();
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(), std::vector<std::string>{kPowerOffQuestion});
  EXPECT_FALSE(p.Get("LimitTime"));
}

TEST_F(ParentCommandsTest, QuestionCountsTheCreditAndTheWeekdaysOwnLimit) {
  p.Set("LastTimeAdjust", "600"); // ten minutes given earlier today
  StartFriday(2000, 1500);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  // 20 minutes and the credit's 10 cover the 25 used: no question.
  ui.Type(IDC_DAILY_LIMIT, "20").Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 300);
  // Friday's own 15 minutes would not: asked, Yes, and the PC goes off.
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Click(IDC_DAY_RULES).Type(IDC_LIMIT_FRI, "15").Click(IDOK);
  ui.Click(IDOK).AnswerMessageBox(IDYES);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(), std::vector<std::string>{kPowerOffQuestion});
  EXPECT_EQ(p.Get("LimitTimeFri"), "15");
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 1u);
}

TEST_F(ParentCommandsTest, ABedtimeAlreadyPastIsAskedAbout) {
  StartFriday(3000, 600);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Click(IDC_DAY_RULES).Type(IDC_BEDTIME, "08:30").Click(IDOK);
  ui.Click(IDOK).AnswerMessageBox(IDNO);
  ui.Click(IDC_DAY_RULES).Type(IDC_BEDTIME, "21:00").Click(IDOK);
  ui.Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(), std::vector<std::string>{kPowerOffQuestion});
  EXPECT_EQ(p.Get("Bedtime"), "21:00");
}

TEST_F(ParentCommandsTest, ResetWithALimitOfZeroIsAskedAndNoUndoesTheReset) {
  StartFriday(2000, 600);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Type(IDC_DAILY_LIMIT, "0").Click(IDC_RESET_TODAY).AnswerMessageBox(IDNO);
  ui.Type(IDC_DAILY_LIMIT, "60").Click(IDOK);
  Command(ID_SETTINGS);
  EXPECT_EQ(Texts(), std::vector<std::string>{kPowerOffQuestion});
  EXPECT_FALSE(p.Get("LastTimeAdjust")) << "the reset was answered No";
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3000);
}

TEST_F(ParentCommandsTest, DayStartTakesATimeOfDayOnly) {
  StartFriday(2000);
  ui.Type(IDC_PASSWORD, "pw").Click(IDOK);
  ui.Type(IDC_ADJUST_TIME, "1440").Click(IDOK);
  ui.Type(IDC_ADJUST_TIME, "35791394").Click(IDOK);
  ui.Type(IDC_ADJUST_TIME, "1439").Click(IDOK).AnswerMessageBox(IDNO); // 09:00 is yesterday's
  ui.Type(IDC_ADJUST_TIME, "540").Click(IDOK);                         // 09:00 to 09:00
  Command(ID_SETTINGS);
  const std::string range = "0 から 1439 までの整数を入力してください。";
  EXPECT_EQ(Texts(), (std::vector<std::string>{range, range, kPowerOffQuestion}));
  EXPECT_EQ(p.Get("AdjustTime"), "540");
  p.Tick(1);
  EXPECT_EQ(p.PowerOffs(), 0u) << "09:00 less nine hours is still today";
}

} // namespace
} // namespace hg::test
