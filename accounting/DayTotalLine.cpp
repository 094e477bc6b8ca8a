#include "accounting/DayTotalLine.h"

#include "accounting/TimeText.h"
#include "store/RegistryStore.h"
#include "util/FormatText.h"

namespace hg {

bool AppendDayTotalLine(SystemPlatform& platform, int year, const std::string& startText,
                        const std::string& endText, std::string* dayTotal) {
  LocalTm start, end;
  if (!ParseTimeText(startText.c_str(), &start) || !ParseTimeText(endText.c_str(), &end))
    return false;
  start.year = end.year = year;
  std::int64_t startTime = platform.MakeLocalTime(start);
  std::int64_t endTime = platform.MakeLocalTime(end);
  // Only a session over the turn of the year starts in a later month than it
  // ends; a clock turned back within the year keeps its negative length.
  if (start.month > end.month) {
    start.year = year - 1;
    startTime = platform.MakeLocalTime(start);
  }
  if (startTime == -1 || endTime == -1)
    return false;
  long long minutes = (endTime - startTime) / 60;
  char line[128];
  FormatText(line, sizeof line, "\n%s - %s (%lldmin)", startText.c_str(), endText.c_str(), minutes);
  std::string list = *dayTotal + line;
  // Drop whole lines from the front until the list can be read back.
  while (list.size() > kRegReadLimit) {
    std::size_t next = list.find('\n', 1);
    list.erase(0, next == std::string::npos ? list.size() : next);
  }
  *dayTotal = std::move(list);
  return true;
}

} // namespace hg
