// The real service control manager, named pipe client, awake-time clock,
// InitiateShutdownW, sessions and named time zones.
#include <windows.h>

#include <wtsapi32.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"

#include <cstring>

namespace hg {
namespace {

// wtsapi32 is loaded on first use: the tray program never needs it, and it
// stays out of the program's import table.
template <class F> F WtsFunction(const char* name) {
  static HMODULE module = ::LoadLibraryW(L"wtsapi32.dll");
  return module != nullptr
             ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
             : nullptr;
}

// Seconds since 1970 and FILETIME's 100 ns units since 1601.
constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL;
constexpr std::int64_t kFileTimePerSecond = 10000000;

bool ToSystemTime(std::int64_t t, SYSTEMTIME* out) {
  const std::int64_t ft = t * kFileTimePerSecond + kFileTimeOf1970;
  FILETIME file;
  file.dwLowDateTime = static_cast<DWORD>(ft);
  file.dwHighDateTime = static_cast<DWORD>(ft >> 32);
  return ::FileTimeToSystemTime(&file, out) != FALSE;
}

std::int64_t FromSystemTime(const SYSTEMTIME& in) {
  FILETIME file;
  if (!::SystemTimeToFileTime(&in, &file))
    return -1;
  const std::int64_t ft =
      (static_cast<std::int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
  return (ft - kFileTimeOf1970) / kFileTimePerSecond;
}

// The zone of a TimeZoneKeyName, looked up once: the enumeration reads the
// registry's whole zone list.
bool FindZone(const char* name, DYNAMIC_TIME_ZONE_INFORMATION* zone) {
  static char cachedName[128] = {};
  static DYNAMIC_TIME_ZONE_INFORMATION cached{};
  if (cachedName[0] != '\0' && std::strcmp(cachedName, name) == 0) {
    *zone = cached;
    return true;
  }
  // advapi32 exports it from Windows 8 on; the import library lacks it.
  using Enumerate = ::DWORD(WINAPI*)(::DWORD, PDYNAMIC_TIME_ZONE_INFORMATION);
  static const auto enumerate = reinterpret_cast<Enumerate>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"advapi32.dll"), "EnumDynamicTimeZoneInformation")));
  if (enumerate == nullptr)
    return false;
  wchar_t wanted[128];
  ToUtf16(name, wanted, 128);
  for (::DWORD i = 0;; ++i) {
    DYNAMIC_TIME_ZONE_INFORMATION candidate{};
    if (enumerate(i, &candidate) != ERROR_SUCCESS)
      return false;
    if (::lstrcmpiW(candidate.TimeZoneKeyName, wanted) == 0) {
      cached = candidate;
      std::strncpy(cachedName, name, sizeof cachedName - 1);
      *zone = candidate;
      return true;
    }
  }
}

// The zone's rules for one year (its dynamic daylight-saving table where it
// has one). The conversions take them through the plain calls rather than
// the Ex ones with the dynamic zone: those are the same on Windows, and Wine
// 8 has no SystemTimeToTzSpecificLocalTimeEx (the call ends the process).
bool ZoneOfYear(const DYNAMIC_TIME_ZONE_INFORMATION& zone, WORD year, TIME_ZONE_INFORMATION* out) {
  return ::GetTimeZoneInformationForYear(year, const_cast<DYNAMIC_TIME_ZONE_INFORMATION*>(&zone),
                                         out) != FALSE;
}

} // namespace

Handle Win32Platform::CreateMutexA(const char* name) {
  return From(::CreateMutexA(nullptr, FALSE, name));
}

Handle Win32Platform::OpenSCManagerW(DWORD access) {
  return From(::OpenSCManagerW(nullptr, nullptr, access));
}

Handle Win32Platform::OpenServiceW(Handle manager, const char* name, DWORD access) {
  wchar_t wide[64];
  ToUtf16(name, wide, 64);
  return From(::OpenServiceW(To<SC_HANDLE>(manager), wide, access));
}

