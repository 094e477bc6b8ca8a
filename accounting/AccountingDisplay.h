// Where the accounting shows what it knows. It hands over values only: the
// tray program turns them into its tooltip, balloons and countdown window,
// and a host without a desktop may show nothing.
#pragma once
#include "accounting/PowerOffNotice.h"
#include "accounting/SessionScan.h"

#include <cstdint>

namespace hg {

class AccountingDisplay {
public:
  virtual ~AccountingDisplay() = default;
  // The remaining seconds of today's allowance (negative once spent).
  virtual void ShowRemaining(std::int32_t seconds) = 0;
  // The recount's buckets: seconds of use of the local dates in `days`,
  // today first.
  virtual void ShowUsage(const DayTable& days, const std::int32_t (&seconds)[kUsageDays]) = 0;
  // What this tick has to say before a power-off.
  virtual void ShowNotice(const Notice& notice) = 0;
};

} // namespace hg
