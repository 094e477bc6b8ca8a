// Differential checks of the program's own formatter and reader against a C
// runtime's vsnprintf and vsscanf: the Linux C library in the fuzz targets
// and the corpus replay, mingw-w64's and msvcrt's under Wine (fuzz/wine/).
// Each decodes one case from fuzz bytes and fails a fuzz check on the first
// difference.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace hg::fuzz {

using VFormatFn = int (*)(char* buf, std::size_t size, const char* fmt, std::va_list args);
using VScanFn = int (*)(const char* text, const char* fmt, std::va_list args);

// How much of snprintf's contract a reference keeps: all of it (the C99
// routines of glibc and mingw-w64), or only the text and length of a result
// that fits (msvcrt's _vsnprintf returns -1 and may leave no terminator when
// it cuts).
enum class FormatContract { kC99, kFittingOnly };

// A format of FormatText's directives with its arguments and a buffer size:
// the same return value and the same bytes in (and around) the buffer.
void CheckFormatText(const std::uint8_t* data, std::size_t size, VFormatFn reference,
                     FormatContract contract);

// How a reference's sscanf reports that nothing was stored: as C says (EOF
// when the text ended first, else 0: glibc, mingw-w64), or as msvcrt does
// (EOF exactly when both text and format are not empty but the text is).
enum class ScanContract { kC, kMsvcrt };

// A text and a format of ScanText's directives (mostly the time text's own):
// the same result and the same fields stored, the others left alone.
void CheckScanText(const std::uint8_t* data, std::size_t size, VScanFn reference,
                   ScanContract contract = ScanContract::kC);

} // namespace hg::fuzz
