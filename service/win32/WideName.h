// The program's ASCII names (service, pipe) as the wide strings the "W"
// calls take, made at compile time from the one definition.
#pragma once
#include <cstddef>

namespace hg {

template <std::size_t N> struct WideName {
  wchar_t text[N] = {};
  constexpr explicit WideName(const char (&ascii)[N]) {
    for (std::size_t i = 0; i < N; ++i)
      text[i] = static_cast<wchar_t>(static_cast<unsigned char>(ascii[i]));
  }
};

} // namespace hg
