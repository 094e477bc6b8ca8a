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

#include <cstdlib>

// The program throws nothing. Should the runtime ever end it, it ends
// quietly: the library's own handler would print the demangled name of an
// exception and brings a demangler of about 46 KB into the exe with it.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
} // namespace __gnu_cxx
