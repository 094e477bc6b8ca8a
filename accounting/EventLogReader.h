// Reads the local System log newest first, one record per request: a 1-byte
// probe that fails with ERROR_INSUFFICIENT_BUFFER and reports the record's
// size, then a read into a buffer of exactly that size.
#pragma once
#include "accounting/SessionScan.h"
#include "platform/Platform.h"

namespace hg {

// Hands each record to visit(context, record) until visit returns false, the
// log ends, or a request or an allocation fails. Records whose bytes do not
// parse are passed over. The log is closed and every buffer released however
// the scan ends.
void ReadSystemLogBackwards(Platform& platform, EventVisitor visit, void* context);

template <class F> void ReadSystemLogBackwards(Platform& platform, F&& visit) {
  ReadSystemLogBackwards(
      platform,
      [](void* context, const EventRecord& record) -> bool {
        return (*static_cast<F*>(context))(record);
      },
      &visit);
}

} // namespace hg
