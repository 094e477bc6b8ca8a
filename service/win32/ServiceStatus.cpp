#include "service/win32/ServiceStatus.h"

#include "service/win32/ControlRules.h"

namespace hg {

CServiceStatus::CServiceStatus() {
  ::InitializeCriticalSection(&m_lock);
  m_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  m_status.dwCurrentState = SERVICE_START_PENDING;
}

CServiceStatus::~CServiceStatus() {
  ::DeleteCriticalSection(&m_lock);
}

bool CServiceStatus::Register(const wchar_t* serviceName, LPHANDLER_FUNCTION_EX handler,
                              void* context) {
  m_handle = ::RegisterServiceCtrlHandlerExW(serviceName, handler, context);
  return m_handle != nullptr;
}

void CServiceStatus::Report(::DWORD state, ::DWORD exitCode, ::DWORD waitHintMs) {
  if (m_handle == nullptr)
    return;
  ::EnterCriticalSection(&m_lock);
  const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
  m_status.dwCurrentState = state;
  m_status.dwControlsAccepted = state == SERVICE_RUNNING ? kControlsAccepted : 0;
  m_status.dwWin32ExitCode = exitCode;
  m_status.dwServiceSpecificExitCode = 0;
  m_status.dwCheckPoint = pending ? m_status.dwCheckPoint + 1 : 0;
  m_status.dwWaitHint = pending ? waitHintMs : 0;
  ::SetServiceStatus(m_handle, &m_status);
  ::LeaveCriticalSection(&m_lock);
}

} // namespace hg
