// The exe's entry point: the real platform for this module, the application
// object on it, and the framework's start-up and message loop.
#include <windows.h>

// Before any other program header: it takes back the names <windows.h>
// turns into macros (GetCurrentTime).
#include "platform/win32/Win32Platform.h"

#include "app/TimeLimitApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  hg::Win32Platform platform(instance);
  hg::CTimeLimitApp app(platform);
  return hg::AfxWinMain(app);
}
