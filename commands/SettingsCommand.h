// Command 32772: the daily limit, the day-start adjustment, reset today.
#pragma once
#include "accounting/Accountant.h"
#include "platform/Platform.h"

namespace hg {

// Shows the settings dialog with the accountant's values and applies what
// the parent confirms. The password step comes before, from the caller.
void ChangeSettings(Platform& platform, CAccountant& accountant);

} // namespace hg
