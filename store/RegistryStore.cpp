#include "store/RegistryStore.h"

#include "store/ValueNames.h"
#include "util/FormatText.h"

#include <cstring>

namespace hg {

void WriteRegString(SystemPlatform& platform, Hkey root, const char* keyPath, const char* valueName,
                    const char* text) {
  Hkey key = 0;
  LONG status = platform.RegOpenKeyExA(root, keyPath, KEY_WRITE, &key);
  if (status == ERROR_FILE_NOT_FOUND)
    status = platform.RegCreateKeyExA(root, keyPath, KEY_WRITE, &key);
  // Any other failure (access denied, say) leaves the stored value alone.
  if (status != ERROR_SUCCESS)
    return;
  platform.RegSetValueExA(key, valueName, REG_SZ, reinterpret_cast<const std::uint8_t*>(text),
                          static_cast<DWORD>(std::strlen(text)));
  platform.RegCloseKey(key);
}

std::string ReadRegString(SystemPlatform& platform, Hkey root, const char* keyPath,
                          const char* valueName) {
  Hkey key = 0;
  if (platform.RegOpenKeyExA(root, keyPath, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  // One byte more than the read limit so that 256 data bytes still end in a
  // terminator; the type that comes back is not looked at.
  std::uint8_t buffer[kRegReadLimit + 1] = {};
  DWORD size = kRegReadLimit;
  DWORD type = 0;
  LONG status = platform.RegQueryValueExA(key, valueName, &type, buffer, &size);
  platform.RegCloseKey(key);
  if (status != ERROR_SUCCESS || size > kRegReadLimit)
    return {};
  const char* text = reinterpret_cast<const char*>(buffer);
  return std::string(text, strnlen(text, size));
}

LONG DeleteRegValue(SystemPlatform& platform, Hkey root, const char* keyPath,
                    const char* valueName) {
  Hkey key = 0;
  LONG status = platform.RegOpenKeyExA(root, keyPath, KEY_WRITE, &key);
  if (status != ERROR_SUCCESS)
    return status;
  status = platform.RegDeleteValueA(key, valueName);
  platform.RegCloseKey(key);
  return status;
}

std::int32_t ParseStoredNumber(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-')
    negative = *p++ == '-';
  std::int64_t magnitude = 0;
  constexpr std::int64_t kCap = std::int64_t{1} << 31; // |INT32_MIN|
  for (; *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > kCap)
      magnitude = kCap;
  }
  if (negative)
    return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(magnitude >= kCap ? kCap - 1 : magnitude);
}

std::int32_t ReadRegNumber(SystemPlatform& platform, Hkey root, const char* keyPath,
                           const char* valueName, std::int32_t defaultValue) {
  std::string text = ReadRegString(platform, root, keyPath, valueName);
  return text.empty() ? defaultValue : ParseStoredNumber(text.c_str());
}

void WriteRegNumber(SystemPlatform& platform, Hkey root, const char* keyPath, const char* valueName,
                    std::int32_t value) {
  char text[16];
  FormatText(text, sizeof text, "%d", value);
  WriteRegString(platform, root, keyPath, valueName, text);
}

void WriteAutostartEntry(SystemPlatform& platform) {
  char path[256] = {};
  DWORD length = platform.GetModuleFileNameA(path, sizeof path);
  // A path cut at the buffer's end is not terminated on older Windows.
  path[length < sizeof path ? length : sizeof path - 1] = '\0';
  // Unquoted, a path with blanks ("C:\Program Files\...") is read by Windows
  // as a program "C:\Program" with arguments.
  const std::string entry = std::string("\"") + path + "\"";
  if (ReadRegString(platform, kHkeyLocalMachine, reg::kRunKey, reg::kAutostartValue) != entry)
    WriteRegString(platform, kHkeyLocalMachine, reg::kRunKey, reg::kAutostartValue, entry.c_str());
}

} // namespace hg
