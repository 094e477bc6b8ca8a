// The service's guard on the parent's password. A child may send any
// number of guesses through the pipe, so: the comparison takes the same
// time whatever matches, one try two seconds after a wrong one on the same
// connection at the earliest, and ten
// wrong passwords in a row shut every try out for five minutes. Times are
// awake milliseconds, which no clock change moves.
#pragma once
#include <cstdint>
#include <string>

namespace hg {

inline constexpr std::int64_t kPasswordTryGapMs = 2000;
inline constexpr int kPasswordWrongLimit = 10;
inline constexpr std::int64_t kPasswordLockoutMs = 5 * 60 * 1000;
// A connection's time of its previous try before it made one.
inline constexpr std::int64_t kNeverTried = -kPasswordTryGapMs;

enum class PasswordVerdict { Right, Wrong, TooSoon, LockedOut };

class CPasswordGate {
public:
  // `typed` against the stored value (scrambled, as in the registry; empty:
  // no password, every try is right). `lastTryMs` is the connection's own
  // time of its previous try, updated here.
  PasswordVerdict Check(std::int64_t nowMs, std::int64_t& lastTryMs, const char* typed,
                        const std::string& stored);
  // Milliseconds the lockout still lasts; 0 when none.
  std::int64_t LockoutLeftMs(std::int64_t nowMs) const;

private:
  int m_nWrong = 0;
  std::int64_t m_nLockedUntilMs = 0;
  bool m_bLocked = false;
};

// Equal texts, compared over a fixed length so the time taken says nothing
// of where they differ.
bool SamePassword(const char* a, const char* b);

} // namespace hg
