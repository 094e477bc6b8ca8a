// The exe's entry point: the real platform for this module, the application
// object on it, and the framework's start-up and message loop.
#include <windows.h>

// Before any other program header: it takes back the names <windows.h>
// turns into macros (GetCurrentTime).
#include "platform/win32/Win32Platform.h"

#include "app/TimeLimitApp.h"

#include <cstdlib>
#include <ctime>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The accounting day follows Windows' own time zone. The C runtime would
  // take TZ from the environment instead, which any account can set for
  // itself: remove it from the runtime's copy (an empty value removes a
  // variable) and have the runtime read Windows' zone before the first time
  // call.
  _putenv("TZ=");
  _tzset();
  hg::Win32Platform platform(instance);
  hg::CTimeLimitApp app(platform);
  return hg::AfxWinMain(app);
}
