// Reads decisions out of fuzz bytes. Past the end every read gives zero (the
// smallest choice), so each input decodes to exactly one run, and short
// inputs to short, plain runs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace hg::fuzz {

class FuzzInput {
public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  bool Empty() const { return m_pos >= m_size; }
  std::size_t Remaining() const { return m_pos < m_size ? m_size - m_pos : 0; }

  std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  bool Bool() { return (Byte() & 1) != 0; }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
      v |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return v;
  }
  // A number in [lo, hi], from as few bytes as the range needs.
  std::int64_t Int(std::int64_t lo, std::int64_t hi) {
    if (hi <= lo)
      return lo;
    std::uint64_t span = static_cast<std::uint64_t>(hi - lo);
    std::uint64_t v = 0;
    for (std::uint64_t s = span; s != 0; s >>= 8)
      v = (v << 8) | Byte();
    return lo + static_cast<std::int64_t>(v % (span + 1));
  }
  // Up to maxBytes raw bytes, the length read first.
  std::string Bytes(std::size_t maxBytes) {
    std::size_t n = static_cast<std::size_t>(Int(0, static_cast<std::int64_t>(maxBytes)));
    std::string out;
    for (std::size_t i = 0; i < n && !Empty(); ++i)
      out.push_back(static_cast<char>(Byte()));
    return out;
  }
  template <class T, std::size_t N> const T& Pick(const T (&items)[N]) {
    return items[static_cast<std::size_t>(Int(0, static_cast<std::int64_t>(N) - 1))];
  }

private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

} // namespace hg::fuzz
