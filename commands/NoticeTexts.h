// The string-table text of each warning before a power-off, as the tray's
// balloons and the service's session messages show it.
#pragma once
#include "accounting/PowerOffNotice.h"
#include "res/resource.h"

namespace hg {

inline UINT BalloonText(Balloon balloon) {
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

} // namespace hg
