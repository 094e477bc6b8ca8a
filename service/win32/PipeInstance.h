// One server instance of the service's pipe, as a small state machine over
// overlapped I/O: listen for a client, read one request, hand it to the
// body, write its reply, read the next. Nothing waits here: each step is
// started and the body's thread comes back when the instance's event is
// signalled. Anything unexpected (a message longer than a request, a read
// or write error, a client gone, the body refusing the request, a client
// idle too long) drops the connection: the instance disconnects, tells the
// body and listens again.
#pragma once
#include "service/win32/Win32Headers.h"

#include "commands/ServiceProtocol.h"

#include <cstdint>

namespace hg {

class CHourgaugeService;

// Enough for a tray program in each of a few sessions and a setup or
// uninstaller talking at the same time; a client finding every instance
// busy gets ERROR_PIPE_BUSY and asks again on its next tick.
inline constexpr ::DWORD kPipeInstances = 4;

class CPipeInstance {
public:
  CPipeInstance() = default;
  ~CPipeInstance();
  CPipeInstance(const CPipeInstance&) = delete;
  CPipeInstance& operator=(const CPipeInstance&) = delete;

  // Creates the instance (the first one with FILE_FLAG_FIRST_PIPE_INSTANCE:
  // it fails when another process already owns the name) and starts
  // listening. NO_ERROR or the Win32 error.
  ::DWORD Create(const wchar_t* name, SECURITY_ATTRIBUTES* security, bool first);
  // Signalled when the step under way has ended; stays the same handle for
  // the instance's life.
  HANDLE Event() const { return m_io.hEvent; }
  bool Signalled() const;
  // Carries the exchange on after the event was signalled. A client's new
  // connection takes the id *nextConnection and counts it on.
  void OnSignalled(CHourgaugeService& body, std::uint64_t* nextConnection);

  // Drops the client when it has been idle for kIdleConnectionMs; returns
  // the milliseconds until it would be (INFINITE when no client is there).
  ::DWORD DropIfIdle(CHourgaugeService& body, ULONGLONG now);
  // The instance could not listen again: its handle is gone and it waits
  // to be created anew.
  bool Broken() const { return m_pipe == INVALID_HANDLE_VALUE; }

private:
  enum class Step { Listening, Reading, Writing };

  void Listen();
  void Read();
  void Write();
  void Drop(CHourgaugeService& body);
  // Ends the operation in flight, if any, and waits for its cancellation
  // (immediate for a pipe), so that the buffers and OVERLAPPED are free.
  void CancelInFlight();
  void Close();

  HANDLE m_pipe = INVALID_HANDLE_VALUE;
  OVERLAPPED m_io{};
  Step m_step = Step::Listening;
  bool m_inFlight = false;        // m_io belongs to a started operation
  bool m_connectedAtOnce = false; // ERROR_PIPE_CONNECTED: no operation to ask
  std::uint64_t m_connection = 0; // 0: no client
  ULONGLONG m_lastExchange = 0;   // GetTickCount64 of the client's last step
  std::uint8_t m_request[kRequestSize] = {};
  std::uint8_t m_reply[kReplySize] = {};
};

} // namespace hg
