// What the service's control handler does with each control the service
// manager sends, decided without the Windows headers so that the rule is
// tested on its own. The handler runs on the dispatcher's thread and must
// answer at once: it only queues what the body's thread will handle.
#pragma once
#include "service/HourgaugeService.h"

namespace hg {

enum class ControlAction {
  Queue,       // handed to the body's thread; the handler answers NO_ERROR
  AnswerOnly,  // INTERROGATE: NO_ERROR, the manager already knows the state
  NotAccepted, // ERROR_CALL_NOT_IMPLEMENTED
};

// The controls the service reports as accepted while it runs
// (SERVICE_ACCEPT_STOP | SHUTDOWN | POWEREVENT | SESSIONCHANGE).
inline constexpr DWORD kAcceptStop = 0x1;
inline constexpr DWORD kAcceptShutdown = 0x4;
inline constexpr DWORD kAcceptPowerEvent = 0x40;
inline constexpr DWORD kAcceptSessionChange = 0x80;
inline constexpr DWORD kControlsAccepted =
    kAcceptStop | kAcceptShutdown | kAcceptPowerEvent | kAcceptSessionChange;

// User-defined controls (128-255) come from anyone who may query the
// service, a child's account included: they are never acted on.
constexpr ControlAction ClassifyControl(DWORD control) {
  switch (control) {
  case kControlStop:
  case kControlShutdown:
  case kControlPowerEvent:
  case kControlSessionChange:
    return ControlAction::Queue;
  case kControlInterrogate:
    return ControlAction::AnswerOnly;
  default:
    return ControlAction::NotAccepted;
  }
}

// A control that ends the service: it must reach the body's thread even
// when the queue is full of session and power events.
constexpr bool EndsService(DWORD control) {
  return control == kControlStop || control == kControlShutdown;
}

} // namespace hg
