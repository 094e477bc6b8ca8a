// The time text "MM/DD hh:mm:ss": a local time without its year, the form of
// StartTime, EndTime and the times in DayTotal.
#pragma once
#include "platform/SystemPlatform.h"

#include <cstdint>

namespace hg {

inline constexpr std::size_t kTimeTextSize = 32;

// Writes the time text of t's local form; the empty text when t has none.
void FormatTimeText(SystemPlatform& platform, std::int64_t t, char (&text)[kTimeTextSize]);

// Reads a time text. False unless it holds five fields in range (month 1-12,
// day 1-31, hour 0-23, minute 0-59, second 0-60); year is left as it is.
bool ParseTimeText(const char* text, LocalTm* fields);

} // namespace hg
