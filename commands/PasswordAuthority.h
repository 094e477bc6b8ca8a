// Where a password dialog has the typed password judged when the program
// itself may not read the stored one: the service. Each answer is 0 when
// accepted, or the string id of the refusal the dialog shows.
#pragma once
#include "platform/WinDefs.h"

#include <string>

namespace hg {

class PasswordAuthority {
public:
  virtual ~PasswordAuthority() = default;
  virtual UINT CheckPassword(const std::string& typed) = 0;
  virtual UINT ChangePassword(const std::string& old, const std::string& typedNew) = 0;
};

} // namespace hg
