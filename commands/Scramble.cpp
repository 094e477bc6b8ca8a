#include "commands/Scramble.h"

#include <cstring>

namespace hg {

std::string ScramblePassword(const std::string& text) {
  char buffer[256] = {};
  std::strncpy(buffer, text.c_str(), sizeof buffer - 1);
  for (std::size_t i = 0; i < std::strlen(buffer); ++i)
    buffer[i] = static_cast<char>(static_cast<unsigned char>(buffer[i]) ^ kScrambleKey);
  return buffer;
}

} // namespace hg
