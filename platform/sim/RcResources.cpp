#include "platform/sim/RcResources.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <utility>

#ifndef HG_RC_PATH
#error "HG_RC_PATH must name res/hourgauge.rc (set by CMake on hg_sim)"
#endif

namespace hg::sim {
namespace {

// Win32 values, under names of our own: WinDefs.h defines some of the
// Windows names as macros.
constexpr DWORD kWsPopup = 0x80000000u;
constexpr DWORD kWsChild = 0x40000000u;
constexpr DWORD kWsVisible = 0x10000000u;
constexpr DWORD kWsBorder = 0x00800000u;
constexpr DWORD kWsSysMenu = 0x00080000u;
constexpr DWORD kWsCaption = 0x00C00000u;
constexpr DWORD kWsGroup = 0x00020000u;
constexpr DWORD kWsTabStop = 0x00010000u;
constexpr DWORD kDsSetFont = 0x40u;
constexpr DWORD kEsLeft = 0x0u;
constexpr DWORD kEsPassword = 0x20u;
constexpr DWORD kBsPushButton = 0x0u;
constexpr DWORD kBsDefPushButton = 0x1u;
constexpr DWORD kSsLeft = 0x0u;
constexpr DWORD kSsCenter = 0x1u;
constexpr DWORD kSsRight = 0x2u;
constexpr DWORD kSsIcon = 0x3u;

// The names of <windows.h> a resource script of ours may use.
const std::map<std::string, long long>& WindowsNames() {
  static const std::map<std::string, long long> names = {
      // window styles
      {"WS_OVERLAPPED", 0x00000000},
      {"WS_POPUP", 0x80000000LL},
      {"WS_CHILD", 0x40000000},
      {"WS_MINIMIZE", 0x20000000},
      {"WS_VISIBLE", 0x10000000},
      {"WS_DISABLED", 0x08000000},
      {"WS_CLIPSIBLINGS", 0x04000000},
      {"WS_CLIPCHILDREN", 0x02000000},
      {"WS_MAXIMIZE", 0x01000000},
      {"WS_CAPTION", 0x00C00000},
      {"WS_BORDER", 0x00800000},
      {"WS_DLGFRAME", 0x00400000},
      {"WS_VSCROLL", 0x00200000},
      {"WS_HSCROLL", 0x00100000},
      {"WS_SYSMENU", 0x00080000},
      {"WS_THICKFRAME", 0x00040000},
      {"WS_GROUP", 0x00020000},
      {"WS_TABSTOP", 0x00010000},
      {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_MAXIMIZEBOX", 0x00010000},
      {"WS_EX_TOPMOST", 0x00000008},
      {"WS_EX_TOOLWINDOW", 0x00000080},
      {"WS_EX_CLIENTEDGE", 0x00000200},
      // dialog styles
      {"DS_ABSALIGN", 0x01},
      {"DS_SYSMODAL", 0x02},
      {"DS_LOCALEDIT", 0x20},
      {"DS_SETFONT", 0x40},
      {"DS_MODALFRAME", 0x80},
      {"DS_NOIDLEMSG", 0x100},
      {"DS_SETFOREGROUND", 0x200},
      {"DS_3DLOOK", 0x04},
      {"DS_FIXEDSYS", 0x08},
      {"DS_CENTER", 0x800},
      // edit styles
      {"ES_LEFT", 0x0000},
      {"ES_CENTER", 0x0001},
      {"ES_RIGHT", 0x0002},
      {"ES_MULTILINE", 0x0004},
      {"ES_UPPERCASE", 0x0008},
      {"ES_LOWERCASE", 0x0010},
      {"ES_PASSWORD", 0x0020},
      {"ES_AUTOVSCROLL", 0x0040},
      {"ES_AUTOHSCROLL", 0x0080},
      {"ES_NOHIDESEL", 0x0100},
      {"ES_READONLY", 0x0800},
      {"ES_NUMBER", 0x2000},
      // button styles
      {"BS_PUSHBUTTON", 0x0},
      {"BS_DEFPUSHBUTTON", 0x1},
      // static styles
      {"SS_LEFT", 0x0},
      {"SS_CENTER", 0x1},
      {"SS_RIGHT", 0x2},
      {"SS_ICON", 0x3},
      {"SS_NOPREFIX", 0x80},
      {"SS_CENTERIMAGE", 0x200},
      {"SS_SUNKEN", 0x1000},
      // command ids
      {"IDOK", 1},
      {"IDCANCEL", 2},
      {"IDABORT", 3},
      {"IDRETRY", 4},
      {"IDIGNORE", 5},
      {"IDYES", 6},
      {"IDNO", 7},
      // languages
      {"LANG_NEUTRAL", 0x00},
      {"LANG_ENGLISH", 0x09},
      {"LANG_JAPANESE", 0x11},
      {"SUBLANG_NEUTRAL", 0x00},
      {"SUBLANG_DEFAULT", 0x01},
      {"SUBLANG_ENGLISH_US", 0x01},
      // version block
      {"VS_VERSION_INFO", 1},
      {"VS_FFI_FILEFLAGSMASK", 0x3F},
      {"VS_FF_DEBUG", 0x01},
      {"VS_FF_PRERELEASE", 0x02},
      {"VS_FF_PATCHED", 0x04},
      {"VS_FF_PRIVATEBUILD", 0x08},
      {"VS_FF_INFOINFERRED", 0x10},
      {"VS_FF_SPECIALBUILD", 0x20},
      {"VOS_UNKNOWN", 0x0},
      {"VOS_NT", 0x40000},
      {"VOS__WINDOWS32", 0x4},
      {"VOS_NT_WINDOWS32", 0x40004},
      {"VFT_UNKNOWN", 0x0},
      {"VFT_APP", 0x1},
      {"VFT_DLL", 0x2},
      {"VFT2_UNKNOWN", 0x0},
  };
  return names;
}

enum class TokKind { Ident, Number, String, Punct };

struct Token {
  TokKind kind = TokKind::Punct;
  std::string text;    // identifier, punctuation, or the string's value (UTF-8)
  long long value = 0; // numbers
};

// Where a line came from, for messages: "line 12" or "resource.h line 3".
struct Where {
  std::string file; // empty for the script itself
  int line = 0;
  std::string Describe() const {
    std::string s = file.empty() ? std::string() : file + " ";
    return s + "line " + std::to_string(line);
  }
};

[[noreturn]] void Fail(const Where& where, const std::string& message) {
  throw std::runtime_error(where.Describe() + ": " + message);
}

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Removes comments from a line; a /* comment may run over lines, so the
// caller keeps inBlock between lines. Strings are left untouched.
std::string StripComments(const std::string& line, bool& inBlock) {
  std::string out;
  bool inString = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (inBlock) {
      if (c == '*' && i + 1 < line.size() && line[i + 1] == '/') {
        inBlock = false;
        ++i;
        out += ' ';
      }
      continue;
    }
    if (inString) {
      out += c;
      if (c == '\\' && i + 1 < line.size()) {
        out += line[++i];
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
      out += c;
    } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
      break;
    } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '*') {
      inBlock = true;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<Token> Tokenize(const std::string& text, const Where& where) {
  std::vector<Token> toks;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++i;
      continue;
    }
    if (c == '"' || (c == 'L' && i + 1 < n && text[i + 1] == '"')) {
      if (c == 'L')
        ++i;
      ++i; // opening quote
      Token t;
      t.kind = TokKind::String;
      bool closed = false;
      while (i < n) {
        char d = text[i++];
        if (d == '"') {
          if (i < n && text[i] == '"') { // "" is a quote inside the text
            t.text += '"';
            ++i;
            continue;
          }
          closed = true;
          break;
        }
        if (d == '\\') {
          if (i >= n)
            Fail(where, "a string ends in a lone backslash");
          char e = text[i++];
          switch (e) {
          case 'n':
            t.text += '\n';
            break;
          case 'r':
            t.text += '\r';
            break;
          case 't':
            t.text += '\t';
            break;
          case 'a':
            t.text += '\a';
            break;
          case '\\':
            t.text += '\\';
            break;
          case '"':
            t.text += '"';
            break;
          default:
            Fail(where, std::string("the escape \\") + e + " is not supported");
          }
          continue;
        }
        t.text += d;
      }
      if (!closed)
        Fail(where, "unterminated string");
      toks.push_back(std::move(t));
      continue;
    }
    if (IsDigit(c)) {
      std::size_t start = i;
      int base = 10;
      if (c == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
      }
      std::size_t digitsStart = i;
      while (i < n && (IsDigit(text[i]) || (base == 16 && ((text[i] >= 'a' && text[i] <= 'f') ||
                                                           (text[i] >= 'A' && text[i] <= 'F'))))) {
        ++i;
      }
      if (i == digitsStart)
        Fail(where, "a number without digits: " + text.substr(start, i - start));
      std::string digits = text.substr(digitsStart, i - digitsStart);
      while (i < n && (text[i] == 'L' || text[i] == 'l' || text[i] == 'U' || text[i] == 'u'))
        ++i;
      if (i < n && IsIdentChar(text[i])) {
        Fail(where, "malformed number " + text.substr(start, i - start + 1));
      }
      Token t;
      t.kind = TokKind::Number;
      t.text = text.substr(start, i - start);
      if (digits.size() > 10)
        Fail(where, "number out of range: " + t.text);
      t.value = std::stoll(digits, nullptr, base);
      if (t.value > 0xFFFFFFFFLL)
        Fail(where, "number out of range: " + t.text);
      toks.push_back(std::move(t));
      continue;
    }
    if (IsIdentStart(c)) {
      std::size_t start = i;
      while (i < n && IsIdentChar(text[i]))
        ++i;
      Token t;
      t.kind = TokKind::Ident;
      t.text = text.substr(start, i - start);
      toks.push_back(std::move(t));
      continue;
    }
    if (c == ',' || c == '|' || c == '(' || c == ')' || c == '-' || c == '+' || c == '~' ||
        c == '{' || c == '}') {
      Token t;
      t.kind = TokKind::Punct;
      t.text = std::string(1, c);
      toks.push_back(std::move(t));
      ++i;
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
      Fail(where, "text outside quotes is not supported");
    }
    Fail(where, std::string("unexpected character '") + c + "'");
  }
  return toks;
}

struct Symbols {
  std::map<std::string, long long> numbers;
  std::map<std::string, std::string> strings; // UTF-8
  bool Defined(const std::string& name) const {
    return numbers.count(name) || strings.count(name) || WindowsNames().count(name);
  }
};

struct SrcLine {
  Where where;
  std::vector<Token> toks;
};

// Reads the tokens of one statement line.
class Cursor {
public:
  Cursor(const SrcLine& line, const Symbols& symbols) : line_(line), symbols_(symbols) {}

  const Where& where() const { return line_.where; }
  bool AtEnd() const { return pos_ >= line_.toks.size(); }
  const Token* Peek() const { return AtEnd() ? nullptr : &line_.toks[pos_]; }

  bool PeekPunct(char c) const {
    const Token* t = Peek();
    return t && t->kind == TokKind::Punct && t->text.size() == 1 && t->text[0] == c;
  }
  bool PeekIdent(const char* word) const {
    const Token* t = Peek();
    return t && t->kind == TokKind::Ident && t->text == word;
  }
  bool TakeIdent(const char* word) {
    if (!PeekIdent(word))
      return false;
    ++pos_;
    return true;
  }
  bool TakePunct(char c) {
    if (!PeekPunct(c))
      return false;
    ++pos_;
    return true;
  }

  [[noreturn]] void FailHere(const std::string& message) const {
    std::string got = AtEnd() ? std::string("end of line") : Describe(*Peek());
    Fail(line_.where, message + ", found " + got);
  }

  std::string ExpectIdent(const char* what) {
    const Token* t = Peek();
    if (!t || t->kind != TokKind::Ident)
      FailHere(std::string("expected ") + what);
    ++pos_;
    return t->text;
  }

  void ExpectComma(const char* after) {
    if (!TakePunct(','))
      FailHere(std::string("expected ',' after ") + after);
  }

  void ExpectEnd() {
    if (!AtEnd())
      FailHere("expected the end of the line");
  }

  // A quoted string or the name of a string #define; UTF-8.
  std::string ExpectString(const char* what) {
    const Token* t = Peek();
    if (t && t->kind == TokKind::String) {
      ++pos_;
      return t->text;
    }
    if (t && t->kind == TokKind::Ident) {
      auto it = symbols_.strings.find(t->text);
      if (it != symbols_.strings.end()) {
        ++pos_;
        return it->second;
      }
    }
    FailHere(std::string("expected ") + what + " (a quoted text)");
  }

  // A text for the program: the string in code page 932.
  std::string ExpectText(const char* what) {
    std::string utf8 = ExpectString(what);
    try {
      return Utf8ToCp932(utf8);
    } catch (const std::exception& e) {
      Fail(line_.where, std::string(what) + ": " + e.what());
    }
  }

  bool PeekNumberStart() const {
    const Token* t = Peek();
    if (!t)
      return false;
    if (t->kind == TokKind::Number)
      return true;
    if (t->kind == TokKind::Ident)
      return !symbols_.strings.count(t->text) && t->text != "NOT";
    return PeekPunct('-') || PeekPunct('(') || PeekPunct('~');
  }

  // expr := unary { ('|' | '+' | '-') unary }
  long long ExpectNumber(const char* what) {
    long long v = Unary(what);
    for (;;) {
      if (TakePunct('|')) {
        v |= Unary(what);
      } else if (TakePunct('+')) {
        v += Unary(what);
      } else if (TakePunct('-')) {
        v -= Unary(what);
      } else {
        return v;
      }
    }
  }

  int ExpectInt(const char* what) { return static_cast<int>(ExpectNumber(what)); }

  // A style: base bits, then each '|'-separated term sets its bits, or with
  // NOT in front clears them.
  DWORD ExpectStyle(DWORD base, const char* what) {
    std::uint64_t style = base;
    do {
      bool clear = TakeIdent("NOT");
      std::uint64_t bits = static_cast<std::uint64_t>(Unary(what)) & 0xFFFFFFFFu;
      if (clear) {
        style &= ~bits;
      } else {
        style |= bits;
      }
    } while (TakePunct('|'));
    return static_cast<DWORD>(style & 0xFFFFFFFFu);
  }

private:
  static std::string Describe(const Token& t) {
    switch (t.kind) {
    case TokKind::String:
      return "a quoted text";
    case TokKind::Number:
      return "the number " + t.text;
    case TokKind::Ident:
      return "'" + t.text + "'";
    case TokKind::Punct:
      return "'" + t.text + "'";
    }
    return "?";
  }

  long long Unary(const char* what) {
    if (TakePunct('-'))
      return -Unary(what);
    if (TakePunct('~'))
      return ~Unary(what) & 0xFFFFFFFFLL;
    if (TakePunct('(')) {
      long long v = ExpectNumber(what);
      if (!TakePunct(')'))
        FailHere("expected ')'");
      return v;
    }
    const Token* t = Peek();
    if (t && t->kind == TokKind::Number) {
      ++pos_;
      return t->value;
    }
    if (t && t->kind == TokKind::Ident) {
      auto it = symbols_.numbers.find(t->text);
      if (it != symbols_.numbers.end()) {
        ++pos_;
        return it->second;
      }
      auto w = WindowsNames().find(t->text);
      if (w != WindowsNames().end()) {
        ++pos_;
        return w->second;
      }
      if (symbols_.strings.count(t->text)) {
        Fail(line_.where, t->text + " is a text, expected " + what);
      }
      Fail(line_.where, "unknown name " + t->text + " (expected " + what + ")");
    }
    FailHere(std::string("expected ") + what);
  }

  const SrcLine& line_;
  const Symbols& symbols_;
  std::size_t pos_ = 0;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot open " + path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string BaseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos)
    return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// Runs the #-lines of the script and of the files it includes, and collects
// the statement lines with their tokens.
class Preprocessor {
public:
  Preprocessor(std::string includeDir, Symbols& symbols, std::vector<SrcLine>& out)
      : includeDir_(std::move(includeDir)), symbols_(symbols), out_(out) {}

  void Run(const std::string& text, const std::string& file, int depth) {
    if (depth > 8)
      throw std::runtime_error(file + ": #include nested too deeply");
    std::vector<bool> active; // one entry per open #ifdef/#ifndef
    std::vector<Where> opened;
    bool inBlock = false;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
      ++number;
      Where where{file, number};
      if (number == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0)
        raw.erase(0, 3); // BOM
      bool wasInBlock = inBlock;
      std::string line = Trim(StripComments(raw, inBlock));
      if (line.empty())
        continue;
      bool live = std::find(active.begin(), active.end(), false) == active.end();
      if (line[0] == '#' && !wasInBlock) {
        Directive(line, where, active, opened, live, depth);
        continue;
      }
      if (!live)
        continue;
      if (!file.empty())
        Fail(where, "an included file may hold only # lines");
      out_.push_back(SrcLine{where, Tokenize(line, where)});
    }
    if (inBlock)
      Fail(Where{file, number}, "unterminated /* comment");
    if (!active.empty())
      Fail(opened.back(), "#ifdef or #ifndef without #endif");
  }

private:
  void Directive(const std::string& line, const Where& where, std::vector<bool>& active,
                 std::vector<Where>& opened, bool live, int depth) {
    std::size_t i = 1;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      ++i;
    std::size_t start = i;
    while (i < line.size() && IsIdentChar(line[i]))
      ++i;
    std::string name = line.substr(start, i - start);
    std::string rest = Trim(line.substr(i));

    if (name == "ifdef" || name == "ifndef") {
      auto toks = Tokenize(rest, where);
      if (toks.size() != 1 || toks[0].kind != TokKind::Ident)
        Fail(where, "#" + name + " needs one name");
      bool defined = symbols_.Defined(toks[0].text);
      active.push_back(name == "ifdef" ? defined : !defined);
      opened.push_back(where);
      return;
    }
    if (name == "else") {
      if (active.empty())
        Fail(where, "#else without #ifdef");
      active.back() = !active.back();
      return;
    }
    if (name == "endif") {
      if (active.empty())
        Fail(where, "#endif without #ifdef");
      active.pop_back();
      opened.pop_back();
      return;
    }
    if (!live)
      return;

    if (name == "pragma") {
      std::string arg = rest;
      arg.erase(std::remove(arg.begin(), arg.end(), ' '), arg.end());
      if (arg == "once")
        return;
      if (arg == "code_page(65001)")
        return;
      if (arg.rfind("code_page(", 0) == 0)
        Fail(where, "only #pragma code_page(65001) (UTF-8) is supported");
      Fail(where, "unknown #pragma " + rest);
    }
    if (name == "include") {
      if (rest == "<windows.h>")
        return; // its names are built in
      if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
        std::string inc = rest.substr(1, rest.size() - 2);
        std::string path = inc.find('/') == 0 ? inc : includeDir_ + "/" + inc;
        std::string text;
        try {
          text = ReadFile(path);
        } catch (const std::exception& e) {
          Fail(where, std::string("#include: ") + e.what());
        }
        Run(text, BaseName(inc), depth + 1);
        return;
      }
      Fail(where, "#include of " + rest + " is not supported (only <windows.h> and \"files\")");
    }
    if (name == "define") {
      std::size_t j = 0;
      while (j < rest.size() && IsIdentChar(rest[j]))
        ++j;
      std::string macro = rest.substr(0, j);
      if (macro.empty() || !IsIdentStart(macro[0]))
        Fail(where, "#define needs a name");
      if (j < rest.size() && rest[j] == '(')
        Fail(where, "macros with arguments are not supported");
      std::string value = Trim(rest.substr(j));
      SrcLine valueLine{where, Tokenize(value, where)};
      symbols_.numbers.erase(macro);
      symbols_.strings.erase(macro);
      if (valueLine.toks.empty()) {
        symbols_.numbers[macro] = 1;
      } else if (valueLine.toks.size() == 1 && valueLine.toks[0].kind == TokKind::String) {
        symbols_.strings[macro] = valueLine.toks[0].text;
      } else {
        Cursor c(valueLine, symbols_);
        long long v = c.ExpectNumber("a number for the #define");
        c.ExpectEnd();
        symbols_.numbers[macro] = v;
      }
      return;
    }
    if (name == "undef") {
      symbols_.numbers.erase(rest);
      symbols_.strings.erase(rest);
      return;
    }
    Fail(where, "#" + name + " is not supported");
  }

  std::string includeDir_;
  Symbols& symbols_;
  std::vector<SrcLine>& out_;
};

// Statement parser over the collected lines.
class Parser {
public:
  Parser(const std::vector<SrcLine>& lines, const Symbols& symbols)
      : lines_(lines), symbols_(symbols) {}

  RcResources Run() {
    while (next_ < lines_.size()) {
      const SrcLine& line = lines_[next_++];
      Cursor c(line, symbols_);
      if (c.TakeIdent("LANGUAGE")) {
        Language(c);
        continue;
      }
      if (c.TakeIdent("STRINGTABLE")) {
        c.ExpectEnd();
        StringTable(line.where);
        continue;
      }
      if (IsBlockWord(line, "BEGIN") || IsBlockWord(line, "END")) {
        Fail(line.where, "BEGIN or END outside a resource");
      }
      UINT id = static_cast<UINT>(c.ExpectNumber("a resource id"));
      std::string type = c.ExpectIdent("a resource type");
      if (type == "MENU") {
        c.ExpectEnd();
        Menu(id, line.where);
      } else if (type == "DIALOG" || type == "DIALOGEX") {
        Dialog(id, type == "DIALOGEX", c);
      } else if (type == "ICON") {
        std::string file = c.ExpectString("the icon's file name");
        c.ExpectEnd();
        if (!res_.icons.emplace(id, file).second)
          Fail(line.where, "icon " + std::to_string(id) + " defined twice");
      } else if (type == "VERSIONINFO") {
        c.ExpectEnd();
        VersionInfo(line.where);
      } else {
        Fail(line.where, "resource type " + type + " is not supported");
      }
    }
    return std::move(res_);
  }

private:
  static bool IsBlockWord(const SrcLine& line, const char* word) {
    if (line.toks.size() != 1)
      return false;
    const Token& t = line.toks[0];
    if (t.kind == TokKind::Ident)
      return t.text == word;
    if (t.kind == TokKind::Punct) {
      return (t.text == "{" && std::string(word) == "BEGIN") ||
             (t.text == "}" && std::string(word) == "END");
    }
    return false;
  }

  const SrcLine& NextLine(const Where& openedAt, const char* what) {
    if (next_ >= lines_.size()) {
      Fail(openedAt, std::string("the end of the file comes before the END of ") + what);
    }
    return lines_[next_++];
  }

  void ExpectBegin(const Where& openedAt, const char* what) {
    const SrcLine& line = NextLine(openedAt, what);
    if (!IsBlockWord(line, "BEGIN"))
      Fail(line.where, std::string("expected BEGIN of ") + what);
  }

  void Language(Cursor& c) {
    int primary = c.ExpectInt("a primary language");
    c.ExpectComma("the primary language");
    int sub = c.ExpectInt("a sublanguage");
    c.ExpectEnd();
    int lang = (sub << 10) | primary;
    if (!languageSet_ || lang == res_.language) {
      res_.language = lang;
      languageSet_ = true;
      current_ = -1;
      return;
    }
    for (std::size_t i = 0; i < res_.translations.size(); ++i) {
      if (res_.translations[i].language == lang) {
        current_ = static_cast<int>(i);
        return;
      }
    }
    RcResources translation;
    translation.language = lang;
    res_.translations.push_back(std::move(translation));
    current_ = static_cast<int>(res_.translations.size()) - 1;
  }

  // Where the statements of the current LANGUAGE block go.
  RcResources& Current() {
    return current_ < 0 ? res_ : res_.translations[static_cast<std::size_t>(current_)];
  }

  void Menu(UINT id, const Where& where) {
    RcMenu menu;
    menu.id = id;
    ExpectBegin(where, "the menu");
    MenuItems(menu.items, where);
    if (!Current().menus.emplace(id, std::move(menu)).second)
      Fail(where, "menu " + std::to_string(id) + " defined twice");
  }

  void MenuItems(std::vector<RcMenuItem>& items, const Where& openedAt) {
    for (;;) {
      const SrcLine& line = NextLine(openedAt, "the menu");
      if (IsBlockWord(line, "END"))
        return;
      Cursor c(line, symbols_);
      RcMenuItem item;
      if (c.TakeIdent("POPUP")) {
        item.popup = true;
        item.text = c.ExpectText("the popup's text");
        if (!c.AtEnd())
          c.FailHere("popup options are not supported");
        ExpectBegin(line.where, "the popup");
        MenuItems(item.items, line.where);
      } else if (c.TakeIdent("MENUITEM")) {
        if (c.TakeIdent("SEPARATOR")) {
          item.separator = true;
        } else {
          item.text = c.ExpectText("the menu item's text");
          c.ExpectComma("the menu item's text");
          item.id = static_cast<UINT>(c.ExpectNumber("the menu item's id"));
        }
        if (!c.AtEnd())
          c.FailHere("menu item options are not supported");
      } else {
        c.FailHere("expected POPUP, MENUITEM or END in the menu");
      }
      items.push_back(std::move(item));
    }
  }

  void Dialog(UINT id, bool extended, Cursor& c) {
    const Where openedAt = c.where();
    RcDialog d;
    d.id = id;
    d.extended = extended;
    d.x = c.ExpectInt("the dialog's x");
    c.ExpectComma("x");
    d.y = c.ExpectInt("the dialog's y");
    c.ExpectComma("y");
    d.cx = c.ExpectInt("the dialog's width");
    c.ExpectComma("the width");
    d.cy = c.ExpectInt("the dialog's height");
    if (extended && c.TakePunct(','))
      c.ExpectNumber("the help id");
    c.ExpectEnd();

    bool hasStyle = false, hasCaption = false, hasFont = false;
    DWORD style = 0;
    for (;;) {
      const SrcLine& line = NextLine(openedAt, "the dialog");
      if (IsBlockWord(line, "BEGIN"))
        break;
      Cursor o(line, symbols_);
      std::string word = o.ExpectIdent("STYLE, EXSTYLE, CAPTION, FONT or BEGIN");
      if (word == "STYLE") {
        style = o.ExpectStyle(0, "a dialog style");
        hasStyle = true;
      } else if (word == "EXSTYLE") {
        d.exStyle = o.ExpectStyle(0, "an extended style");
      } else if (word == "CAPTION") {
        d.caption = o.ExpectText("the caption");
        hasCaption = true;
      } else if (word == "FONT") {
        d.pointSize = o.ExpectInt("the point size");
        o.ExpectComma("the point size");
        d.fontFace = o.ExpectText("the font's face name");
        if (extended && o.TakePunct(',')) {
          d.fontWeight = o.ExpectInt("the font weight");
          o.ExpectComma("the font weight");
          d.fontItalic = o.ExpectInt("the italic flag");
          o.ExpectComma("the italic flag");
          d.fontCharset = o.ExpectInt("the character set");
        }
        hasFont = true;
      } else {
        Fail(line.where, "dialog statement " + word + " is not supported");
      }
      o.ExpectEnd();
    }
    // Without STYLE the compiler's default; CAPTION and FONT add their bits.
    d.style = hasStyle ? style : (kWsPopup | kWsBorder | kWsSysMenu);
    if (hasCaption)
      d.style |= kWsCaption;
    if (hasFont)
      d.style |= kDsSetFont;

    for (;;) {
      const SrcLine& line = NextLine(openedAt, "the dialog");
      if (IsBlockWord(line, "END"))
        break;
      d.controls.push_back(Control(line));
    }
    if (!Current().dialogs.emplace(id, std::move(d)).second) {
      Fail(openedAt, "dialog " + std::to_string(id) + " defined twice");
    }
  }

  RcControl Control(const SrcLine& line) {
    Cursor c(line, symbols_);
    RcControl k;
    k.line = line.where.line;
    k.kind = c.ExpectIdent("a control");
    DWORD defaults = 0, base = 0;
    bool hasText = true;
    bool sizeOptional = false;
    if (k.kind == "EDITTEXT") {
      defaults = base = kEsLeft | kWsBorder | kWsTabStop;
      hasText = false;
    } else if (k.kind == "PUSHBUTTON") {
      defaults = base = kBsPushButton | kWsTabStop;
    } else if (k.kind == "DEFPUSHBUTTON") {
      defaults = base = kBsDefPushButton | kWsTabStop;
    } else if (k.kind == "LTEXT") {
      base = kSsLeft;
      defaults = base | kWsGroup;
    } else if (k.kind == "RTEXT") {
      base = kSsRight;
      defaults = base | kWsGroup;
    } else if (k.kind == "CTEXT") {
      base = kSsCenter;
      defaults = base | kWsGroup;
    } else if (k.kind == "ICON") {
      defaults = base = kSsIcon;
      sizeOptional = true;
    } else {
      Fail(line.where, "control " + k.kind + " is not supported");
    }
    if (k.kind == "ICON") {
      if (c.Peek() && c.Peek()->kind == TokKind::String) {
        k.text = c.ExpectText("the icon's name");
      } else {
        k.text = std::to_string(c.ExpectNumber("the icon's id"));
      }
      c.ExpectComma("the icon");
    } else if (hasText) {
      k.text = c.ExpectText("the control's text");
      c.ExpectComma("the control's text");
    }
    k.id = c.ExpectInt("the control's id");
    c.ExpectComma("the control's id");
    k.x = c.ExpectInt("the control's x");
    c.ExpectComma("x");
    k.y = c.ExpectInt("the control's y");
    if (sizeOptional && c.AtEnd()) {
      k.style = kWsChild | kWsVisible | defaults;
      return k;
    }
    c.ExpectComma("y");
    k.cx = c.ExpectInt("the control's width");
    c.ExpectComma("the width");
    k.cy = c.ExpectInt("the control's height");
    k.style = kWsChild | kWsVisible | defaults;
    if (c.TakePunct(',')) {
      k.style = c.ExpectStyle(kWsChild | kWsVisible | base, "a control style");
      if (c.TakePunct(','))
        k.exStyle = c.ExpectStyle(0, "an extended style");
    }
    c.ExpectEnd();
    return k;
  }

  void StringTable(const Where& openedAt) {
    ExpectBegin(openedAt, "the string table");
    for (;;) {
      const SrcLine& line = NextLine(openedAt, "the string table");
      if (IsBlockWord(line, "END"))
        return;
      Cursor c(line, symbols_);
      UINT id = static_cast<UINT>(c.ExpectNumber("a string id"));
      c.TakePunct(',');
      std::string text = c.ExpectText("the string");
      c.ExpectEnd();
      if (!Current().strings.emplace(id, std::move(text)).second) {
        Fail(line.where, "string " + std::to_string(id) + " defined twice");
      }
    }
  }

  void VersionInfo(const Where& openedAt) {
    for (;;) {
      const SrcLine& line = NextLine(openedAt, "the version block");
      if (IsBlockWord(line, "BEGIN"))
        break;
      Cursor c(line, symbols_);
      std::string word = c.ExpectIdent("a version statement or BEGIN");
      if (word == "FILEVERSION" || word == "PRODUCTVERSION") {
        std::array<int, 4>& v = word == "FILEVERSION" ? res_.fileVersion : res_.productVersion;
        for (int i = 0; i < 4; ++i) {
          if (i > 0)
            c.ExpectComma("a version number");
          v[i] = c.ExpectInt("a version number");
        }
      } else if (word == "FILEFLAGSMASK" || word == "FILEFLAGS" || word == "FILEOS" ||
                 word == "FILETYPE" || word == "FILESUBTYPE") {
        c.ExpectNumber("a number");
      } else {
        Fail(line.where, "version statement " + word + " is not supported");
      }
      c.ExpectEnd();
    }
    std::vector<std::string> path;
    VersionBlock(path, openedAt);
    auto it = res_.versionValues.find("FileVersion");
    if (it != res_.versionValues.end())
      res_.versionString = it->second;
  }

  // The lines of one BEGIN ... END of the version block; path holds the
  // names of the enclosing BLOCKs.
  void VersionBlock(std::vector<std::string>& path, const Where& openedAt) {
    for (;;) {
      const SrcLine& line = NextLine(openedAt, "the version block");
      if (IsBlockWord(line, "END"))
        return;
      Cursor c(line, symbols_);
      if (c.TakeIdent("BLOCK")) {
        std::string name = c.ExpectString("the block's name");
        c.ExpectEnd();
        if (path.size() >= 2)
          Fail(line.where, "version blocks nested too deeply");
        if (path.size() == 1 && path[0] == "StringFileInfo") {
          if (!res_.versionBlock.empty())
            Fail(line.where, "more than one StringFileInfo block is not supported");
          res_.versionBlock = name;
        }
        path.push_back(name);
        ExpectBegin(line.where, "the block");
        VersionBlock(path, line.where);
        path.pop_back();
      } else if (c.TakeIdent("VALUE")) {
        std::string key = c.ExpectString("the value's name");
        c.ExpectComma("the value's name");
        bool inStrings = path.size() == 2 && path[0] == "StringFileInfo";
        bool inVars = path.size() == 1 && path[0] == "VarFileInfo";
        if (inStrings) {
          res_.versionValues[key] = c.ExpectText("the value");
        } else if (inVars) {
          if (key != "Translation")
            Fail(line.where, "VarFileInfo value " + key + " is not supported");
          do {
            res_.translation.push_back(
                static_cast<unsigned>(c.ExpectNumber("a language or code page")));
          } while (c.TakePunct(','));
        } else {
          Fail(line.where, "VALUE outside StringFileInfo's language block or VarFileInfo");
        }
        c.ExpectEnd();
      } else {
        c.FailHere("expected BLOCK, VALUE or END in the version block");
      }
    }
  }

  const std::vector<SrcLine>& lines_;
  const Symbols& symbols_;
  std::size_t next_ = 0;
  RcResources res_;
  bool languageSet_ = false;
  int current_ = -1; // index into res_.translations; -1: the first language
};

} // namespace

bool RcControl::IsEdit() const {
  return kind == "EDITTEXT";
}
bool RcControl::IsButton() const {
  return kind == "PUSHBUTTON" || kind == "DEFPUSHBUTTON";
}
bool RcControl::IsPassword() const {
  return IsEdit() && (style & kEsPassword) != 0;
}
bool RcControl::IsStatic() const {
  return kind == "LTEXT" || kind == "RTEXT" || kind == "CTEXT" || kind == "ICON";
}

const RcResources& RcResources::ForLanguage(int uiLanguage) const {
  constexpr int kPrimaryMask = 0x3FF;
  constexpr int kEnglishUs = 0x0409;
  if ((language & kPrimaryMask) == (uiLanguage & kPrimaryMask))
    return *this;
  for (const RcResources& t : translations)
    if ((t.language & kPrimaryMask) == (uiLanguage & kPrimaryMask))
      return t;
  for (const RcResources& t : translations)
    if (t.language == kEnglishUs)
      return t;
  return *this;
}

const RcControl* RcDialog::FindControl(int controlId) const {
  for (const RcControl& c : controls) {
    if (c.id == controlId)
      return &c;
  }
  return nullptr;
}

std::string Utf8ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("iconv cannot convert UTF-8 to CP932");
  std::string out(utf8.size() * 2 + 4, '\0'); // CP932 never needs more bytes than UTF-8
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  std::size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
  int err = errno;
  if (r != static_cast<std::size_t>(-1))
    r = iconv(cd, nullptr, nullptr, &dst, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || r > 0) {
    // r > 0: characters converted irreversibly, i.e. replaced
    std::size_t at = utf8.size() - inLeft;
    std::string why = r > 0           ? "has no code page 932 form"
                      : err == EILSEQ ? "is not UTF-8 or has no code page 932 form"
                      : err == EINVAL ? "is cut short"
                                      : "cannot be converted";
    throw std::runtime_error("the text at byte " + std::to_string(at) + " " + why);
  }
  out.resize(out.size() - outLeft);
  return out;
}

RcResources ParseRc(const std::string& utf8Text, const std::string& includeDir) {
  Symbols symbols;
  std::vector<SrcLine> lines;
  Preprocessor pre(includeDir, symbols, lines);
  pre.Run(utf8Text, std::string(), 0);
  Parser parser(lines, symbols);
  return parser.Run();
}

RcResources ParseRc(const std::string& utf8Text) {
  return ParseRc(utf8Text, DirName(HG_RC_PATH));
}

const RcResources& LoadRcResources() {
  static const RcResources resources = [] {
    std::string path = HG_RC_PATH;
    std::string text = ReadFile(path);
    try {
      return ParseRc(text, DirName(path));
    } catch (const std::exception& e) {
      throw std::runtime_error(path + ": " + e.what());
    }
  }();
  return resources;
}

} // namespace hg::sim
