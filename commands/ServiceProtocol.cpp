#include "commands/ServiceProtocol.h"

#include <cstring>

namespace hg {
namespace {
// Field offsets of the request.
constexpr std::size_t kReqMagic = 0, kReqVersion = 4, kReqKind = 6, kReqFlags = 8, kReqLimit = 12,
                      kReqAdjust = 16, kReqPassword = 20, kReqNewPassword = 52,
                      kReqWeekdayLimits = 84, kReqBedtime = 112, kReqExtra = 116, kReqEnd = 120;
static_assert(kReqNewPassword + kWirePasswordSize == kReqWeekdayLimits);
static_assert(kReqWeekdayLimits + 4 * kWeekdays == kReqBedtime && kReqEnd <= kRequestSize);

// And of the reply: the status, the settings as stored, then the history.
constexpr std::size_t kRepMagic = 0, kRepVersion = 4, kRepResult = 6, kRepFlags = 8, kRepError = 12,
                      kRepRemaining = 16, kRepLimit = 20, kRepAdjust = 24, kRepNotice = 28,
                      kRepBalloon = 32, kRepBalloonEnd = 34, kRepCountdown = 36, kRepLockout = 40,
                      kRepUsage = 44, kRepDate = 84, kRepEveryDayLimit = 124, kRepCredit = 128,
                      kRepWeekdayLimits = 132, kRepBedtime = 160, kRepHistory = 164;
// The history's own fields, from kRepHistory.
constexpr std::size_t kHisUsage = 0, kHisDate = 40, kHisWeekday = 80, kHisLimit = 120,
                      kHisRemaining = 160, kHisToday = 164,
                      kHisYesterday = kHisToday + kSessionListSize,
                      kHisEnd = kHisYesterday + kSessionListSize;
constexpr std::size_t kRepEnd = kRepHistory + kHisEnd;
static_assert(kRepDate + 4 * kUsageDays == kRepEveryDayLimit);
static_assert(kRepWeekdayLimits + 4 * kWeekdays == kRepBedtime);
static_assert(kHisDate == 4 * kUsageDays && kHisRemaining == 16 * kUsageDays);
static_assert(kRepEnd <= kReplySize);

constexpr std::uint32_t kRequestFlagResetToday = 0x1;
constexpr std::uint32_t kReplyFlagsKnown =
    kReplyPasswordSet | kReplyPaused | kReplyCounting | kReplyLaterDay;
constexpr std::uint16_t kLastBalloon = 4; // Balloon::DaySpent

void Put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutInt(std::uint8_t* at, std::int32_t v) {
  Put32(at, static_cast<std::uint32_t>(v));
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

// Copies a text into its field: cut to leave room for the NUL, zeros after.
template <std::size_t N> void PutText(std::uint8_t* at, const char (&text)[N]) {
  std::memcpy(at, text, strnlen(text, N - 1));
}
// A field holds a NUL-terminated text with nothing but zeros after it.
template <std::size_t N> bool GetText(const std::uint8_t* at, char (&out)[N]) {
  const void* end = std::memchr(at, 0, N);
  if (end == nullptr)
    return false;
  std::size_t n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - at);
  for (std::size_t i = n; i < N; ++i)
    if (at[i] != 0)
      return false;
  std::memcpy(out, at, N);
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

void PutRules(std::uint8_t* limits, std::uint8_t* bedtime, const DayRules& rules) {
  for (int i = 0; i < kWeekdays; ++i)
    PutInt(limits + 4 * i, rules.weekdayLimit[i]);
  PutInt(bedtime, rules.bedtime);
}
// Each weekday's limit none or in minutes, the bedtime none or a minute of
// the day.
bool GetRules(const std::uint8_t* limits, const std::uint8_t* bedtime, DayRules* rules) {
  for (int i = 0; i < kWeekdays; ++i) {
    rules->weekdayLimit[i] = GetInt(limits + 4 * i);
    if (rules->weekdayLimit[i] != kNoDayLimit && !InMinutes(rules->weekdayLimit[i]))
      return false;
  }
  rules->bedtime = GetInt(bedtime);
  return rules->bedtime == kNoBedtime || (rules->bedtime >= 0 && rules->bedtime < kMinutesPerDay);
}

void PutHistory(std::uint8_t* at, const UsageHistory& h) {
  for (int i = 0; i < kUsageDays; ++i) {
    PutInt(at + kHisUsage + 4 * i, h.usage[i]);
    PutInt(at + kHisDate + 4 * i, h.date[i]);
    PutInt(at + kHisWeekday + 4 * i, h.weekday[i]);
    PutInt(at + kHisLimit + 4 * i, h.limit[i]);
  }
  PutInt(at + kHisRemaining, h.remaining);
  PutText(at + kHisToday, h.today);
  PutText(at + kHisYesterday, h.yesterday);
}
bool GetHistory(const std::uint8_t* at, UsageHistory* h) {
  for (int i = 0; i < kUsageDays; ++i) {
    h->usage[i] = GetInt(at + kHisUsage + 4 * i);
    h->date[i] = GetInt(at + kHisDate + 4 * i);
    h->weekday[i] = GetInt(at + kHisWeekday + 4 * i);
    h->limit[i] = GetInt(at + kHisLimit + 4 * i);
    if (h->usage[i] < 0 || h->weekday[i] < 0 || h->weekday[i] >= kWeekdays ||
        !InMinutes(h->limit[i]))
      return false;
  }
  h->remaining = GetInt(at + kHisRemaining);
  return GetText(at + kHisToday, h->today) && GetText(at + kHisYesterday, h->yesterday);
}
} // namespace

void EncodeRequest(const ServiceRequest& request, std::uint8_t (&out)[kRequestSize]) {
  std::memset(out, 0, sizeof out);
  Put32(out + kReqMagic, kRequestMagic);
  Put16(out + kReqVersion, kProtocolVersion);
  Put16(out + kReqKind, static_cast<std::uint16_t>(request.kind));
  Put32(out + kReqFlags, request.resetToday ? kRequestFlagResetToday : 0);
  PutInt(out + kReqLimit, request.limitMinutes);
  PutInt(out + kReqAdjust, request.adjustMinutes);
  PutText(out + kReqPassword, request.password);
  PutText(out + kReqNewPassword, request.newPassword);
  PutRules(out + kReqWeekdayLimits, out + kReqBedtime, request.rules);
  PutInt(out + kReqExtra, request.extraMinutes);
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
  if (!InMinutes(r.limitMinutes) || r.adjustMinutes < 0 || r.adjustMinutes > kMaxAdjustMinutes)
    return false;
  if (!GetText(bytes + kReqPassword, r.password) ||
      !GetText(bytes + kReqNewPassword, r.newPassword))
    return false;
  if (!GetRules(bytes + kReqWeekdayLimits, bytes + kReqBedtime, &r.rules))
    return false;
  r.extraMinutes = GetInt(bytes + kReqExtra);
  const bool extraTime = r.kind == RequestKind::ExtraTime;
  if (extraTime ? r.extraMinutes < kMinExtraMinutes || r.extraMinutes > kMaxExtraMinutes
                : r.extraMinutes != 0)
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
  PutInt(out + kRepRemaining, reply.remaining);
  PutInt(out + kRepLimit, reply.limitMinutes);
  PutInt(out + kRepAdjust, reply.adjustMinutes);
  Put32(out + kRepNotice, reply.noticeNumber);
  Put16(out + kRepBalloon, reply.balloon);
  PutInt(out + kRepCountdown, reply.countdown);
  PutInt(out + kRepLockout, reply.lockoutSeconds);
  for (int i = 0; i < kUsageDays; ++i) {
    PutInt(out + kRepUsage + 4 * i, reply.usage[i]);
    PutInt(out + kRepDate + 4 * i, reply.date[i]);
  }
  PutInt(out + kRepEveryDayLimit, reply.everyDayLimit);
  PutInt(out + kRepCredit, reply.credit);
  PutRules(out + kRepWeekdayLimits, out + kRepBedtime, reply.rules);
  PutHistory(out + kRepHistory, reply.history);
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
  r.everyDayLimit = GetInt(bytes + kRepEveryDayLimit);
  r.credit = GetInt(bytes + kRepCredit);
  if (!InMinutes(r.everyDayLimit) ||
      !GetRules(bytes + kRepWeekdayLimits, bytes + kRepBedtime, &r.rules) ||
      !GetHistory(bytes + kRepHistory, &r.history))
    return false;
  if (!Zero(bytes + kRepBalloonEnd, bytes + kRepCountdown) ||
      !Zero(bytes + kRepEnd, bytes + kReplySize))
    return false;
  *reply = r;
  return true;
}

} // namespace hg
