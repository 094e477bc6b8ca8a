// The power-off from session 0. ExitWindowsEx ends only the caller's own
// logon session, and from a service it may succeed without turning anything
// off: the service asks InitiateShutdownW to power off, forcing every
// session's programs, with no grace period (which nobody could then cancel).
// Where that call is not implemented, ExitWindowsEx as the tray program
// asks it.
#pragma once
#include "accounting/ExitWindowsPowerOff.h"
#include "accounting/PowerOff.h"
#include "platform/SystemPlatform.h"

namespace hg {

inline constexpr DWORD kServicePowerOffFlags =
    SHUTDOWN_POWEROFF | SHUTDOWN_FORCE_OTHERS | SHUTDOWN_FORCE_SELF;
inline constexpr DWORD kServicePowerOffReason =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

class CSessionPowerOff : public PowerOff {
public:
  explicit CSessionPowerOff(SystemPlatform& platform) : m_platform(platform) {}
  // Asked on every tick while the day is spent: a shutdown a program held
  // up, or one asked while nobody was signed in (ERROR_NOT_READY), is asked
  // again; one already under way counts as done.
  void Request() override;
  // Requests made since the last call, to tell the first of a spent day.
  int TakeRequestCount() {
    int n = m_nRequests;
    m_nRequests = 0;
    return n;
  }

private:
  SystemPlatform& m_platform;
  CExitWindowsPowerOff m_fallback{m_platform};
  int m_nRequests = 0;
};

} // namespace hg
