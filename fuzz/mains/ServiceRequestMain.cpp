// libFuzzer entry for the ServiceRequest target.
#include "fuzz/targets/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return hg::fuzz::FuzzServiceRequest(data, size);
}
