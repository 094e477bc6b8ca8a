// The history window's geometry: where each day's bar, its figure, its
// limit line and its label go in the window's client area, on one scale
// for the ten days. Pure rules over plain numbers, in pixels at the
// screen's DPI.
#pragma once
#include "accounting/SessionScan.h"
#include "platform/WinDefs.h"

#include <cstddef>

namespace hg {

struct ChartMetrics {
  int margin = 10; // around everything
  int figure = 16; // the minutes' row above a bar
  int plot = 140;  // the bars' height at the scale's top
  int label = 34;  // the weekday and date under a bar, two rows
  int dpi = 96;
};

// The scale's top in minutes: the largest use or limit of the days, rounded
// up to a whole half hour, and at least an hour.
int ChartTopMinutes(const int (&usedMinutes)[kUsageDays], const int (&limitMinutes)[kUsageDays]);

struct DayColumn {
  Rect column; // the whole column, for today's mark
  Rect bar;    // empty (top == bottom) for no use
  Rect figure; // the minutes, just above the bar
  Rect limit;  // the limit's line, two pixels high at the DPI of 96
  Rect label;  // under the baseline
};

// Column of day `day` (0: today, drawn rightmost) in `client`.
DayColumn ChartColumn(const Rect& client, const ChartMetrics& metrics, int day, int usedMinutes,
                      int limitMinutes, int topMinutes);
// The baseline under the bars, and the area below the labels for the
// session lists.
Rect ChartBaseline(const Rect& client, const ChartMetrics& metrics);
Rect ChartBelow(const Rect& client, const ChartMetrics& metrics);

// Field `index` of a '|'-separated list ("Sun|Mon|...") into `out`; the
// empty text past the end.
void ListField(const char* list, int index, char* out, std::size_t size);

} // namespace hg
