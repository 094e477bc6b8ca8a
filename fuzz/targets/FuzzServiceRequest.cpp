// The service's side of the pipe: bytes any signed-in account may write,
// read by a LocalSystem process. The input chooses the stored state (today,
// a later stored day, none at all, with or without weekday limits and a
// bedtime), then a run of messages of any size from a few connections, some
// of them well-formed requests with fuzzed fields, against a running
// service with a password; after each one the checks below must hold.
#include "ServiceHarness.h"
#include "commands/Scramble.h"
#include "fuzz/targets/FuzzInput.h"
#include "fuzz/targets/FuzzTargets.h"

#include <cstring>
#include <string>

namespace hg::fuzz {
namespace {

constexpr int kMaxMessages = 24;
// The stored day the service starts on: 2024-01-05, a later one, none.
constexpr const char* kStoredDays[] = {"752964", "752999", ""};

void CheckDecoded(const std::uint8_t* bytes, std::size_t size) {
  ServiceRequest request;
  if (!DecodeRequest(bytes, size, &request))
    return;
  // What the service takes is exactly what a well-behaved tray would send.
  std::uint8_t again[kRequestSize];
  EncodeRequest(request, again);
  HG_FUZZ_CHECK(size == kRequestSize && std::memcmp(again, bytes, kRequestSize) == 0,
                "a request that is not the encoding of what it decodes to");
  HG_FUZZ_CHECK(request.limitMinutes >= 0 && request.limitMinutes <= kMaxWireMinutes, "limit");
  HG_FUZZ_CHECK(request.adjustMinutes >= 0 && request.adjustMinutes <= kMaxAdjustMinutes,
                "adjustment");
  HG_FUZZ_CHECK(std::strlen(request.password) < kWirePasswordSize, "password");
  for (std::int32_t limit : request.rules.weekdayLimit)
    HG_FUZZ_CHECK(limit == kNoDayLimit || (limit >= 0 && limit <= kMaxWireMinutes),
                  "weekday limit");
  HG_FUZZ_CHECK(request.rules.bedtime == kNoBedtime ||
                    (request.rules.bedtime >= 0 && request.rules.bedtime < kMinutesPerDay),
                "bedtime");
  HG_FUZZ_CHECK(request.kind == RequestKind::ExtraTime
                    ? request.extraMinutes >= kMinExtraMinutes &&
                          request.extraMinutes <= kMaxExtraMinutes
                    : request.extraMinutes == 0,
                "extra minutes");
}

// A number for a field, mostly near its range's edges.
std::int32_t Minutes(FuzzInput& in, std::int32_t lo, std::int32_t hi) {
  return static_cast<std::int32_t>(in.Int(lo, hi));
}

ServiceRequest BuildRequest(FuzzInput& in) {
  ServiceRequest request;
  request.kind = static_cast<RequestKind>(in.Int(1, kLastRequestKind));
  request.resetToday = in.Bool();
  request.limitMinutes = Minutes(in, 0, 2000);
  request.adjustMinutes = Minutes(in, 0, 1500);
  std::strcpy(request.password, in.Bool() ? "pw" : "guess");
  std::string typed = in.Bytes(12);
  std::strncpy(request.newPassword, typed.c_str(), sizeof request.newPassword - 1);
  if (in.Bool()) {
    for (std::int32_t& limit : request.rules.weekdayLimit)
      limit = Minutes(in, kNoDayLimit, 1500);
    request.rules.bedtime = Minutes(in, kNoBedtime, kMinutesPerDay);
  }
  if (request.kind == RequestKind::ExtraTime || in.Byte() < 16)
    request.extraMinutes = Minutes(in, 0, kMaxExtraMinutes + 1);
  return request;
}

// The decoder has checked the lists hold zeros after their terminator.
bool AllZero(const UsageHistory& h) {
  for (int i = 0; i < kUsageDays; ++i)
    if (h.usage[i] != 0 || h.date[i] != 0 || h.weekday[i] != 0 || h.limit[i] != 0)
      return false;
  return h.remaining == 0 && h.today[0] == '\0' && h.yesterday[0] == '\0';
}

} // namespace

int FuzzServiceRequest(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  test::ServiceRun run;
  run.At(2024, 1, 5, 9, 0);
  run.Set("LimitTime", "60");
  const char* stored = in.Pick(kStoredDays);
  if (stored[0] != '\0') {
    run.Set("LastDate", stored);
    run.Set("LastTime", "1000");
  }
  if (in.Bool()) {
    run.Set("LimitTimeFri", in.Bool() ? "0" : "90");
    run.Set("Bedtime", in.Bool() ? "09:01" : "21:30");
  }
  run.Set("PASSWORD", ScramblePassword("pw"));
  run.platform.SetActiveSessions({1});
  run.service.OnStart();
  std::string current = "pw"; // the password as the service should know it

  for (int i = 0; i < kMaxMessages && !in.Empty(); ++i) {
    const std::uint64_t connection = in.Int(1, 3);
    std::string bytes;
    if (in.Bool()) {
      // A request built from fuzzed fields, often close to a valid one.
      std::uint8_t encoded[kRequestSize];
      EncodeRequest(BuildRequest(in), encoded);
      bytes.assign(reinterpret_cast<const char*>(encoded), kRequestSize);
      // Then one byte changed, now and then.
      if (in.Byte() < 64) {
        std::size_t at = static_cast<std::size_t>(in.Int(0, kRequestSize - 1));
        bytes[at] = static_cast<char>(in.Byte());
      }
    } else {
      bytes = in.Bytes(kRequestSize + 8);
    }
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
    CheckDecoded(raw, bytes.size());
    std::uint8_t out[kReplySize];
    ServiceRequest decoded;
    const bool valid = DecodeRequest(raw, bytes.size(), &decoded);
    const std::size_t writesBefore = run.platform.RegWrites().size();
    const CAccountant* before = run.service.Accountant();
    const std::int32_t leftBefore = before != nullptr ? before->LastTime() : 0;
    const bool answered = run.service.HandleRequest(connection, raw, bytes.size(), out);
    HG_FUZZ_CHECK(answered == valid, "only a valid request is answered");
    if (answered) {
      ServiceReply reply;
      HG_FUZZ_CHECK(DecodeReply(out, sizeof out, &reply), "the service's reply is valid");
      const bool needsPassword =
          decoded.kind != RequestKind::Status && decoded.kind != RequestKind::History;
      if (needsPassword && reply.result == ReplyResult::Ok) {
        HG_FUZZ_CHECK(current.empty() || current == decoded.password,
                      "a wrong password was accepted");
        if (decoded.kind == RequestKind::ChangePassword)
          current = decoded.newPassword;
      }
      HG_FUZZ_CHECK(decoded.kind == RequestKind::History || AllZero(reply.history),
                    "a history in the reply to another request");
      // Looking and a wrong password leave the key alone, but for a wrong
      // password in the later day's minute, which ends the day (and
      // stores it). A command that failed may have saved the state first.
      const bool carried = reply.result == ReplyResult::Ok || reply.result == ReplyResult::Failed;
      const bool mayWrite =
          (needsPassword && carried) ||
          (decoded.kind == RequestKind::AcceptToday && reply.result == ReplyResult::WrongPassword);
      if (!mayWrite)
        HG_FUZZ_CHECK(run.platform.RegWrites().size() == writesBefore,
                      "a request that changes nothing wrote to the key");
      const CAccountant* after = run.service.Accountant();
      // (A bedtime holds the remaining time below the time to it, extra
      // time or not.)
      if (decoded.kind == RequestKind::ExtraTime && reply.result == ReplyResult::Ok &&
          before != nullptr && after == before && after->Rules().bedtime == kNoBedtime)
        HG_FUZZ_CHECK(after->LastTime() >= leftBefore, "extra time took time away");
    }
    if (run.service.StopRequested())
      break;
    if (!run.platform.RegKeyExists(reg::kProgramKey))
      HG_FUZZ_CHECK(run.service.StopRequested(), "the key went without an uninstall");
    run.Run(static_cast<int>(in.Int(0, 3)));
  }
  return 0;
}

} // namespace hg::fuzz
