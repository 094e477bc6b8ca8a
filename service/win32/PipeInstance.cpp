#include "service/win32/PipeInstance.h"

#include "service/HourgaugeService.h"

namespace hg {

CPipeInstance::~CPipeInstance() {
  Close();
  if (m_io.hEvent != nullptr)
    ::CloseHandle(m_io.hEvent);
}

::DWORD CPipeInstance::Create(const wchar_t* name, SECURITY_ATTRIBUTES* security, bool first) {
  if (m_io.hEvent == nullptr) {
    m_io.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_io.hEvent == nullptr)
      return ::GetLastError();
  }
  const ::DWORD openMode =
      PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
  const ::DWORD pipeMode =
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
  m_pipe = ::CreateNamedPipeW(name, openMode, pipeMode, kPipeInstances, kReplySize, kRequestSize, 0,
                              security);
  if (m_pipe == INVALID_HANDLE_VALUE)
    return ::GetLastError();
  Listen();
  return NO_ERROR;
}

bool CPipeInstance::Signalled() const {
  return ::WaitForSingleObject(m_io.hEvent, 0) == WAIT_OBJECT_0;
}

void CPipeInstance::Listen() {
  m_step = Step::Listening;
  m_connectedAtOnce = false;
  // A client that came and went before the listen left a closed end
  // behind (ERROR_NO_DATA): disconnect it and listen once more.
  for (int attempt = 0; attempt < 2; ++attempt) {
    ::ResetEvent(m_io.hEvent);
    bool again = false;
    if (::ConnectNamedPipe(m_pipe, &m_io)) {
      m_connectedAtOnce = true;
      ::SetEvent(m_io.hEvent);
      return;
    }
    switch (::GetLastError()) {
    case ERROR_IO_PENDING:
      m_inFlight = true;
      return;
    case ERROR_PIPE_CONNECTED:
      // A client connected between the create (or disconnect) and now; the
      // event is not signalled for it.
      m_connectedAtOnce = true;
      ::SetEvent(m_io.hEvent);
      return;
    case ERROR_NO_DATA:
      again = ::DisconnectNamedPipe(m_pipe) != FALSE;
      break;
    default:
      break;
    }
    if (!again)
      break;
  }
  // The instance cannot listen: it is made anew later (CPipeServer::Sweep).
  Close();
}

void CPipeInstance::Read() {
  m_step = Step::Reading;
  ::ResetEvent(m_io.hEvent);
  // A message longer than a request fails with ERROR_MORE_DATA, here or
  // when the read completes: either way the connection is dropped.
  if (::ReadFile(m_pipe, m_request, kRequestSize, nullptr, &m_io) ||
      ::GetLastError() == ERROR_IO_PENDING) {
    m_inFlight = true;
    return;
  }
  m_inFlight = false;
  // Looked at on the next pass: the failure drops the connection there.
  ::SetEvent(m_io.hEvent);
}

void CPipeInstance::Write() {
  m_step = Step::Writing;
  ::ResetEvent(m_io.hEvent);
  if (::WriteFile(m_pipe, m_reply, kReplySize, nullptr, &m_io) ||
      ::GetLastError() == ERROR_IO_PENDING) {
    m_inFlight = true;
    return;
  }
  m_inFlight = false;
  ::SetEvent(m_io.hEvent);
}

void CPipeInstance::OnSignalled(CHourgaugeService& body, std::uint64_t* nextConnection) {
  if (Broken())
    return;
  ::DWORD bytes = 0;
  bool done = false;
  if (m_step == Step::Listening && m_connectedAtOnce) {
    done = true;
  } else if (m_inFlight) {
    done = ::GetOverlappedResult(m_pipe, &m_io, &bytes, FALSE) != FALSE;
    // Not ended after all: the event was stale. Wait for it again.
    if (!done && ::GetLastError() == ERROR_IO_INCOMPLETE) {
      ::ResetEvent(m_io.hEvent);
      return;
    }
  }
  m_inFlight = false;
  m_connectedAtOnce = false;

  switch (m_step) {
  case Step::Listening:
    if (!done) {
      ::DisconnectNamedPipe(m_pipe);
      Listen();
      return;
    }
    m_connection = (*nextConnection)++;
    m_lastExchange = ::GetTickCount64();
    Read();
    return;
  case Step::Reading:
    if (!done || !body.HandleRequest(m_connection, m_request, bytes, m_reply)) {
      Drop(body);
      return;
    }
    m_lastExchange = ::GetTickCount64();
    Write();
    return;
  case Step::Writing:
    if (!done || bytes != kReplySize) {
      Drop(body);
      return;
    }
    m_lastExchange = ::GetTickCount64();
    Read();
    return;
  }
}

::DWORD CPipeInstance::DropIfIdle(CHourgaugeService& body, ULONGLONG now) {
  if (Broken() || m_connection == 0)
    return INFINITE;
  const ULONGLONG idle = now - m_lastExchange;
  if (idle >= CHourgaugeService::kIdleConnectionMs) {
    Drop(body);
    return INFINITE;
  }
  return static_cast<::DWORD>(CHourgaugeService::kIdleConnectionMs - idle);
}

void CPipeInstance::Drop(CHourgaugeService& body) {
  CancelInFlight();
  ::DisconnectNamedPipe(m_pipe);
  if (m_connection != 0) {
    const std::uint64_t connection = m_connection;
    m_connection = 0;
    body.OnDisconnect(connection);
  }
  Listen();
}

void CPipeInstance::CancelInFlight() {
  if (!m_inFlight)
    return;
  ::CancelIo(m_pipe);
  ::DWORD bytes = 0;
  ::GetOverlappedResult(m_pipe, &m_io, &bytes, TRUE);
  m_inFlight = false;
}

void CPipeInstance::Close() {
  if (m_pipe == INVALID_HANDLE_VALUE)
    return;
  CancelInFlight();
  ::CloseHandle(m_pipe);
  m_pipe = INVALID_HANDLE_VALUE;
}

} // namespace hg
