// libFuzzer entry for the FormatText target.
#include "fuzz/targets/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return hg::fuzz::FuzzFormatText(data, size);
}
