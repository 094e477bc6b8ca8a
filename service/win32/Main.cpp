// hourgauge-service.exe's entry point: the real platform for this module,
// then the service (or, with -debug or /console, the same in a console).
#include <windows.h>

// Before any other program header: it takes back the names <windows.h>
// turns into macros (GetCurrentTime).
#include "platform/win32/Win32Platform.h"

#include "service/win32/ServiceHost.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

int main(int argc, char** argv) {
  // The accounting day follows Windows' zone, never a TZ in the
  // environment (the C runtime would take it): removed from the runtime's
  // copy before the first time call, as the tray program does.
  _putenv("TZ=");
  _tzset();
  hg::Win32Platform platform(::GetModuleHandleW(nullptr));
  if (argc == 2 && (std::strcmp(argv[1], "-debug") == 0 || _stricmp(argv[1], "/console") == 0))
    return hg::RunInConsole(platform);
  return hg::RunAsService(platform);
}
