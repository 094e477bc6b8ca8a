#include "accounting/TimeText.h"

#include "util/FormatText.h"
#include "util/ScanText.h"

namespace hg {

void FormatTimeText(SystemPlatform& platform, std::int64_t t, char (&text)[kTimeTextSize]) {
  LocalTm local;
  if (!platform.GetLocalTm(t, &local)) {
    text[0] = '\0';
    return;
  }
  FormatText(text, sizeof text, "%02d/%02d %02d:%02d:%02d", local.month, local.day, local.hour,
             local.minute, local.second);
}

bool ParseTimeText(const char* text, LocalTm* fields) {
  int month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (ScanText(text, "%2d/%2d %2d:%2d:%2d", &month, &day, &hour, &minute, &second) != 5)
    return false;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 60)
    return false;
  fields->month = month;
  fields->day = day;
  fields->hour = hour;
  fields->minute = minute;
  fields->second = second;
  return true;
}

} // namespace hg
