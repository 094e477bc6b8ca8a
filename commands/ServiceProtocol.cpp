#include "commands/ServiceProtocol.h"

#include <cstring>

namespace hg {
namespace {
// Field offsets of the request.
constexpr std::size_t kReqMagic = 0, kReqVersion = 4, kReqKind = 6, kReqFlags = 8, kReqLimit = 12,
                      kReqAdjust = 16, kReqPassword = 20, kReqNewPassword = 52, kReqEnd = 84;
// And of the reply.
constexpr std::size_t kRepMagic = 0, kRepVersion = 4, kRepResult = 6, kRepFlags = 8, kRepError = 12,
                      kRepRemaining = 16, kRepLimit = 20, kRepAdjust = 24, kRepNotice = 28,
                      kRepBalloon = 32, kRepCountdown = 36, kRepLockout = 40, kRepUsage = 44,
                      kRepDate = 84, kRepEnd = 124;
static_assert(kReqEnd <= kRequestSize && kReqNewPassword + kWirePasswordSize == kReqEnd);
static_assert(kRepDate + 4 * kUsageDays == kRepEnd && kRepEnd <= kReplySize);

constexpr std::uint32_t kRequestFlagResetToday = 0x1;
constexpr std::uint32_t kReplyFlagsKnown = kReplyPasswordSet | kReplyPaused | kReplyCounting;
constexpr std::uint16_t kLastBalloon = 4; // Balloon::DaySpent

void Put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t Get16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t Get32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::int32_t GetInt(const std::uint8_t* at) {
  return static_cast<std::int32_t>(Get32(at));
}

// Copies a password text into its field: cut to leave room for the NUL.
void PutPassword(std::uint8_t* at, const char* text) {
  std::size_t n = strnlen(text, kWirePasswordSize - 1);
  std::memcpy(at, text, n);
}
// A field holds a NUL-terminated text with nothing but zeros after it.
bool GetPassword(const std::uint8_t* at, char (&out)[kWirePasswordSize]) {
  const void* end = std::memchr(at, 0, kWirePasswordSize);
  if (end == nullptr)
    return false;
  std::size_t n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - at);
  for (std::size_t i = n; i < kWirePasswordSize; ++i)
    if (at[i] != 0)
      return false;
  std::memcpy(out, at, kWirePasswordSize);
  return true;
}
bool Zero(const std::uint8_t* from, const std::uint8_t* to) {
  for (; from != to; ++from)
    if (*from != 0)
      return false;
  return true;
}
bool InMinutes(std::int32_t v) {
  return v >= 0 && v <= kMaxWireMinutes;
}
} // namespace

void EncodeRequest(const ServiceRequest& request, std::uint8_t (&out)[kRequestSize]) {
  std::memset(out, 0, sizeof out);
  Put32(out + kReqMagic, kRequestMagic);
  Put16(out + kReqVersion, kProtocolVersion);
  Put16(out + kReqKind, static_cast<std::uint16_t>(request.kind));
  Put32(out + kReqFlags, request.resetToday ? kRequestFlagResetToday : 0);
  Put32(out + kReqLimit, static_cast<std::uint32_t>(request.limitMinutes));
  Put32(out + kReqAdjust, static_cast<std::uint32_t>(request.adjustMinutes));
  PutPassword(out + kReqPassword, request.password);
  PutPassword(out + kReqNewPassword, request.newPassword);
}

