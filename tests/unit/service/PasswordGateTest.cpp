// The service's password rule: right and wrong, no try within two seconds
// of a wrong one on the same connection, and the lockout after ten wrong
// ones.
#include "service/PasswordGate.h"
#include "commands/Scramble.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

const std::string kStored = ScramblePassword("secret");

TEST(PasswordGateTest, RightAndWrongAndNoPasswordAtAll) {
  CPasswordGate gate;
  std::int64_t last = kNeverTried;
  EXPECT_EQ(gate.Check(0, last, "secret", kStored), PasswordVerdict::Right);
  EXPECT_EQ(gate.Check(2000, last, "secre", kStored), PasswordVerdict::Wrong);
  EXPECT_EQ(gate.Check(4000, last, "secrets", kStored), PasswordVerdict::Wrong);
  EXPECT_EQ(gate.Check(6000, last, "", kStored), PasswordVerdict::Wrong);
  EXPECT_EQ(gate.Check(6000, last, "anything", ""), PasswordVerdict::Right) << "none is set";
}

TEST(PasswordGateTest, NoTryWithinTwoSecondsOfAWrongOneOnTheSameConnection) {
  CPasswordGate gate;
  std::int64_t first = kNeverTried;
  std::int64_t second = kNeverTried;
  EXPECT_EQ(gate.Check(1000, first, "guess", kStored), PasswordVerdict::Wrong);
  EXPECT_EQ(gate.Check(2999, first, "secret", kStored), PasswordVerdict::TooSoon)
      << "not even the right one is looked at";
  EXPECT_EQ(gate.Check(2999, second, "secret", kStored), PasswordVerdict::Right);
  EXPECT_EQ(gate.Check(3000, first, "secret", kStored), PasswordVerdict::Right);
  EXPECT_EQ(gate.Check(3001, first, "secret", kStored), PasswordVerdict::Right)
      << "the command right after the check dialog";
}

TEST(PasswordGateTest, TenWrongShutEveryConnectionOutForFiveMinutes) {
  CPasswordGate gate;
  std::int64_t t = 0;
  for (int i = 0; i < 10; ++i) {
    std::int64_t fresh = kNeverTried; // a new connection for every guess
    EXPECT_EQ(gate.Check(t, fresh, "guess", kStored), PasswordVerdict::Wrong);
    t += 100;
  }
  std::int64_t other = kNeverTried;
  EXPECT_EQ(gate.Check(t, other, "secret", kStored), PasswordVerdict::LockedOut);
  EXPECT_EQ(gate.LockoutLeftMs(t), kPasswordLockoutMs - 100);
  const std::int64_t over = 900 + kPasswordLockoutMs;
  EXPECT_EQ(gate.Check(over, other, "secret", kStored), PasswordVerdict::Right);
  EXPECT_EQ(gate.LockoutLeftMs(over), 0);
}

TEST(PasswordGateTest, RightPasswordClearsTheCountOfWrongOnes) {
  CPasswordGate gate;
  std::int64_t t = 0;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 9; ++i) {
      std::int64_t c = kNeverTried;
      EXPECT_EQ(gate.Check(t += 10, c, "guess", kStored), PasswordVerdict::Wrong);
    }
    std::int64_t c = kNeverTried;
    EXPECT_EQ(gate.Check(t += 10, c, "secret", kStored), PasswordVerdict::Right);
  }
}

TEST(PasswordGateTest, ComparisonCoversTheWholeTextOnly) {
  EXPECT_TRUE(SamePassword("abc", "abc"));
  EXPECT_FALSE(SamePassword("abc", "abd"));
  EXPECT_FALSE(SamePassword("abc", "abc "));
  EXPECT_TRUE(SamePassword("", ""));
  const char longer[] = "0123456789012345678901234567890123"; // past a field
  EXPECT_FALSE(SamePassword(longer, longer));
}

} // namespace
} // namespace hg
