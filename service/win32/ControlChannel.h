// The way from the service manager's control handler (on the dispatcher's
// thread) to the body's thread: a locked queue and an event the body's
// wait includes. A shutdown is the one control the handler waits on, a few
// seconds at most, until the body's thread has saved: Windows may end the
// process soon after the handler returns.
#pragma once
#include "service/win32/Win32Headers.h"

#include "service/win32/ControlRing.h"

namespace hg {

class CControlChannel {
public:
  // How long the handler holds a shutdown back for the save.
  static constexpr ::DWORD kShutdownSaveWaitMs = 5000;

  CControlChannel();
  ~CControlChannel();
  CControlChannel(const CControlChannel&) = delete;
  CControlChannel& operator=(const CControlChannel&) = delete;

  // NO_ERROR, or the error that kept an event from being made.
  ::DWORD Error() const { return m_error; }

  // The handler's answer to a control (HandlerEx's arguments); queues the
  // ones the body handles. The console's Ctrl-C and its window's close
  // come in here too, as a stop and a shutdown.
  ::DWORD Answer(::DWORD control, ::DWORD eventType, const void* eventData);

  // The body's side: signalled when controls wait; the oldest one.
  HANDLE WakeEvent() const { return m_wake; }
  bool Pop(ServiceControl* control);
  // The state is saved: a waiting shutdown handler may return.
  void MarkSaved();

private:
  bool Push(const ServiceControl& control);

  CRITICAL_SECTION m_lock;
  CControlRing<32> m_ring;
  HANDLE m_wake = nullptr;  // auto-reset
  HANDLE m_saved = nullptr; // manual-reset, set once
  ::DWORD m_error = NO_ERROR;
};

} // namespace hg
