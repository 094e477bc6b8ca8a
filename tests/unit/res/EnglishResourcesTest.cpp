// The English resources, for every display language but Japanese: the same
// menu, dialogs and strings as the Japanese ones, in English.
#include "platform/sim/RcResources.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <map>

namespace hg::sim {
namespace {

const RcResources& English() {
  return LoadRcResources().ForLanguage(0x0409);
}

TEST(EnglishResources, ChosenForEveryDisplayLanguageButJapanese) {
  const RcResources& all = LoadRcResources();
  ASSERT_EQ(all.translations.size(), 1u);
  EXPECT_EQ(English().language, 0x0409);
  EXPECT_EQ(&all.ForLanguage(0x0407), &English()); // German
  EXPECT_EQ(&all.ForLanguage(0x0809), &English()); // English (UK)
  EXPECT_EQ(&all.ForLanguage(0x0411), &all);
}

TEST(EnglishResources, MenuHasTheSameCommandsInEnglish) {
  const RcMenu& menu = English().menus.at(IDR_MAINFRAME);
  const RcMenu& japanese = LoadRcResources().menus.at(IDR_MAINFRAME);
  ASSERT_EQ(menu.items.size(), japanese.items.size());
  // The popups nothing opens carry the same commands as the Japanese ones.
  for (std::size_t p = 1; p < menu.items.size(); ++p) {
    ASSERT_EQ(menu.items[p].items.size(), japanese.items[p].items.size());
    for (std::size_t i = 0; i < menu.items[p].items.size(); ++i)
      EXPECT_EQ(menu.items[p].items[i].id, japanese.items[p].items[i].id);
  }
  EXPECT_EQ(menu.items[1].text, "&Edit");
  EXPECT_EQ(menu.items[3].items[0].text, "&About HourgaugeLite...");
  const RcMenuItem& file = menu.items[0];
  EXPECT_EQ(file.text, "&File");
  const std::vector<std::pair<UINT, std::string>> expected = {
      {ID_CHANGE_PASSWORD, "Change &Password..."},
      {ID_SETTINGS, "&Settings..."},
      {ID_EXTRA_TIME, "&Extra time..."},
      {ID_HISTORY, "Usage &history..."},
      {0, ""},
      {ID_UNINSTALL, "&Uninstall"},
      {0, ""},
      {ID_QUIT, "E&xit"}};
  ASSERT_EQ(file.items.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(file.items[i].id, expected[i].first);
    EXPECT_EQ(file.items[i].text, expected[i].second);
    EXPECT_EQ(file.items[i].separator, expected[i].first == 0);
  }
}

TEST(EnglishResources, DialogsHaveTheJapaneseControlsWithEnglishTexts) {
  const std::map<UINT, std::pair<std::string, std::vector<std::string>>> texts = {
      {IDD_PASSWORD_CHECK, {"Password Check", {"", "OK", "Enter the password to continue."}}},
      {IDD_PASSWORD_CHANGE,
       {"Change Password",
        {"", "", "", "OK", "Changes the password of the settings.\n( At most 8 characters. )",
         "Old password", "New password", "Once more", "Cancel",
         "To remove the password, leave the\nnew password empty."}}},
      {IDD_SETTINGS,
       {"Settings ( HourgaugeLite ver1.1 )",
        {"Changes the limits of use.\nThe password is needed.", "Daily limit (minutes)", "",
         "Reset today's use", "Day starts at (min)", "", "Limits by &day...", "OK", "Cancel"}}},
      {IDD_EXTRA_TIME,
       {"Extra Time",
        {"Gives more time for today only.\nTomorrow's time stays as it is.", "Extra minutes", "",
         "OK", "Cancel"}}},
      {IDD_DAY_RULES,
       {"Limits by Day",
        {"Each day's limit in minutes. An empty\nday has the daily limit; an empty\nbedtime means "
         "none.",
         "Sunday", "", "Monday", "", "Tuesday", "", "Wednesday", "", "Thursday", "", "Friday", "",
         "Saturday", "", "Bedtime (e.g. 21:30)", "", "OK", "Cancel"}}},
  };
  ASSERT_EQ(English().dialogs.size(), LoadRcResources().dialogs.size());
  for (const auto& [id, want] : texts) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    const RcDialog& d = English().dialogs.at(id);
    const RcDialog& ja = LoadRcResources().dialogs.at(id);
    EXPECT_EQ(d.caption, want.first);
    EXPECT_EQ(d.fontFace, "MS Shell Dlg");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.style, ja.style);
    EXPECT_EQ(d.cx, ja.cx);
    EXPECT_EQ(d.cy, ja.cy);
    // Same controls, same order (the tab order), same styles and ids: the
    // program's data exchange finds them whatever the language.
    ASSERT_EQ(d.controls.size(), ja.controls.size());
    ASSERT_EQ(d.controls.size(), want.second.size());
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
      SCOPED_TRACE("control " + std::to_string(i + 1));
      EXPECT_EQ(d.controls[i].id, ja.controls[i].id);
      EXPECT_EQ(d.controls[i].kind, ja.controls[i].kind);
      EXPECT_EQ(d.controls[i].style, ja.controls[i].style);
      EXPECT_EQ(d.controls[i].text, want.second[i]);
      // Inside the dialog.
      EXPECT_LE(d.controls[i].x + d.controls[i].cx, d.cx);
      EXPECT_LE(d.controls[i].y + d.controls[i].cy, d.cy);
    }
  }
}

