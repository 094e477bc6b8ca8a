// Where the program keeps its state: every value under one key of
// HKEY_LOCAL_MACHINE, plus the autostart entry under the machine's Run key.
#pragma once

namespace hg::reg {

inline constexpr char kProgramKey[] = "SOFTWARE\\Hourgauge";
inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kAutostartValue[] = "Hourgauge";

inline constexpr char kLimitTime[] = "LimitTime";           // daily limit, minutes
inline constexpr char kLastDate[] = "LastDate";             // day key of the stored allowance
inline constexpr char kLastTime[] = "LastTime";             // remaining seconds
inline constexpr char kLastTimeAdjust[] = "LastTimeAdjust"; // credit from reset-today, seconds
inline constexpr char kAdjustTime[] = "AdjustTime";         // day-start adjustment, minutes
inline constexpr char kDayTotal[] = "DayTotal";             // today's list of sessions
inline constexpr char kDayTotal2[] = "DayTotal2";           // the previous day's list
inline constexpr char kStartTime[] = "StartTime";           // time text
inline constexpr char kEndTime[] = "EndTime";               // time text
inline constexpr char kPassword[] = "PASSWORD";             // scrambled
// A weekday's own limit in minutes, Sunday first; absent or empty: LimitTime.
inline constexpr const char* kLimitTimeOfWeekday[7] = {
    "LimitTimeSun", "LimitTimeMon", "LimitTimeTue", "LimitTimeWed",
    "LimitTimeThu", "LimitTimeFri", "LimitTimeSat"};
inline constexpr char kBedtime[] = "Bedtime"; // "HH:MM"; empty: none
inline constexpr char kTimeZone[] =
    "TimeZone"; // the service's zone (TimeZoneKeyName); empty: Windows'

} // namespace hg::reg
