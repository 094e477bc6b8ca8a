#include "util/Cp932Cut.h"

namespace hg {

std::size_t Cp932CutLength(const char* text, std::size_t length, std::size_t limit) {
  if (length <= limit)
    return length;
  std::size_t at = 0;
  while (at < limit) {
    // A lead byte takes the byte after it, whatever that is.
    const std::size_t size = IsCp932LeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    if (at + size > limit)
      break;
    at += size;
  }
  return at;
}

} // namespace hg
