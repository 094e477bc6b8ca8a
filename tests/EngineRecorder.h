// A display and a power-off for the engine alone that only record what
// they were handed, in order with the engine's writes of the program key.
#pragma once
#include "accounting/AccountingDisplay.h"
#include "accounting/PowerOff.h"
#include "platform/sim/SimPlatform.h"

#include <string>
#include <vector>

namespace hg::test {

class Recorder : public AccountingDisplay, public PowerOff {
public:
  explicit Recorder(sim::SimPlatform& platform) : m_platform(platform) {}
  std::vector<std::string> events;
  Notice lastNotice;

  void Request() override { events.push_back("power-off after " + LastWrite()); }
  void ShowRemaining(std::int32_t seconds) override {
    events.push_back("remaining " + std::to_string(seconds));
  }
  void ShowUsage(const DayTable& days, const std::int32_t (&seconds)[kUsageDays]) override {
    events.push_back("usage " + std::to_string(days.dayOfMonth[0]) + ":" +
                     std::to_string(seconds[0]) + " " + std::to_string(days.dayOfMonth[1]) + ":" +
                     std::to_string(seconds[1]));
  }
  void ShowNotice(const Notice& notice) override {
    if (notice.balloon != Balloon::None || notice.countdown >= 0)
      events.push_back("notice " + std::to_string(static_cast<int>(notice.balloon)) + " " +
                       std::to_string(notice.countdown) + (notice.laterDay ? " later-day" : ""));
    lastNotice = notice;
  }

private:
  std::string LastWrite() const {
    std::vector<sim::RegAccess> writes = m_platform.RegWrites();
    return writes.empty() ? std::string("nothing") : writes.back().name + "=" + writes.back().data;
  }
  sim::SimPlatform& m_platform;
};

} // namespace hg::test
