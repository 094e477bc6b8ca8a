// The calls that need no desktop: registry, clock and local time, event
// log, the process's token and the power-off, the program module and its
// files. The accounting takes only these, so it runs where no desktop is (a
// service in session 0) and cannot reach a window.
//
// Results are the Win32 ones (registry calls return an error code, BOOL
// calls set the last error).
#pragma once
#include "platform/WinDefs.h"

#include <cstddef>
#include <cstdint>

namespace hg {

// ReadEventLogA takes a buffer of at most 0x7FFFF bytes.
inline constexpr DWORD kMaxEventReadSize = 0x7FFFF;

class SystemPlatform {
public:
  virtual ~SystemPlatform() = default;

  // Registry. 0 on success, ERROR_FILE_NOT_FOUND for a missing key or value,
  // ERROR_MORE_DATA when the value does not fit the caller's buffer.
  virtual LONG RegOpenKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) = 0;
  // Creates the missing keys along the path (REG_OPTION_NON_VOLATILE, no class).
  virtual LONG RegCreateKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) = 0;
  virtual LONG RegQueryValueExA(Hkey key, const char* name, DWORD* type, std::uint8_t* data,
                                DWORD* cbData) = 0;
  virtual LONG RegSetValueExA(Hkey key, const char* name, DWORD type, const std::uint8_t* data,
                              DWORD cbData) = 0;
  virtual LONG RegDeleteValueA(Hkey key, const char* name) = 0;
  virtual LONG RegDeleteKeyA(Hkey root, const char* subKey) = 0;
  virtual LONG RegCloseKey(Hkey key) = 0;

  // Clock: whole seconds since 1970-01-01 00:00 UTC (CTime::GetCurrentTime).
  virtual std::int64_t GetCurrentTime() = 0;
  // Local broken-down form of t; false when t cannot be converted.
  virtual bool GetLocalTm(std::int64_t t, LocalTm* out) = 0;
  // Time from local fields, daylight saving decided by the zone; -1 on failure.
  virtual std::int64_t MakeLocalTime(const LocalTm& fields) = 0;

  // The event log. OpenEventLogA returns 0 on failure. ReadEventLogA fills
  // the buffer (at most kMaxEventReadSize bytes) with as many whole records
  // as fit and sets *read to their bytes; it returns FALSE with
  // GetLastError() == ERROR_INSUFFICIENT_BUFFER and *needed set when not even
  // the next record fits, ERROR_HANDLE_EOF past the last record; any other
  // failure ends a scan.
  virtual Handle OpenEventLogA(const char* server, const char* source) = 0;
  virtual BOOL ReadEventLogA(Handle log, DWORD flags, DWORD offset, void* buffer, DWORD size,
                             DWORD* read, DWORD* needed) = 0;
  virtual BOOL CloseEventLog(Handle log) = 0;
  virtual DWORD GetLastError() = 0;
  // Record buffers: nullptr when memory runs out.
  virtual void* LocalAlloc(std::size_t bytes) = 0;
  virtual void LocalFree(void* block) = 0;

  // Shutdown, for the program's own process.
  virtual BOOL OpenProcessToken(DWORD access, Handle* token) = 0;
  virtual BOOL LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) = 0;
  // One privilege; no buffer for the previous state. Succeeds also when the
  // token does not hold it: GetLastError() then tells ERROR_NOT_ALL_ASSIGNED.
  virtual BOOL AdjustTokenPrivileges(Handle token, BOOL disableAll, const Luid& luid,
                                     DWORD attributes) = 0;
  virtual BOOL CloseHandle(Handle object) = 0;
  virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;

  // Files and the program module.
  virtual DWORD GetModuleFileNameA(char* buffer, DWORD size) = 0;
  virtual BOOL MoveFileExA(const char* existing, const char* replacement, DWORD flags) = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
  // A named mutex, created or opened (GetLastError() then tells
  // ERROR_ALREADY_EXISTS); 0 on failure. Closed with CloseHandle.
  virtual Handle CreateMutexA(const char* name) = 0;

  // The service control manager of this machine: the tray program asks it
  // whether the service runs, the service uses it to remove itself.
  // OpenSCManagerW and OpenServiceW return 0 on failure.
  virtual Handle OpenSCManagerW(DWORD access) = 0;
  virtual Handle OpenServiceW(Handle manager, const char* name, DWORD access) = 0;
  // QueryServiceStatusEx(SC_STATUS_PROCESS_INFO): the state and process id.
  virtual BOOL QueryServiceStatusEx(Handle service, ServiceStatusProcess* status) = 0;
  // Marks the service for deletion once every handle to it is closed.
  virtual BOOL DeleteService(Handle service) = 0;
  virtual BOOL CloseServiceHandle(Handle object) = 0;

  // The client end of a named pipe: CreateFileW for reading and writing at
  // the identification level (the server may learn who asks, not act as
  // them), then message read mode. kInvalidHandle on failure.
  virtual Handle CreatePipeClientW(const char* name) = 0;
  virtual BOOL GetNamedPipeServerProcessId(Handle pipe, DWORD* processId) = 0;
  // TransactNamedPipe: one message written, the answer read; given up (and
  // the I/O cancelled, FALSE with ERROR_SEM_TIMEOUT) after timeoutMs.
  virtual BOOL TransactNamedPipe(Handle pipe, const void* request, DWORD requestSize, void* reply,
                                 DWORD replySize, DWORD* read, DWORD timeoutMs) = 0;

  // Time the PC was awake, in 100 ns units: sleep and hibernation are left
  // out and setting the clock does not move it.
  virtual std::uint64_t QueryUnbiasedInterruptTime() = 0;
  // InitiateShutdownW on this machine without a message or a grace period;
  // the Win32 error, ERROR_SUCCESS when the shutdown began.
  virtual DWORD InitiateShutdownW(DWORD flags, DWORD reason) = 0;

  // Sessions. The ids of the WTSActive sessions (WTSEnumerateSessionsW), at
  // most `max`; returns how many.
  virtual DWORD WTSEnumerateActiveSessions(DWORD* ids, DWORD max) = 0;
  // A message box on a session's desktop, not waited for (texts as shown).
  virtual BOOL WTSSendMessageW(DWORD session, const char* title, const char* text, DWORD style,
                               DWORD timeoutSeconds) = 0;
  // The signed-in user's token of a session (LocalSystem only).
  virtual BOOL WTSQueryUserToken(DWORD session, Handle* token) = 0;
  // Starts a program with a user's token on that user's desktop; the
  // process and thread handles are closed at once.
  virtual BOOL CreateProcessAsUserW(Handle token, const char* commandLine) = 0;

  // Local time in a named zone (its TimeZoneKeyName, such as "Tokyo
  // Standard Time") rather than the one Windows is set to; false, or -1,
  // when the zone is unknown or the time cannot be converted.
  virtual bool GetZoneLocalTm(const char* zone, std::int64_t t, LocalTm* out) = 0;
  virtual std::int64_t MakeZoneLocalTime(const char* zone, const LocalTm& fields) = 0;
};

} // namespace hg