bool DecodeRequest(const std::uint8_t* bytes, std::size_t size, ServiceRequest* request) {
  if (bytes == nullptr || size != kRequestSize)
    return false;
  if (Get32(bytes + kReqMagic) != kRequestMagic || Get16(bytes + kReqVersion) != kProtocolVersion)
    return false;
  const std::uint16_t kind = Get16(bytes + kReqKind);
  const std::uint32_t flags = Get32(bytes + kReqFlags);
  ServiceRequest r;
  if (kind < 1 || kind > kLastRequestKind || (flags & ~kRequestFlagResetToday) != 0)
    return false;
  r.kind = static_cast<RequestKind>(kind);
  r.resetToday = (flags & kRequestFlagResetToday) != 0;
  r.limitMinutes = GetInt(bytes + kReqLimit);
  r.adjustMinutes = GetInt(bytes + kReqAdjust);
  if (!InMinutes(r.limitMinutes) || !InMinutes(r.adjustMinutes))
    return false;
  if (!GetPassword(bytes + kReqPassword, r.password) ||
      !GetPassword(bytes + kReqNewPassword, r.newPassword))
    return false;
  if (!Zero(bytes + kReqEnd, bytes + kRequestSize))
    return false;
  *request = r;
  return true;
}

void EncodeReply(const ServiceReply& reply, std::uint8_t (&out)[kReplySize]) {
  std::memset(out, 0, sizeof out);
  Put32(out + kRepMagic, kReplyMagic);
  Put16(out + kRepVersion, kProtocolVersion);
  Put16(out + kRepResult, static_cast<std::uint16_t>(reply.result));
  Put32(out + kRepFlags, reply.flags);
  Put32(out + kRepError, reply.error);
  Put32(out + kRepRemaining, static_cast<std::uint32_t>(reply.remaining));
  Put32(out + kRepLimit, static_cast<std::uint32_t>(reply.limitMinutes));
  Put32(out + kRepAdjust, static_cast<std::uint32_t>(reply.adjustMinutes));
  Put32(out + kRepNotice, reply.noticeNumber);
  Put16(out + kRepBalloon, reply.balloon);
  Put32(out + kRepCountdown, static_cast<std::uint32_t>(reply.countdown));
  Put32(out + kRepLockout, static_cast<std::uint32_t>(reply.lockoutSeconds));
  for (int i = 0; i < kUsageDays; ++i) {
    Put32(out + kRepUsage + 4 * i, static_cast<std::uint32_t>(reply.usage[i]));
    Put32(out + kRepDate + 4 * i, static_cast<std::uint32_t>(reply.date[i]));
  }
}

bool DecodeReply(const std::uint8_t* bytes, std::size_t size, ServiceReply* reply) {
  if (bytes == nullptr || size != kReplySize)
    return false;
  if (Get32(bytes + kRepMagic) != kReplyMagic || Get16(bytes + kRepVersion) != kProtocolVersion)
    return false;
  ServiceReply r;
  const std::uint16_t result = Get16(bytes + kRepResult);
  r.flags = Get32(bytes + kRepFlags);
  r.balloon = Get16(bytes + kRepBalloon);
  if (result > kLastReplyResult || (r.flags & ~kReplyFlagsKnown) != 0 || r.balloon > kLastBalloon)
    return false;
  r.result = static_cast<ReplyResult>(result);
  r.error = Get32(bytes + kRepError);
  r.remaining = GetInt(bytes + kRepRemaining);
  r.limitMinutes = GetInt(bytes + kRepLimit);
  r.adjustMinutes = GetInt(bytes + kRepAdjust);
  r.noticeNumber = Get32(bytes + kRepNotice);
  r.countdown = GetInt(bytes + kRepCountdown);
  r.lockoutSeconds = GetInt(bytes + kRepLockout);
  if (!InMinutes(r.limitMinutes) || !InMinutes(r.adjustMinutes) || r.countdown < -1 ||
      r.lockoutSeconds < 0)
    return false;
  for (int i = 0; i < kUsageDays; ++i) {
    r.usage[i] = GetInt(bytes + kRepUsage + 4 * i);
    r.date[i] = GetInt(bytes + kRepDate + 4 * i);
    if (r.usage[i] < 0)
      return false;
  }
  if (!Zero(bytes + kRepEnd, bytes + kReplySize))
    return false;
  *reply = r;
  return true;
}

} // namespace hg
