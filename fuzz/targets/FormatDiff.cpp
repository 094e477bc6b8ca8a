#include "fuzz/targets/FormatDiff.h"

#include "fuzz/targets/FuzzInput.h"
#include "fuzz/targets/FuzzTargets.h"
#include "util/FormatText.h"
#include "util/ScanText.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace hg::fuzz {
namespace {

// --- formatter ---------------------------------------------------------------

enum class ArgKind { kInt, kUnsigned, kLongLong, kULongLong, kText };

struct FormatArg {
  ArgKind kind = ArgKind::kInt;
  std::uint64_t bits = 0;
  std::string text;
};

struct FormatCase {
  std::string fmt;
  std::vector<FormatArg> args;
  std::size_t bufSize = 0;
  bool nullBuffer = false; // size 0 only: snprintf(NULL, 0, ...) measures
  VFormatFn reference = nullptr;
  FormatContract contract = FormatContract::kC99;
};

// Calls are typed at compile time, so the argument lists are built by
// recursion over the kinds; four arguments cover every pair of directives.
constexpr std::size_t kMaxArgs = 4;

std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      FormatText(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

std::string Describe(const FormatCase& c) {
  std::string out = "format \"" + Printable(c.fmt) + "\" size " + std::to_string(c.bufSize);
  for (const FormatArg& arg : c.args)
    out += arg.kind == ArgKind::kText ? " \"" + Printable(arg.text) + "\""
                                      : " " + std::to_string(static_cast<long long>(arg.bits));
  return out;
}

void CompareFormat(const FormatCase* c, ...) {
  constexpr std::size_t kGuard = 16;
  constexpr char kFill = '\x5a';
  std::va_list args, mine, theirs;
  va_start(args, c);
  if (c->contract == FormatContract::kC99) {
    std::vector<char> got(c->bufSize + kGuard, kFill), want(c->bufSize + kGuard, kFill);
    va_copy(mine, args);
    int gotLength =
        FormatTextV(c->nullBuffer ? nullptr : got.data(), c->bufSize, c->fmt.c_str(), mine);
    va_end(mine);
    va_copy(theirs, args);
    int wantLength =
        c->reference(c->nullBuffer ? nullptr : want.data(), c->bufSize, c->fmt.c_str(), theirs);
    va_end(theirs);
    va_end(args);
    HG_FUZZ_CHECK(gotLength == wantLength, Describe(*c) + ": returned " +
                                               std::to_string(gotLength) + ", expected " +
                                               std::to_string(wantLength));
    HG_FUZZ_CHECK(got == want,
                  Describe(*c) + ": wrote \"" + Printable(std::string(got.begin(), got.end())) +
                      "\", expected \"" + Printable(std::string(want.begin(), want.end())) + "\"");
    return;
  }
  // Only a result that fits, in a buffer with room for it.
  char got[1024], want[1024];
  va_copy(mine, args);
  int gotLength = FormatTextV(got, sizeof got, c->fmt.c_str(), mine);
  va_end(mine);
  va_copy(theirs, args);
  int wantLength = c->reference(want, sizeof want, c->fmt.c_str(), theirs);
  va_end(theirs);
  va_end(args);
  if (gotLength < 0 || gotLength >= static_cast<int>(sizeof got))
    return;
  HG_FUZZ_CHECK(gotLength == wantLength, Describe(*c) + ": returned " + std::to_string(gotLength) +
                                             ", expected " + std::to_string(wantLength));
  HG_FUZZ_CHECK(std::strcmp(got, want) == 0, Describe(*c) + ": wrote \"" + Printable(got) +
                                                 "\", expected \"" + Printable(want) + "\"");
}

template <class... A> void CallWith(const FormatCase& c, A... args) {
  constexpr std::size_t n = sizeof...(A);
  if constexpr (n < kMaxArgs) {
    if (n < c.args.size()) {
      const FormatArg& arg = c.args[n];
      switch (arg.kind) {
      case ArgKind::kInt:
        return CallWith(c, args..., static_cast<int>(static_cast<std::uint32_t>(arg.bits)));
      case ArgKind::kUnsigned:
        return CallWith(c, args..., static_cast<unsigned>(arg.bits));
      case ArgKind::kLongLong:
        return CallWith(c, args..., static_cast<long long>(arg.bits));
      case ArgKind::kULongLong:
        return CallWith(c, args..., static_cast<unsigned long long>(arg.bits));
      case ArgKind::kText:
        return CallWith(c, args..., arg.text.c_str());
      }
    }
  }
  CompareFormat(&c, args...);
}

// Edge values first: a small pick reaches them from few bytes.
std::uint64_t Number(FuzzInput& in, bool wide) {
  static const std::int64_t kEdges[] = {0,   1,       -1,      9,        10,        -10,      99,
                                        100, INT_MIN, INT_MAX, UINT_MAX, LLONG_MIN, LLONG_MAX};
  if (in.Bool())
    return static_cast<std::uint64_t>(in.Pick(kEdges));
  std::uint64_t low = in.U32();
  return wide ? low | static_cast<std::uint64_t>(in.U32()) << 32 : low;
}

std::string Literal(FuzzInput& in) {
  std::string text = in.Bytes(12);
  std::string out;
  for (char ch : text)
    if (ch != '%' && ch != '\0')
      out.push_back(ch);
  return out;
}

// One directive and its argument, if it takes one.
void AddDirective(FuzzInput& in, FormatCase& c) {
  static const char kConversions[] = {'d', 'u', 'x', 's', '%'};
  char conversion = in.Pick(kConversions);
  if (conversion == '%') {
    c.fmt += "%%";
    return;
  }
  c.fmt += '%';
  int flags = static_cast<int>(in.Int(0, 5));
  static const char* const kFlags[] = {"", "0", "-", "0-", "-0", "00"};
  if (conversion != 's' || flags == 2) // no '0' with %s: C leaves it undefined
    c.fmt += kFlags[flags];
  switch (in.Int(0, 3)) {
  case 0:
    break;
  case 1:
    c.fmt += std::to_string(in.Int(1, 9));
    break;
  case 2:
    c.fmt += std::to_string(in.Int(10, 40));
    break;
  default:
    c.fmt += std::to_string(in.Int(41, 300));
    break;
  }
  FormatArg arg;
  if (conversion == 's') {
    arg.kind = ArgKind::kText;
    arg.text = Literal(in) + Literal(in);
  } else {
    bool wide = in.Bool();
    if (wide)
      c.fmt += "ll";
    arg.kind = conversion == 'd' ? (wide ? ArgKind::kLongLong : ArgKind::kInt)
                                 : (wide ? ArgKind::kULongLong : ArgKind::kUnsigned);
    arg.bits = Number(in, wide);
  }
  c.fmt += conversion;
  c.args.push_back(arg);
}

// --- reader ----------------------------------------------------------------

constexpr int kMaxFields = 9;
constexpr char kTimeTextFormat[] = "%2d/%2d %2d:%2d:%2d";

// Texts built from pieces a time text is made of, so that random bytes get
// past the first field too.
std::string ScanInput(FuzzInput& in) {
  if (in.Bool())
    return Literal(in) + Literal(in) + Literal(in);
  static const char* const kPieces[] = {"0", "1", "2", "9",  "12", "31", "59", "60", "123",
                                        "+", "-", " ", "\t", "\n", "\v", "/",  ":",  "x"};
  std::string text;
  for (int n = static_cast<int>(in.Int(0, 24)); n > 0 && !in.Empty(); --n) {
    if (in.Int(0, 7) == 0)
      text.push_back(static_cast<char>(in.Int(1, 255)));
    else
      text += in.Pick(kPieces);
  }
  return text;
}

std::string ScanFormat(FuzzInput& in) {
  if (in.Int(0, 3) != 0)
    return kTimeTextFormat;
  std::string fmt;
  int fields = 0;
  for (int n = static_cast<int>(in.Int(0, 12)); n > 0; --n) {
    if (fields < kMaxFields && in.Bool()) {
      fmt += "%" + std::to_string(in.Int(1, 9)) + "d";
      ++fields;
      continue;
    }
    // ASCII only, as ScanText's formats: mingw-w64's sscanf does not
    // treat a format byte above 0x7f as C does.
    static const char kLiterals[] = {' ', '\t', '\n', '\v', '/', ':', '-', '+', '0', '5', 'x'};
    fmt.push_back(in.Pick(kLiterals));
  }
  return fmt;
}

int ScanWith(VScanFn fn, const char* text, const char* fmt, ...) {
  std::va_list args;
  va_start(args, fmt);
  int result = fn(text, fmt, args);
  va_end(args);
  return result;
}

int MyScan(const char* text, const char* fmt, std::va_list args) {
  // ScanText is variadic only: pass the nine pointers on.
  int* f[kMaxFields];
  for (int*& p : f)
    p = va_arg(args, int*);
  return ScanText(text, fmt, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]);
}

// What a reference gives where C's result is `result`.
int ReferenceResult(ScanContract contract, int result, const std::string& text,
                    const std::string& fmt) {
  if (result > 0)
    return result;
  if (contract == ScanContract::kMsvcrt)
    return text.empty() && !fmt.empty() ? -1 : 0;
  return result;
}

} // namespace

