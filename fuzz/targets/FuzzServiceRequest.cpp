// The service's side of the pipe: bytes any signed-in account may write,
// read by a LocalSystem process. The input is a run of messages of any size
// from a few connections, some of them well-formed requests with fuzzed
// fields, against a running service with a password; after each one the
// checks below must hold.
#include "ServiceHarness.h"
#include "commands/Scramble.h"
#include "fuzz/targets/FuzzInput.h"
#include "fuzz/targets/FuzzTargets.h"

#include <cstring>
#include <string>

namespace hg::fuzz {
namespace {

constexpr int kMaxMessages = 24;

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
  HG_FUZZ_CHECK(std::strlen(request.password) < kWirePasswordSize, "password");
}

} // namespace

int FuzzServiceRequest(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  test::ServiceRun run;
  run.At(2024, 1, 5, 9, 0);
  run.Set("LimitTime", "60");
  run.Set("LastDate", "752964");
  run.Set("LastTime", "1000");
  run.Set("PASSWORD", ScramblePassword("pw"));
  run.platform.SetActiveSessions({1});
  run.service.OnStart();
  std::string current = "pw"; // the password as the service should know it

  for (int i = 0; i < kMaxMessages && !in.Empty(); ++i) {
    const std::uint64_t connection = in.Int(1, 3);
    std::string bytes;
    if (in.Bool()) {
      // A request built from fuzzed fields, often close to a valid one.
      ServiceRequest request;
      request.kind = static_cast<RequestKind>(in.Int(1, kLastRequestKind));
      request.resetToday = in.Bool();
      request.limitMinutes = static_cast<std::int32_t>(in.Int(0, 2000));
      request.adjustMinutes = static_cast<std::int32_t>(in.Int(0, 1500));
      std::strcpy(request.password, in.Bool() ? "pw" : "guess");
      std::string typed = in.Bytes(12);
      std::strncpy(request.newPassword, typed.c_str(), sizeof request.newPassword - 1);
      std::uint8_t encoded[kRequestSize];
      EncodeRequest(request, encoded);
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
    const bool answered = run.service.HandleRequest(connection, raw, bytes.size(), out);
    HG_FUZZ_CHECK(answered == valid, "only a valid request is answered");
    if (answered) {
      ServiceReply reply;
      HG_FUZZ_CHECK(DecodeReply(out, sizeof out, &reply), "the service's reply is valid");
      if (decoded.kind != RequestKind::Status && reply.result == ReplyResult::Ok) {
        HG_FUZZ_CHECK(current.empty() || current == decoded.password,
                      "a wrong password was accepted");
        if (decoded.kind == RequestKind::ChangePassword)
          current = decoded.newPassword;
      }
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
