// The one-second tick: the countdown of the allowance.
#include "accounting/AccountingTime.h"
#include "accounting/TimeText.h"
#include "app/LimitWnd.h"
#include "store/ValueNames.h"

#include <limits>

namespace hg {
namespace {
constexpr std::int32_t kRecountEvery = 600; // seconds of countdown
constexpr std::int32_t kFirstRecountTick = 30;
constexpr std::int32_t kGraceSeconds = 60;
} // namespace

void CLimitWnd::OnTimer(UINT nIDEvent) {
  if (nIDEvent == kTickTimerId) {
    InvalidateRect(nullptr, FALSE);
    std::int64_t t = AccountingNow();
    std::int32_t key = MakeDayKey(m_platform, t);
    if (key != m_nLastDate) {
      // A new accounting day while the PC is on (or the clock moved back a
      // day): the next start gets the full allowance, this one ends.
      m_nLastDate = key;
      m_nLastTime = MinutesToSeconds(m_nLimitTime);
      WriteNumber(reg::kLastTime, m_nLastTime);
      m_nLastTimeAdjust = 0;
      WriteRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kLastTimeAdjust, "");
      ForceShutdown();
    }
    char text[kTimeTextSize];
    FormatTimeText(m_platform, t, text);
    WriteRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kEndTime, text);

    if (m_nLastTime > std::numeric_limits<std::int32_t>::min())
      --m_nLastTime;
    WriteNumber(reg::kLastTime, m_nLastTime);
    if (m_nLastTime < 0)
      ForceShutdown();
    else if (m_nLastTime % kRecountEvery == 0)
      RecountUsage();
    RefreshTooltip();

    // The count never wraps: it only has to tell the 30th tick.
    if (m_nTickCount != std::numeric_limits<std::int32_t>::max() &&
        ++m_nTickCount == kFirstRecountTick) {
      RecountUsage();
      if (m_nLastTime < kGraceSeconds)
        m_nLastTime = kGraceSeconds;
      WriteNumber(reg::kLastTime, m_nLastTime);
    }
  }
  CWnd::OnTimer(nIDEvent);
}

} // namespace hg
