// Command 32771 (set or change the password) and the password step that
// guards the other protected commands.
#pragma once
#include "platform/Platform.h"

namespace hg {

// True when no password is set, or the parent typed the stored one.
bool ConfirmPassword(Platform& platform);
// Sets, changes or clears the stored password; the old one is the guard.
void ChangePassword(Platform& platform);

} // namespace hg
