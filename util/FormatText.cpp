#include "util/FormatText.h"

namespace hg {
namespace {

// Appends to the buffer while there is room, counting every byte either way.
class CTextSink {
public:
  CTextSink(char* buf, std::size_t size) : m_pBuf(buf), m_nSize(size) {}

  void Put(char c) {
    if (m_nSize != 0 && m_nLength < m_nSize - 1)
      m_pBuf[m_nLength] = c;
    ++m_nLength;
  }
  void Repeat(char c, int count) {
    for (; count > 0; --count)
      Put(c);
  }
  int Finish() {
    if (m_nSize != 0)
      m_pBuf[m_nLength < m_nSize - 1 ? m_nLength : m_nSize - 1] = '\0';
    return static_cast<int>(m_nLength);
  }

private:
  char* m_pBuf = nullptr;
  std::size_t m_nSize = 0;
  std::size_t m_nLength = 0;
};

struct FieldSpec {
  bool bZeroPad = false;
  bool bLeft = false;
  int nWidth = 0;
};

// Writes sign and body padded to the width: spaces before them, zeros
// between them, or spaces after them.
void PutField(CTextSink& out, const FieldSpec& spec, const char* sign, const char* body,
              int bodyLength, bool zeroAllowed) {
  int signLength = sign[0] != '\0' ? 1 : 0;
  int pad = spec.nWidth - signLength - bodyLength;
  if (!spec.bLeft && !(spec.bZeroPad && zeroAllowed))
    out.Repeat(' ', pad);
  if (signLength != 0)
    out.Put(sign[0]);
  if (!spec.bLeft && spec.bZeroPad && zeroAllowed)
    out.Repeat('0', pad);
  for (int i = 0; i < bodyLength; ++i)
    out.Put(body[i]);
  if (spec.bLeft)
    out.Repeat(' ', pad);
}

void PutNumber(CTextSink& out, const FieldSpec& spec, bool negative, unsigned long long magnitude,
               unsigned base) {
  char digits[24];
  int at = sizeof digits;
  do {
    digits[--at] = "0123456789abcdef"[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  PutField(out, spec, negative ? "-" : "", digits + at, static_cast<int>(sizeof digits) - at, true);
}

void PutSigned(CTextSink& out, const FieldSpec& spec, long long value) {
  // Negated as unsigned, so the most negative value has its magnitude too.
  unsigned long long magnitude = static_cast<unsigned long long>(value);
  PutNumber(out, spec, value < 0, value < 0 ? 0 - magnitude : magnitude, 10);
}

} // namespace

int FormatText(char* buf, std::size_t size, const char* fmt, ...) {
  std::va_list args;
  va_start(args, fmt);
  int length = FormatTextV(buf, size, fmt, args);
  va_end(args);
  return length;
}

int FormatTextV(char* buf, std::size_t size, const char* fmt, std::va_list args) {
  CTextSink out(buf, size);
  const char* p = fmt;
  while (*p != '\0') {
    if (*p != '%') {
      out.Put(*p++);
      continue;
    }
    const char* start = p++;
    FieldSpec spec;
    for (;; ++p) {
      if (*p == '0')
        spec.bZeroPad = true;
      else if (*p == '-')
        spec.bLeft = true;
      else
        break;
    }
    for (; *p >= '0' && *p <= '9'; ++p)
      spec.nWidth = spec.nWidth * 10 + (*p - '0');
    bool isLong = p[0] == 'l' && p[1] == 'l';
    if (isLong)
      p += 2;
    switch (*p) {
    case 'd':
      PutSigned(out, spec, isLong ? va_arg(args, long long) : va_arg(args, int));
      break;
    case 'u':
    case 'x':
      PutNumber(out, spec, false,
                isLong ? va_arg(args, unsigned long long) : va_arg(args, unsigned),
                *p == 'u' ? 10 : 16);
      break;
    case 's': {
      const char* text = va_arg(args, const char*);
      if (text == nullptr)
        text = "(null)";
      int length = 0;
      while (text[length] != '\0')
        ++length;
      PutField(out, spec, "", text, length, false);
      break;
    }
    case '%':
      if (p == start + 1) {
        out.Put('%');
        break;
      }
      [[fallthrough]];
    default:
      // Not a directive of this formatter: the text as it stands.
      for (const char* q = start; q < p; ++q)
        out.Put(*q);
      if (*p == '\0')
        return out.Finish();
      out.Put(*p);
      break;
    }
    ++p;
  }
  return out.Finish();
}

} // namespace hg
