#include "app/HistoryChart.h"

#include <algorithm>
#include <cstring>

namespace hg {
namespace {
constexpr int kScaleStep = 30; // minutes
int Scaled(int pixels, int dpi) {
  return pixels * dpi / 96;
}
int PlotTop(const Rect& client, const ChartMetrics& m) {
  return client.top + Scaled(m.margin + m.figure, m.dpi);
}
int PlotBottom(const Rect& client, const ChartMetrics& m) {
  return PlotTop(client, m) + Scaled(m.plot, m.dpi);
}
} // namespace

int ChartTopMinutes(const int (&usedMinutes)[kUsageDays], const int (&limitMinutes)[kUsageDays]) {
  int top = 60;
  for (int i = 0; i < kUsageDays; ++i)
    top = std::max({top, usedMinutes[i], limitMinutes[i]});
  // At most a day and a bit: a stray figure must not overflow the rounding.
  top = std::min(top, 100000);
  return (top + kScaleStep - 1) / kScaleStep * kScaleStep;
}

DayColumn ChartColumn(const Rect& client, const ChartMetrics& m, int day, int usedMinutes,
                      int limitMinutes, int topMinutes) {
  const int margin = Scaled(m.margin, m.dpi);
  const int width = std::max(0, static_cast<int>(client.right - client.left) - 2 * margin);
  const int index = kUsageDays - 1 - std::clamp(day, 0, kUsageDays - 1);
  const int left = client.left + margin + width * index / kUsageDays;
  const int right = client.left + margin + width * (index + 1) / kUsageDays;
  const int inset = (right - left) / 5;
  const int plotTop = PlotTop(client, m);
  const int bottom = PlotBottom(client, m);
  const int plot = bottom - plotTop;
  auto heightOf = [&](int minutes) {
    return static_cast<int>(static_cast<long long>(std::clamp(minutes, 0, topMinutes)) * plot /
                            std::max(topMinutes, 1));
  };
  DayColumn c;
  c.column = Rect{left, client.top + margin, right, bottom + Scaled(m.label, m.dpi)};
  c.bar = Rect{left + inset, bottom - heightOf(usedMinutes), right - inset, bottom};
  c.figure = Rect{left, c.bar.top - Scaled(m.figure, m.dpi), right, c.bar.top};
  const int limitY = bottom - heightOf(limitMinutes);
  const int thick = std::max(1, Scaled(2, m.dpi));
  c.limit = Rect{left + 1, limitY - thick / 2, right - 1, limitY - thick / 2 + thick};
  c.label = Rect{left, bottom + Scaled(2, m.dpi), right, bottom + Scaled(m.label, m.dpi)};
  return c;
}

Rect ChartBaseline(const Rect& client, const ChartMetrics& m) {
  const int margin = Scaled(m.margin, m.dpi);
  const int bottom = PlotBottom(client, m);
  return Rect{client.left + margin, bottom, client.right - margin, bottom + 1};
}

Rect ChartBelow(const Rect& client, const ChartMetrics& m) {
  const int margin = Scaled(m.margin, m.dpi);
  return Rect{client.left + margin, PlotBottom(client, m) + Scaled(m.label + m.margin, m.dpi),
              client.right - margin, client.bottom - margin};
}

void ListField(const char* list, int index, char* out, std::size_t size) {
  const char* start = list;
  for (int i = 0; i < index && start != nullptr; ++i) {
    start = std::strchr(start, '|');
    if (start != nullptr)
      ++start;
  }
  std::size_t length = 0;
  if (start != nullptr) {
    const char* end = std::strchr(start, '|');
    length = end != nullptr ? static_cast<std::size_t>(end - start) : std::strlen(start);
  }
  length = std::min(length, size - 1);
  if (length > 0)
    std::memcpy(out, start, length);
  out[length] = '\0';
}

} // namespace hg
