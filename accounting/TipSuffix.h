// The tooltip's days: today and the two days before, each as its day of the
// month with the language's mark after it and its minutes of use.
#pragma once
#include <cstddef>

namespace hg {

// The mark after day `day` of the month from `marks`, the marks for 1, 2, 3
// and every other number with '|' between them ("st|nd|rd|th"; the same mark
// four times where the language has one). 11, 12 and 13 take the last.
// Copied into `mark` (size bytes, always terminated).
void DayMark(int day, const char* marks, char* mark, std::size_t size);

// `format` has three groups of day "%d", mark "%s" and minutes "%d".
void FormatTipSuffix(char* out, std::size_t size, const char* format, const char* marks,
                     const int dayOfMonth[3], const int minutes[3]);

} // namespace hg
