// The program's texts are code page 932 bytes; Windows shows them right on
// every system only when they arrive as UTF-16. Fixed buffers: every text of
// the program is short, and a code page 932 text never has more UTF-16
// units than bytes.
#pragma once
#include <windows.h>

namespace hg {

inline constexpr UINT kProgramCodePage = 932;

// Converts into `out` (capacity in units), always terminated; a text too long
// for it is cut.
void ToUtf16(const char* text, wchar_t* out, int capacity);
// Converts a UTF-16 text into `out` (capacity in bytes) as code page 932,
// always terminated; returns the bytes written without the terminator.
int FromUtf16(const wchar_t* text, int units, char* out, int capacity);

} // namespace hg
