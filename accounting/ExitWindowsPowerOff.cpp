#include "accounting/ExitWindowsPowerOff.h"

namespace hg {
namespace {
// A planned shutdown of no particular kind: a reason of 0 would be logged as
// unplanned and can make Windows collect a system-state file first.
constexpr DWORD kShutdownReason =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
// With Terminal Services on (every current Windows) EWX_FORCE alone does not
// end a program that hangs at the session end; EWX_FORCEIFHUNG does.
constexpr UINT kPowerOffFlags = EWX_POWEROFF | EWX_FORCE | EWX_FORCEIFHUNG;
// Ending the session needs no privilege.
constexpr UINT kLogoffFlags = EWX_LOGOFF | EWX_FORCE;
} // namespace

// AdjustTokenPrivileges reports a privilege the account does not hold by
// succeeding with ERROR_NOT_ALL_ASSIGNED.
bool EnableShutdownPrivilege(SystemPlatform& platform) {
  Handle token = 0;
  if (!platform.OpenProcessToken(TOKEN_ADJUST_PRIVILEGES, &token))
    return false;
  Luid shutdown;
  bool enabled = false;
  if (platform.LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown)) {
    enabled = platform.AdjustTokenPrivileges(token, FALSE, shutdown, SE_PRIVILEGE_ENABLED) &&
              platform.GetLastError() == ERROR_SUCCESS;
  }
  platform.CloseHandle(token);
  return enabled;
}

// The logoff is for an account that may not power the PC off: a refused
// privilege or access. Any other failure (a shutdown already under way, a
// program holding it up) is asked again on the next tick, so that a
// power-off is not turned into a logoff.
void CExitWindowsPowerOff::Request() {
  if (EnableShutdownPrivilege(m_platform)) {
    if (m_platform.ExitWindowsEx(kPowerOffFlags, kShutdownReason))
      return;
    const DWORD error = m_platform.GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_PRIVILEGE_NOT_HELD)
      return;
  }
  m_platform.ExitWindowsEx(kLogoffFlags, kShutdownReason);
}

} // namespace hg
