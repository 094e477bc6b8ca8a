// The program's formatter and reader against the Windows C runtimes, under
// Wine: mingw-w64's own snprintf and sscanf (the ones hourgauge.exe used
// before it had its own) with their whole contract, and msvcrt's sscanf and
// _vsnprintf (the latter only where its result fits: it differs from C99
// when it cuts). Every input runs through all four checks.
//
//   crtdiff [--random COUNT [SEED]] [FILE|FOLDER]...
//
// Files are fuzz inputs (fuzz/corpus/FormatText, fuzz/corpus/ScanText, any
// others); --random adds COUNT inputs of random bytes. Prints the number of
// inputs and the differences found for each check (the first five of each
// in full; every one with CRTDIFF_ALL=1 set); exits 1 when there was one.
#include "fuzz/targets/FormatDiff.h"
#include "fuzz/targets/FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// msvcrt's sscanf with a va_list (libmingwex); stdio.h declares it only
// when the ANSI routines are not the default.
extern "C" int __cdecl __ms_vsscanf(const char* text, const char* fmt, std::va_list args);

namespace {

using namespace hg::fuzz;

struct Mismatch : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void ThrowMismatch(const char*, int, const std::string& what) {
  throw Mismatch(what);
}

int MsvcrtVsnprintf(char* buf, std::size_t size, const char* fmt, std::va_list args) {
  return _vsnprintf(buf, size, fmt, args);
}

struct Check {
  const char* name;
  void (*run)(const std::uint8_t*, std::size_t);
  long long inputs = 0;
  long long differences = 0;
};

Check g_checks[] = {
    {"mingw-w64 snprintf",
     [](const std::uint8_t* d, std::size_t n) {
       CheckFormatText(d, n, &__mingw_vsnprintf, FormatContract::kC99);
     }},
    {"msvcrt _vsnprintf (fitting results)",
     [](const std::uint8_t* d, std::size_t n) {
       CheckFormatText(d, n, &MsvcrtVsnprintf, FormatContract::kFittingOnly);
     }},
    {"mingw-w64 sscanf",
     [](const std::uint8_t* d, std::size_t n) { CheckScanText(d, n, &__mingw_vsscanf); }},
    {"msvcrt sscanf",
     [](const std::uint8_t* d, std::size_t n) {
       CheckScanText(d, n, &__ms_vsscanf, ScanContract::kMsvcrt);
     }},
};

void RunAll(const std::uint8_t* data, std::size_t size) {
  for (Check& check : g_checks) {
    ++check.inputs;
    try {
      check.run(data, size);
    } catch (const Mismatch& m) {
      if (++check.differences <= (std::getenv("CRTDIFF_ALL") ? 1000000 : 5))
        std::printf("%s: %s\n", check.name, m.what());
    }
  }
}

void RunFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  RunAll(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// xorshift64*: the same inputs for the same seed on every run.
std::uint64_t Next(std::uint64_t& state) {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  return state * 0x2545F4914F6CDD1DULL;
}

} // namespace

int main(int argc, char** argv) {
  SetFailureHandler(&ThrowMismatch);
  long long files = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--random") == 0 && i + 1 < argc) {
      long long count = std::atoll(argv[++i]);
      std::uint64_t state = 0x9E3779B97F4A7C15ULL;
      if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9')
        state ^= std::strtoull(argv[++i], nullptr, 10);
      std::uint8_t data[96];
      for (long long n = 0; n < count; ++n) {
        std::size_t size = static_cast<std::size_t>(Next(state) % sizeof data);
        for (std::size_t k = 0; k < size; ++k)
          data[k] = static_cast<std::uint8_t>(Next(state) >> 56);
        RunAll(data, size);
      }
      continue;
    }
    std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) {
          RunFile(entry.path());
          ++files;
        }
    } else {
      RunFile(path);
      ++files;
    }
  }
  int status = 0;
  std::printf("files: %lld\n", files);
  for (const Check& check : g_checks) {
    std::printf("%s: %lld inputs, %lld differences\n", check.name, check.inputs, check.differences);
    if (check.differences != 0)
      status = 1;
  }
  return status;
}
