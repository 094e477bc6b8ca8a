// The sessions of a DayTotal or DayTotal2 list read as times of day, for
// the history window: "\nMM/DD hh:mm:ss - MM/DD hh:mm:ss (Nmin)" becomes
// 17:02 to 17:45, 43 minutes. Pure rules over the stored text.
#pragma once

namespace hg {

struct SessionTime {
  int startHour = 0;
  int startMinute = 0;
  int endHour = 0;
  int endMinute = 0;
  int minutes = 0; // as the line records it (negative after a clock turned back)
};

// The sessions of `list` in its order (oldest first), at most `max` of them;
// a line that is not a session (a list cut at the front, text a hand put
// there) is skipped. Returns how many were stored.
int ReadSessionTimes(const char* list, SessionTime* sessions, int max);

} // namespace hg
