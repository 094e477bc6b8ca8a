// The uninstall the service carries out for a parent who gave the password
// (it runs as the system, so a parent can uninstall from a child's account):
// both programs deleted at the next restart, the tray's autostart entry, the
// Safe Mode entries, the service itself, and last the program key.
#pragma once
#include "platform/SystemPlatform.h"

namespace hg {

inline constexpr char kSafeBootMinimalKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\HourgaugeLite";
inline constexpr char kSafeBootNetworkKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\HourgaugeLite";

// ERROR_SUCCESS, or the error of the step that failed (the steps after it
// are not taken, so the program key with the password stays).
DWORD RemoveServiceInstallation(SystemPlatform& platform);

} // namespace hg