TEST(EnglishResources, StringTableHasEveryJapaneseStringInEnglish) {
  const RcResources& en = English();
  const RcResources& ja = LoadRcResources();
  ASSERT_EQ(en.strings.size(), ja.strings.size());
  for (const auto& [id, text] : ja.strings)
    EXPECT_EQ(en.strings.count(id), 1u) << "string " << id;
  const std::map<UINT, std::string> expected = {
      {AFX_IDS_APP_TITLE, "Hourgauge"},
      {AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %1 and %2."},
      {AFX_IDP_PARSE_STRING_SIZE, "Please enter no more than %1 characters."},
      {AFX_IDP_PARSE_UINT, "Please enter a positive integer."},
      {IDS_NOTICE_10MIN, "This PC turns off in 10 minutes. Please save your work."},
      {IDS_NOTICE_5MIN, "This PC turns off in 5 minutes. Please save your work."},
      {IDS_NOTICE_1MIN, "This PC turns off in 1 minute. Please save your work."},
      {IDS_NOTICE_DAY_SPENT,
       "Today's time is used up. This PC turns off soon. Please save your work."},
      {IDS_COUNTDOWN, "Turning off in %d s"},
      {IDS_NOTICE_FONT, "Segoe UI"},
      {IDS_TIP_FORMAT, "Time left( %02dmin )%s"},
      {IDS_TIP_DAYS, "\n %d%s(%dmin) %d%s(%dmin) %d%s(%dmin)"},
      {IDS_DAY_MARKS, "st|nd|rd|th"},
      {IDS_SET_PASSWORD_ITEM, "Set &Password..."},
      {IDS_WARNING_CAPTION, "Warning"},
      {IDS_OLD_PASSWORD_WRONG, "Old Password is not correct. Please input again...  "},
      {IDS_NEW_PASSWORD_MISMATCH, "New Password does not match. Please input again...  "},
      {IDS_NEW_PASSWORD_REFUSED, "New Password is not correct. Please try another password...  "},
      {IDS_PASSWORD_ERROR_CAPTION, "Password Error"},
      {IDS_PASSWORD_WRONG, "Password is not correct.     "},
      {IDS_UNINSTALL_MESSAGE, "Restart Windows to finish removing HourgaugeLite.  "},
      {IDS_UNINSTALL_CAPTION, "HourgaugeLite"},
      {IDS_UNINSTALL_NEEDS_ADMIN, "To uninstall HourgaugeLite, start it as administrator."},
      {IDS_UNINSTALL_FAILED,
       "HourgaugeLite could not be uninstalled. HourgaugeLite keeps running."},
      {IDS_NOTICE_TIME_UP, "Today's time is used up. This PC is turning off."},
      {IDS_SERVICE_NOT_RUNNING, "The HourgaugeLite service is not running."},
      {IDS_SERVICE_REFUSED,
       "The HourgaugeLite service is not running, so this cannot be done now."},
      {IDS_PASSWORD_LOCKED, "Too many wrong passwords. Please wait a little and try again."},
      {IDS_SETTINGS_POWER_OFF, "With these settings the PC turns off now. Go on?"},
      {IDS_BEDTIME_FORMAT,
       "Please enter the bedtime as hours:minutes, such as 21:30, or leave it empty for none."},
      {IDS_HISTORY_SUMMARY,
       "Usage history: today %d of %d min, yesterday %d min, the day before %d min"},
      {IDS_HISTORY_WEEKDAYS, "Sun|Mon|Tue|Wed|Thu|Fri|Sat"},
      {IDS_HISTORY_DAY, "%s\n%d/%d"},
      {IDS_HISTORY_MINUTES, "%d min"},
      {IDS_HISTORY_TODAY, "Today"},
      {IDS_HISTORY_YESTERDAY, "Yesterday"},
      {IDS_HISTORY_SESSION, "%d:%02d - %d:%02d (%d min)"},
      {IDS_HISTORY_NONE, "(none)"},
      {IDS_LATER_DAY_CAPTION, "Later date stored: password to keep today"},
      {IDS_NOTICE_LATER_DAY, "A day later than today is stored (was the clock or the date wrong?). "
                             "This PC turns off in 1 minute unless a parent enters the password "
                             "in HourgaugeLite."},
  };
  EXPECT_EQ(en.strings, expected);
  // English texts are plain ASCII: the same bytes in every code page.
  for (const auto& [id, text] : en.strings)
    for (unsigned char c : text)
      EXPECT_LT(c, 0x80) << "string " << id;
}

} // namespace
} // namespace hg::sim
