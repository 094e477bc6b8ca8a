// Command 32781: extra time for today only.
#pragma once
#include "accounting/Accountant.h"
#include "platform/Platform.h"

namespace hg {

// Asks for the minutes and gives them to today. The password step comes
// before, from the caller.
void GiveExtraTime(Platform& platform, CAccountant& accountant);

} // namespace hg
