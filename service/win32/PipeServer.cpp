#include "service/win32/PipeServer.h"

#include "service/win32/WideName.h"

namespace hg {
namespace {

constexpr WideName kPipeNameW(kServicePipeName);
// A broken instance is made anew after this long.
constexpr ::DWORD kRecreateAfterMs = 1000;

} // namespace

::DWORD CPipeServer::Open() {
  if (const ::DWORD error = m_security.Create())
    return error;
  for (::DWORD i = 0; i < kPipeInstances; ++i)
    if (const ::DWORD error =
            m_instances[i].Create(kPipeNameW.text, m_security.Attributes(), i == 0))
      return error;
  return NO_ERROR;
}

::DWORD CPipeServer::OpenCount() const {
  ::DWORD open = 0;
  for (const CPipeInstance& instance : m_instances)
    open += instance.Broken() ? 0 : 1;
  return open;
}

void CPipeServer::OnSignalled(CHourgaugeService& body) {
  for (CPipeInstance& instance : m_instances)
    if (instance.Signalled())
      instance.OnSignalled(body, &m_nextConnection);
}

::DWORD CPipeServer::Sweep(CHourgaugeService& body) {
  const ULONGLONG now = ::GetTickCount64();
  ::DWORD next = INFINITE;
  for (CPipeInstance& instance : m_instances) {
    // With none of its instances left the name is free for anyone: it is
    // taken back as at the start, as the first instance.
    if (instance.Broken() &&
        instance.Create(kPipeNameW.text, m_security.Attributes(), OpenCount() == 0) != NO_ERROR) {
      next = next < kRecreateAfterMs ? next : kRecreateAfterMs;
      continue;
    }
    const ::DWORD idle = instance.DropIfIdle(body, now);
    next = next < idle ? next : idle;
  }
  return next;
}

} // namespace hg
