#include "accounting/SessionTimes.h"

#include "util/ScanText.h"

#include <cstring>

namespace hg {

int ReadSessionTimes(const char* list, SessionTime* sessions, int max) {
  int count = 0;
  for (const char* line = list; line != nullptr && *line != '\0' && count < max;) {
    if (*line == '\n')
      ++line;
    int month[2], day[2], hour[2], minute[2], second[2], minutes = 0;
    const int fields = ScanText(line, "%2d/%2d %2d:%2d:%2d - %2d/%2d %2d:%2d:%2d (%9dmin)",
                                &month[0], &day[0], &hour[0], &minute[0], &second[0], &month[1],
                                &day[1], &hour[1], &minute[1], &second[1], &minutes);
    if (fields == 11 && hour[0] >= 0 && hour[0] < 24 && hour[1] >= 0 && hour[1] < 24 &&
        minute[0] >= 0 && minute[0] < 60 && minute[1] >= 0 && minute[1] < 60)
      sessions[count++] = SessionTime{hour[0], minute[0], hour[1], minute[1], minutes};
    line = std::strchr(line, '\n');
  }
  return count;
}

} // namespace hg
