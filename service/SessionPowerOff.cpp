#include "service/SessionPowerOff.h"

namespace hg {

void CSessionPowerOff::Request() {
  ++m_nRequests;
  // LocalSystem holds the privilege, disabled.
  EnableShutdownPrivilege(m_platform);
  const DWORD error = m_platform.InitiateShutdownW(kServicePowerOffFlags, kServicePowerOffReason);
  if (error == ERROR_CALL_NOT_IMPLEMENTED)
    m_fallback.Request();
}

} // namespace hg
