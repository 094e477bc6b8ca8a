#include "accounting/SessionTimes.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(SessionTimes, ReadsEveryLineOfAListAsTimesOfDay) {
  const char* list = "\n01/05 17:02:10 - 01/05 17:45:59 (43min)"
                     "\n01/05 19:00:00 - 01/05 19:20:30 (20min)";
  SessionTime s[4];
  ASSERT_EQ(ReadSessionTimes(list, s, 4), 2);
  EXPECT_EQ(s[0].startHour, 17);
  EXPECT_EQ(s[0].startMinute, 2);
  EXPECT_EQ(s[0].endHour, 17);
  EXPECT_EQ(s[0].endMinute, 45);
  EXPECT_EQ(s[0].minutes, 43);
  EXPECT_EQ(s[1].startHour, 19);
  EXPECT_EQ(s[1].endMinute, 20);
  EXPECT_EQ(s[1].minutes, 20);
}

TEST(SessionTimes, AnEmptyListHasNoSessions) {
  SessionTime s[2];
  EXPECT_EQ(ReadSessionTimes("", s, 2), 0);
  EXPECT_EQ(ReadSessionTimes(nullptr, s, 2), 0);
}

TEST(SessionTimes, LinesThatAreNoSessionAreSkipped) {
  // A list cut at the front keeps whole lines; a hand may have put anything there.
  const char* list = "7:10 (5min)\ngarbage\n01/05 25:00:00 - 01/05 26:00:00 (60min)"
                     "\n12/31 23:50:00 - 01/01 00:10:00 (20min)";
  SessionTime s[4];
  ASSERT_EQ(ReadSessionTimes(list, s, 4), 1);
  EXPECT_EQ(s[0].startHour, 23);
  EXPECT_EQ(s[0].endHour, 0);
  EXPECT_EQ(s[0].endMinute, 10);
  EXPECT_EQ(s[0].minutes, 20);
}

TEST(SessionTimes, AClockTurnedBackKeepsItsNegativeLength) {
  SessionTime s[1];
  ASSERT_EQ(ReadSessionTimes("\n01/05 10:00:00 - 01/05 09:00:00 (-60min)", s, 1), 1);
  EXPECT_EQ(s[0].minutes, -60);
}

TEST(SessionTimes, StoresAtMostTheRoomGiven) {
  const char* list = "\n01/05 01:00:00 - 01/05 01:01:00 (1min)"
                     "\n01/05 02:00:00 - 01/05 02:01:00 (1min)"
                     "\n01/05 03:00:00 - 01/05 03:01:00 (1min)";
  SessionTime s[2];
  ASSERT_EQ(ReadSessionTimes(list, s, 2), 2);
  EXPECT_EQ(s[1].startHour, 2);
}

} // namespace
} // namespace hg
