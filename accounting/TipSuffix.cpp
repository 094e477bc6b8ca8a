#include "accounting/TipSuffix.h"

#include "util/FormatText.h"

#include <cstring>

namespace hg {

void DayMark(int day, const char* marks, char* mark, std::size_t size) {
  if (size == 0)
    return;
  int which = 3;
  int lastTwo = day % 100;
  if (lastTwo < 11 || lastTwo > 13) {
    if (day % 10 == 1)
      which = 0;
    else if (day % 10 == 2)
      which = 1;
    else if (day % 10 == 3)
      which = 2;
  }
  const char* start = marks;
  for (int i = 0; i < which && start != nullptr; ++i) {
    start = std::strchr(start, '|');
    if (start != nullptr)
      ++start;
  }
  if (start == nullptr) {
    mark[0] = '\0';
    return;
  }
  const char* end = std::strchr(start, '|');
  std::size_t length = end != nullptr ? static_cast<std::size_t>(end - start) : std::strlen(start);
  if (length > size - 1)
    length = size - 1;
  std::memcpy(mark, start, length);
  mark[length] = '\0';
}

void FormatTipSuffix(char* out, std::size_t size, const char* format, const char* marks,
                     const int dayOfMonth[3], const int minutes[3]) {
  char mark[3][16];
  for (int i = 0; i < 3; ++i)
    DayMark(dayOfMonth[i], marks, mark[i], sizeof mark[i]);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  FormatText(out, size, format, dayOfMonth[0], mark[0], minutes[0], dayOfMonth[1], mark[1],
             minutes[1], dayOfMonth[2], mark[2], minutes[2]);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

} // namespace hg
