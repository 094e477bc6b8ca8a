#include "accounting/SessionScan.h"

#include "accounting/AccountingTime.h"

#include <cstring>

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

namespace {
// EVENTLOGRECORD: Length, Reserved ("LfLe"), RecordNumber, TimeGenerated,
// TimeWritten, EventID, ... all little-endian DWORDs.
constexpr std::size_t kOffsetLength = 0;
constexpr std::size_t kOffsetTimeGenerated = 12;
constexpr std::size_t kOffsetEventId = 20;
constexpr std::size_t kMinimumRecord = 56; // the fixed part of the record

std::uint32_t ReadDword(const unsigned char* p, std::size_t offset) {
  return static_cast<std::uint32_t>(p[offset]) | static_cast<std::uint32_t>(p[offset + 1]) << 8 |
         static_cast<std::uint32_t>(p[offset + 2]) << 16 |
         static_cast<std::uint32_t>(p[offset + 3]) << 24;
}
} // namespace

bool ParseEventRecord(const void* bytes, std::size_t size, EventRecord* record) {
  if (bytes == nullptr || size < kMinimumRecord)
    return false;
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::uint32_t length = ReadDword(p, kOffsetLength);
  if (length < kMinimumRecord || length > size)
    return false;
  record->timeGenerated = ReadDword(p, kOffsetTimeGenerated);
  record->eventId = ReadDword(p, kOffsetEventId);
  return true;
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
