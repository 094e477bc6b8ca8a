#include "accounting/SessionScan.h"

#include "accounting/AccountingTime.h"

namespace hg {

namespace {
bool SameSource(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
    if (x != y)
      return false;
  }
  return true;
}
} // namespace

EventKind ClassifyEvent(std::uint32_t eventId, std::string_view source) {
  struct Meaning {
    std::uint32_t eventId;
    std::string_view source;
    EventKind kind;
  };
  static constexpr Meaning kMeanings[] = {
      {6005, kEventLogSource, EventKind::Start},
      {1, kPowerTroubleshooterSource, EventKind::Start},
      {507, kKernelPowerSource, EventKind::Start},
      {12, kKernelGeneralSource, EventKind::Start},
      {6006, kEventLogSource, EventKind::End},
      {42, kKernelPowerSource, EventKind::End},
      {506, kKernelPowerSource, EventKind::End},
  };
  const std::uint32_t id = eventId & 0x7FFFFFFFu;
  for (const Meaning& m : kMeanings)
    if (m.eventId == id && SameSource(source, m.source))
      return m.kind;
  return EventKind::Other;
}

UsageScan::UsageScan(const DayTable& days, std::int64_t now, std::int64_t reference,
                     std::int64_t adjustSeconds, DayKeyFn dayKeyOf, void* context)
    : m_days(days), m_reference(reference), m_adjustSeconds(adjustSeconds), m_dayKeyOf(dayKeyOf),
      m_context(context), m_end(now) {}

bool UsageScan::Feed(const EventRecord& record) {
  switch (ClassifyEvent(record)) {
  case EventKind::End:
    // Of several end records in a row the oldest, the one just after the
    // start, ends the session.
    m_end = record.timeGenerated;
    m_bOpen = true;
    return true;
  case EventKind::Other:
    return true;
  case EventKind::Start:
    break;
  }
  if (!m_bOpen)
    return true; // a run that ended without an end record
  m_bOpen = false;
  std::int64_t duration = m_end - record.timeGenerated;
  std::int64_t start = record.timeGenerated - m_adjustSeconds;
  std::int32_t key = m_dayKeyOf(m_context, start);
  for (int i = 0; i < kUsageDays; ++i) {
    if (m_days.key[i] == key) {
      m_usage[i] += duration;
      break;
    }
  }
  // The session that started two days or more ago is the last one counted.
  return (m_reference - start) / kSecondsPerDay < 2;
}

std::int32_t UsageScan::Usage(int day) const {
  return SaturatingSum(m_usage[day], 0);
}

} // namespace hg
