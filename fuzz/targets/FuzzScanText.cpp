// The program's reader against the C library's vsscanf, on the time text's
// format and on other formats of its directives.
#include "fuzz/targets/FormatDiff.h"
#include "fuzz/targets/FuzzTargets.h"

#include <cstdio>

namespace hg::fuzz {

int FuzzScanText(const std::uint8_t* data, std::size_t size) {
  CheckScanText(data, size, &std::vsscanf);
  return 0;
}

} // namespace hg::fuzz
