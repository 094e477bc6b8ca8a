// The pipe commands open the pipe as a signed-in account's program does
// (reading and writing data only, at the identification level, message
// mode) and wait for nothing longer than their timeout: every read and
// write is overlapped.
#include "tests/e2e/driver/PipeCommands.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "commands/ServiceProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

const char kPipeCommandsUsage[] =
    "  pipe-status                        one status request to the service's pipe: the reply's\n"
    "                                     fields, the pipe server's and the service's process ids\n"
    "  pipe-request KIND [NAME=VALUE...]  one request of KIND (status, check-password, settings,\n"
    "                                     change-password, exit, uninstall, extra-time,\n"
    "                                     accept-today, history) with the fields password=,\n"
    "                                     new-password=, limit=, adjust=, reset=1, extra=,\n"
    "                                     sun= ... sat= (a weekday's limit), bedtime= (minutes\n"
    "                                     after midnight); prints the reply as pipe-status does,\n"
    "                                     a history request the history's fields too\n"
    "  pipe-garbage short|long|magic      a message of 10 bytes, of 200, or a request with a\n"
    "                                     wrong magic number; exit 0 when the service drops the\n"
    "                                     connection without a reply\n"
    "  pipe-idle SECONDS                  connect and send nothing: exit 0 when the service drops\n"
    "                                     the connection within SECONDS (prints after how long)\n"
    "  pipe-sddl                          the pipe's DACL as SDDL\n"
    "  service-pid                        the process id of the running service HourgaugeLite\n"
    "  service-status                     the service's state, accepted controls, exit codes, pid\n"
    "  service-control CODE               ControlService with CODE (decimal or 0x hex): the state\n"
    "                                     after it, or the call's error";

namespace {

constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\HourgaugeLite";
constexpr wchar_t kServiceName[] = L"HourgaugeLite";
constexpr DWORD kIoTimeoutMs = 5000;
// The weekdays' field names, Sunday first as the rules hold them.
constexpr const char* kWeekdayNames[hg::kWeekdays] = {"sun", "mon", "tue", "wed",
                                                      "thu", "fri", "sat"};

// One "NAME VALUE" line.
void Field(const char* name, long long value) {
  std::printf("%s %lld\n", name, value);
  std::fflush(stdout);
}

void Fail(const char* what, DWORD error) {
  std::fprintf(stderr, "hgdriver: %s (error %lu)\n", what, static_cast<unsigned long>(error));
  std::fflush(stderr);
}

// A client's end, as the tray opens it; INVALID_HANDLE_VALUE when the pipe
// cannot be opened (the error printed).
HANDLE OpenPipe() {
  const DWORD start = GetTickCount();
  for (;;) {
    HANDLE pipe = CreateFileW(
        kPipeName, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES, 0, nullptr,
        OPEN_EXISTING, SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION | FILE_FLAG_OVERLAPPED,
        nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
      DWORD mode = PIPE_READMODE_MESSAGE;
      if (SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr))
        return pipe;
      Fail("SetNamedPipeHandleState failed", GetLastError());
      CloseHandle(pipe);
      return INVALID_HANDLE_VALUE;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_PIPE_BUSY || GetTickCount() - start > kIoTimeoutMs) {
      Fail("cannot open the pipe", error);
      return INVALID_HANDLE_VALUE;
    }
    WaitNamedPipeW(kPipeName, 1000);
  }
}

// One overlapped read or write, given up (and cancelled) after timeoutMs.
// Returns NO_ERROR, the I/O's error, or WAIT_TIMEOUT.
DWORD Transfer(HANDLE pipe, bool write, void* bytes, DWORD size, DWORD* done, DWORD timeoutMs) {
  OVERLAPPED io{};
  io.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  *done = 0;
  BOOL ok = write ? WriteFile(pipe, bytes, size, nullptr, &io)
                  : ReadFile(pipe, bytes, size, nullptr, &io);
  DWORD error = ok ? NO_ERROR : GetLastError();
  if (ok || error == ERROR_IO_PENDING) {
    if (WaitForSingleObject(io.hEvent, timeoutMs) != WAIT_OBJECT_0) {
      CancelIo(pipe);
      GetOverlappedResult(pipe, &io, done, TRUE);
      CloseHandle(io.hEvent);
      return WAIT_TIMEOUT;
    }
    error = GetOverlappedResult(pipe, &io, done, FALSE) ? NO_ERROR : GetLastError();
  }
  CloseHandle(io.hEvent);
  return error;
}

