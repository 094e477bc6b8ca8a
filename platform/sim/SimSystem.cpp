// The simulated clock and time zone, event log, memory, shutdown and file
// calls.
#include "platform/CalendarFields.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimWindow.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace hg::sim {

SimPlatform::SimPlatform() {
  SetTime(1704412800);
} // 2024-01-05 00:00 UTC
SimPlatform::~SimPlatform() = default;

void SimPlatform::SetTime(std::int64_t t) {
  m_nowMs = t * 1000;
}

void SimPlatform::SetTimeZone(const std::string& zone) {
  m_zone = zone;
}

void SimPlatform::ApplyTimeZone() const {
  // The C library keeps one zone per process; set it only when it changes.
  static std::string applied;
  if (applied != m_zone) {
    setenv("TZ", m_zone.c_str(), 1);
    tzset();
    applied = m_zone;
  }
}

bool SimPlatform::GetLocalTm(std::int64_t t, LocalTm* out) {
  ApplyTimeZone();
  std::time_t tt = static_cast<std::time_t>(t);
  std::tm tm{};
  // Windows' CRT has no local form before 1970.
  if (t < 0 || localtime_r(&tt, &tm) == nullptr)
    return false;
  *out = FromCalendarFields(tm);
  return true;
}

std::int64_t SimPlatform::MakeLocalTime(const LocalTm& fields) {
  ApplyTimeZone();
  std::tm tm = ToCalendarFields(fields);
  std::time_t t = mktime(&tm);
  return t < 0 ? -1 : static_cast<std::int64_t>(t);
}

std::int64_t SimPlatform::LocalTime(int year, int month, int day, int hour, int minute,
                                    int second) {
  return MakeLocalTime(LocalTm{year, month, day, hour, minute, second});
}

// ---- Event log ----------------------------------------------------------

