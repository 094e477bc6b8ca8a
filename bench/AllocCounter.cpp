#include "bench/AllocCounter.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <new>
#include <unistd.h>

// The C library's own allocator, under the names glibc exports it by.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace hg::bench {
namespace {
std::uint64_t g_allocations = 0;
bool g_tracing = false;
bool g_inTrace = false;

void Count() {
  ++g_allocations;
  if (!g_tracing || g_inTrace)
    return;
  g_inTrace = true; // backtrace() may allocate on its first use
  void* frames[24];
  int n = backtrace(frames, 24);
  static const char kRule[] = "---- allocation\n";
  [[maybe_unused]] ssize_t w = write(2, kRule, sizeof kRule - 1);
  backtrace_symbols_fd(frames + 1, n - 1, 2); // from the allocating function on
  g_inTrace = false;
}
} // namespace

std::uint64_t HeapAllocations() {
  return g_allocations;
}

void TraceAllocations(bool on) {
  if (on) {
    // Load what backtrace() needs before any allocation is traced.
    void* frame[1];
    g_inTrace = true;
    backtrace(frame, 1);
    g_inTrace = false;
  }
  g_tracing = on;
}

} // namespace hg::bench

using hg::bench::Count;

extern "C" {
void* malloc(std::size_t size) noexcept {
  Count();
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  Count();
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept {
  Count();
  return __libc_realloc(block, size);
}
void free(void* block) noexcept {
  __libc_free(block);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
  Count();
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr)
    return ENOMEM;
  *out = block;
  return 0;
}
}

namespace {
void* Allocate(std::size_t size) {
  Count();
  if (void* block = __libc_malloc(size == 0 ? 1 : size))
    return block;
  throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  Count();
  return __libc_malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  Count();
  return __libc_malloc(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept {
  __libc_free(block);
}
void operator delete[](void* block) noexcept {
  __libc_free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  __libc_free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  __libc_free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  __libc_free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  __libc_free(block);
}
