// Start-up: the latest closed session in the log becomes a line of today's
// list, then the program's own start is stored as StartTime.
#include "accounting/Accountant.h"
#include "accounting/DayTotalLine.h"
#include "accounting/EventLogReader.h"
#include "accounting/TimeText.h"
#include "store/ValueNames.h"

namespace hg {

void CAccountant::RecordPreviousSession(std::int64_t t) {
  // Newest first: start records of the current run come before any end
  // record and are passed over; the oldest end record after the session's
  // start ends it.
  std::int64_t end = 0;
  std::int64_t start = 0;
  bool foundEnd = false;
  bool foundStart = false;
  ReadSystemLogBackwards(m_platform, [&](const EventRecord& record) {
    switch (ClassifyEvent(record)) {
    case EventKind::End:
      end = record.timeGenerated;
      foundEnd = true;
      return true;
    case EventKind::Start:
      if (!foundEnd)
        return true;
      start = record.timeGenerated;
      foundStart = true;
      return false;
    case EventKind::Other:
      return true;
    }
    return true;
  });
  char text[kTimeTextSize];
  if (foundEnd) {
    FormatTimeText(m_platform, end, text);
    WriteText(reg::kEndTime, text);
  }
  if (foundStart) {
    FormatTimeText(m_platform, start, text);
    WriteText(reg::kStartTime, text);
  }

  std::string dayTotal = ReadText(reg::kDayTotal);
  std::string startText = ReadText(reg::kStartTime);
  std::string endText = ReadText(reg::kEndTime);
  if (!startText.empty() && !endText.empty()) {
    LocalTm now;
    if (m_platform.GetLocalTm(t, &now))
      AppendDayTotalLine(m_platform, now.year, startText, endText, &dayTotal);
  }
  WriteText(reg::kDayTotal, dayTotal.c_str());

  FormatTimeText(m_platform, t, text);
  WriteText(reg::kStartTime, text);
}

} // namespace hg
