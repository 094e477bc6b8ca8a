#include "accounting/EventLogReader.h"

namespace hg {

void ReadSystemLogBackwards(SystemPlatform& platform, EventVisitor visit, void* context) {
  Handle log = platform.OpenEventLogA(nullptr, "System");
  if (log == 0)
    return;
  constexpr DWORD kFlags = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
  DWORD capacity = kEventReadBufferSize;
  void* buffer = platform.LocalAlloc(capacity);
  while (buffer != nullptr) {
    // Wine fails at once with ERROR_HANDLE_EOF and writes neither count.
    DWORD read = 0;
    DWORD needed = 0;
    if (!platform.ReadEventLogA(log, kFlags, 0, buffer, capacity, &read, &needed)) {
      // Only a record larger than the buffer gets a buffer of its own size;
      // any other failure (the end of the log, an unreadable log) ends it.
      if (platform.GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= capacity ||
          needed > kMaxEventReadSize)
        break;
      platform.LocalFree(buffer);
      capacity = needed;
      buffer = platform.LocalAlloc(capacity);
      continue;
    }
    if (read == 0 || read > capacity ||
        WalkEventRecords(buffer, read, visit, context) != EventWalk::Done)
      break;
  }
  if (buffer != nullptr)
    platform.LocalFree(buffer);
  platform.CloseEventLog(log);
}

} // namespace hg
