// The part of snprintf the program uses, without the C runtime's formatter
// (whose floating-point code alone is larger than most of the program).
//
// Directives: %d %u %x (int), %lld %llu %llx (long long), %s, %%; flags '0'
// and '-', a decimal width. Same contract as snprintf: writes at most size
// bytes, the last one always the terminator when size > 0, and returns the
// length of the whole text, so a result >= size means it was cut. Any other
// directive is copied as it stands.
#pragma once
#include <cstdarg>
#include <cstddef>

#if defined(__clang__)
#define HG_PRINTF_LIKE(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define HG_PRINTF_LIKE(fmt, first) __attribute__((format(gnu_printf, fmt, first)))
#endif

namespace hg {

int FormatText(char* buf, std::size_t size, const char* fmt, ...) HG_PRINTF_LIKE(3, 4);
int FormatTextV(char* buf, std::size_t size, const char* fmt, std::va_list args);

} // namespace hg
