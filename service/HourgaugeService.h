// The enforcing service's body: it hosts the accounting engine outside the
// child's account, answers the tray programs over the pipe, warns the
// sessions itself when no tray is there, starts the tray again, and powers
// the PC off from session 0. The Windows plumbing (service/win32/) calls it
// from one thread: OnStart once, OnWake whenever its wait ends, OnControl for
// the controls the service manager hands on, HandleRequest for each message
// a pipe connection sends.
#pragma once
#include "accounting/Accountant.h"
#include "commands/ServiceProtocol.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace hg {

inline constexpr char kServiceExeName[] = "hourgauge-service.exe";
inline constexpr char kTrayExeName[] = "hourgauge.exe";
// Service controls the plumbing hands on (SERVICE_CONTROL_*); user-defined
// controls 128-255 are ignored.
inline constexpr DWORD kControlStop = 0x1;
inline constexpr DWORD kControlInterrogate = 0x4;
inline constexpr DWORD kControlShutdown = 0x5;
inline constexpr DWORD kControlPowerEvent = 0xD;
inline constexpr DWORD kControlSessionChange = 0xE;
inline constexpr DWORD kPowerSuspend = 0x4;          // PBT_APMSUSPEND
inline constexpr DWORD kPowerResumeAutomatic = 0x12; // PBT_APMRESUMEAUTOMATIC
inline constexpr DWORD kPowerResumeSuspend = 0x7;    // PBT_APMRESUMESUSPEND
inline constexpr DWORD kSessionLogon = 0x5;          // WTS_SESSION_LOGON
inline constexpr DWORD kSessionUnlock = 0x8;         // WTS_SESSION_UNLOCK

class CServiceCore;

class CHourgaugeService {
public:
  explicit CHourgaugeService(Platform& platform);
  ~CHourgaugeService();
  CHourgaugeService(const CHourgaugeService&) = delete;
  CHourgaugeService& operator=(const CHourgaugeService&) = delete;

  // The service has started (at boot, or by hand).
  void OnStart();
  // Ticks the accounting for every whole second of awake time since the
  // last tick, and what else is due (warnings, the tray's restart). Returns
  // the milliseconds until it wants to be woken again.
  DWORD OnWake();
  // A control from the service manager: NO_ERROR when handled,
  // ERROR_CALL_NOT_IMPLEMENTED for one it does not take.
  DWORD OnControl(DWORD control, DWORD eventType, DWORD sessionId);
  // True once the service should stop: a stop control, or an uninstall.
  bool StopRequested() const;

  // One message from pipe connection `connection`: false drops the
  // connection; true with the reply to write. Never waits.
  bool HandleRequest(std::uint64_t connection, const std::uint8_t* bytes, std::size_t size,
                     std::uint8_t (&reply)[kReplySize]);
  void OnDisconnect(std::uint64_t connection);
  // A connection that sent nothing for this long is closed by the plumbing,
  // so no client can hold the service's instances.
  static constexpr DWORD kIdleConnectionMs = 10000;

  // Stores the accounting state (at a stop and a shutdown).
  void Save();

  // The accountant while the accounting runs; nullptr before the first
  // sign-in and after the exit command.
  const CAccountant* Accountant() const;

private:
  std::unique_ptr<CServiceCore> m_core;
};

} // namespace hg
