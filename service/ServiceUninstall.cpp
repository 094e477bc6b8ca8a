#include "service/ServiceUninstall.h"

#include "commands/ServiceProtocol.h"
#include "service/HourgaugeService.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <cstring>

namespace hg {
namespace {
bool Failed(DWORD status) {
  return status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND;
}

// The other program of the installation: the same folder, its own name.
void SiblingPath(const char* path, const char* name, char (&out)[300]) {
  const char* slash = std::strrchr(path, '\\');
  std::size_t folder = slash != nullptr ? static_cast<std::size_t>(slash - path) + 1 : 0;
  if (folder + std::strlen(name) >= sizeof out)
    folder = 0;
  std::memcpy(out, path, folder);
  std::strcpy(out + folder, name);
}

DWORD DeleteOwnService(SystemPlatform& platform) {
  Handle manager = platform.OpenSCManagerW(SC_MANAGER_CONNECT);
  if (manager == 0)
    return platform.GetLastError();
  DWORD error = ERROR_SUCCESS;
  Handle service = platform.OpenServiceW(manager, kServiceName, DELETE);
  if (service == 0) {
    error = platform.GetLastError();
  } else {
    if (!platform.DeleteService(service))
      error = platform.GetLastError();
    platform.CloseServiceHandle(service);
  }
  platform.CloseServiceHandle(manager);
  return error == ERROR_SERVICE_DOES_NOT_EXIST ? ERROR_SUCCESS : error;
}
} // namespace

DWORD RemoveServiceInstallation(SystemPlatform& platform) {
  char self[300] = {};
  DWORD length = platform.GetModuleFileNameA(self, sizeof self);
  self[length < sizeof self ? length : sizeof self - 1] = '\0';
  char tray[300];
  SiblingPath(self, kTrayExeName, tray);

  DWORD error = ERROR_SUCCESS;
  for (const char* file : {static_cast<const char*>(self), static_cast<const char*>(tray)}) {
    if (!Failed(error))
      if (!platform.MoveFileExA(file, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        error = platform.GetLastError();
  }
  if (!Failed(error))
    error = static_cast<DWORD>(
        DeleteRegValue(platform, kHkeyLocalMachine, reg::kRunKey, reg::kAutostartValue));
  for (const char* key : {kSafeBootMinimalKey, kSafeBootNetworkKey})
    if (!Failed(error))
      error = static_cast<DWORD>(platform.RegDeleteKeyA(kHkeyLocalMachine, key));
  if (!Failed(error))
    error = DeleteOwnService(platform);
  if (!Failed(error))
    error = static_cast<DWORD>(platform.RegDeleteKeyA(kHkeyLocalMachine, reg::kProgramKey));
  return Failed(error) ? error : ERROR_SUCCESS;
}

} // namespace hg
