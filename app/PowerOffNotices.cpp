// The main window's side of the notices before a power-off: it asks the
// rule once a tick and shows the answer as a balloon and the countdown.
#include "accounting/PowerOffNotice.h"
#include "app/LimitWnd.h"
#include "res/resource.h"

namespace hg {
namespace {
UINT BalloonText(Balloon balloon) {
  switch (balloon) {
  case Balloon::TenMinutes:
    return IDS_NOTICE_10MIN;
  case Balloon::FiveMinutes:
    return IDS_NOTICE_5MIN;
  case Balloon::OneMinute:
    return IDS_NOTICE_1MIN;
  case Balloon::DaySpent:
    return IDS_NOTICE_DAY_SPENT;
  case Balloon::None:
    break;
  }
  return 0;
}
} // namespace

void CLimitWnd::ShowDueNotice(std::int64_t t, std::int32_t key, bool poweringOff) {
  NoticeInput in;
  in.remaining = m_nLastTime;
  in.tickCount = m_nTickCount;
  std::int64_t toDayEnd = SecondsToDayEnd(m_platform, t, key, m_dayEnd);
  in.toDayEnd = toDayEnd >= 0 ? toDayEnd : kNoPowerOff;
  in.toLatePowerOff = m_noticeClock.LateLeft();
  in.poweringOff = poweringOff;
  Notice notice = DueNotice(in, m_noticeState);
  if (notice.balloon != Balloon::None)
    ShowBalloon(BalloonText(notice.balloon));
  m_wndNotice.ShowCountdown(notice.countdown);
}

} // namespace hg
