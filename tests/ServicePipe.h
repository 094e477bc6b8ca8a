// The service in the test's process as the pipe's server: a tray program
// on the simulated platform reaches it as it would reach the real one.
#pragma once
#include "ProgramHarness.h"
#include "service/HourgaugeService.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace hg::test {

// The process id the simulated service manager gives the service.
inline constexpr DWORD kServiceProcess = 0x4D0;

// The simulated pipe's server callback: `context` is the CHourgaugeService.
inline int ServePipe(void* context, std::uint64_t connection, const std::uint8_t* request,
                     std::size_t size, std::uint8_t* reply, std::size_t replySize) {
  auto* service = static_cast<CHourgaugeService*>(context);
  std::uint8_t out[kReplySize];
  if (replySize < kReplySize || !service->HandleRequest(connection, request, size, out))
    return -1;
  std::memcpy(reply, out, kReplySize);
  return static_cast<int>(kReplySize);
}

// The service installed and running as the pipe's server, then the tray
// program started as its face.
inline void StartFaceWithService(Program& p, CHourgaugeService& service) {
  p.platform.SetService(true, SERVICE_RUNNING, kServiceProcess);
  p.platform.SetPipeServer(kServicePipeName, &ServePipe, &service, kServiceProcess);
  service.OnStart();
  p.Start();
}

// Seconds with both programs running.
inline void RunFaceAndService(Program& p, CHourgaugeService& service, int seconds) {
  for (int i = 0; i < seconds; ++i) {
    p.Tick();
    service.OnWake();
  }
}

} // namespace hg::test
