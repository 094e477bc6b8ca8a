#include "service/PasswordGate.h"

#include "commands/Scramble.h"
#include "commands/ServiceProtocol.h"

#include <cstring>

namespace hg {

bool SamePassword(const char* a, const char* b) {
  unsigned char diff = 0;
  bool aEnded = false;
  bool bEnded = false;
  for (std::size_t i = 0; i < kWirePasswordSize; ++i) {
    const unsigned char ca = aEnded ? 0 : static_cast<unsigned char>(a[i]);
    const unsigned char cb = bEnded ? 0 : static_cast<unsigned char>(b[i]);
    diff = static_cast<unsigned char>(diff | (ca ^ cb));
    aEnded = aEnded || ca == 0;
    bEnded = bEnded || cb == 0;
  }
  // Texts longer than a field differ from any typed one.
  return diff == 0 && aEnded && bEnded;
}

std::int64_t CPasswordGate::LockoutLeftMs(std::int64_t nowMs) const {
  return m_bLocked && nowMs < m_nLockedUntilMs ? m_nLockedUntilMs - nowMs : 0;
}

PasswordVerdict CPasswordGate::Check(std::int64_t nowMs, std::int64_t& lastTryMs, const char* typed,
                                     const std::string& stored) {
  if (stored.empty())
    return PasswordVerdict::Right;
  if (LockoutLeftMs(nowMs) > 0)
    return PasswordVerdict::LockedOut;
  if (m_bLocked) {
    m_bLocked = false;
    m_nWrong = 0;
  }
  if (nowMs - lastTryMs < kPasswordTryGapMs)
    return PasswordVerdict::TooSoon;
  // As the tray's own check reads it: the stored value cut to the 19 bytes
  // of its buffer, then unscrambled.
  char plain[kWirePasswordSize] = {};
  std::string unscrambled = ScramblePassword(stored.substr(0, 19));
  std::strncpy(plain, unscrambled.c_str(), sizeof plain - 1);
  if (SamePassword(typed, plain)) {
    m_nWrong = 0;
    return PasswordVerdict::Right;
  }
  // Only a wrong try holds the next one back: the check dialog's right
  // password is followed at once by the command that carries it.
  lastTryMs = nowMs;
  if (++m_nWrong >= kPasswordWrongLimit) {
    m_bLocked = true;
    m_nLockedUntilMs = nowMs + kPasswordLockoutMs;
  }
  return PasswordVerdict::Wrong;
}

} // namespace hg
