#include "accounting/EventRecordLayout.h"

#include <cstring>

namespace hg {

namespace {
// EVENTLOGRECORD: Length, Reserved ("LfLe"), RecordNumber, TimeGenerated,
// TimeWritten, EventID, ... all little-endian; the source name follows the
// fixed part.
constexpr std::size_t kOffsetLength = 0;
constexpr std::size_t kOffsetTimeGenerated = 12;
constexpr std::size_t kOffsetEventId = 20;

std::uint32_t ReadDword(const unsigned char* p, std::size_t offset) {
  return static_cast<std::uint32_t>(p[offset]) | static_cast<std::uint32_t>(p[offset + 1]) << 8 |
         static_cast<std::uint32_t>(p[offset + 2]) << 16 |
         static_cast<std::uint32_t>(p[offset + 3]) << 24;
}
} // namespace

bool ParseEventRecord(const void* bytes, std::size_t size, EventRecord* record) {
  if (bytes == nullptr || size < kEventRecordFixedSize)
    return false;
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::uint32_t length = ReadDword(p, kOffsetLength);
  if (length < kEventRecordFixedSize || length > size)
    return false;
  const char* name = reinterpret_cast<const char*>(p + kEventRecordFixedSize);
  std::size_t room = length - kEventRecordFixedSize;
  const void* nul = std::memchr(name, '\0', room);
  std::size_t nameLength =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - name) : room;
  record->timeGenerated = ReadDword(p, kOffsetTimeGenerated);
  record->eventId = ReadDword(p, kOffsetEventId);
  record->source = std::string_view(name, nameLength);
  return true;
}

EventWalk WalkEventRecords(const void* bytes, std::size_t size, EventVisitor visit, void* context) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::size_t offset = 0;
  while (offset < size) {
    EventRecord record;
    if (!ParseEventRecord(p + offset, size - offset, &record))
      return EventWalk::Malformed;
    if (!visit(context, record))
      return EventWalk::Stopped;
    offset += ReadDword(p + offset, kOffsetLength);
  }
  return EventWalk::Done;
}

} // namespace hg
