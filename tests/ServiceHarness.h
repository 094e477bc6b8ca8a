// Runs the service's body on the simulated Windows as its plumbing does:
// OnStart once, then a wake every second of awake time, pipe requests as
// the tray programs send them.
#pragma once
#include "commands/ServiceProtocol.h"
#include "platform/sim/SimPlatform.h"
#include "service/HourgaugeService.h"
#include "store/ValueNames.h"

#include <cstring>
#include <optional>
#include <string>

namespace hg::test {

class ServiceRun {
public:
  sim::SimPlatform platform;
  CHourgaugeService service{platform};

  ServiceRun() {
    platform.SetTimeZone("Asia/Tokyo");
    platform.SetModulePath("C:\\Program Files (x86)\\HourgaugeLite\\hourgauge-service.exe");
  }
  void At(int year, int month, int day, int hour, int minute, int second = 0) {
    platform.SetTime(platform.LocalTime(year, month, day, hour, minute, second));
  }
  void Set(const char* name, const std::string& text) {
    platform.SetRegText(reg::kProgramKey, name, text);
  }
  std::optional<std::string> Get(const char* name) const {
    return platform.RegText(reg::kProgramKey, name);
  }
  // Awake seconds, one wake each.
  void Run(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      platform.AdvanceSeconds(1);
      service.OnWake();
    }
  }
  // A tray asking for the status every second meanwhile.
  void RunWithTray(int seconds, std::uint64_t connection = 1) {
    for (int i = 0; i < seconds; ++i) {
      platform.AdvanceSeconds(1);
      service.OnWake();
      Ask(RequestKind::Status, "", connection);
    }
  }
  // One request; nullopt when the service dropped the connection.
  std::optional<ServiceReply> Ask(const ServiceRequest& request, std::uint64_t connection = 1) {
    std::uint8_t bytes[kRequestSize];
    EncodeRequest(request, bytes);
    return Send(bytes, sizeof bytes, connection);
  }
  std::optional<ServiceReply> Ask(RequestKind kind, const char* password,
                                  std::uint64_t connection = 1) {
    ServiceRequest request;
    request.kind = kind;
    std::strncpy(request.password, password, sizeof request.password - 1);
    return Ask(request, connection);
  }
  std::optional<ServiceReply> Send(const std::uint8_t* bytes, std::size_t size,
                                   std::uint64_t connection = 1) {
    std::uint8_t out[kReplySize];
    if (!service.HandleRequest(connection, bytes, size, out))
      return std::nullopt;
    ServiceReply reply;
    if (!DecodeReply(out, sizeof out, &reply))
      return std::nullopt;
    return reply;
  }
};

} // namespace hg::test
