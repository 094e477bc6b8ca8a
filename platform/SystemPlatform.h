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
};

} // namespace hg
