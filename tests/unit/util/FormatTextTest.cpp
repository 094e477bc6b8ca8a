// The formatter's own cases; the FormatText fuzz target compares it with the
// C library's snprintf over random formats and arguments.
#include "util/FormatText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace hg {
namespace {

template <class... A> std::string Format(const char* fmt, A... args) {
  char buf[256];
  int length = FormatText(buf, sizeof buf, fmt, args...);
  EXPECT_EQ(length, static_cast<int>(std::string(buf).size())) << fmt;
  return buf;
}

TEST(FormatTextTest, SignedNumbersIncludingTheMostNegative) {
  EXPECT_EQ(Format("%d", 0), "0");
  EXPECT_EQ(Format("%d", -7), "-7");
  EXPECT_EQ(Format("%d", INT_MAX), "2147483647");
  EXPECT_EQ(Format("%d", INT_MIN), "-2147483648");
  EXPECT_EQ(Format("%lld", LLONG_MIN), "-9223372036854775808");
  EXPECT_EQ(Format("%lld", LLONG_MAX), "9223372036854775807");
  EXPECT_EQ(Format("(%lldmin)", -61LL), "(-61min)");
}

TEST(FormatTextTest, UnsignedAndHexadecimal) {
  EXPECT_EQ(Format("%u", UINT_MAX), "4294967295");
  EXPECT_EQ(Format("%x", 0xbeefu), "beef");
  EXPECT_EQ(Format("%x", UINT_MAX), "ffffffff");
  EXPECT_EQ(Format("%llx", ULLONG_MAX), "ffffffffffffffff");
  EXPECT_EQ(Format("%llu", ULLONG_MAX), "18446744073709551615");
  EXPECT_EQ(Format("%x", 0u), "0");
}

TEST(FormatTextTest, WidthsPadWithSpacesOrZerosAfterTheSign) {
  EXPECT_EQ(Format("%02d", 5), "05");
  EXPECT_EQ(Format("%02d", 123), "123");
  EXPECT_EQ(Format("%02d", -1), "-1");
  EXPECT_EQ(Format("%03d", -1), "-01");
  EXPECT_EQ(Format("%5d|", -42), "  -42|");
  EXPECT_EQ(Format("%-5d|", -42), "-42  |");
  EXPECT_EQ(Format("%-05d|", 42), "42   |"); // '-' wins over '0'
  EXPECT_EQ(Format("%08x", 0xabcu), "00000abc");
  EXPECT_EQ(Format("%4s|%-4s|", "ab", "cd"), "  ab|cd  |");
  EXPECT_EQ(Format("%1s", "long"), "long");
}

TEST(FormatTextTest, TextPercentAndDirectivesItDoesNotKnow) {
  EXPECT_EQ(Format("%s", ""), "");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("a%sb", static_cast<const char*>(nullptr)), "a(null)b");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
#pragma GCC diagnostic ignored "-Wformat-extra-args"
  EXPECT_EQ(Format("%f|%ld|%", 1.0, 2L), "%f|%ld|%");
#pragma GCC diagnostic pop
}

TEST(FormatTextTest, TruncatesTerminatesAndReturnsTheWholeLength) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(FormatText(buf, 4, "%d", -12345), 6);
  EXPECT_STREQ(buf, "-12");
  EXPECT_EQ(buf[4], 'x') << "wrote past the size";

  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(FormatText(buf, 1, "%s", "abc"), 3);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(buf[1], 'x');

  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(FormatText(buf, 0, "%05d", 1), 5);
  EXPECT_EQ(buf[0], 'x') << "size 0 writes nothing";
  EXPECT_EQ(FormatText(nullptr, 0, "%lld", LLONG_MIN), 20);

  EXPECT_EQ(FormatText(buf, sizeof buf, "%7d", 1), 7); // exactly fits with its terminator
  EXPECT_STREQ(buf, "      1");
  EXPECT_EQ(FormatText(buf, sizeof buf, "%8d", 1), 8);
  EXPECT_STREQ(buf, "       ");
}

// The program's own formats give what snprintf gives, byte for byte: those
// in the code and those of the string table (res/hourgauge.rc).
TEST(FormatTextTest, TheProgramsFormatsMatchSnprintf) {
  const char* const kTipFormat = "LastTime( %02dmin )%s";
  const char* const kTipDays = "\n %d%s(%dmin) %d%s(%dmin) %d%s(%dmin)";
  const char* const kCountdown = "電源が切れるまで あと %d 秒";
  char mine[160], theirs[160];
  auto same = [&](int a, int b) {
    EXPECT_EQ(a, b);
    EXPECT_STREQ(mine, theirs);
  };
  for (int v : {0, 5, 59, -1, -60, INT_MAX / 60, INT_MIN / 60}) {
    same(FormatText(mine, sizeof mine, "%02d/%02d %02d:%02d:%02d", v, v, v, v, v),
         std::snprintf(theirs, sizeof theirs, "%02d/%02d %02d:%02d:%02d", v, v, v, v, v));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    same(FormatText(mine, sizeof mine, kTipDays, v, "日", v, v, "nd", v, v, "", v),
         std::snprintf(theirs, sizeof theirs, kTipDays, v, "日", v, v, "nd", v, v, "", v));
    same(FormatText(mine, 64, kTipFormat, v, "\n tail"),
         std::snprintf(theirs, 64, kTipFormat, v, "\n tail"));
    same(FormatText(mine, sizeof mine, kCountdown, v),
         std::snprintf(theirs, sizeof theirs, kCountdown, v));
#pragma GCC diagnostic pop
    same(FormatText(mine, sizeof mine, "\n%s - %s (%lldmin)", "01/02 03:04:05", "x",
                    static_cast<long long>(v) * 1000000),
         std::snprintf(theirs, sizeof theirs, "\n%s - %s (%lldmin)", "01/02 03:04:05", "x",
                       static_cast<long long>(v) * 1000000));
    same(FormatText(mine, sizeof mine, "Afx:%x:%llx:%llx:%llx", static_cast<unsigned>(v),
                    static_cast<unsigned long long>(v), 0ULL, ~0ULL),
         std::snprintf(theirs, sizeof theirs, "Afx:%x:%llx:%llx:%llx", static_cast<unsigned>(v),
                       static_cast<unsigned long long>(v), 0ULL, ~0ULL));
  }
}

} // namespace
} // namespace hg
