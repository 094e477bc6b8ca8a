// What tests and benchmarks set inside the accountant directly: the
// remaining time, to reach a spent day or keep away from one without
// running the clock for an hour.
#pragma once
#include "accounting/Accountant.h"

namespace hg {

struct AccountantTestAccess {
  static void SetLastTime(CAccountant& accountant, std::int32_t seconds) {
    accountant.m_nLastTime = seconds;
  }
};

} // namespace hg
