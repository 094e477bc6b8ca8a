#include "service/win32/PipeSecurity.h"

#include <sddl.h>

namespace hg {

CPipeSecurity::~CPipeSecurity() {
  if (m_descriptor != nullptr)
    ::LocalFree(m_descriptor);
}

::DWORD CPipeSecurity::Create() {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSddl, SDDL_REVISION_1,
                                                              &m_descriptor, nullptr))
    return ::GetLastError();
  m_attributes.nLength = sizeof m_attributes;
  m_attributes.lpSecurityDescriptor = m_descriptor;
  m_attributes.bInheritHandle = FALSE;
  return NO_ERROR;
}

} // namespace hg
