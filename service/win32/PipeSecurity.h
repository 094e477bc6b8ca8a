// The pipe's security: SYSTEM and Administrators full control; interactive
// users (a child's account among them) may read and write messages but
// not open server instances of their own. FILE_GENERIC_WRITE would include
// FILE_CREATE_PIPE_INSTANCE (it is FILE_APPEND_DATA), so their grant is
// spelled out: read and write data, attributes and extended attributes,
// read the DACL, synchronize (0x12019b).
#pragma once
#include "service/win32/Win32Headers.h"

namespace hg {

inline constexpr wchar_t kPipeSddl[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x12019b;;;IU)";

class CPipeSecurity {
public:
  CPipeSecurity() = default;
  ~CPipeSecurity();
  CPipeSecurity(const CPipeSecurity&) = delete;
  CPipeSecurity& operator=(const CPipeSecurity&) = delete;

  // NO_ERROR, or the error of the conversion.
  ::DWORD Create();
  SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }

private:
  PSECURITY_DESCRIPTOR m_descriptor = nullptr;
  SECURITY_ATTRIBUTES m_attributes{};
};

} // namespace hg
