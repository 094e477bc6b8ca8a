// What commands 32773 (exit) and 32777 (uninstall) do beyond the window's
// own close.
#pragma once
#include "platform/Platform.h"

namespace hg {

// Closes the companion window ("sysconfig"), asking again while it stays,
// for a bounded time.
void CloseCompanion(Platform& platform);

// Removes the program from Windows: the exe's deletion at the next restart,
// the autostart entry, then the program key. ERROR_SUCCESS, or the error of
// the step that failed; the steps after it are not taken.
DWORD RemoveInstallation(SystemPlatform& platform);

} // namespace hg
