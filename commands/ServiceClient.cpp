#include "commands/ServiceClient.h"

namespace hg {

ServiceState QueryServiceState(SystemPlatform& platform, DWORD* processId) {
  *processId = 0;
  Handle manager = platform.OpenSCManagerW(SC_MANAGER_CONNECT);
  if (manager == 0)
    return ServiceState::NotInstalled;
  ServiceState state = ServiceState::NotInstalled;
  Handle service = platform.OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS);
  if (service != 0) {
    ServiceStatusProcess status;
    state = ServiceState::NotRunning;
    if (platform.QueryServiceStatusEx(service, &status) &&
        status.dwCurrentState == SERVICE_RUNNING && status.dwProcessId != 0) {
      state = ServiceState::Running;
      *processId = status.dwProcessId;
    }
    platform.CloseServiceHandle(service);
  }
  platform.CloseServiceHandle(manager);
  return state;
}

bool CServiceClient::Connect() {
  if (m_hPipe != kInvalidHandle)
    return true;
  DWORD serviceProcess = 0;
  if (QueryServiceState(m_platform, &serviceProcess) != ServiceState::Running)
    return false;
  m_hPipe = m_platform.CreatePipeClientW(kServicePipeName);
  if (m_hPipe == kInvalidHandle)
    return false;
  DWORD server = 0;
  if (!m_platform.GetNamedPipeServerProcessId(m_hPipe, &server) || server != serviceProcess) {
    Disconnect();
    return false;
  }
  return true;
}

void CServiceClient::Disconnect() {
  if (m_hPipe != kInvalidHandle)
    m_platform.CloseHandle(m_hPipe);
  m_hPipe = kInvalidHandle;
}

bool CServiceClient::Ask(const ServiceRequest& request, ServiceReply* reply) {
  if (!Connect())
    return false;
  std::uint8_t out[kRequestSize];
  EncodeRequest(request, out);
  std::uint8_t in[kReplySize];
  DWORD read = 0;
  if (!m_platform.TransactNamedPipe(m_hPipe, out, sizeof out, in, sizeof in, &read,
                                    kReplyTimeoutMs) ||
      !DecodeReply(in, read, reply)) {
    Disconnect();
    return false;
  }
  return true;
}

} // namespace hg