BOOL Win32Platform::QueryServiceStatusEx(Handle service, ServiceStatusProcess* status) {
  SERVICE_STATUS_PROCESS info{};
  ::DWORD needed = 0;
  if (!::QueryServiceStatusEx(To<SC_HANDLE>(service), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&info), sizeof info, &needed))
    return FALSE;
  status->dwCurrentState = info.dwCurrentState;
  status->dwProcessId = info.dwProcessId;
  return TRUE;
}

BOOL Win32Platform::DeleteService(Handle service) {
  return ::DeleteService(To<SC_HANDLE>(service));
}

BOOL Win32Platform::CloseServiceHandle(Handle object) {
  return ::CloseServiceHandle(To<SC_HANDLE>(object));
}

Handle Win32Platform::CreatePipeClientW(const char* name) {
  wchar_t wide[128];
  ToUtf16(name, wide, 128);
  // The rights the service's pipe grants a signed-in account, no more:
  // GENERIC_WRITE would ask for FILE_APPEND_DATA too (on a pipe it is
  // FILE_CREATE_PIPE_INSTANCE, which the pipe refuses them) and the open
  // would fail. FILE_WRITE_ATTRIBUTES is what the read mode below needs.
  HANDLE pipe = ::CreateFileW(
      wide, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
      SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION | FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE)
    return kInvalidHandle;
  ::DWORD mode = PIPE_READMODE_MESSAGE;
  if (!::SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr)) {
    const ::DWORD error = ::GetLastError();
    ::CloseHandle(pipe);
    ::SetLastError(error);
    return kInvalidHandle;
  }
  return From(pipe);
}

BOOL Win32Platform::GetNamedPipeServerProcessId(Handle pipe, DWORD* processId) {
  ULONG id = 0;
  if (!::GetNamedPipeServerProcessId(To<HANDLE>(pipe), &id))
    return FALSE;
  *processId = id;
  return TRUE;
}

BOOL Win32Platform::TransactNamedPipe(Handle pipe, const void* request, DWORD requestSize,
                                      void* reply, DWORD replySize, DWORD* read, DWORD timeoutMs) {
  *read = 0;
  OVERLAPPED io{};
  io.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (io.hEvent == nullptr)
    return FALSE;
  ::DWORD got = 0;
  BOOL ok = ::TransactNamedPipe(To<HANDLE>(pipe), const_cast<void*>(request), requestSize, reply,
                                replySize, &got, &io);
  if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
    if (::WaitForSingleObject(io.hEvent, timeoutMs) != WAIT_OBJECT_0) {
      ::CancelIo(To<HANDLE>(pipe));
      // The cancelled operation still owns `io` until it has ended.
      ::GetOverlappedResult(To<HANDLE>(pipe), &io, &got, TRUE);
      ::CloseHandle(io.hEvent);
      ::SetLastError(ERROR_SEM_TIMEOUT);
      return FALSE;
    }
    ok = ::GetOverlappedResult(To<HANDLE>(pipe), &io, &got, FALSE);
  }
  const ::DWORD error = ::GetLastError();
  ::CloseHandle(io.hEvent);
  ::SetLastError(error);
  if (ok)
    *read = got;
  return ok;
}

std::uint64_t Win32Platform::QueryUnbiasedInterruptTime() {
  ULONGLONG t = 0;
  ::QueryUnbiasedInterruptTime(&t);
  return t;
}

DWORD Win32Platform::InitiateShutdownW(DWORD flags, DWORD reason) {
  return ::InitiateShutdownW(nullptr, nullptr, 0, flags, reason);
}

DWORD Win32Platform::WTSEnumerateActiveSessions(DWORD* ids, DWORD max) {
  using Enumerate = BOOL(WINAPI*)(HANDLE, ::DWORD, ::DWORD, PWTS_SESSION_INFOW*, ::DWORD*);
  using Free = void(WINAPI*)(PVOID);
  static const auto enumerate = WtsFunction<Enumerate>("WTSEnumerateSessionsW");
  static const auto release = WtsFunction<Free>("WTSFreeMemory");
  PWTS_SESSION_INFOW sessions = nullptr;
  ::DWORD count = 0;
  if (enumerate == nullptr || release == nullptr ||
      !enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count))
    return 0;
  DWORD n = 0;
  for (::DWORD i = 0; i < count && n < max; ++i)
    if (sessions[i].State == WTSActive)
      ids[n++] = sessions[i].SessionId;
  release(sessions);
  return n;
}

