// The bytes ReadEventLogA hands over: one or more EVENTLOGRECORDs back to
// back, each a fixed part of 56 bytes, then its source name (NUL-terminated),
// the computer name, the user's SID, the strings, the data, padding, and its
// length again. Pure rules over a buffer, no platform.
#pragma once
#include "platform/EventRecord.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hg {

inline constexpr std::size_t kEventRecordFixedSize = 56;

// The record at the start of `bytes`: identifier, generation time and source.
// False when fewer than 56 bytes are given or the record's Length is below
// 56 or beyond `size`. The source runs to its NUL, never past the record.
bool ParseEventRecord(const void* bytes, std::size_t size, EventRecord* record);

// What became of a walk over the records of one read.
enum class EventWalk {
  Done,      // every record was handed over
  Stopped,   // the visitor asked to stop
  Malformed, // a record's Length does not fit: the rest cannot be found
};

// Hands the records of `bytes` (what one read returned) to visit, oldest
// offset first, each found by the Length of the one before.
using EventVisitor = bool (*)(void* context, const EventRecord& record);
EventWalk WalkEventRecords(const void* bytes, std::size_t size, EventVisitor visit, void* context);

} // namespace hg
