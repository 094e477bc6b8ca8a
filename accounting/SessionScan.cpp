#include "accounting/SessionScan.h"

#include "accounting/AccountingTime.h"

namespace hg {

EventKind ClassifyEvent(std::uint32_t eventId) {
  switch (eventId & 0x7FFFFFFFu) {
  case 6005:
  case 1:
    return EventKind::Start;
  case 6006:
  case 42:
    return EventKind::End;
  default:
    return EventKind::Other;
  }
}

UsageScan::UsageScan(const DayTable& days, std::int64_t now, std::int64_t reference,
                     std::int64_t adjustSeconds, DayKeyFn dayKeyOf, void* context)
    : m_days(days), m_reference(reference), m_adjustSeconds(adjustSeconds), m_dayKeyOf(dayKeyOf),
      m_context(context), m_end(now) {}

bool UsageScan::Feed(const EventRecord& record) {
  switch (ClassifyEvent(record.eventId)) {
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
