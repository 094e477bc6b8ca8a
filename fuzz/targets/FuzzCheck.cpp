#include "fuzz/targets/FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

namespace hg::fuzz {
namespace {
FailureHandler s_handler = nullptr;
}

void SetFailureHandler(FailureHandler handler) {
  s_handler = handler;
}

void Fail(const char* file, int line, const std::string& what) {
  if (s_handler != nullptr)
    s_handler(file, line, what); // expected not to return (it throws)
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what.c_str());
  std::fflush(stderr);
  std::abort();
}

} // namespace hg::fuzz
