// The password is stored scrambled: every byte XORed with one fixed key byte.
#pragma once
#include <string>

namespace hg {

// A control character nobody types, so that no typed password loses a byte,
// and below 0x80 so that a scrambled ASCII password stays ASCII through the
// registry's ANSI conversion.
inline constexpr unsigned char kScrambleKey = 0x1F;

// Scrambles and unscrambles alike. A byte equal to the key turns into the
// end of the text, so the result stops there; every earlier byte is kept.
// Works on at most the first 255 bytes.
std::string ScramblePassword(const std::string& text);

// Copies text into a fixed password buffer, cut to fit: a stored value may
// have been edited by hand to any length.
template <std::size_t N> void CopyPasswordText(char (&buffer)[N], const std::string& text) {
  std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  text.copy(buffer, n);
  buffer[n] = '\0';
}

} // namespace hg