// The errors a client sees once the server has disconnected its end.
bool Dropped(DWORD error) {
  return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_NO_DATA;
}

// The service opened with `access`, or nullptr (the error printed); the
// manager's handle in *manager, to be closed after it.
SC_HANDLE OpenHourgaugeService(DWORD access, SC_HANDLE* manager) {
  *manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (*manager == nullptr) {
    Fail("no service manager", GetLastError());
    return nullptr;
  }
  SC_HANDLE service = OpenServiceW(*manager, kServiceName, access);
  if (service == nullptr) {
    Fail("no service HourgaugeLite", GetLastError());
    CloseServiceHandle(*manager);
  }
  return service;
}

int ServiceStatus() {
  SC_HANDLE manager = nullptr;
  SC_HANDLE service = OpenHourgaugeService(SERVICE_QUERY_STATUS, &manager);
  if (service == nullptr)
    return 1;
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  const BOOL ok = QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO,
                                       reinterpret_cast<BYTE*>(&status), sizeof status, &needed);
  const DWORD error = GetLastError();
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!ok) {
    Fail("QueryServiceStatusEx failed", error);
    return 3;
  }
  Field("state", status.dwCurrentState);
  Field("controls", status.dwControlsAccepted);
  Field("exit", status.dwWin32ExitCode);
  Field("service_exit", status.dwServiceSpecificExitCode);
  Field("pid", status.dwProcessId);
  return 0;
}

int ServiceControl(DWORD code) {
  SC_HANDLE manager = nullptr;
  // User-defined controls need SERVICE_USER_DEFINED_CONTROL, the standard
  // ones their own rights: ask for what a standard account may have.
  SC_HANDLE service = OpenHourgaugeService(
      SERVICE_QUERY_STATUS | SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL |
          (code < 128 && code != SERVICE_CONTROL_INTERROGATE ? SERVICE_STOP | SERVICE_PAUSE_CONTINUE
                                                             : 0),
      &manager);
  if (service == nullptr)
    return 1;
  SERVICE_STATUS status{};
  const BOOL ok = ControlService(service, code, &status);
  const DWORD error = GetLastError();
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!ok) {
    Field("error", error);
    return 3;
  }
  Field("state", status.dwCurrentState);
  return 0;
}

DWORD ServiceProcessId() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr)
    return 0;
  DWORD pid = 0;
  if (SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS)) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                             sizeof status, &needed) &&
        status.dwCurrentState == SERVICE_RUNNING)
      pid = status.dwProcessId;
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return pid;
}

// The history's fields: each day's "dayN DATE WEEKDAY USE LIMIT" line, then
// the session lists.
void PrintHistory(const hg::UsageHistory& history) {
  for (int i = 0; i < hg::kUsageDays; ++i) {
    std::printf("day%d %ld %ld %ld %ld\n", i, static_cast<long>(history.date[i]),
                static_cast<long>(history.weekday[i]), static_cast<long>(history.usage[i]),
                static_cast<long>(history.limit[i]));
  }
  Field("history_remaining", history.remaining);
  std::printf("today_sessions %s\nyesterday_sessions %s\n", history.today, history.yesterday);
  std::fflush(stdout);
}

