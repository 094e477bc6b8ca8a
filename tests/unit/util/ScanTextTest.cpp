// The reader's own cases, on the time text's format; the ScanText fuzz target
// compares it with the C library's sscanf over random texts and formats.
#include "util/ScanText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace hg {
namespace {

constexpr char kTimeFormat[] = "%2d/%2d %2d:%2d:%2d";

struct Scan {
  int result = 0;
  std::array<int, 5> fields{-99, -99, -99, -99, -99}; // -99: not stored
};

Scan ScanTime(const char* text) {
  Scan s;
  s.result = ScanText(text, kTimeFormat, &s.fields[0], &s.fields[1], &s.fields[2], &s.fields[3],
                      &s.fields[4]);
  return s;
}

TEST(ScanTextTest, ReadsTheFiveFieldsOfATimeText) {
  Scan s = ScanTime("12/31 23:59:60");
  EXPECT_EQ(s.result, 5);
  EXPECT_EQ(s.fields, (std::array<int, 5>{12, 31, 23, 59, 60}));
  // Whatever follows the last field is not looked at.
  EXPECT_EQ(ScanTime("01/02 03:04:05 and more").fields, (std::array<int, 5>{1, 2, 3, 4, 5}));
}

TEST(ScanTextTest, SignsBlanksAndShortFieldsAsSscanfReadsThem) {
  EXPECT_EQ(ScanTime("-1/+2 -3:-4:-5").fields, (std::array<int, 5>{-1, 2, -3, -4, -5}));
  Scan s = ScanTime(" \t1/ 2\n\v3: 4:\r5");
  EXPECT_EQ(s.result, 5);
  EXPECT_EQ(s.fields, (std::array<int, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ScanTime("1/2 3:4:5").result, 5);
}

TEST(ScanTextTest, AFieldTakesAtMostTwoCharactersSignIncluded) {
  Scan s = ScanTime("123/4");
  EXPECT_EQ(s.result, 1) << "the third digit is not a slash";
  EXPECT_EQ(s.fields[0], 12);
  s = ScanTime("-12/4");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.fields[0], -1);
}

TEST(ScanTextTest, CountsTheFieldsBeforeTheFirstMismatch) {
  Scan s = ScanTime("12/31 23-59");
  EXPECT_EQ(s.result, 3);
  EXPECT_EQ(s.fields, (std::array<int, 5>{12, 31, 23, -99, -99}));
  EXPECT_EQ(ScanTime("1 /2").result, 1) << "no blank is allowed before the slash";
  EXPECT_EQ(ScanTime("x").result, 0);
  EXPECT_EQ(ScanTime("-").result, 0) << "a sign without a digit";
  EXPECT_EQ(ScanTime("+-1").result, 0);
  EXPECT_EQ(ScanTime("12/").result, 1) << "the text ends after a field";
}

TEST(ScanTextTest, EofWhenTheTextEndsBeforeTheFirstField) {
  EXPECT_EQ(ScanTime("").result, -1);
  EXPECT_EQ(ScanTime(" \t\n").result, -1);
  Scan s = ScanTime("");
  EXPECT_EQ(s.fields[0], -99);
}

TEST(ScanTextTest, OtherFormatsOfItsDirectives) {
  int a = 0, b = 0;
  EXPECT_EQ(ScanText("123456789012", "%9d%3d", &a, &b), 2);
  EXPECT_EQ(a, 123456789);
  EXPECT_EQ(b, 12);
  EXPECT_EQ(ScanText("x5", "x%1d", &a), 1);
  EXPECT_EQ(a, 5);
  const char* empty = ""; // not a literal: GCC refuses an empty format
  EXPECT_EQ(ScanText(empty, empty), 0);
  EXPECT_EQ(ScanText("y", "x%1d", &a), 0);
  EXPECT_EQ(ScanText("", "x%1d", &a), -1);
}

} // namespace
} // namespace hg