std::string SimPlatform::EncodeEventRecord(const EventRecord& record, std::uint32_t number) {
  // The EVENTLOGRECORD layout: 56 fixed bytes, the source and computer
  // names, padding to a DWORD, and the length repeated at the end.
  const char source[] = "EventLog";
  const char computer[] = "SIM";
  std::size_t body = 56 + sizeof source + sizeof computer;
  std::size_t length = (body + 3) / 4 * 4 + 4;
  std::string bytes(length, '\0');
  auto put = [&bytes](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(0, static_cast<std::uint32_t>(length));
  put(4, 0x654c664c); // "LfLe"
  put(8, number);
  put(12, static_cast<std::uint32_t>(record.timeGenerated));
  put(16, static_cast<std::uint32_t>(record.timeGenerated));
  put(20, record.eventId);
  put(24, 4);  // EventType: information
  put(36, 56); // StringOffset
  put(48, 56); // DataOffset
  std::memcpy(&bytes[56], source, sizeof source);
  std::memcpy(&bytes[56 + sizeof source], computer, sizeof computer);
  put(length - 4, static_cast<std::uint32_t>(length));
  return bytes;
}

void SimPlatform::SetEventLog(const std::vector<EventRecord>& newestFirst) {
  m_eventLog.clear();
  m_eventLog.reserve(newestFirst.size());
  auto number = static_cast<std::uint32_t>(newestFirst.size());
  for (const EventRecord& r : newestFirst)
    m_eventLog.push_back(EncodeEventRecord(r, number--));
}

void SimPlatform::AddRawEventRecord(const std::string& bytes) {
  m_eventLog.push_back(bytes);
}

Handle SimPlatform::OpenEventLogA(const char* server, const char* source) {
  if (m_logUnopenable || server != nullptr || source == nullptr ||
      std::strcmp(source, "System") != 0)
    return 0;
  Handle log = m_nextLog++;
  m_openLogPositions[log] = 0;
  ++m_openLogs;
  return log;
}

BOOL SimPlatform::ReadEventLogA(Handle log, DWORD flags, DWORD, void* buffer, DWORD size,
                                DWORD* read, DWORD* needed) {
  auto position = m_openLogPositions.find(log);
  if (position == m_openLogPositions.end() ||
      flags != (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ)) {
    m_lastError = 6; // ERROR_INVALID_HANDLE
    return FALSE;
  }
  std::size_t& index = position->second;
  if (m_failReadAt && *m_failReadAt == index) {
    m_lastError = 1500; // ERROR_EVENTLOG_FILE_CORRUPT
    return FALSE;
  }
  if (index >= m_eventLog.size()) {
    m_lastError = ERROR_HANDLE_EOF;
    return FALSE;
  }
  const std::string& record = m_eventLog[index];
  if (buffer == nullptr || size < record.size()) {
    *needed = static_cast<DWORD>(record.size());
    m_lastError = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  std::memcpy(buffer, record.data(), record.size());
  *read = static_cast<DWORD>(record.size());
  ++index;
  ++m_recordsRead;
  return TRUE;
}

BOOL SimPlatform::CloseEventLog(Handle log) {
  if (m_openLogPositions.erase(log) == 0)
    return FALSE;
  --m_openLogs;
  return TRUE;
}

void* SimPlatform::LocalAlloc(std::size_t bytes) {
  if (m_failAllocAfter) {
    if (*m_failAllocAfter == 0) {
      m_failAllocAfter.reset();
      m_lastError = ERROR_NOT_ENOUGH_MEMORY;
      return nullptr;
    }
    --*m_failAllocAfter;
  }
  ++m_liveAllocs;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void SimPlatform::LocalFree(void* block) {
  if (block == nullptr)
    return;
  --m_liveAllocs;
  std::free(block);
}

// ---- Shutdown -----------------------------------------------------------

BOOL SimPlatform::OpenProcessToken(DWORD access, Handle* token) {
  if (m_refuseToken || access != TOKEN_ADJUST_PRIVILEGES) {
    m_lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  *token = m_nextToken++;
  ++m_openTokens;
  return TRUE;
}

BOOL SimPlatform::LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) {
  if (system != nullptr || std::strcmp(name, SE_SHUTDOWN_NAME) != 0)
    return FALSE;
  *luid = Luid{19, 0}; // SE_SHUTDOWN_PRIVILEGE
  return TRUE;
}

BOOL SimPlatform::AdjustTokenPrivileges(Handle token, BOOL disableAll, const Luid& luid,
                                        DWORD attributes) {
  if (m_recording)
    m_privileges.push_back(PrivilegeAdjustment{token, luid.LowPart == 19 ? SE_SHUTDOWN_NAME : "?",
                                               attributes, disableAll});
  if (token == 0) {
    m_lastError = 6; // ERROR_INVALID_HANDLE
    return FALSE;
  }
  if (m_failAdjust) {
    m_lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  // Like Windows: TRUE, with ERROR_NOT_ALL_ASSIGNED when the privilege is not held.
  if (m_refusePrivilege) {
    m_lastError = ERROR_NOT_ALL_ASSIGNED;
    return TRUE;
  }
  if (luid.LowPart == 19 && !disableAll)
    m_privilegeEnabled = (attributes & SE_PRIVILEGE_ENABLED) != 0;
  m_lastError = ERROR_SUCCESS;
  return TRUE;
}

BOOL SimPlatform::CloseHandle(Handle object) {
  if (object == 0)
    return FALSE;
  --m_openTokens;
  return TRUE;
}

BOOL SimPlatform::ExitWindowsEx(UINT flags, DWORD reason) {
  constexpr UINT kShutdownKinds = 0x1 | 0x2 | EWX_POWEROFF; // shutdown, reboot, power-off
  const bool logoff = (flags & kShutdownKinds) == 0;
  BOOL granted = TRUE;
  if (!logoff && (m_refusePowerOff || !m_privilegeEnabled)) {
    m_lastError = ERROR_PRIVILEGE_NOT_HELD;
    granted = FALSE;
  }
  m_powerOffs.push_back(PowerOffRequest{flags, reason, Now(), granted});
  return granted;
}

// ---- Files --------------------------------------------------------------

DWORD SimPlatform::GetModuleFileNameA(char* buffer, DWORD size) {
  if (size == 0)
    return 0;
  DWORD n = static_cast<DWORD>(m_modulePath.size());
  if (n >= size) {
    // Cut and, like Windows XP, not terminated.
    std::memcpy(buffer, m_modulePath.data(), size);
    m_lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  std::memcpy(buffer, m_modulePath.c_str(), n + 1);
  return n;
}

BOOL SimPlatform::MoveFileExA(const char* existing, const char* replacement, DWORD flags) {
  if (m_fileMoveError != 0) {
    m_lastError = m_fileMoveError;
    return FALSE;
  }
  FileMove move{existing, std::nullopt, flags};
  if (replacement != nullptr)
    move.replacement = replacement;
  m_fileMoves.push_back(move);
  return TRUE;
}

} // namespace hg::sim
