// The tray program's line to the service: whether the service is installed
// and runs, and one request at a time over its pipe. Before a password goes
// out the pipe's server must be the service's own process: a program that
// took the pipe's name while the service was down must not collect it.
#pragma once
#include "commands/ServiceProtocol.h"
#include "platform/SystemPlatform.h"

namespace hg {

enum class ServiceState { NotInstalled, NotRunning, Running };

// The service as the service manager reports it, with its process id when
// it runs.
ServiceState QueryServiceState(SystemPlatform& platform, DWORD* processId);

class CServiceClient {
public:
  explicit CServiceClient(SystemPlatform& platform) : m_platform(platform) {}
  ~CServiceClient() { Disconnect(); }
  CServiceClient(const CServiceClient&) = delete;
  CServiceClient& operator=(const CServiceClient&) = delete;

  // One request and its reply; false when the service does not run, the
  // pipe is not its own, or the answer is not a valid reply (the connection
  // is then closed and opened again at the next request).
  bool Ask(const ServiceRequest& request, ServiceReply* reply);
  void Disconnect();

  // The answer to a request waits at most this long: the tray's window
  // must not hang on a service that does not answer.
  static constexpr DWORD kReplyTimeoutMs = 500;

private:
  bool Connect();

  SystemPlatform& m_platform;
  Handle m_hPipe = kInvalidHandle;
};

} // namespace hg
