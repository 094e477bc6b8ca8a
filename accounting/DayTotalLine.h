// Today's list of earlier sessions, one line per program start:
// "\nMM/DD hh:mm:ss - MM/DD hh:mm:ss (Nmin)".
#pragma once
#include "platform/SystemPlatform.h"

#include <string>

namespace hg {

// The list with the session from startText to endText appended. Both times
// are rebuilt with the year of `year`; a start in a later month than its end
// lies in the year before (a session over the turn of the year), while any
// other start after its end (a clock turned back) gives a negative length. When the
// list would outgrow what a read gives back, its oldest lines go, so that it
// stays readable. False, and the list untouched, when either text is not a
// time text.
bool AppendDayTotalLine(SystemPlatform& platform, int year, const std::string& startText,
                        const std::string& endText, std::string* dayTotal);

} // namespace hg
