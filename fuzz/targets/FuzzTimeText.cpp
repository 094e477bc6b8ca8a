// The time text "MM/DD hh:mm:ss": what the parser accepts is in range and
// survives a round trip through the program's own format; the canonical form
// of in-range fields is always accepted; a formatted local time reads back
// as its fields.
#include "accounting/TimeText.h"
#include "fuzz/targets/FuzzTargets.h"
#include "platform/sim/SimPlatform.h"

#include <cstdio>
#include <string>

namespace hg::fuzz {
namespace {

std::string Fields(const LocalTm& f) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", f.year, f.month, f.day, f.hour, f.minute,
                f.second);
  return text;
}

bool SameFields(const LocalTm& a, const LocalTm& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

// Two digits at text[at], or -1.
int TwoDigits(const std::string& text, std::size_t at) {
  if (at + 1 >= text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' ||
      text[at + 1] > '9')
    return -1;
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

} // namespace

int FuzzTimeText(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = bytes.c_str(); // as stored text: cut at the first NUL

  constexpr int kYear = 1999; // the parser leaves the year alone
  LocalTm fields;
  fields.year = kYear;
  bool accepted = ParseTimeText(text.c_str(), &fields);
  if (accepted) {
    HG_FUZZ_CHECK(fields.year == kYear, Fields(fields));
    HG_FUZZ_CHECK(fields.month >= 1 && fields.month <= 12, Fields(fields));
    HG_FUZZ_CHECK(fields.day >= 1 && fields.day <= 31, Fields(fields));
    HG_FUZZ_CHECK(fields.hour >= 0 && fields.hour <= 23, Fields(fields));
    HG_FUZZ_CHECK(fields.minute >= 0 && fields.minute <= 59, Fields(fields));
    HG_FUZZ_CHECK(fields.second >= 0 && fields.second <= 60, Fields(fields));
    char again[64];
    std::snprintf(again, sizeof again, "%02d/%02d %02d:%02d:%02d", fields.month, fields.day,
                  fields.hour, fields.minute, fields.second);
    LocalTm reread;
    reread.year = kYear;
    HG_FUZZ_CHECK(ParseTimeText(again, &reread), again);
    HG_FUZZ_CHECK(SameFields(reread, fields), std::string(again) + " gave " + Fields(reread));
  }

  // The canonical form, whatever follows it, is a time text when in range.
  int month = TwoDigits(text, 0), day = TwoDigits(text, 3), hour = TwoDigits(text, 6);
  int minute = TwoDigits(text, 9), second = TwoDigits(text, 12);
  bool canonical = text.size() >= 14 && text[2] == '/' && text[5] == ' ' && text[8] == ':' &&
                   text[11] == ':' && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
                   hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 &&
                   second <= 60;
  if (canonical) {
    HG_FUZZ_CHECK(accepted, "canonical text refused: " + text);
    LocalTm want{kYear, month, day, hour, minute, second};
    HG_FUZZ_CHECK(SameFields(fields, want), text + " gave " + Fields(fields));
  }

  // The program's own format of a local time reads back as that time's fields.
  if (size >= 5) {
    static sim::SimPlatform platform;
    static const char* const kZones[] = {"Asia/Tokyo", "Europe/Berlin", "America/New_York"};
    platform.SetTimeZone(kZones[data[0] % 3]);
    std::int64_t t = static_cast<std::int64_t>(data[1]) | std::int64_t{data[2]} << 8 |
                     std::int64_t{data[3]} << 16 | std::int64_t{data[4]} << 24;
    char formatted[kTimeTextSize];
    FormatTimeText(platform, t, formatted);
    LocalTm local;
    HG_FUZZ_CHECK(platform.GetLocalTm(t, &local), std::to_string(t));
    LocalTm parsed;
    parsed.year = local.year;
    HG_FUZZ_CHECK(std::string(formatted).size() == 14, formatted);
    HG_FUZZ_CHECK(ParseTimeText(formatted, &parsed), formatted);
    HG_FUZZ_CHECK(SameFields(parsed, local), std::string(formatted) + " vs " + Fields(local));
  }
  return 0;
}

} // namespace hg::fuzz
