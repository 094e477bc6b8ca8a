// The status the service reports to the service manager. Both the
// dispatcher's thread and the body's may report, so every report is made
// under a lock. In the console mode there is no manager: nothing is sent.
#pragma once
#include "service/win32/Win32Headers.h"

namespace hg {

class CServiceStatus {
public:
  CServiceStatus();
  ~CServiceStatus();
  CServiceStatus(const CServiceStatus&) = delete;
  CServiceStatus& operator=(const CServiceStatus&) = delete;

  // RegisterServiceCtrlHandlerExW for the service; false (last error set)
  // when the manager refuses.
  bool Register(const wchar_t* serviceName, LPHANDLER_FUNCTION_EX handler, void* context);
  // A pending state counts its checkpoint up and asks the manager to wait
  // up to waitHintMs for the next report; RUNNING accepts the service's
  // controls; STOPPED carries the exit code (non-zero: a failure, which
  // the manager's failure actions answer with a restart).
  void Report(::DWORD state, ::DWORD exitCode = NO_ERROR, ::DWORD waitHintMs = 0);

private:
  CRITICAL_SECTION m_lock;
  SERVICE_STATUS_HANDLE m_handle = nullptr;
  SERVICE_STATUS m_status{};
};

} // namespace hg
