#include "accounting/EventLogReader.h"

namespace hg {

void ReadSystemLogBackwards(Platform& platform, EventVisitor visit, void* context) {
  Handle log = platform.OpenEventLogA(nullptr, "System");
  if (log == 0)
    return;
  constexpr DWORD kFlags = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
  for (;;) {
    unsigned char probe[1] = {};
    DWORD read = 0;
    DWORD needed = 0;
    if (platform.ReadEventLogA(log, kFlags, 0, probe, 1, &read, &needed) ||
        platform.GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
      break; // the end of the log, or a log that cannot be read
    void* buffer = platform.LocalAlloc(needed);
    if (buffer == nullptr)
      break;
    read = 0;
    DWORD again = 0;
    bool ok = platform.ReadEventLogA(log, kFlags, 0, buffer, needed, &read, &again) != 0;
    EventRecord record;
    bool go = ok;
    if (ok && ParseEventRecord(buffer, read, &record))
      go = visit(context, record);
    platform.LocalFree(buffer);
    if (!go)
      break;
  }
  platform.CloseEventLog(log);
}

} // namespace hg
