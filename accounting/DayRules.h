// The rules of a day a parent sets besides the every-day limit: a limit of
// its own for each weekday, and a bedtime from which the day counts as
// spent. Pure rules over plain numbers; the engine reads them from the
// program key at its start and at every recount.
#pragma once
#include <cstdint>

namespace hg {

inline constexpr int kWeekdays = 7;             // Sunday first
inline constexpr std::int32_t kNoDayLimit = -1; // the weekday takes LimitTime
inline constexpr std::int32_t kNoBedtime = -1;
inline constexpr std::int32_t kMinutesPerDay = 1440;
// Extra time a parent gives at once, in minutes.
inline constexpr std::int32_t kMinExtraMinutes = 1;
inline constexpr std::int32_t kMaxExtraMinutes = 1440;
// The day-start adjustment a parent may set: a time of day.
inline constexpr std::int32_t kMaxAdjustMinutes = kMinutesPerDay - 1;
// "HH:MM" and its terminating zero.
inline constexpr int kBedtimeTextSize = 6;

struct DayRules {
  // Minutes of each weekday, Sunday first; kNoDayLimit: the every-day limit.
  std::int32_t weekdayLimit[kWeekdays] = {kNoDayLimit, kNoDayLimit, kNoDayLimit, kNoDayLimit,
                                          kNoDayLimit, kNoDayLimit, kNoDayLimit};
  // Minutes after local midnight; kNoBedtime: none.
  std::int32_t bedtime = kNoBedtime;

  bool operator==(const DayRules&) const = default;
};

// 0 (Sunday) to 6 (Saturday) of a Gregorian date.
int WeekdayOf(int year, int month, int day);

// The limit of a weekday: its own, or the every-day limit.
std::int32_t LimitForWeekday(const DayRules& rules, std::int32_t everyDayLimit, int weekday);

// "HH:MM" (or "H:MM"), 00:00 to 23:59, to minutes after midnight; false for
// any other text.
bool ParseBedtime(const char* text, std::int32_t* minutes);
// Minutes after midnight as "HH:MM".
void FormatBedtime(std::int32_t minutes, char (&text)[kBedtimeTextSize]);

// The minute of the accounting clock (local time less the day-start
// adjustment) at which the bedtime falls: the bedtime belongs to the
// accounting day it falls in, so with the day starting at 03:00 a bedtime
// of 01:00 is two hours before that day's end.
std::int32_t BedtimeOnAccountingClock(std::int32_t bedtime, std::int32_t adjustMinutes);

// The credit after `minutes` of extra time, held within 32 bits.
std::int32_t CreditWithExtraTime(std::int32_t credit, std::int32_t minutes);

// Whether settings would leave nothing of today: the remaining time the
// recount gives (credit + limit - use) is not above zero.
bool SettingsSpendToday(std::int32_t credit, std::int32_t todayLimitMinutes, std::int32_t todayUse,
                        bool resetToday);

} // namespace hg
