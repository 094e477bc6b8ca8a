// Enforcement's last step: have Windows turn the PC off. Asked again on
// every tick while the day stays spent, so a request Windows refused or
// that a program held up is tried anew.
#pragma once

namespace hg {

class PowerOff {
public:
  virtual ~PowerOff() = default;
  virtual void Request() = 0;
};

} // namespace hg
