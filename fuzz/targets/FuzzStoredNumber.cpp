// The numeric read rule of stored values against a reading written apart
// from it: by the digits as a text compared with the limits as texts, with
// no arithmetic that could overflow.
#include "fuzz/targets/FuzzTargets.h"
#include "store/RegistryStore.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace hg::fuzz {
namespace {

bool IsBlank(char c) {
  return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::int32_t ReferenceNumber(const char* text) {
  std::size_t i = 0;
  while (IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-')
    negative = text[i++] == '-';
  std::string digits;
  for (; IsDigit(text[i]); ++i)
    if (!digits.empty() || text[i] != '0') // leading zeros say nothing
      digits.push_back(text[i]);
  const std::string limit = negative ? "2147483648" : "2147483647";
  if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
    return negative ? std::numeric_limits<std::int32_t>::min()
                    : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  for (char d : digits)
    magnitude = magnitude * 10 + (d - '0');
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace

int FuzzStoredNumber(const std::uint8_t* data, std::size_t size) {
  // The bytes as the C text a registry read hands over: cut at the first NUL.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const char* text = bytes.c_str();
  std::int32_t got = ParseStoredNumber(text);
  std::int32_t want = ReferenceNumber(text);
  HG_FUZZ_CHECK(got == want, "text \"" + std::string(text) + "\" read as " + std::to_string(got) +
                                 ", expected " + std::to_string(want));

  // Whatever the program writes ("%d" of a 32-bit number) reads back as itself.
  if (size >= 4) {
    std::int32_t value = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    char written[16];
    std::snprintf(written, sizeof written, "%d", value);
    HG_FUZZ_CHECK(ParseStoredNumber(written) == value,
                  std::string(written) + " read back as " +
                      std::to_string(ParseStoredNumber(written)));
  }
  return 0;
}

} // namespace hg::fuzz
