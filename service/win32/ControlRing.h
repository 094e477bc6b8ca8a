// The controls on their way from the dispatcher's thread to the body's, in
// the order they came, in a fixed ring: the handler never allocates. The
// last slots are kept for the controls that end the service, so a burst of
// session or power events cannot crowd out a stop or a shutdown. Not
// locked: its owner holds the lock.
#pragma once
#include "service/win32/ControlRules.h"

#include <cstddef>

namespace hg {

struct ServiceControl {
  DWORD control = 0;
  DWORD eventType = 0;
  DWORD sessionId = 0;
};

template <std::size_t N> class CControlRing {
  static constexpr std::size_t kReservedSlots = 2; // a stop and a shutdown
  static_assert(N > kReservedSlots, "room for ordinary controls too");

public:
  // False when the control found no room (it is dropped).
  bool Push(const ServiceControl& control) {
    const std::size_t room = EndsService(control.control) ? N : N - kReservedSlots;
    if (m_count >= room)
      return false;
    m_items[(m_first + m_count) % N] = control;
    ++m_count;
    return true;
  }

  bool Pop(ServiceControl* control) {
    if (m_count == 0)
      return false;
    *control = m_items[m_first];
    m_first = (m_first + 1) % N;
    --m_count;
    return true;
  }

  std::size_t Size() const { return m_count; }

private:
  ServiceControl m_items[N] = {};
  std::size_t m_first = 0;
  std::size_t m_count = 0;
};

} // namespace hg
