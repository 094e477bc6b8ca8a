#include "accounting/DayRules.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace hg::test {
namespace {

TEST(DayRulesTest, WeekdayOfKnownDates) {
  EXPECT_EQ(WeekdayOf(1970, 1, 1), 4);   // Thursday
  EXPECT_EQ(WeekdayOf(2023, 12, 31), 0); // Sunday
  EXPECT_EQ(WeekdayOf(2024, 1, 5), 5);   // Friday
  EXPECT_EQ(WeekdayOf(2024, 2, 29), 4);  // a leap day, Thursday
  EXPECT_EQ(WeekdayOf(2024, 3, 1), 5);
  EXPECT_EQ(WeekdayOf(2000, 2, 29), 2); // a leap century
  EXPECT_EQ(WeekdayOf(2100, 3, 1), 1);  // after a century without a leap day
  EXPECT_EQ(WeekdayOf(1969, 12, 31), 3);
}

TEST(DayRulesTest, WeekdayTakesItsOwnLimitOrTheEveryDayOne) {
  DayRules rules;
  rules.weekdayLimit[0] = 120;
  rules.weekdayLimit[3] = 0;
  EXPECT_EQ(LimitForWeekday(rules, 60, 0), 120);
  EXPECT_EQ(LimitForWeekday(rules, 60, 3), 0) << "0 is a limit, not 'none'";
  EXPECT_EQ(LimitForWeekday(rules, 60, 1), 60);
  EXPECT_EQ(LimitForWeekday(rules, 60, 7), 60) << "no such weekday";
}

TEST(DayRulesTest, BedtimeTextIsATimeOfDay) {
  std::int32_t minutes = -5;
  EXPECT_TRUE(ParseBedtime("21:00", &minutes));
  EXPECT_EQ(minutes, 1260);
  EXPECT_TRUE(ParseBedtime("9:05", &minutes));
  EXPECT_EQ(minutes, 545);
  EXPECT_TRUE(ParseBedtime("00:00", &minutes));
  EXPECT_EQ(minutes, 0);
  EXPECT_TRUE(ParseBedtime("23:59", &minutes));
  EXPECT_EQ(minutes, 1439);
  for (const char* refused : {"", "24:00", "21:60", "2100", "21:0", " 21:00", "21:00 ", "-1:00",
                              "123:00", ":30", "21:5x", "21:00:00"}) {
    minutes = -5;
    EXPECT_FALSE(ParseBedtime(refused, &minutes)) << '"' << refused << '"';
    EXPECT_EQ(minutes, -5) << "untouched by \"" << refused << '"';
  }
  char text[kBedtimeTextSize];
  for (std::int32_t m : {0, 545, 1260, 1439}) {
    FormatBedtime(m, text);
    std::int32_t back = -1;
    EXPECT_TRUE(ParseBedtime(text, &back)) << text;
    EXPECT_EQ(back, m);
  }
  FormatBedtime(545, text);
  EXPECT_STREQ(text, "09:05");
}

TEST(DayRulesTest, BedtimeFallsOnTheAccountingClockOfItsDay) {
  EXPECT_EQ(BedtimeOnAccountingClock(1260, 0), 1260);
  // The day starts at 03:00: 21:00 is 18 hours into it, 01:00 22 hours.
  EXPECT_EQ(BedtimeOnAccountingClock(1260, 180), 1080);
  EXPECT_EQ(BedtimeOnAccountingClock(60, 180), 1320);
  EXPECT_EQ(BedtimeOnAccountingClock(180, 180), 0) << "bedtime at the day's start";
  // An adjustment written by hand, far beyond a day.
  EXPECT_EQ(BedtimeOnAccountingClock(1260, 35791394), (1260 - 35791394 % 1440 + 1440) % 1440);
  EXPECT_EQ(BedtimeOnAccountingClock(0, -60), 60);
}

TEST(DayRulesTest, ExtraTimeAddsToTheCreditWithoutWrapping) {
  EXPECT_EQ(CreditWithExtraTime(0, 15), 900);
  EXPECT_EQ(CreditWithExtraTime(1500, 1440), 1500 + 86400);
  EXPECT_EQ(CreditWithExtraTime(std::numeric_limits<std::int32_t>::max() - 10, 1),
            std::numeric_limits<std::int32_t>::max());
}

TEST(DayRulesTest, SettingsThatLeaveNothingOfToday) {
  // 25 minutes used, no credit.
  EXPECT_TRUE(SettingsSpendToday(0, 20, 1500, false));
  EXPECT_TRUE(SettingsSpendToday(0, 25, 1500, false)) << "exactly used up";
  EXPECT_FALSE(SettingsSpendToday(0, 26, 1500, false));
  EXPECT_FALSE(SettingsSpendToday(1500, 20, 1500, false)) << "a reset earlier today forgave it";
  EXPECT_FALSE(SettingsSpendToday(0, 20, 1500, true)) << "a reset now forgives it";
  EXPECT_TRUE(SettingsSpendToday(0, 0, 0, true)) << "a limit of 0 leaves nothing even so";
  EXPECT_TRUE(SettingsSpendToday(0, 0, 0, false));
}

} // namespace
} // namespace hg::test
