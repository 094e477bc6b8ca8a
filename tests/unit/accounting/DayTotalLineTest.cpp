// A line of today's session list from two time texts without a year.
#include "accounting/DayTotalLine.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

class DayTotalLineTest : public ::testing::Test {
protected:
  sim::SimPlatform platform;
  void SetUp() override { platform.SetTimeZone("Asia/Tokyo"); }
  std::string Line(int year, const char* start, const char* end) {
    std::string list;
    EXPECT_TRUE(AppendDayTotalLine(platform, year, start, end, &list));
    return list;
  }
};

TEST_F(DayTotalLineTest, SessionWithinTheYear) {
  EXPECT_EQ(Line(2024, "01/05 08:00:00", "01/05 09:15:30"),
            "\n01/05 08:00:00 - 01/05 09:15:30 (75min)");
  EXPECT_EQ(Line(2024, "02/28 23:00:00", "03/01 01:00:00"),
            "\n02/28 23:00:00 - 03/01 01:00:00 (1560min)")
      << "2024 is a leap year: 02/29 lies between";
}

TEST_F(DayTotalLineTest, SessionOverTheTurnOfTheYearStartsInTheYearBefore) {
  EXPECT_EQ(Line(2024, "12/31 23:00:00", "01/01 01:00:00"),
            "\n12/31 23:00:00 - 01/01 01:00:00 (120min)");
  EXPECT_EQ(Line(2024, "11/30 22:00:00", "01/01 00:00:00"),
            "\n11/30 22:00:00 - 01/01 00:00:00 (44760min)");
}

// A clock turned back within the year: the line keeps the negative length
// it has always had, not a session of nearly a year.
TEST_F(DayTotalLineTest, ClockTurnedBackWithinTheYearGivesANegativeLength) {
  EXPECT_EQ(Line(2024, "01/05 09:00:00", "01/05 08:00:00"),
            "\n01/05 09:00:00 - 01/05 08:00:00 (-60min)");
  EXPECT_EQ(Line(2024, "03/10 12:00:00", "03/09 12:00:00"),
            "\n03/10 12:00:00 - 03/09 12:00:00 (-1440min)");
}

TEST_F(DayTotalLineTest, TextsNotInTheTimeFormLeaveTheListAlone) {
  std::string list = "\nold";
  EXPECT_FALSE(AppendDayTotalLine(platform, 2024, "yesterday", "01/05 08:00:00", &list));
  EXPECT_EQ(list, "\nold");
}

} // namespace
} // namespace hg
