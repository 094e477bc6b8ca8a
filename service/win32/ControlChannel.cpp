#include "service/win32/ControlChannel.h"

namespace hg {

CControlChannel::CControlChannel() {
  ::InitializeCriticalSection(&m_lock);
  m_wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  m_saved = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (m_wake == nullptr || m_saved == nullptr)
    m_error = ::GetLastError();
}

CControlChannel::~CControlChannel() {
  if (m_wake != nullptr)
    ::CloseHandle(m_wake);
  if (m_saved != nullptr)
    ::CloseHandle(m_saved);
  ::DeleteCriticalSection(&m_lock);
}

::DWORD CControlChannel::Answer(::DWORD control, ::DWORD eventType, const void* eventData) {
  switch (ClassifyControl(control)) {
  case ControlAction::AnswerOnly:
    return NO_ERROR;
  case ControlAction::NotAccepted:
    return ERROR_CALL_NOT_IMPLEMENTED;
  case ControlAction::Queue:
    break;
  }
  ServiceControl queued{control, eventType, 0};
  // A session change names its session in a WTSSESSION_NOTIFICATION.
  if (control == kControlSessionChange && eventData != nullptr) {
    const auto* note = static_cast<const WTSSESSION_NOTIFICATION*>(eventData);
    if (note->cbSize >= sizeof(WTSSESSION_NOTIFICATION))
      queued.sessionId = note->dwSessionId;
  }
  Push(queued);
  if (control == kControlShutdown)
    ::WaitForSingleObject(m_saved, kShutdownSaveWaitMs);
  return NO_ERROR;
}

bool CControlChannel::Push(const ServiceControl& control) {
  ::EnterCriticalSection(&m_lock);
  const bool queued = m_ring.Push(control);
  ::LeaveCriticalSection(&m_lock);
  if (queued)
    ::SetEvent(m_wake);
  return queued;
}

bool CControlChannel::Pop(ServiceControl* control) {
  ::EnterCriticalSection(&m_lock);
  const bool got = m_ring.Pop(control);
  ::LeaveCriticalSection(&m_lock);
  return got;
}

void CControlChannel::MarkSaved() {
  ::SetEvent(m_saved);
}

} // namespace hg
