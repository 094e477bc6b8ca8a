// Cutting a code page 932 text to fit a buffer without splitting a
// double-byte character: a lone lead byte left at the end shows as a wrong
// character, or makes the next text's first byte part of one.
#pragma once
#include <cstddef>

namespace hg {

// A byte that begins a double-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the longest start of `text` (`length` bytes) that is at
// most `limit` bytes and ends on a character boundary.
std::size_t Cp932CutLength(const char* text, std::size_t length, std::size_t limit);

} // namespace hg
