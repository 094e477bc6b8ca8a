// Heap allocations of the benchmark program, counted by a replaced global
// operator new and by malloc, calloc, realloc and the aligned forms (this
// binary's own definitions win over the C library's, so allocations made
// inside the C++ library count too).
#pragma once
#include <cstdint>

namespace hg::bench {

// Allocations since the program started.
std::uint64_t HeapAllocations();

// While on, every allocation prints its call stack to stderr (raw
// addresses and symbols; pipe through c++filt). For finding where the
// allocations of an otherwise quiet loop come from.
void TraceAllocations(bool on);

} // namespace hg::bench
