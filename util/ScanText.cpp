#include "util/ScanText.h"

#include <cstdarg>

namespace hg {
namespace {

// The C locale's white space, which is what sscanf skips in a program that
// never calls setlocale.
bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

} // namespace

int ScanText(const char* text, const char* fmt, ...) {
  std::va_list args;
  va_start(args, fmt);
  const char* in = text;
  int stored = 0;
  // The text ending before a directive is satisfied is an input failure:
  // EOF when nothing was stored yet. Anything else that does not match
  // just stops the scan.
  auto inputFailure = [&stored] { return stored == 0 ? -1 : stored; };
  int result = 0;
  for (const char* f = fmt;; ++f) {
    if (*f == '\0') {
      result = stored;
      break;
    }
    if (IsBlank(*f)) {
      while (IsBlank(*in))
        ++in;
      continue;
    }
    if (*f != '%') {
      if (*in == *f) {
        ++in;
        continue;
      }
      result = *in == '\0' ? inputFailure() : stored;
      break;
    }
    int width = 0;
    for (++f; IsDigit(*f); ++f)
      width = width * 10 + (*f - '0');
    // Only "%Nd", N of 1 to 9; the header says why.
    if (*f != 'd' || width < 1 || width > 9) {
      result = stored;
      break;
    }
    while (IsBlank(*in))
      ++in;
    if (*in == '\0') {
      result = inputFailure();
      break;
    }
    bool negative = false;
    int used = 0;
    if (*in == '+' || *in == '-') {
      negative = *in++ == '-';
      ++used;
    }
    int value = 0;
    int digits = 0;
    for (; used < width && IsDigit(*in); ++used, ++digits)
      value = value * 10 + (*in++ - '0');
    if (digits == 0) {
      result = stored;
      break;
    }
    *va_arg(args, int*) = negative ? -value : value;
    ++stored;
  }
  va_end(args);
  return result;
}

} // namespace hg