BOOL Win32Platform::WTSSendMessageW(DWORD session, const char* title, const char* text, DWORD style,
                                    DWORD timeoutSeconds) {
  using Send = BOOL(WINAPI*)(HANDLE, ::DWORD, LPWSTR, ::DWORD, LPWSTR, ::DWORD, ::DWORD, ::DWORD,
                             ::DWORD*, BOOL);
  static const auto send = WtsFunction<Send>("WTSSendMessageW");
  if (send == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  wchar_t wideTitle[64];
  wchar_t wideText[512];
  ToUtf16(title, wideTitle, 64);
  ToUtf16(text, wideText, 512);
  ::DWORD response = 0;
  // Lengths in bytes; not waited for, so the accounting goes on.
  return send(WTS_CURRENT_SERVER_HANDLE, session, wideTitle,
              static_cast<::DWORD>(::lstrlenW(wideTitle) * sizeof(wchar_t)), wideText,
              static_cast<::DWORD>(::lstrlenW(wideText) * sizeof(wchar_t)), style, timeoutSeconds,
              &response, FALSE);
}

BOOL Win32Platform::WTSQueryUserToken(DWORD session, Handle* token) {
  using Query = BOOL(WINAPI*)(ULONG, PHANDLE);
  static const auto query = WtsFunction<Query>("WTSQueryUserToken");
  if (query == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  HANDLE h = nullptr;
  if (!query(session, &h))
    return FALSE;
  *token = From(h);
  return TRUE;
}

BOOL Win32Platform::CreateProcessAsUserW(Handle token, const char* commandLine) {
  wchar_t line[600];
  ToUtf16(commandLine, line, 600);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
  PROCESS_INFORMATION process{};
  if (!::CreateProcessAsUserW(To<HANDLE>(token), nullptr, line, nullptr, nullptr, FALSE,
                              CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &process))
    return FALSE;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return TRUE;
}

bool Win32Platform::GetZoneLocalTm(const char* zone, std::int64_t t, LocalTm* out) {
  DYNAMIC_TIME_ZONE_INFORMATION info;
  TIME_ZONE_INFORMATION year;
  SYSTEMTIME utc;
  SYSTEMTIME local;
  if (t < 0 || !FindZone(zone, &info) || !ToSystemTime(t, &utc) ||
      !ZoneOfYear(info, utc.wYear, &year) ||
      !::SystemTimeToTzSpecificLocalTime(&year, &utc, &local))
    return false;
  *out = LocalTm{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  return true;
}

std::int64_t Win32Platform::MakeZoneLocalTime(const char* zone, const LocalTm& fields) {
  DYNAMIC_TIME_ZONE_INFORMATION info;
  if (!FindZone(zone, &info))
    return -1;
  // Fields out of range (day 32 of a month) carry over as mktime's do.
  SYSTEMTIME base{};
  base.wYear = static_cast<WORD>(fields.year);
  base.wMonth = static_cast<WORD>(fields.month);
  base.wDay = 1;
  std::int64_t start = FromSystemTime(base);
  if (fields.year < 1601 || fields.month < 1 || fields.month > 12 || start < 0)
    return -1;
  std::int64_t naive = start + (std::int64_t{fields.day} - 1) * 86400 +
                       std::int64_t{fields.hour} * 3600 + std::int64_t{fields.minute} * 60 +
                       fields.second;
  SYSTEMTIME local;
  SYSTEMTIME utc;
  TIME_ZONE_INFORMATION year;
  if (!ToSystemTime(naive, &local) || !ZoneOfYear(info, local.wYear, &year) ||
      !::TzSpecificLocalTimeToSystemTime(&year, &local, &utc))
    return -1;
  return FromSystemTime(utc);
}

} // namespace hg
