// What the service's accounting shows: kept for the tray programs, which
// ask for it over the pipe once a second. Each notice that carries a
// balloon gets the next number, so a tray shows each balloon once however
// often it asks.
#pragma once
#include "accounting/AccountingDisplay.h"

#include <cstdint>

namespace hg {

class CServiceDisplay : public AccountingDisplay {
public:
  void ShowRemaining(std::int32_t seconds) override { m_nRemaining = seconds; }
  void ShowUsage(const DayTable& days, const std::int32_t (&seconds)[kUsageDays]) override {
    for (int i = 0; i < kUsageDays; ++i) {
      m_nUsage[i] = seconds[i];
      m_nDate[i] = days.date[i];
    }
  }
  void ShowNotice(const Notice& notice) override {
    m_nCountdown = notice.countdown;
    m_bLaterDay = notice.laterDay;
    if (notice.balloon != Balloon::None) {
      m_balloon = notice.balloon;
      ++m_nNoticeNumber;
    }
  }

  std::int32_t m_nRemaining = 0;
  std::int32_t m_nUsage[kUsageDays] = {};
  std::int32_t m_nDate[kUsageDays] = {};
  std::int64_t m_nCountdown = -1;
  // The countdown is the later stored day's minute, which a parent's
  // password can end.
  bool m_bLaterDay = false;
  Balloon m_balloon = Balloon::None;
  std::uint32_t m_nNoticeNumber = 0;
};

} // namespace hg
