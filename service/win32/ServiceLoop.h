// The body's thread: the one loop that calls the service's body. It waits
// on the control queue's event and the pipe instances' events, with the
// timeout the body asked for, and carries each on; it never waits on a
// pipe itself.
#pragma once
#include "service/win32/Win32Headers.h"

namespace hg {

class CControlChannel;
class CHourgaugeService;
class CPipeServer;
class CServiceStatus;
class Platform;

class CServiceLoop {
public:
  CServiceLoop(CHourgaugeService& body, CControlChannel& controls, CPipeServer& pipes)
      : m_body(body), m_controls(controls), m_pipes(pipes) {}

  // Until the body asks to stop or a shutdown has been saved: NO_ERROR, or
  // the error of a wait that failed.
  ::DWORD Run();
  // The state was saved for a shutdown already.
  bool Saved() const { return m_saved; }

private:
  // Hands the queued controls to the body; true after a shutdown.
  bool HandleControls();

  CHourgaugeService& m_body;
  CControlChannel& m_controls;
  CPipeServer& m_pipes;
  bool m_saved = false;
};

// The whole life of the body on the calling thread: the pipe, the body's
// start, RUNNING, the loop, STOP_PENDING and the final save. Returns what
// the service reports with STOPPED: NO_ERROR, or the error that ended it
// (the pipe's name held by another process, a failed wait).
::DWORD RunServiceBody(Platform& platform, CControlChannel& controls, CServiceStatus& status);

} // namespace hg
