#include "commands/ExitCommands.h"

#include "res/Texts.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {
namespace {
// A companion window that never closes must not hold the exit up forever.
constexpr int kCompanionCloseTries = 500;
constexpr DWORD kCompanionClosePauseMs = 10;
} // namespace

void CloseCompanion(Platform& platform) {
  for (int tries = 0; tries < kCompanionCloseTries; ++tries) {
    Hwnd companion = platform.FindWindowA(nullptr, text::kSysconfigTitle);
    if (companion == 0)
      break;
    platform.PostMessageA(companion, WM_CLOSE, 0, 0);
    platform.Sleep(kCompanionClosePauseMs);
  }
}

// Uninstalling needs an administrator: the deletion at the next restart is
// written to PendingFileRenameOperations, and the two entries lie under
// HKEY_LOCAL_MACHINE. The step most likely to be refused comes first, and
// the program key, which holds the password, goes last, so that a refusal
// leaves the program protected and running with its state in place.
DWORD RemoveInstallation(SystemPlatform& platform) {
  char path[256] = {};
  DWORD length = platform.GetModuleFileNameA(path, sizeof path);
  path[length < sizeof path ? length : sizeof path - 1] = '\0';
  // A step finds nothing to remove (ERROR_FILE_NOT_FOUND) when it was done
  // before: that counts as done.
  auto failed = [](DWORD status) {
    return status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND;
  };
  DWORD error = ERROR_SUCCESS;
  if (!platform.MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    error = platform.GetLastError();
  if (!failed(error))
    error = static_cast<DWORD>(
        DeleteRegValue(platform, kHkeyLocalMachine, reg::kRunKey, reg::kAutostartValue));
  // The key has no subkeys, so this takes every value with it.
  if (!failed(error))
    error = static_cast<DWORD>(platform.RegDeleteKeyA(kHkeyLocalMachine, reg::kProgramKey));
  return failed(error) ? error : ERROR_SUCCESS;
}

} // namespace hg
