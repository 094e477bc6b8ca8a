// The two ways hourgauge-service.exe runs: as the service HourgaugeLite,
// started by the service manager (StartServiceCtrlDispatcherW), or in a
// console for development (-debug or /console), where Ctrl-C stops it.
// Either way the body runs the same loop (ServiceLoop.h).
#pragma once

namespace hg {

class Platform;

// The process's exit code: NO_ERROR, or the error that ended the service.
int RunAsService(Platform& platform);
int RunInConsole(Platform& platform);

} // namespace hg
