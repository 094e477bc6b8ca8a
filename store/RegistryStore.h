// Named text values in the registry. Each call opens its key, does one thing
// and closes it again; failures are never reported: a failed read is the
// empty text, which every reader turns into the value's default.
#pragma once
#include "platform/SystemPlatform.h"

#include <string>

namespace hg {

// A read takes at most this many bytes; a longer value reads as empty text.
inline constexpr DWORD kRegReadLimit = 256;

// Stores text as REG_SZ without a terminating zero, creating the key (and the
// keys along its path) only when it does not exist.
void WriteRegString(SystemPlatform& platform, Hkey root, const char* keyPath, const char* valueName,
                    const char* text);
// The value's text, cut at an embedded zero; empty when anything fails.
std::string ReadRegString(SystemPlatform& platform, Hkey root, const char* keyPath,
                          const char* valueName);
// 0 when the value is gone, or the error of the open or the deletion
// (ERROR_FILE_NOT_FOUND: there was no such value or key).
LONG DeleteRegValue(SystemPlatform& platform, Hkey root, const char* keyPath,
                    const char* valueName);

// The leading decimal integer of a stored number: blanks skipped, one sign,
// digits up to the first other character; no digits give 0. Numbers beyond
// 32 bits saturate rather than wrap.
std::int32_t ParseStoredNumber(const char* text);
// Reads a number, the default when the value is empty or absent.
std::int32_t ReadRegNumber(SystemPlatform& platform, Hkey root, const char* keyPath,
                           const char* valueName, std::int32_t defaultValue);
// Writes a number as "%d" text.
void WriteRegNumber(SystemPlatform& platform, Hkey root, const char* keyPath, const char* valueName,
                    std::int32_t value);

// The autostart entry: the executable's full path, quoted (the Run key's
// value is a command line), under the Run key. Written only when the stored
// entry differs, so that a start without the rights to write it, or with
// nothing to change, writes nothing.
void WriteAutostartEntry(SystemPlatform& platform);

} // namespace hg
