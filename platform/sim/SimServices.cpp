// The simulated service control manager, named pipe client, awake-time
// clock, InitiateShutdownW, sessions and named time zones.
#include "platform/CalendarFields.h"
#include "platform/sim/SimPlatform.h"

#include <cstring>
#include <ctime>

namespace hg::sim {
namespace {
// Windows' names of the zones the tests use, and the C library's.
struct ZoneName {
  const char* windows;
  const char* iana;
};
constexpr ZoneName kZones[] = {
    {"Tokyo Standard Time", "Asia/Tokyo"},
    {"W. Europe Standard Time", "Europe/Berlin"},
    {"Eastern Standard Time", "America/New_York"},
    {"Lord Howe Standard Time", "Australia/Lord_Howe"},
    {"India Standard Time", "Asia/Kolkata"},
    {"UTC", "UTC"},
};
const char* IanaZone(const char* windows) {
  for (const ZoneName& z : kZones)
    if (std::strcmp(z.windows, windows) == 0)
      return z.iana;
  return nullptr;
}
} // namespace

void SimPlatform::SetService(bool installed, DWORD state, DWORD processId) {
  m_serviceInstalled = installed;
  m_serviceState = state;
  m_serviceProcessId = processId;
}

Handle SimPlatform::OpenSCManagerW(DWORD) {
  ++m_openServiceHandles;
  return m_nextServiceHandle++;
}

Handle SimPlatform::OpenServiceW(Handle manager, const char* name, DWORD) {
  if (manager == 0 || !m_serviceInstalled || m_serviceDeleted ||
      std::strcmp(name, "HourgaugeLite") != 0) {
    m_lastError = ERROR_SERVICE_DOES_NOT_EXIST;
    return 0;
  }
  ++m_openServiceHandles;
  return m_nextServiceHandle++;
}

BOOL SimPlatform::QueryServiceStatusEx(Handle service, ServiceStatusProcess* status) {
  if (service == 0) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  status->dwCurrentState = m_serviceState;
  status->dwProcessId = m_serviceState == SERVICE_RUNNING ? m_serviceProcessId : 0;
  return TRUE;
}

BOOL SimPlatform::DeleteService(Handle service) {
  if (service == 0)
    return FALSE;
  m_serviceDeleted = true;
  return TRUE;
}

BOOL SimPlatform::CloseServiceHandle(Handle object) {
  if (object == 0)
    return FALSE;
  --m_openServiceHandles;
  return TRUE;
}

void SimPlatform::SetPipeServer(const std::string& name, SimPipeServer server, void* context,
                                DWORD processId) {
  m_pipeName = name;
  m_pipeServer = server;
  m_pipeContext = context;
  m_pipeProcessId = processId;
}

Handle SimPlatform::CreatePipeClientW(const char* name) {
  if (m_pipeServer == nullptr || m_pipeName != name) {
    m_lastError = ERROR_FILE_NOT_FOUND;
    return kInvalidHandle;
  }
  Handle pipe = m_nextPipe++;
  m_pipes[pipe] = m_nextConnection++;
  return pipe;
}

BOOL SimPlatform::GetNamedPipeServerProcessId(Handle pipe, DWORD* processId) {
  if (m_pipes.count(pipe) == 0) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  *processId = m_pipeProcessId;
  return TRUE;
}

BOOL SimPlatform::TransactNamedPipe(Handle pipe, const void* request, DWORD requestSize,
                                    void* reply, DWORD replySize, DWORD* read, DWORD) {
  *read = 0;
  auto it = m_pipes.find(pipe);
  if (it == m_pipes.end() || m_pipeServer == nullptr) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  ++m_pipeTransactions;
  int n = m_pipeServer(m_pipeContext, it->second, static_cast<const std::uint8_t*>(request),
                       requestSize, static_cast<std::uint8_t*>(reply), replySize);
  if (n < 0) {
    // The server dropped the connection: the client end is broken.
    it->second = 0;
    m_lastError = 109; // ERROR_BROKEN_PIPE
    return FALSE;
  }
  *read = static_cast<DWORD>(n);
  return TRUE;
}

Handle SimPlatform::CreateMutexA(const char* name) {
  bool exists = false;
  for (const auto& [handle, open] : m_mutexes)
    exists = exists || open == name;
  Handle mutex = m_nextMutex++;
  m_mutexes[mutex] = name;
  m_lastError = exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return mutex;
}

bool SimPlatform::CloseSimHandle(Handle object) {
  if (m_pipes.erase(object) > 0 || m_mutexes.erase(object) > 0)
    return true;
  return m_sessionTokens.erase(object) > 0;
}

DWORD SimPlatform::InitiateShutdownW(DWORD flags, DWORD reason) {
  DWORD result = m_initiateShutdownResult;
  if (result == ERROR_SUCCESS && !m_privilegeEnabled)
    result = ERROR_PRIVILEGE_NOT_HELD;
  m_shutdowns.push_back(ShutdownRequest{flags, reason, Now(), result});
  return result;
}

DWORD SimPlatform::WTSEnumerateActiveSessions(DWORD* ids, DWORD max) {
  DWORD n = 0;
  for (DWORD id : m_activeSessions)
    if (n < max)
      ids[n++] = id;
  return n;
}

BOOL SimPlatform::WTSSendMessageW(DWORD session, const char* title, const char* text, DWORD style,
                                  DWORD timeoutSeconds) {
  if (m_failSessionMessages) {
    m_lastError = ERROR_CALL_NOT_IMPLEMENTED;
    return FALSE;
  }
  m_sessionMessages.push_back(SessionMessage{session, title, text, style, timeoutSeconds});
  return TRUE;
}

BOOL SimPlatform::WTSQueryUserToken(DWORD session, Handle* token) {
  bool active = false;
  for (DWORD id : m_activeSessions)
    active = active || id == session;
  if (!active) {
    m_lastError = 1008; // ERROR_NO_TOKEN: nobody signed in there
    return FALSE;
  }
  *token = m_nextSessionToken++;
  m_sessionTokens[*token] = session;
  return TRUE;
}

BOOL SimPlatform::CreateProcessAsUserW(Handle token, const char* commandLine) {
  auto it = m_sessionTokens.find(token);
  if (it == m_sessionTokens.end()) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  m_userProcesses.push_back(UserProcess{it->second, commandLine, Now()});
  return TRUE;
}

bool SimPlatform::GetZoneLocalTm(const char* zone, std::int64_t t, LocalTm* out) {
  const char* iana = IanaZone(zone);
  if (iana == nullptr || t < 0)
    return false;
  ApplyZone(iana);
  std::time_t tt = static_cast<std::time_t>(t);
  std::tm tm{};
  if (localtime_r(&tt, &tm) == nullptr)
    return false;
  *out = FromCalendarFields(tm);
  return true;
}

std::int64_t SimPlatform::MakeZoneLocalTime(const char* zone, const LocalTm& fields) {
  const char* iana = IanaZone(zone);
  if (iana == nullptr)
    return -1;
  ApplyZone(iana);
  std::tm tm = ToCalendarFields(fields);
  std::time_t t = mktime(&tm);
  return t < 0 ? -1 : static_cast<std::int64_t>(t);
}

} // namespace hg::sim
