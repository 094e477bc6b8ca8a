#include "service/win32/ServiceHost.h"

#include "service/win32/Win32Headers.h"

#include "service/win32/ControlChannel.h"
#include "service/win32/ServiceLoop.h"
#include "service/win32/ServiceStatus.h"
#include "service/win32/WideName.h"
#include "util/FormatText.h"

#include <cstdio>

namespace hg {
namespace {

constexpr WideName kServiceNameW(kServiceName);
// The start reads the System log and the registry: a few seconds at most.
constexpr ::DWORD kStartWaitHintMs = 30000;

// What ServiceMain, which the dispatcher calls without a context, works
// with. Set once before the dispatcher starts.
struct ServiceHost {
  Platform& platform;
  CControlChannel controls;
  CServiceStatus status;
  ::DWORD exitCode = NO_ERROR;
};
ServiceHost* g_host = nullptr;

::DWORD WINAPI OnServiceControl(::DWORD control, ::DWORD eventType, void* eventData,
                                void* context) {
  return static_cast<CControlChannel*>(context)->Answer(control, eventType, eventData);
}

void WINAPI ServiceMain(::DWORD, wchar_t**) {
  ServiceHost& host = *g_host;
  if (!host.status.Register(kServiceNameW.text, &OnServiceControl, &host.controls)) {
    host.exitCode = ::GetLastError();
    return;
  }
  host.status.Report(SERVICE_START_PENDING, NO_ERROR, kStartWaitHintMs);
  const ::DWORD result = host.controls.Error() == NO_ERROR
                             ? RunServiceBody(host.platform, host.controls, host.status)
                             : host.controls.Error();
  host.exitCode = result;
  // The last report: the process may end as soon as it is made.
  host.status.Report(SERVICE_STOPPED, result);
}

CControlChannel* g_consoleControls = nullptr;

BOOL WINAPI OnConsoleControl(::DWORD event) {
  switch (event) {
  case CTRL_C_EVENT:
  case CTRL_BREAK_EVENT:
    g_consoleControls->Answer(kControlStop, 0, nullptr);
    return TRUE;
  case CTRL_CLOSE_EVENT:
  case CTRL_LOGOFF_EVENT:
  case CTRL_SHUTDOWN_EVENT:
    // The process ends when this returns: wait for the save first.
    g_consoleControls->Answer(kControlShutdown, 0, nullptr);
    return TRUE;
  default:
    return FALSE;
  }
}

} // namespace

int RunAsService(Platform& platform) {
  ServiceHost host{platform, {}, {}, NO_ERROR};
  g_host = &host;
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kServiceNameW.text), &ServiceMain},
                                  {nullptr, nullptr}};
  if (!::StartServiceCtrlDispatcherW(table)) {
    const ::DWORD error = ::GetLastError();
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
      std::fputs("hourgauge-service: this is the HourgaugeLite service; the service manager "
                 "starts it (run it with -debug to try it in a console)\n",
                 stderr);
    std::fflush(stderr);
    return static_cast<int>(error);
  }
  return static_cast<int>(host.exitCode);
}

int RunInConsole(Platform& platform) {
  CControlChannel controls;
  CServiceStatus status; // not registered: reports go nowhere
  if (controls.Error() != NO_ERROR)
    return static_cast<int>(controls.Error());
  g_consoleControls = &controls;
  ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
  // Written at once: the C runtime buffers a redirected stderr.
  std::fputs("hourgauge-service: running in this console; Ctrl-C stops it\n", stderr);
  std::fflush(stderr);
  const ::DWORD result = RunServiceBody(platform, controls, status);
  // The program's own formatter: the C runtime's brings its floating-point
  // code into the exe.
  char line[64];
  FormatText(line, sizeof line, "hourgauge-service: stopped (%u)\n", static_cast<unsigned>(result));
  std::fputs(line, stderr);
  std::fflush(stderr);
  return static_cast<int>(result);
}

} // namespace hg
