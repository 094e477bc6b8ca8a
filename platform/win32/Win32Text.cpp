#include "platform/win32/Win32Text.h"

#include "util/Cp932Cut.h"

#include <cstring>

namespace hg {

void ToUtf16(const char* text, wchar_t* out, int capacity) {
  if (capacity <= 0)
    return;
  out[0] = L'\0';
  if (text == nullptr)
    return;
  // One unit a character at most: a cut between characters fits.
  const int bytes = static_cast<int>(
      Cp932CutLength(text, std::strlen(text), static_cast<std::size_t>(capacity - 1)));
  int units = ::MultiByteToWideChar(kProgramCodePage, 0, text, bytes, out, capacity - 1);
  out[units > 0 ? units : 0] = L'\0';
}

int FromUtf16(const wchar_t* text, int units, char* out, int capacity) {
  if (capacity <= 0)
    return 0;
  // Two bytes a unit at most: convert whole, then cut to the caller's size.
  char whole[2048];
  int bytes = ::WideCharToMultiByte(kProgramCodePage, 0, text, units, whole, sizeof whole - 1,
                                    nullptr, nullptr);
  if (bytes < 0)
    bytes = 0;
  bytes = static_cast<int>(Cp932CutLength(whole, static_cast<std::size_t>(bytes),
                                          static_cast<std::size_t>(capacity - 1)));
  std::memcpy(out, whole, static_cast<std::size_t>(bytes));
  out[bytes] = '\0';
  return bytes;
}

} // namespace hg
