#include "accounting/DayRules.h"

#include <algorithm>
#include <limits>

namespace hg {

int WeekdayOf(int year, int month, int day) {
  // Days since 1970-01-01 (a Thursday) by the civil-calendar count, with
  // March as the first month so that February's leap day comes last.
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = static_cast<long long>(era) * 146097 + dayOfEra - 719468;
  const long long weekday = (days + 4) % 7;
  return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

std::int32_t LimitForWeekday(const DayRules& rules, std::int32_t everyDayLimit, int weekday) {
  if (weekday < 0 || weekday >= kWeekdays || rules.weekdayLimit[weekday] == kNoDayLimit)
    return everyDayLimit;
  return rules.weekdayLimit[weekday];
}

bool ParseBedtime(const char* text, std::int32_t* minutes) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const char* p = text;
  int hour = 0;
  int hourDigits = 0;
  while (digit(*p) && hourDigits < 2) {
    hour = hour * 10 + (*p++ - '0');
    ++hourDigits;
  }
  if (hourDigits == 0 || *p++ != ':' || !digit(p[0]) || !digit(p[1]) || p[2] != '\0')
    return false;
  const int minute = (p[0] - '0') * 10 + (p[1] - '0');
  if (hour > 23 || minute > 59)
    return false;
  *minutes = hour * 60 + minute;
  return true;
}

void FormatBedtime(std::int32_t minutes, char (&text)[kBedtimeTextSize]) {
  minutes = std::clamp(minutes, 0, kMinutesPerDay - 1);
  const int hour = minutes / 60;
  const int minute = minutes % 60;
  text[0] = static_cast<char>('0' + hour / 10);
  text[1] = static_cast<char>('0' + hour % 10);
  text[2] = ':';
  text[3] = static_cast<char>('0' + minute / 10);
  text[4] = static_cast<char>('0' + minute % 10);
  text[5] = '\0';
}

std::int32_t BedtimeOnAccountingClock(std::int32_t bedtime, std::int32_t adjustMinutes) {
  // The adjustment may be any stored number: reduce it first.
  const std::int64_t shifted = std::int64_t{bedtime} - adjustMinutes;
  const std::int64_t minute = shifted % kMinutesPerDay;
  return static_cast<std::int32_t>(minute < 0 ? minute + kMinutesPerDay : minute);
}

std::int32_t CreditWithExtraTime(std::int32_t credit, std::int32_t minutes) {
  const std::int64_t sum = std::int64_t{credit} + std::int64_t{minutes} * 60;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool SettingsSpendToday(std::int32_t credit, std::int32_t todayLimitMinutes, std::int32_t todayUse,
                        bool resetToday) {
  if (resetToday)
    return todayLimitMinutes <= 0;
  return std::int64_t{credit} + std::int64_t{todayLimitMinutes} * 60 - todayUse <= 0;
}

} // namespace hg
