// libFuzzer entry for the EventRecord target.
#include "fuzz/targets/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return hg::fuzz::FuzzEventRecord(data, size);
}