int Send(const hg::ServiceRequest& request) {
  HANDLE pipe = OpenPipe();
  if (pipe == INVALID_HANDLE_VALUE)
    return 1;
  std::uint8_t message[hg::kRequestSize];
  hg::EncodeRequest(request, message);
  // Room for more than a reply: a longer one is a fault to see, not to cut.
  std::uint8_t answer[2 * hg::kReplySize] = {};
  DWORD done = 0;
  DWORD error = Transfer(pipe, true, message, sizeof message, &done, kIoTimeoutMs);
  if (error == NO_ERROR)
    error = Transfer(pipe, false, answer, sizeof answer, &done, kIoTimeoutMs);
  ULONG serverPid = 0;
  GetNamedPipeServerProcessId(pipe, &serverPid);
  CloseHandle(pipe);
  if (error != NO_ERROR) {
    Fail("no reply", error);
    return 1;
  }
  Field("bytes", done);
  hg::ServiceReply reply;
  if (!hg::DecodeReply(answer, done, &reply)) {
    Fail("the reply does not decode", 0);
    return 3;
  }
  Field("result", static_cast<long long>(reply.result));
  Field("flags", reply.flags);
  Field("remaining", reply.remaining);
  Field("limit", reply.limitMinutes);
  Field("adjust", reply.adjustMinutes);
  Field("notice", reply.noticeNumber);
  Field("balloon", reply.balloon);
  Field("countdown", reply.countdown);
  Field("lockout", reply.lockoutSeconds);
  Field("date0", reply.date[0]);
  Field("usage0", reply.usage[0]);
  Field("everyday_limit", reply.everyDayLimit);
  Field("credit", reply.credit);
  for (int i = 0; i < hg::kWeekdays; ++i)
    Field(kWeekdayNames[i], reply.rules.weekdayLimit[i]);
  Field("bedtime", reply.rules.bedtime);
  if (request.kind == hg::RequestKind::History)
    PrintHistory(reply.history);
  Field("server_pid", serverPid);
  Field("service_pid", ServiceProcessId());
  return 0;
}

bool ParseKind(const std::wstring& name, hg::RequestKind* kind) {
  struct Named {
    const wchar_t* name;
    hg::RequestKind kind;
  };
  static const Named kinds[] = {{L"status", hg::RequestKind::Status},
                                {L"check-password", hg::RequestKind::CheckPassword},
                                {L"settings", hg::RequestKind::Settings},
                                {L"change-password", hg::RequestKind::ChangePassword},
                                {L"exit", hg::RequestKind::Exit},
                                {L"uninstall", hg::RequestKind::Uninstall},
                                {L"extra-time", hg::RequestKind::ExtraTime},
                                {L"accept-today", hg::RequestKind::AcceptToday},
                                {L"history", hg::RequestKind::History}};
  for (const Named& k : kinds)
    if (name == k.name) {
      *kind = k.kind;
      return true;
    }
  return false;
}

// A password as the tray sends it: the typed ASCII text.
bool CopyPassword(const std::wstring& text, char (&out)[hg::kWirePasswordSize]) {
  if (text.size() >= hg::kWirePasswordSize)
    return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] < 0x20 || text[i] > 0x7E)
      return false;
    out[i] = static_cast<char>(text[i]);
  }
  return true;
}

// A number of at least -1 (none, for a weekday's limit or the bedtime). The
// service is the one to judge the ranges: the driver sends what it is told.
bool ParseMinutes(const std::wstring& text, std::int32_t* minutes) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text.c_str(), &end, 10);
  if (text.empty() || *end != L'\0' || value < -1 || value > hg::kMaxWireMinutes)
    return false;
  *minutes = static_cast<std::int32_t>(value);
  return true;
}

// sun= ... sat=: the index of the weekday, or -1.
int WeekdayField(const std::wstring& name) {
  for (int i = 0; i < hg::kWeekdays; ++i) {
    std::wstring wide(kWeekdayNames[i], kWeekdayNames[i] + std::strlen(kWeekdayNames[i]));
    if (name == wide)
      return i;
  }
  return -1;
}

int Request(int argc, wchar_t** argv) {
  hg::ServiceRequest request;
  if (argc < 3 || !ParseKind(argv[2], &request.kind))
    return 2;
  for (int i = 3; i < argc; ++i) {
    const std::wstring field = argv[i];
    const std::size_t equals = field.find(L'=');
    if (equals == std::wstring::npos)
      return 2;
    const std::wstring name = field.substr(0, equals);
    const std::wstring value = field.substr(equals + 1);
    bool ok = false;
    if (name == L"password")
      ok = CopyPassword(value, request.password);
    else if (name == L"new-password")
      ok = CopyPassword(value, request.newPassword);
    else if (name == L"limit")
      ok = ParseMinutes(value, &request.limitMinutes);
    else if (name == L"adjust")
      ok = ParseMinutes(value, &request.adjustMinutes);
    else if (name == L"reset")
      ok = (request.resetToday = value == L"1") || value == L"0";
    else if (name == L"extra")
      ok = ParseMinutes(value, &request.extraMinutes);
    else if (name == L"bedtime")
      ok = ParseMinutes(value, &request.rules.bedtime);
    else if (WeekdayField(name) >= 0)
      ok = ParseMinutes(value, &request.rules.weekdayLimit[WeekdayField(name)]);
    if (!ok)
      return 2;
  }
  return Send(request);
}

