// The program's formatter against the C library's vsnprintf, over formats of
// its own directives, edge and random arguments and every buffer size.
#include "fuzz/targets/FormatDiff.h"
#include "fuzz/targets/FuzzTargets.h"

#include <cstdio>

namespace hg::fuzz {

int FuzzFormatText(const std::uint8_t* data, std::size_t size) {
  CheckFormatText(data, size, &std::vsnprintf, FormatContract::kC99);
  return 0;
}

} // namespace hg::fuzz
