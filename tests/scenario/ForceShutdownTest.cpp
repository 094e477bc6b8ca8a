// The forced power-off as Windows answers it: the privilege enabled and the
// power-off granted, or any step refused, when the session is ended instead.
#include "AccountantTestAccess.h"
#include "ProgramHarness.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

constexpr UINT kPowerOff = EWX_POWEROFF | EWX_FORCE | EWX_FORCEIFHUNG;
constexpr UINT kLogoff = EWX_LOGOFF | EWX_FORCE;
constexpr DWORD kPlanned =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

class ForceShutdownTest : public ::testing::Test {
protected:
  Program p;
  // Started on a spent day; the first tick goes below zero.
  void StartSpent() {
    p.At(2024, 1, 5, 9, 0);
    p.Set("LastDate", "752964");
    p.Set("LastTime", "0");
    p.Start();
    AccountantTestAccess::SetLastTime(p.wnd->m_accountant, 0);
    p.platform.ClearRegJournal();
  }
  std::vector<UINT> Flags() const {
    std::vector<UINT> flags;
    for (const sim::PowerOffRequest& r : p.platform.PowerOffRequests())
      flags.push_back(r.flags);
    return flags;
  }
  // What every refusal must leave as it was: the stored day, the spent
  // allowance, the program running, every token closed.
  void ExpectStateAsBefore() {
    EXPECT_EQ(p.ProgramWrites(), (std::vector<std::string>{"EndTime=01/05 09:00:01", "LastTime=-1",
                                                           "LastDate=752964", "LastTime=0"}));
    EXPECT_EQ(p.Get("LastDate"), "752964");
    EXPECT_EQ(p.Get("LastTime"), "0");
    EXPECT_TRUE(p.Alive());
    EXPECT_EQ(p.platform.OpenTokens(), 0);
  }
};

TEST_F(ForceShutdownTest, GrantedPowerOffIsOnePlannedRequestAndNoLogoff) {
  StartSpent();
  p.Tick();
  EXPECT_EQ(Flags(), (std::vector<UINT>{kPowerOff}));
  EXPECT_EQ(p.platform.PowerOffRequests()[0].reason, kPlanned);
  EXPECT_TRUE(p.platform.PowerOffRequests()[0].granted);
  EXPECT_TRUE(p.platform.ShutdownPrivilegeEnabled());
  ExpectStateAsBefore();
}

TEST_F(ForceShutdownTest, RefusedTokenEndsTheSessionWithoutAskingForThePowerOff) {
  p.platform.RefuseProcessToken();
  StartSpent();
  p.Tick();
  EXPECT_EQ(Flags(), (std::vector<UINT>{kLogoff}));
  EXPECT_EQ(p.platform.PowerOffRequests()[0].reason, kPlanned);
  EXPECT_TRUE(p.platform.PrivilegeAdjustments().empty()) << "no token, nothing to adjust";
  ExpectStateAsBefore();
}

// The usual answer for an account without the privilege: the call succeeds
// and says ERROR_NOT_ALL_ASSIGNED.
TEST_F(ForceShutdownTest, PrivilegeNotHeldEndsTheSessionWithoutAskingForThePowerOff) {
  p.platform.RefusePrivilege();
  StartSpent();
  p.Tick();
  EXPECT_EQ(Flags(), (std::vector<UINT>{kLogoff}));
  ASSERT_EQ(p.platform.PrivilegeAdjustments().size(), 1u);
  EXPECT_EQ(p.platform.PrivilegeAdjustments()[0].privilege, "SeShutdownPrivilege");
  EXPECT_FALSE(p.platform.ShutdownPrivilegeEnabled());
  ExpectStateAsBefore();
}

TEST_F(ForceShutdownTest, FailedPrivilegeAdjustmentEndsTheSession) {
  p.platform.FailPrivilegeAdjustment();
  StartSpent();
  p.Tick();
  EXPECT_EQ(Flags(), (std::vector<UINT>{kLogoff}));
  ExpectStateAsBefore();
}

TEST_F(ForceShutdownTest, RefusedPowerOffIsFollowedByOneLogoff) {
  p.platform.RefusePowerOff();
  StartSpent();
  p.Tick();
  EXPECT_EQ(Flags(), (std::vector<UINT>{kPowerOff, kLogoff}));
  EXPECT_FALSE(p.platform.PowerOffRequests()[0].granted);
  EXPECT_TRUE(p.platform.PowerOffRequests()[1].granted);
  ExpectStateAsBefore();
}

TEST_F(ForceShutdownTest, EveryTickBelowZeroAsksAgain) {
  p.platform.RefusePowerOff();
  StartSpent();
  p.Tick(3);
  EXPECT_EQ(Flags(),
            (std::vector<UINT>{kPowerOff, kLogoff, kPowerOff, kLogoff, kPowerOff, kLogoff}));
  EXPECT_TRUE(p.Alive());
  EXPECT_EQ(p.platform.OpenTokens(), 0);
}

TEST_F(ForceShutdownTest, RefusedAccessEndsTheSessionToo) {
  p.platform.RefusePowerOff(true, ERROR_ACCESS_DENIED);
  StartSpent();
  p.Tick();
  EXPECT_EQ(Flags(), (std::vector<UINT>{kPowerOff, kLogoff}));
}

// A power-off that fails for another reason is not turned into a logoff:
// it is asked again on the next tick.
TEST_F(ForceShutdownTest, OtherFailuresAreAskedAgainWithoutALogoff) {
  for (DWORD error : {DWORD{ERROR_SHUTDOWN_IN_PROGRESS}, DWORD{ERROR_NOT_READY}, DWORD{1}}) {
    Program q;
    q.At(2024, 1, 5, 9, 0);
    q.Set("LastDate", "752964");
    q.Set("LastTime", "0");
    q.platform.RefusePowerOff(true, error);
    q.Start();
    AccountantTestAccess::SetLastTime(q.wnd->m_accountant, 0);
    q.Tick(3);
    EXPECT_EQ(q.PowerOffs(), 3u) << error;
    EXPECT_EQ(q.Logoffs(), 0u) << error;
    EXPECT_EQ(q.Get("LastTime"), "0");
    EXPECT_TRUE(q.Alive());
  }
}

} // namespace
} // namespace hg::test