int Garbage(const std::wstring& kind) {
  std::uint8_t message[200] = {};
  DWORD size = 0;
  hg::ServiceRequest request;
  std::uint8_t valid[hg::kRequestSize];
  hg::EncodeRequest(request, valid);
  if (kind == L"short") {
    std::memcpy(message, valid, 10);
    size = 10;
  } else if (kind == L"long") {
    std::memcpy(message, valid, sizeof valid);
    size = sizeof message;
  } else if (kind == L"magic") {
    std::memcpy(message, valid, sizeof valid);
    message[0] ^= 0x20;
    size = sizeof valid;
  } else {
    return 2;
  }
  HANDLE pipe = OpenPipe();
  if (pipe == INVALID_HANDLE_VALUE)
    return 1;
  DWORD done = 0;
  DWORD error = Transfer(pipe, true, message, size, &done, kIoTimeoutMs);
  std::uint8_t answer[2 * hg::kReplySize];
  if (error == NO_ERROR)
    error = Transfer(pipe, false, answer, sizeof answer, &done, kIoTimeoutMs);
  CloseHandle(pipe);
  if (Dropped(error)) {
    Field("dropped, error", error);
    return 0;
  }
  if (error == NO_ERROR)
    Fail("the service answered it", static_cast<DWORD>(done));
  else
    Fail("the connection was neither answered nor dropped", error);
  return 1;
}

int Idle(DWORD timeoutMs) {
  HANDLE pipe = OpenPipe();
  if (pipe == INVALID_HANDLE_VALUE)
    return 1;
  const DWORD start = GetTickCount();
  std::uint8_t answer[hg::kReplySize];
  DWORD done = 0;
  const DWORD error = Transfer(pipe, false, answer, sizeof answer, &done, timeoutMs);
  const DWORD elapsed = GetTickCount() - start;
  CloseHandle(pipe);
  if (Dropped(error)) {
    Field("dropped_after_ms", elapsed);
    return 0;
  }
  Fail(error == WAIT_TIMEOUT ? "still connected" : "the read ended otherwise", error);
  return 1;
}

int Sddl() {
  HANDLE pipe = OpenPipe();
  if (pipe == INVALID_HANDLE_VALUE)
    return 1;
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD error = GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, nullptr, nullptr, &sd);
  CloseHandle(pipe);
  wchar_t* text = nullptr;
  if (error != ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    Fail("no security descriptor", error);
    return 3;
  }
  std::printf("%ls\n", text);
  std::fflush(stdout);
  LocalFree(text);
  LocalFree(sd);
  return 0;
}

} // namespace

int RunPipeCommand(const std::wstring& command, int argc, wchar_t** argv) {
  if (command == L"pipe-status")
    return argc == 2 ? Send(hg::ServiceRequest{}) : 2;
  if (command == L"pipe-request")
    return Request(argc, argv);
  if (command == L"pipe-garbage")
    return argc == 3 ? Garbage(argv[2]) : 2;
  if (command == L"pipe-idle") {
    wchar_t* end = nullptr;
    const double seconds = argc == 3 ? std::wcstod(argv[2], &end) : -1;
    if (argc != 3 || end == argv[2] || *end != L'\0' || seconds < 0 || seconds > 600)
      return 2;
    return Idle(static_cast<DWORD>(seconds * 1000));
  }
  if (command == L"pipe-sddl")
    return argc == 2 ? Sddl() : 2;
  if (command == L"service-status")
    return argc == 2 ? ServiceStatus() : 2;
  if (command == L"service-control") {
    wchar_t* end = nullptr;
    const unsigned long code = argc == 3 ? std::wcstoul(argv[2], &end, 0) : 0;
    if (argc != 3 || end == argv[2] || *end != L'\0')
      return 2;
    return ServiceControl(static_cast<DWORD>(code));
  }
  if (command == L"service-pid") {
    if (argc != 2)
      return 2;
    const DWORD pid = ServiceProcessId();
    std::printf("%lu\n", static_cast<unsigned long>(pid));
    return pid != 0 ? 0 : 1;
  }
  return -1;
}
