// The power-off of a program in the signed-in account: the shutdown
// privilege enabled in its own token, then ExitWindowsEx; an account that may
// not power the PC off still loses its session.
#pragma once
#include "accounting/PowerOff.h"
#include "platform/SystemPlatform.h"

namespace hg {

// True once the shutdown privilege is enabled in the process's token.
bool EnableShutdownPrivilege(SystemPlatform& platform);

class CExitWindowsPowerOff : public PowerOff {
public:
  explicit CExitWindowsPowerOff(SystemPlatform& platform) : m_platform(platform) {}
  void Request() override;

private:
  SystemPlatform& m_platform;
};

} // namespace hg
