// Reads the local System log newest first, many records per request: each
// ReadEventLogA call is a round trip to the Event Log service, so one call
// fills a 64 KiB buffer with as many whole records as fit, and the records
// are found in it by their Length.
#pragma once
#include "accounting/SessionScan.h"
#include "platform/SystemPlatform.h"

namespace hg {

// The buffer of one scan: a few hundred records of a real System log, so a
// few dozen requests for the two days a recount reads, well under the
// 0x7FFFF bytes one request may take. One allocation per scan, on the heap
// rather than the stack of the timer handler.
inline constexpr DWORD kEventReadBufferSize = 0x10000;

// Hands each record to visit(context, record) until visit returns false, the
// log ends, a request or an allocation fails, or a record's Length does not
// fit the bytes read (the records after it cannot be found). A record larger
// than the buffer is read into a buffer of its own size. The log is closed
// and the buffer released however the scan ends.
void ReadSystemLogBackwards(SystemPlatform& platform, EventVisitor visit, void* context);

template <class F> void ReadSystemLogBackwards(SystemPlatform& platform, F&& visit) {
  ReadSystemLogBackwards(
      platform,
      [](void* context, const EventRecord& record) -> bool {
        return (*static_cast<F*>(context))(record);
      },
      &visit);
}

} // namespace hg