void CheckFormatText(const std::uint8_t* data, std::size_t size, VFormatFn reference,
                     FormatContract contract) {
  FuzzInput in(data, size);
  FormatCase c;
  c.reference = reference;
  c.contract = contract;
  static const std::size_t kSizes[] = {0, 1, 2, 3, 4, 5, 8, 16, 32, 64, 128, 512};
  c.bufSize = in.Pick(kSizes);
  if (in.Int(0, 3) == 0)
    c.bufSize = static_cast<std::size_t>(in.Int(0, 100));
  c.nullBuffer = c.bufSize == 0 && in.Bool();
  c.fmt = Literal(in);
  for (int n = static_cast<int>(in.Int(0, kMaxArgs + 1)); n > 0 && c.args.size() < kMaxArgs; --n) {
    AddDirective(in, c);
    c.fmt += Literal(in);
  }
  CallWith(c);
}

void CheckScanText(const std::uint8_t* data, std::size_t size, VScanFn reference,
                   ScanContract contract) {
  FuzzInput in(data, size);
  const std::string fmt = ScanFormat(in);
  const std::string text = ScanInput(in);
  int got[kMaxFields], want[kMaxFields];
  for (int i = 0; i < kMaxFields; ++i)
    got[i] = want[i] = 0x5a5a0000 + i; // a field not stored keeps this
  int gotResult = ScanWith(&MyScan, text.c_str(), fmt.c_str(), &got[0], &got[1], &got[2], &got[3],
                           &got[4], &got[5], &got[6], &got[7], &got[8]);
  int wantResult = ScanWith(reference, text.c_str(), fmt.c_str(), &want[0], &want[1], &want[2],
                            &want[3], &want[4], &want[5], &want[6], &want[7], &want[8]);
  std::string what = "text \"" + Printable(text) + "\" format \"" + Printable(fmt) + "\"";
  HG_FUZZ_CHECK(ReferenceResult(contract, gotResult, text, fmt) == wantResult,
                what + ": returned " + std::to_string(gotResult) + ", the reference " +
                    std::to_string(wantResult));
  for (int i = 0; i < kMaxFields; ++i)
    HG_FUZZ_CHECK(got[i] == want[i], what + ": field " + std::to_string(i) + " is " +
                                         std::to_string(got[i]) + ", expected " +
                                         std::to_string(want[i]));
}

} // namespace hg::fuzz
