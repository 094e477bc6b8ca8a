// Which notice is due before a forced power-off: the balloons at 10, 5 and
// 1 minute, the balloon of a start on a spent day, and the last-minute
// countdown window. A pure rule over plain numbers; the main window asks it
// once a tick and shows the answer.
#pragma once
#include <cstdint>
#include <limits>

namespace hg {

enum class Balloon { None, TenMinutes, FiveMinutes, OneMinute, DaySpent };

// A tick this long after the previous one means the PC slept or the clock
// jumped forward: a new day seen on such a tick is powered off only after
// the countdown of kLateNewDayNotice seconds.
inline constexpr std::int64_t kLateTickSeconds = 5;
inline constexpr std::int64_t kLateNewDayNotice = 60;
// The countdown window shows the last minute.
inline constexpr std::int64_t kCountdownSeconds = 60;
inline constexpr std::int64_t kNoPowerOff = std::numeric_limits<std::int64_t>::max();

struct NoticeInput {
  std::int32_t remaining = 0;                // remaining seconds after this tick's countdown
  std::int32_t tickCount = 0;                // ticks since the start, this one included
  std::int64_t toDayEnd = kNoPowerOff;       // seconds until a tick sees the next accounting day
  std::int64_t toLatePowerOff = kNoPowerOff; // seconds left of a late new day's countdown
  bool poweringOff = false;                  // this tick requested the power-off
};

// What was shown: each threshold warns once until the time goes up again.
struct NoticeState {
  std::int64_t lastLeft = kNoPowerOff; // seconds to the power-off at the previous tick
  bool warned[3] = {};                 // 10, 5 and 1 minute
};

struct Notice {
  Balloon balloon = Balloon::None;
  std::int64_t countdown = -1; // seconds for the countdown window; -1: no window
  // The countdown is the minute of a later stored day: a parent's password
  // keeps the PC on (CAccountant::AcceptToday).
  bool laterDay = false;
};

// Seconds from this tick to the tick that powers off for the spent
// allowance. During the start-up grace the 30th tick lifts the remaining
// time back to 60 seconds, so on a spent day that tick is 90 seconds away
// from the first.
std::int64_t SecondsToAllowanceEnd(std::int32_t remaining, std::int32_t tickCount);

// The earliest power-off that can be foreseen now.
std::int64_t SecondsToPowerOff(const NoticeInput& in);

// Whether a tick `sinceLastTick` seconds after the previous one is late.
bool IsLateTick(std::int64_t sinceLastTick);

// The tick's own clock: the gap since the previous tick, and the minute a
// new day seen late gets before its power-off. The minute is counted by the
// ticks' gaps, so a clock set back during it cannot stretch it.
class NoticeClock {
public:
  // Seconds since the previous tick (0 for the first one); remembers `now`.
  std::int64_t Gap(std::int64_t now);
  void StartLateMinute() { m_nLateLeft = kLateNewDayNotice; }
  void EndLateMinute() { m_nLateLeft = 0; }
  bool InLateMinute() const { return m_nLateLeft != 0; }
  // Seconds left of the late minute; kNoPowerOff outside it.
  std::int64_t LateLeft() const { return m_nLateLeft != 0 ? m_nLateLeft : kNoPowerOff; }
  // Counts a tick `gap` seconds long (at least one) of the late minute;
  // true, and the minute over, once it has run out.
  bool CountLateMinute(std::int64_t gap);

private:
  std::int64_t m_nPrevTick = 0;
  std::int64_t m_nLateLeft = 0;
};

Notice DueNotice(const NoticeInput& in, NoticeState& state);

} // namespace hg
