// The password scramble: every byte XORed with the key byte, at most 255
// bytes, the input cut at its first NUL, the result cut where a key byte
// turned into NUL. Twice gives the input back exactly when nothing was cut.
#include "commands/Scramble.h"
#include "fuzz/targets/FuzzTargets.h"

#include <string>

namespace hg::fuzz {

int FuzzScramble(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const char key = static_cast<char>(kScrambleKey);

  // What the scramble works on: up to the first NUL, at most 255 bytes.
  std::string text = input.substr(0, input.find('\0'));
  if (text.size() > 255)
    text.resize(255);
  const std::size_t keyAt = text.find(key);
  const std::string kept = text.substr(0, keyAt); // the bytes before a key byte

  const std::string once = ScramblePassword(input);
  HG_FUZZ_CHECK(once.size() == kept.size(),
                std::to_string(once.size()) + " bytes from " + std::to_string(kept.size()));
  HG_FUZZ_CHECK(once.find(key) == std::string::npos, "the key byte in a scrambled text");
  HG_FUZZ_CHECK(once.find('\0') == std::string::npos, "a NUL in a scrambled text");
  for (std::size_t i = 0; i < once.size(); ++i)
    HG_FUZZ_CHECK(once[i] == static_cast<char>(kept[i] ^ key), "byte " + std::to_string(i));

  const std::string twice = ScramblePassword(once);
  HG_FUZZ_CHECK(twice == kept, "twice is not the kept prefix");
  HG_FUZZ_CHECK((twice == text) == (keyAt == std::string::npos),
                "round trip of the cut input holds exactly when it has no key byte");
  const bool whole = input.size() <= 255 && input.find('\0') == std::string::npos &&
                     input.find(key) == std::string::npos;
  HG_FUZZ_CHECK((twice == input) == whole,
                "round trip of the raw input holds exactly when nothing is cut");
  // The stored form's own round trip: unscrambling what was stored gives
  // back a password that scrambles to the same stored form.
  HG_FUZZ_CHECK(ScramblePassword(ScramblePassword(once)) == once, "stored form round trip");
  return 0;
}

} // namespace hg::fuzz
