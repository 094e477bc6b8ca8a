// The one-second tick: the countdown of the allowance.
#include "accounting/Accountant.h"
#include "accounting/TimeText.h"
#include "store/ValueNames.h"

#include <algorithm>
#include <limits>

namespace hg {
namespace {
constexpr std::int32_t kRecountEvery = 600; // seconds of countdown
constexpr std::int32_t kFirstRecountTick = 30;
constexpr std::int32_t kGraceSeconds = 60;
} // namespace

void CAccountant::Tick() {
  std::int64_t now = m_platform.GetCurrentTime();
  std::int64_t sinceLastTick = m_noticeClock.Gap(now);
  std::int64_t t = AccountingNow();
  std::int32_t key = MakeDayKey(m_platform, t);
  if (m_laterDay != LaterDay::None) {
    // The calendar has caught up with the stored day: nothing to ask.
    if (key >= m_nLastDate && m_laterDay == LaterDay::Minute) {
      m_laterDay = LaterDay::None;
      m_noticeClock.EndLateMinute();
    } else {
      TickLaterDay(t, key, sinceLastTick);
      return;
    }
  }
  bool poweringOff = false;
  bool lateNewDay = false;
  if (key != m_nLastDate) {
    // A new accounting day while the PC is on (or the clock moved back a
    // day): the next start gets the full allowance, this one ends.
    m_nLastDate = key;
    m_nLimitTime = LimitOfDay(t); // the new day's weekday
    m_nLastTime = MinutesToSeconds(m_nLimitTime);
    WriteNumber(reg::kLastTime, m_nLastTime);
    m_nLastTimeAdjust = 0;
    WriteText(reg::kLastTimeAdjust, "");
    // Seen late (the PC slept past the day's end, or the clock jumped on):
    // a minute's countdown first, so that work can be saved.
    lateNewDay = IsLateTick(sinceLastTick);
    if (lateNewDay) {
      WriteNumber(reg::kLastDate, m_nLastDate);
      m_noticeClock.StartLateMinute();
    } else {
      m_noticeClock.EndLateMinute(); // an immediate power-off ends a late minute too
      ForceShutdown();
      poweringOff = true;
    }
  }
  char text[kTimeTextSize];
  FormatTimeText(m_platform, t, text);
  WriteText(reg::kEndTime, text);

  // While a late new day counts down, nothing of the new day is charged.
  const bool counting = !m_noticeClock.InLateMinute();
  if (counting || lateNewDay) {
    if (m_nLastTime > std::numeric_limits<std::int32_t>::min())
      --m_nLastTime;
    if (counting)
      TickBedtime(t, key, IsLateTick(sinceLastTick));
    // A late new day stores what its power-off will leave: a new day
    // without allowance (a limit of 0) as "0".
    WriteNumber(reg::kLastTime, counting ? m_nLastTime : std::max(m_nLastTime, 0));
  }
  if (counting && m_nLastTime < 0) {
    ForceShutdown();
    poweringOff = true;
  } else if (counting && m_nLastTime % kRecountEvery == 0) {
    RecountUsage();
  } else if (!counting && !lateNewDay && m_noticeClock.CountLateMinute(sinceLastTick)) {
    ForceShutdown();
    WriteNumber(reg::kLastTime, std::max(m_nLastTime, 0)); // the new day's allowance again
    poweringOff = true;
  }
  m_display.ShowRemaining(m_nLastTime);

  // The count never wraps: it only has to tell the 30th tick.
  if (counting && m_nTickCount != std::numeric_limits<std::int32_t>::max() &&
      ++m_nTickCount == kFirstRecountTick) {
    RecountUsage();
    if (m_nLastTime < kGraceSeconds)
      m_nLastTime = kGraceSeconds;
    WriteNumber(reg::kLastTime, m_nLastTime);
  }
  ShowDueNotice(t, key, poweringOff);
}

// The rule asked once a tick; the display shows its answer.
void CAccountant::ShowDueNotice(std::int64_t t, std::int32_t key, bool poweringOff) {
  NoticeInput in;
  in.remaining = m_nLastTime;
  in.tickCount = m_nTickCount;
  std::int64_t toDayEnd = SecondsToDayEnd(m_platform, t, key, m_dayEnd);
  in.toDayEnd = toDayEnd >= 0 ? toDayEnd : kNoPowerOff;
  in.toLatePowerOff = m_noticeClock.LateLeft();
  in.poweringOff = poweringOff;
  m_display.ShowNotice(DueNotice(in, m_noticeState));
}

} // namespace hg
