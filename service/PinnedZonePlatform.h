// The calls the service's accounting makes, with local time taken in the
// zone the parent chose at setup (stored by its key name) rather than the
// zone Windows is set to, which any account may change. With no zone chosen
// it is Windows' own, as for the tray program.
#pragma once
#include "platform/SystemPlatform.h"

#include <cstring>

namespace hg {

class CPinnedZonePlatform : public SystemPlatform {
public:
  explicit CPinnedZonePlatform(SystemPlatform& platform) : m_platform(platform) {}

  // A TimeZoneKeyName such as "Tokyo Standard Time"; empty: Windows' zone.
  void PinZone(const char* zone) {
    std::strncpy(m_szZone, zone, sizeof m_szZone - 1);
    m_szZone[sizeof m_szZone - 1] = '\0';
  }
  const char* Zone() const { return m_szZone; }

  bool GetLocalTm(std::int64_t t, LocalTm* out) override {
    return m_szZone[0] != '\0' ? m_platform.GetZoneLocalTm(m_szZone, t, out)
                               : m_platform.GetLocalTm(t, out);
  }
  std::int64_t MakeLocalTime(const LocalTm& fields) override {
    return m_szZone[0] != '\0' ? m_platform.MakeZoneLocalTime(m_szZone, fields)
                               : m_platform.MakeLocalTime(fields);
  }

  // Everything else as it is.
  LONG RegOpenKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) override {
    return m_platform.RegOpenKeyExA(root, subKey, access, result);
  }
  LONG RegCreateKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) override {
    return m_platform.RegCreateKeyExA(root, subKey, access, result);
  }
  LONG RegQueryValueExA(Hkey key, const char* name, DWORD* type, std::uint8_t* data,
                        DWORD* cbData) override {
    return m_platform.RegQueryValueExA(key, name, type, data, cbData);
  }
  LONG RegSetValueExA(Hkey key, const char* name, DWORD type, const std::uint8_t* data,
                      DWORD cbData) override {
    return m_platform.RegSetValueExA(key, name, type, data, cbData);
  }
  LONG RegDeleteValueA(Hkey key, const char* name) override {
    return m_platform.RegDeleteValueA(key, name);
  }
  LONG RegDeleteKeyA(Hkey root, const char* subKey) override {
    return m_platform.RegDeleteKeyA(root, subKey);
  }
  LONG RegCloseKey(Hkey key) override { return m_platform.RegCloseKey(key); }
  std::int64_t GetCurrentTime() override { return m_platform.GetCurrentTime(); }
  Handle OpenEventLogA(const char* server, const char* source) override {
    return m_platform.OpenEventLogA(server, source);
  }
  BOOL ReadEventLogA(Handle log, DWORD flags, DWORD offset, void* buffer, DWORD size, DWORD* read,
                     DWORD* needed) override {
    return m_platform.ReadEventLogA(log, flags, offset, buffer, size, read, needed);
  }
  BOOL CloseEventLog(Handle log) override { return m_platform.CloseEventLog(log); }
  DWORD GetLastError() override { return m_platform.GetLastError(); }
  void* LocalAlloc(std::size_t bytes) override { return m_platform.LocalAlloc(bytes); }
  void LocalFree(void* block) override { m_platform.LocalFree(block); }
  BOOL OpenProcessToken(DWORD access, Handle* token) override {
    return m_platform.OpenProcessToken(access, token);
  }
  BOOL LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) override {
    return m_platform.LookupPrivilegeValueA(system, name, luid);
  }
  BOOL AdjustTokenPrivileges(Handle token, BOOL disableAll, const Luid& luid,
                             DWORD attributes) override {
    return m_platform.AdjustTokenPrivileges(token, disableAll, luid, attributes);
  }
  BOOL CloseHandle(Handle object) override { return m_platform.CloseHandle(object); }
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override {
    return m_platform.ExitWindowsEx(flags, reason);
  }
  DWORD GetModuleFileNameA(char* buffer, DWORD size) override {
    return m_platform.GetModuleFileNameA(buffer, size);
  }
  BOOL MoveFileExA(const char* existing, const char* replacement, DWORD flags) override {
    return m_platform.MoveFileExA(existing, replacement, flags);
  }
  void Sleep(DWORD milliseconds) override { m_platform.Sleep(milliseconds); }
  Handle CreateMutexA(const char* name) override { return m_platform.CreateMutexA(name); }
  Handle OpenSCManagerW(DWORD access) override { return m_platform.OpenSCManagerW(access); }
  Handle OpenServiceW(Handle manager, const char* name, DWORD access) override {
    return m_platform.OpenServiceW(manager, name, access);
  }
  BOOL QueryServiceStatusEx(Handle service, ServiceStatusProcess* status) override {
    return m_platform.QueryServiceStatusEx(service, status);
  }
  BOOL DeleteService(Handle service) override { return m_platform.DeleteService(service); }
  BOOL CloseServiceHandle(Handle object) override { return m_platform.CloseServiceHandle(object); }
  Handle CreatePipeClientW(const char* name) override { return m_platform.CreatePipeClientW(name); }
  BOOL GetNamedPipeServerProcessId(Handle pipe, DWORD* processId) override {
    return m_platform.GetNamedPipeServerProcessId(pipe, processId);
  }
  BOOL TransactNamedPipe(Handle pipe, const void* request, DWORD requestSize, void* reply,
                         DWORD replySize, DWORD* read, DWORD timeoutMs) override {
    return m_platform.TransactNamedPipe(pipe, request, requestSize, reply, replySize, read,
                                        timeoutMs);
  }
  std::uint64_t QueryUnbiasedInterruptTime() override {
    return m_platform.QueryUnbiasedInterruptTime();
  }
  DWORD InitiateShutdownW(DWORD flags, DWORD reason) override {
    return m_platform.InitiateShutdownW(flags, reason);
  }
  DWORD WTSEnumerateActiveSessions(DWORD* ids, DWORD max) override {
    return m_platform.WTSEnumerateActiveSessions(ids, max);
  }
  BOOL WTSSendMessageW(DWORD session, const char* title, const char* text, DWORD style,
                       DWORD timeoutSeconds) override {
    return m_platform.WTSSendMessageW(session, title, text, style, timeoutSeconds);
  }
  BOOL WTSQueryUserToken(DWORD session, Handle* token) override {
    return m_platform.WTSQueryUserToken(session, token);
  }
  BOOL CreateProcessAsUserW(Handle token, const char* commandLine) override {
    return m_platform.CreateProcessAsUserW(token, commandLine);
  }
  bool GetZoneLocalTm(const char* zone, std::int64_t t, LocalTm* out) override {
    return m_platform.GetZoneLocalTm(zone, t, out);
  }
  std::int64_t MakeZoneLocalTime(const char* zone, const LocalTm& fields) override {
    return m_platform.MakeZoneLocalTime(zone, fields);
  }

private:
  SystemPlatform& m_platform;
  char m_szZone[128] = {};
};

} // namespace hg
