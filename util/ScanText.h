// The part of sscanf the program uses, without the C runtime's scanner (and
// the floating-point reader that comes with it).
//
// Directives: "%Nd" with a width N of 1 to 9 (so no field can overflow an
// int), a white-space character (skips any run of blanks, none included),
// and any other ASCII character, which must match itself (mingw-w64's
// sscanf does not treat a format byte above 0x7f as C does).
//
// Same contract as sscanf: returns the number of fields stored, or EOF (-1)
// when the text ended before the first field was converted; fields after a
// failure are left as they were.
#pragma once

#if defined(__clang__)
#define HG_SCANF_LIKE(fmt, first) __attribute__((format(scanf, fmt, first)))
#else
#define HG_SCANF_LIKE(fmt, first) __attribute__((format(gnu_scanf, fmt, first)))
#endif

namespace hg {

int ScanText(const char* text, const char* fmt, ...) HG_SCANF_LIKE(2, 3);

} // namespace hg
