// What the service's control handler queues, answers or refuses, and the
// ring that carries the queued controls to the body's thread.
#include "service/win32/ControlRing.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(ControlRulesTest, TheAcceptedControlsGoToTheBody) {
  EXPECT_EQ(ClassifyControl(kControlStop), ControlAction::Queue);
  EXPECT_EQ(ClassifyControl(kControlShutdown), ControlAction::Queue);
  EXPECT_EQ(ClassifyControl(kControlPowerEvent), ControlAction::Queue);
  EXPECT_EQ(ClassifyControl(kControlSessionChange), ControlAction::Queue);
}

TEST(ControlRulesTest, InterrogateIsAnsweredByTheHandlerAlone) {
  EXPECT_EQ(ClassifyControl(kControlInterrogate), ControlAction::AnswerOnly);
}

// Any account that may query the service may send controls 128-255; the
// ones the service does not accept (pause, continue, parameter and time
// changes, preshutdown, ...) are refused too.
TEST(ControlRulesTest, UserControlsAndTheUnacceptedOnesAreRefused) {
  for (DWORD control = 128; control <= 255; ++control)
    EXPECT_EQ(ClassifyControl(control), ControlAction::NotAccepted) << control;
  for (DWORD control : {0x2u, 0x3u, 0x6u, 0x7u, 0x8u, 0x9u, 0xAu, 0xBu, 0xCu, 0xFu, 0x10u, 0x20u,
                        0x40u, 0x60u, 0x7Fu, 0x100u, 0xFFFFFFFFu})
    EXPECT_EQ(ClassifyControl(control), ControlAction::NotAccepted) << control;
}

TEST(ControlRulesTest, TheAcceptedSetIsWhatTheServiceReports) {
  // SERVICE_ACCEPT_STOP | SHUTDOWN | POWEREVENT | SESSIONCHANGE, no more.
  EXPECT_EQ(kControlsAccepted, 0xC5u);
}

TEST(ControlRingTest, ControlsComeOutInTheOrderTheyWentIn) {
  CControlRing<8> ring;
  EXPECT_TRUE(ring.Push({kControlSessionChange, kSessionLogon, 3}));
  EXPECT_TRUE(ring.Push({kControlPowerEvent, kPowerSuspend, 0}));
  EXPECT_TRUE(ring.Push({kControlStop, 0, 0}));
  ServiceControl c;
  ASSERT_TRUE(ring.Pop(&c));
  EXPECT_EQ(c.control, kControlSessionChange);
  EXPECT_EQ(c.eventType, kSessionLogon);
  EXPECT_EQ(c.sessionId, 3u);
  ASSERT_TRUE(ring.Pop(&c));
  EXPECT_EQ(c.control, kControlPowerEvent);
  EXPECT_EQ(c.eventType, kPowerSuspend);
  ASSERT_TRUE(ring.Pop(&c));
  EXPECT_EQ(c.control, kControlStop);
  EXPECT_FALSE(ring.Pop(&c));
  EXPECT_EQ(ring.Size(), 0u);
}

TEST(ControlRingTest, WrapsAroundItsEnd) {
  CControlRing<4> ring;
  ServiceControl c;
  for (DWORD round = 0; round < 10; ++round) {
    ASSERT_TRUE(ring.Push({kControlSessionChange, round, round + 100}));
    ASSERT_TRUE(ring.Push({kControlPowerEvent, round, 0}));
    ASSERT_TRUE(ring.Pop(&c));
    EXPECT_EQ(c.control, kControlSessionChange);
    EXPECT_EQ(c.sessionId, round + 100);
    ASSERT_TRUE(ring.Pop(&c));
    EXPECT_EQ(c.control, kControlPowerEvent);
    EXPECT_EQ(c.eventType, round);
  }
}

// A flood of session changes fills the ring up to the last two slots; a
// stop and a shutdown still get in, and nothing else does.
TEST(ControlRingTest, AFullRingStillTakesAStopAndAShutdown) {
  CControlRing<8> ring;
  int taken = 0;
  for (int i = 0; i < 20; ++i)
    taken += ring.Push({kControlSessionChange, kSessionUnlock, 1}) ? 1 : 0;
  EXPECT_EQ(taken, 6);
  EXPECT_FALSE(ring.Push({kControlPowerEvent, kPowerSuspend, 0}));
  EXPECT_TRUE(ring.Push({kControlShutdown, 0, 0}));
  EXPECT_TRUE(ring.Push({kControlStop, 0, 0}));
  EXPECT_FALSE(ring.Push({kControlStop, 0, 0}));
  EXPECT_EQ(ring.Size(), 8u);

  ServiceControl c;
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(ring.Pop(&c));
    EXPECT_EQ(c.control, kControlSessionChange);
  }
  ASSERT_TRUE(ring.Pop(&c));
  EXPECT_EQ(c.control, kControlShutdown);
  ASSERT_TRUE(ring.Pop(&c));
  EXPECT_EQ(c.control, kControlStop);
  // Room again for ordinary controls once the body has taken them.
  EXPECT_TRUE(ring.Push({kControlPowerEvent, kPowerResumeAutomatic, 0}));
}

} // namespace
} // namespace hg
