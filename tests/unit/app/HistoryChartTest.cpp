#include "app/HistoryChart.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(HistoryChart, ScaleTopIsTheLargestFigureInWholeHalfHoursAtLeastAnHour) {
  int used[kUsageDays] = {};
  int limit[kUsageDays] = {};
  EXPECT_EQ(ChartTopMinutes(used, limit), 60);
  limit[0] = 60;
  used[3] = 61;
  EXPECT_EQ(ChartTopMinutes(used, limit), 90);
  limit[9] = 120;
  EXPECT_EQ(ChartTopMinutes(used, limit), 120);
  used[5] = 2000000000;
  EXPECT_EQ(ChartTopMinutes(used, limit), 100020) << "a stray figure does not overflow";
}

TEST(HistoryChart, TodayIsTheRightmostColumnAndTheDaysGoLeft) {
  const Rect client{0, 0, 540, 360};
  ChartMetrics m;
  DayColumn today = ChartColumn(client, m, 0, 30, 60, 60);
  DayColumn oldest = ChartColumn(client, m, 9, 30, 60, 60);
  EXPECT_EQ(today.column.right, 530);
  EXPECT_EQ(oldest.column.left, 10);
  EXPECT_EQ(today.column.right - today.column.left, 52);
  // Bars stand on the baseline, half as high for half the scale.
  const Rect base = ChartBaseline(client, m);
  EXPECT_EQ(today.bar.bottom, base.top);
  EXPECT_EQ(base.top, 10 + 16 + 140);
  EXPECT_EQ(today.bar.bottom - today.bar.top, 70);
  EXPECT_GT(today.bar.left, today.column.left);
  EXPECT_LT(today.bar.right, today.column.right);
  // The figure sits on the bar, the label under the baseline.
  EXPECT_EQ(today.figure.bottom, today.bar.top);
  EXPECT_GT(today.label.top, base.top);
  // The limit's line at the scale's top.
  EXPECT_EQ(today.limit.top, base.top - 140 - 1);
  EXPECT_EQ(today.limit.bottom - today.limit.top, 2);
}

TEST(HistoryChart, NoUseIsNoBarAndUseAboveTheScaleIsHeldToIt) {
  const Rect client{0, 0, 540, 360};
  ChartMetrics m;
  DayColumn none = ChartColumn(client, m, 1, 0, 60, 60);
  EXPECT_EQ(none.bar.top, none.bar.bottom);
  DayColumn over = ChartColumn(client, m, 1, 500, 60, 60);
  EXPECT_EQ(over.bar.bottom - over.bar.top, 140);
  DayColumn negative = ChartColumn(client, m, 1, -5, -1, 60);
  EXPECT_EQ(negative.bar.top, negative.bar.bottom);
}

TEST(HistoryChart, EverythingScalesWithTheDpi) {
  ChartMetrics m;
  m.dpi = 144;
  const Rect client{0, 0, 810, 540};
  const Rect base = ChartBaseline(client, m);
  EXPECT_EQ(base.top, (10 + 16) * 3 / 2 + 140 * 3 / 2);
  EXPECT_EQ(base.left, 15);
  DayColumn full = ChartColumn(client, m, 0, 60, 60, 60);
  EXPECT_EQ(full.bar.bottom - full.bar.top, 210);
  EXPECT_EQ(full.limit.bottom - full.limit.top, 3);
  const Rect below = ChartBelow(client, m);
  EXPECT_EQ(below.top, base.top + (34 + 10) * 3 / 2);
  EXPECT_EQ(below.bottom, 540 - 15);
}

TEST(HistoryChart, ListFieldPicksOneNameOrNothing) {
  char out[8];
  ListField("Sun|Mon|Tue", 0, out, sizeof out);
  EXPECT_STREQ(out, "Sun");
  ListField("Sun|Mon|Tue", 2, out, sizeof out);
  EXPECT_STREQ(out, "Tue");
  ListField("Sun|Mon|Tue", 3, out, sizeof out);
  EXPECT_STREQ(out, "");
  ListField("Wednesday-long", 0, out, sizeof out);
  EXPECT_STREQ(out, "Wednesd");
}

} // namespace
} // namespace hg
