// LocalTm to and from the C library's struct tm (years since 1900, months
// 0-11), for the platforms' local-time calls.
#pragma once
#include "platform/WinDefs.h"

#include <ctime>

namespace hg {

// Daylight saving is left for the library to decide (tm_isdst -1).
inline std::tm ToCalendarFields(const LocalTm& local) {
  std::tm fields{};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;
  return fields;
}

inline LocalTm FromCalendarFields(const std::tm& fields) {
  return LocalTm{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                 fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

} // namespace hg
