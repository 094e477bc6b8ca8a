// The program catches no exception, so a throw already ends it. These take
// the place of the C++ library's own: each ends the process where the
// library would have thrown, and the exe is spared the code that builds,
// throws and unwinds an exception (the library's versions construct
// std::logic_error and friends, which bring all of std::string's code).
// The first three are what the program's containers call today; the others
// are what std::string and std::function call on a bad position or an empty
// target, so that a new call of substr or at cannot bring all that back.
#include <cstdlib>
#include <new>

namespace std {
[[noreturn]] void __throw_bad_alloc() {
  std::abort();
}
[[noreturn]] void __throw_bad_array_new_length() {
  std::abort();
}
[[noreturn]] void __throw_length_error(const char*) {
  std::abort();
}
[[noreturn]] void __throw_logic_error(const char*) {
  std::abort();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
  std::abort();
}
[[noreturn]] void __throw_bad_function_call() {
  std::abort();
}
} // namespace std

// The library's operator new throws std::bad_alloc itself; this one ends
// the process on an exhausted heap the same way an uncaught bad_alloc did.
void* operator new(std::size_t size) {
  if (void* p = std::malloc(size != 0 ? size : 1))
    return p;
  std::abort();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

// Should the runtime ever end the program, it ends quietly: the library's
// own handler would print the demangled name of an exception and brings a
// demangler of about 46 KB into the exe with it.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
} // namespace __gnu_cxx
