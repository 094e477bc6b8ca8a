// A later day than today was stored: the clock was set back after a day
// was counted, or a wrong date was once set. The PC stays on for a minute's
// countdown, in which a parent's password takes today as the day; without
// it the PC is powered off, and the later day stays stored for the next
// start to ask again.
#include "accounting/Accountant.h"
#include "accounting/TimeText.h"
#include "store/ValueNames.h"

namespace hg {

void CAccountant::TickLaterDay(std::int64_t t, std::int32_t key, std::int64_t gap) {
  (void)key;
  char text[kTimeTextSize];
  FormatTimeText(m_platform, t, text);
  WriteText(reg::kEndTime, text);

  Notice notice;
  if (m_laterDay == LaterDay::Minute && m_noticeClock.CountLateMinute(gap))
    Refuse(); // the minute is over without a password
  if (m_laterDay == LaterDay::Refused) {
    // Asked every tick until Windows ends the program.
    ForceShutdown();
    notice.countdown = 0;
  } else {
    notice.countdown = m_noticeClock.LateLeft();
    notice.laterDay = true;
  }
  m_display.ShowRemaining(m_nLastTime);
  m_display.ShowNotice(notice);
}

void CAccountant::AcceptToday() {
  if (m_laterDay != LaterDay::Minute)
    return;
  m_laterDay = LaterDay::None;
  m_noticeClock.EndLateMinute();
  // Today begins as a new day, but what the event log shows of today's use
  // is charged.
  std::int64_t t = AccountingNow();
  m_nLastDate = MakeDayKey(m_platform, t);
  m_nLastTimeAdjust = 0;
  WriteText(reg::kLastTimeAdjust, "");
  WriteNumber(reg::kLastDate, m_nLastDate);
  RecountUsage();
}

void CAccountant::RefuseToday() {
  if (m_laterDay != LaterDay::Minute)
    return;
  Refuse();
  ForceShutdown();
}

void CAccountant::Refuse() {
  m_laterDay = LaterDay::Refused;
  m_noticeClock.EndLateMinute();
  // The day counts as spent, as the "0" that ForceShutdown stores says.
  m_nLastTime = -1;
}

} // namespace hg
