// The seam between the program and the operating system: every Win32 and
// shell service the program calls, one method per call, with the call's own
// name and contract. Win32Platform makes the real calls; SimPlatform is an
// in-memory Windows for the tests. The calls come in two halves, those that
// need no desktop and the desktop's own, so that code given only the first
// cannot touch a window.
#pragma once
#include "platform/DesktopPlatform.h"
#include "platform/SystemPlatform.h"

namespace hg {

class Platform : public SystemPlatform, public DesktopPlatform {};

} // namespace hg
