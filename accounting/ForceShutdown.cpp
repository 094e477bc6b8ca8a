// Enforcement: store the day as spent and have Windows power the PC off.
#include "app/LimitWnd.h"
#include "store/ValueNames.h"

namespace hg {

void CLimitWnd::ForceShutdown() {
  WriteNumber(reg::kLastDate, m_nLastDate);
  WriteRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kLastTime, "0");

  // Results are not looked at: a refused request is simply made again on the
  // next tick while the allowance stays spent.
  Handle token = 0;
  m_platform.OpenProcessToken(TOKEN_ADJUST_PRIVILEGES, &token);
  Luid shutdown;
  m_platform.LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown);
  m_platform.AdjustTokenPrivileges(token, FALSE, shutdown, SE_PRIVILEGE_ENABLED);
  m_platform.CloseHandle(token);
  m_platform.ExitWindowsEx(EWX_POWEROFF | EWX_FORCE, 0);
}

} // namespace hg
