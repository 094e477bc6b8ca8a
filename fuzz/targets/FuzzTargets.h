// The fuzz targets: each takes arbitrary bytes, drives one part of the
// program with them and checks what must hold for every input. A libFuzzer
// entry point calls one of them (fuzz/mains/); the corpus replay test calls
// every one of them over the committed corpus (tests/unit/fuzz/).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace hg::fuzz {

// The leading decimal number of a stored value against a reference reading.
int FuzzStoredNumber(const std::uint8_t* data, std::size_t size);
// The time text: fields in range when accepted, and a format/parse round trip.
int FuzzTimeText(const std::uint8_t* data, std::size_t size);
// The password scramble and its key-byte rule.
int FuzzScramble(const std::uint8_t* data, std::size_t size);
// An event record from raw bytes, alone and through the log into the start-up
// and the recount of a running program.
int FuzzEventRecord(const std::uint8_t* data, std::size_t size);
// The whole program: zone, clock, registry, event log, faults, then a run of
// ticks, clock jumps, tray clicks and commands with a scripted user.
int FuzzProgram(const std::uint8_t* data, std::size_t size);
// The program's formatter and reader against the C library's vsnprintf and
// vsscanf (fuzz/targets/FormatDiff.h).
int FuzzFormatText(const std::uint8_t* data, std::size_t size);
int FuzzScanText(const std::uint8_t* data, std::size_t size);
// The service's pipe: messages of any bytes from several connections.
int FuzzServiceRequest(const std::uint8_t* data, std::size_t size);

using TargetFn = int (*)(const std::uint8_t*, std::size_t);
struct Target {
  const char* name; // also the corpus folder under fuzz/corpus/
  TargetFn fn;
};
inline constexpr Target kTargets[] = {
    {"StoredNumber", &FuzzStoredNumber}, {"TimeText", &FuzzTimeText},
    {"Scramble", &FuzzScramble},         {"EventRecord", &FuzzEventRecord},
    {"Program", &FuzzProgram},           {"FormatText", &FuzzFormatText},
    {"ScanText", &FuzzScanText},         {"ServiceRequest", &FuzzServiceRequest},
};

// A broken check. The default handler prints the failure and aborts, which
// is what libFuzzer catches; the replay test installs one that throws, so a
// failing corpus file becomes a failed test rather than a dead test program.
using FailureHandler = void (*)(const char* file, int line, const std::string& what);
void SetFailureHandler(FailureHandler handler);
[[noreturn]] void Fail(const char* file, int line, const std::string& what);

} // namespace hg::fuzz

#define HG_FUZZ_CHECK(condition, detail)                                                           \
  do {                                                                                             \
    if (!(condition))                                                                              \
      ::hg::fuzz::Fail(__FILE__, __LINE__, std::string(#condition) + ": " + (detail));             \
  } while (false)
