// Cuts of code page 932 texts fall between characters.
#include "util/Cp932Cut.h"

#include <gtest/gtest.h>

#include <string>

namespace hg {
namespace {

TEST(Cp932CutTest, CutFallsBeforeADoubleByteCharacterRatherThanInIt) {
  const std::string text = "ab\x93\xfa\x96\x7b"; // "ab" then two kanji
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 6), 6u);
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 5), 4u);
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 4), 4u);
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 3), 2u);
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 0), 0u);
}

TEST(Cp932CutTest, TrailBytesThatLookLikeLeadBytesBelongToTheirCharacter) {
  // 0x95 0x5C ("表") has a trail byte that is '\\'; 0x83 0x81 has one in the
  // lead-byte range.
  const std::string text = "\x95\x5c\x83\x81x";
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 3), 2u);
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 4), 4u);
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 5), 5u);
  // Half-width katakana (0xA1-0xDF) are single bytes.
  const std::string kana = "\xb1\xb2\xb3";
  EXPECT_EQ(Cp932CutLength(kana.data(), kana.size(), 2), 2u);
}

TEST(Cp932CutTest, TextThatFitsIsNotCut) {
  const std::string text = "\x93\xfa"; // even a lone lead byte at the end of a fitting text
  EXPECT_EQ(Cp932CutLength(text.data(), text.size(), 10), 2u);
  const std::string lone = "a\x93";
  EXPECT_EQ(Cp932CutLength(lone.data(), lone.size(), 2), 2u);
  EXPECT_EQ(Cp932CutLength(lone.data(), lone.size(), 1), 1u);
}

} // namespace
} // namespace hg
