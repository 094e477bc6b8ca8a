// The tooltip's days in each language.
#include "accounting/TipSuffix.h"

#include <gtest/gtest.h>

#include <string>

namespace hg {
namespace {

std::string Mark(int day, const char* marks) {
  char mark[16];
  DayMark(day, marks, mark, sizeof mark);
  return mark;
}

TEST(TipSuffix, EnglishOrdinalsIncludingTheTeens) {
  const char* en = "st|nd|rd|th";
  EXPECT_EQ(Mark(1, en), "st");
  EXPECT_EQ(Mark(2, en), "nd");
  EXPECT_EQ(Mark(3, en), "rd");
  EXPECT_EQ(Mark(4, en), "th");
  EXPECT_EQ(Mark(11, en), "th");
  EXPECT_EQ(Mark(12, en), "th");
  EXPECT_EQ(Mark(13, en), "th");
  EXPECT_EQ(Mark(21, en), "st");
  EXPECT_EQ(Mark(22, en), "nd");
  EXPECT_EQ(Mark(23, en), "rd");
  EXPECT_EQ(Mark(30, en), "th");
  EXPECT_EQ(Mark(31, en), "st");
}

TEST(TipSuffix, ShortOrOddMarkListsGiveWhatTheyHave) {
  EXPECT_EQ(Mark(1, ""), "");
  EXPECT_EQ(Mark(4, "a|b"), ""); // no fourth mark
  EXPECT_EQ(Mark(2, "a|b"), "b");
  char small[3];
  DayMark(5, "st|nd|rd|thereafter", small, sizeof small);
  EXPECT_EQ(std::string(small), "th"); // cut to the buffer
}

TEST(TipSuffix, JapaneseKeepsItsOldBytes) {
  const int days[3] = {5, 4, 3};
  const int minutes[3] = {75, 30, 0};
  char out[128];
  FormatTipSuffix(out, sizeof out, "\n %d%s(%dmin) %d%s(%dmin) %d%s(%dmin)", "日|日|日|日", days,
                  minutes);
  EXPECT_EQ(std::string(out), "\n 5日(75min) 4日(30min) 3日(0min)");
}

TEST(TipSuffix, EnglishFitsTheTipWithTheLongestNumbers) {
  const int days[3] = {23, 22, 21};
  const int minutes[3] = {-35791394, 1440, 99999};
  char out[128];
  FormatTipSuffix(out, sizeof out, "\n %d%s(%dmin) %d%s(%dmin) %d%s(%dmin)", "st|nd|rd|th", days,
                  minutes);
  std::string suffix(out);
  EXPECT_EQ(suffix, "\n 23rd(-35791394min) 22nd(1440min) 21st(99999min)");
  // With the longest tip format the whole tip stays inside its 128 bytes.
  EXPECT_LT(std::string("Time left( -35791394min )").size() + suffix.size(), 128u);
}

} // namespace
} // namespace hg
