// The engine alone on the simulated Windows: no window, no tray, a display
// and a power-off that only record what they were handed, in order with
// the engine's writes of the program key.
#include "accounting/Accountant.h"
#include "EngineRecorder.h"
#include "ProgramHarness.h"
#include "platform/sim/SimPlatform.h"
#include "store/ValueNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hg::test {
namespace {

class AccountantTest : public ::testing::Test {
protected:
  sim::SimPlatform platform;
  Recorder recorder{platform};
  CAccountant accountant{platform, recorder, recorder};

  void SetUp() override {
    platform.SetTimeZone("Asia/Tokyo");
    platform.SetTime(platform.LocalTime(2024, 1, 5, 9, 0));
  }
  void Set(const char* name, const std::string& text) {
    platform.SetRegText(reg::kProgramKey, name, text);
  }
  // Seconds of the countdown: the clock moves on, the engine ticks.
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      platform.SetTime(platform.Now() + 1);
      accountant.Tick();
    }
  }
  std::vector<std::string> EventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& e : recorder.events)
      if (e.rfind(prefix, 0) == 0)
        found.push_back(e);
    return found;
  }
};

TEST_F(AccountantTest, SpentDayStoresTheDayAsSpentBeforeEveryPowerOffRequest) {
  Set("LimitTime", "0");
  Set("LastDate", "752964"); // 2024-01-05
  Set("LastTime", "0");
  accountant.Start();
  EXPECT_EQ(accountant.LastTime(), 60) << "the start-up grace";
  Ticks(90);
  EXPECT_TRUE(EventsStartingWith("power-off").empty());
  Ticks(1);
  // The 30th tick lifts the spent time back to a minute: the minute after
  // it runs out on the 91st.
  EXPECT_EQ(EventsStartingWith("power-off"),
            (std::vector<std::string>{"power-off after LastTime=0"}));
  EXPECT_EQ(platform.RegText(reg::kProgramKey, "LastDate"), "752964");
  Ticks(1);
  EXPECT_EQ(EventsStartingWith("power-off").size(), 2u) << "asked again while spent";
  EXPECT_TRUE(platform.PowerOffRequests().empty()) << "the engine calls only its power-off";
}

TEST_F(AccountantTest, RecountShowsTheUsageThenTheRemainingTime) {
  Set("LimitTime", "60");
  Set("LastDate", "752964");
  std::int64_t now = platform.Now();
  platform.SetEventLog({Start(now - 1800), Stop(now - 86400 + 600), Start(now - 86400)});
  accountant.Start();
  recorder.events.clear();
  accountant.RecountUsage();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"usage 5:1800 4:600", "remaining 1800"}));
  EXPECT_EQ(platform.RegText(reg::kProgramKey, "LastTime"), "1800");
}

TEST_F(AccountantTest, TenMinuteMarkShowsItsNoticeOnce) {
  Set("LimitTime", "11");
  Set("LastDate", "752964");
  Set("LastTime", "660");
  platform.SetEventLog({Start(platform.Now())});
  accountant.Start();
  Ticks(60);
  EXPECT_TRUE(EventsStartingWith("notice").empty());
  EXPECT_EQ(accountant.LastTime(), 600) << "ten minutes from the power-off after the next tick";
  Ticks(1);
  EXPECT_EQ(EventsStartingWith("notice"), (std::vector<std::string>{"notice 1 -1"}));
  EXPECT_EQ(recorder.events.back(), "notice 1 -1") << "after the tick's remaining time";
  Ticks(60);
  EXPECT_EQ(EventsStartingWith("notice").size(), 1u);
}

} // namespace
} // namespace hg::test
