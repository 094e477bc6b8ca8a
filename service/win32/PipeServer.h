// The service's end of \\.\pipe\HourgaugeLite: kPipeInstances instances,
// each with its own event for the body's thread to wait on. Each client
// connection gets a fresh 64-bit id, never reused while the service runs,
// under which the body keeps what it knows of that client (the password
// tries, for one).
#pragma once
#include "service/win32/Win32Headers.h"

#include "service/win32/PipeInstance.h"
#include "service/win32/PipeSecurity.h"

#include <cstdint>

namespace hg {

class CPipeServer {
public:
  // Creates every instance. NO_ERROR, or the Win32 error: ERROR_ACCESS_DENIED
  // when another process owns the name already (a squatter waiting for
  // the tray's password), which must stop the service, not go unnoticed.
  ::DWORD Open();

  ::DWORD Count() const { return kPipeInstances; }
  HANDLE Event(::DWORD index) const { return m_instances[index].Event(); }
  // Carries every instance whose event is signalled one step on, each
  // once, so that one busy client cannot starve the others.
  void OnSignalled(CHourgaugeService& body);
  // Drops the clients idle too long and makes broken instances anew;
  // returns the milliseconds until the next such check is due.
  ::DWORD Sweep(CHourgaugeService& body);

private:
  ::DWORD OpenCount() const;

  CPipeSecurity m_security;
  CPipeInstance m_instances[kPipeInstances];
  std::uint64_t m_nextConnection = 1;
};

} // namespace hg
