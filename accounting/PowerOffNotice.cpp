#include "accounting/PowerOffNotice.h"

#include <algorithm>

namespace hg {
namespace {
constexpr std::int32_t kFirstRecountTick = 30;
constexpr std::int32_t kGraceSeconds = 60;
// Balloons in the order of the thresholds of NoticeState::warned.
constexpr std::int64_t kThresholds[3] = {600, 300, 60};
constexpr Balloon kThresholdBalloons[3] = {Balloon::TenMinutes, Balloon::FiveMinutes,
                                           Balloon::OneMinute};
} // namespace

std::int64_t SecondsToAllowanceEnd(std::int32_t remaining, std::int32_t tickCount) {
  if (remaining < 0)
    return 0; // the power-off is under way
  std::int64_t left = std::int64_t{remaining} + 1;
  if (tickCount < kFirstRecountTick) {
    std::int64_t toFloor = kFirstRecountTick - tickCount;
    std::int64_t atFloorTick = std::int64_t{remaining} - toFloor;
    left = toFloor + std::max<std::int64_t>(kGraceSeconds, atFloorTick) + 1;
  }
  return left;
}

std::int64_t SecondsToPowerOff(const NoticeInput& in) {
  if (in.poweringOff)
    return 0;
  std::int64_t left = SecondsToAllowanceEnd(in.remaining, in.tickCount);
  left = std::min(left, std::max<std::int64_t>(in.toDayEnd, 0));
  left = std::min(left, std::max<std::int64_t>(in.toLatePowerOff, 0));
  return left;
}

bool IsLateTick(std::int64_t sinceLastTick) {
  return sinceLastTick > kLateTickSeconds;
}

std::int64_t NoticeClock::Gap(std::int64_t now) {
  std::int64_t gap = m_nPrevTick != 0 ? now - m_nPrevTick : 0;
  m_nPrevTick = now;
  return gap;
}

bool NoticeClock::CountLateMinute(std::int64_t gap) {
  m_nLateLeft -= std::max<std::int64_t>(gap, 1);
  if (m_nLateLeft > 0)
    return false;
  m_nLateLeft = 0;
  return true;
}

Notice DueNotice(const NoticeInput& in, NoticeState& state) {
  Notice notice;
  std::int64_t left = SecondsToPowerOff(in);

  // More time than at the previous tick (a raised limit, a reset, a recount
  // that gave time back): the thresholds above it may warn again.
  if (left > state.lastLeft)
    for (int i = 0; i < 3; ++i)
      if (left > kThresholds[i])
        state.warned[i] = false;

  if (in.tickCount == 1 && left <= kGraceSeconds + kFirstRecountTick &&
      in.toLatePowerOff == kNoPowerOff && left == SecondsToAllowanceEnd(in.remaining, 1)) {
    // A start on a spent day: one balloon says so; the countdown follows.
    notice.balloon = Balloon::DaySpent;
    for (bool& warned : state.warned)
      warned = true;
  } else {
    // The smallest threshold reached gives the text; the larger ones are
    // then passed too, so they do not follow.
    for (int i = 2; i >= 0; --i) {
      if (left <= kThresholds[i] && !state.warned[i]) {
        notice.balloon = kThresholdBalloons[i];
        for (int j = 0; j <= i; ++j)
          state.warned[j] = true;
        break;
      }
    }
  }
  state.lastLeft = left;
  if (left <= kCountdownSeconds)
    notice.countdown = left;
  return notice;
}

} // namespace hg
