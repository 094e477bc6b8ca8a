#include "service/win32/ServiceLoop.h"

#include "service/HourgaugeService.h"
#include "service/win32/ControlChannel.h"
#include "service/win32/PipeServer.h"
#include "service/win32/ServiceStatus.h"

namespace hg {
namespace {

// How long the service manager is asked to wait between the reports of a
// stop (the final save is a few registry writes).
constexpr ::DWORD kStopWaitHintMs = 5000;

} // namespace

::DWORD CServiceLoop::Run() {
  HANDLE handles[1 + kPipeInstances];
  ::DWORD wakeMs = m_body.OnWake();
  while (!m_body.StopRequested()) {
    const ::DWORD idleMs = m_pipes.Sweep(m_body);
    // Made again each time: Sweep may have made an instance anew.
    handles[0] = m_controls.WakeEvent();
    for (::DWORD i = 0; i < m_pipes.Count(); ++i)
      handles[1 + i] = m_pipes.Event(i);
    const ::DWORD woken = ::WaitForMultipleObjects(1 + m_pipes.Count(), handles, FALSE,
                                                   wakeMs < idleMs ? wakeMs : idleMs);
    if (woken == WAIT_FAILED)
      return ::GetLastError();
    if (woken == WAIT_OBJECT_0) {
      if (HandleControls())
        return NO_ERROR;
    } else if (woken != WAIT_TIMEOUT) {
      m_pipes.OnSignalled(m_body);
    }
    if (m_body.StopRequested())
      break;
    wakeMs = m_body.OnWake();
  }
  return NO_ERROR;
}

bool CServiceLoop::HandleControls() {
  ServiceControl control;
  while (m_controls.Pop(&control)) {
    m_body.OnControl(control.control, control.eventType, control.sessionId);
    if (control.control == kControlShutdown) {
      // Windows ends the process soon: the state is stored now, and the
      // handler waiting for it may return.
      m_body.Save();
      m_saved = true;
      m_controls.MarkSaved();
      return true;
    }
  }
  return false;
}

::DWORD RunServiceBody(Platform& platform, CControlChannel& controls, CServiceStatus& status) {
  CPipeServer pipes;
  if (const ::DWORD error = pipes.Open())
    return error;
  CHourgaugeService body(platform);
  body.OnStart();
  status.Report(SERVICE_RUNNING);

  CServiceLoop loop(body, controls, pipes);
  const ::DWORD result = loop.Run();
  status.Report(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitHintMs);
  if (!loop.Saved())
    body.Save();
  // A shutdown that comes during the stop need not wait any longer.
  controls.MarkSaved();
  return result;
}

} // namespace hg
