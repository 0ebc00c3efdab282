//===- PrintfRender.cpp - Numbers as printf writes them -------------------===//

#include "format/PrintfRender.h"

#include <charconv>
#include <cmath>

namespace phrasor {

namespace {

// A double's exact decimal expansion ends within 1074 fractional digits and
// holds at most 767 significant ones; its hex mantissa has 13 digits. Any
// precision past these only adds zeros, which are padded rather than
// converted, so the stack buffer stays small whatever the precision.
constexpr int64_t kMaxFixed = 1076;
constexpr int64_t kMaxSignificant = 780;
constexpr int64_t kMaxHex = 13;
// 309 integer digits, the point and kMaxFixed fractional digits.
constexpr uint32_t kFloatBuffer = 1400;

/// The parts of one number in the order they are written.
struct Pieces {
  char sign = 0;
  const char *prefix = "";
  uint32_t prefixLength = 0;
  uint64_t leadingZeros = 0;
  const char *body = "";
  uint32_t bodyLength = 0;
  uint64_t trailingZeros = 0;
  const char *tail = "";
  uint32_t tailLength = 0;
  bool zeroPad = true; ///< the '0' flag may pad between prefix and body
};

void FillZeros(WSink &sink, uint64_t count) {
  // Counts past the sink's room are cut there, so clamping is exact.
  sink.Fill('0',
            count > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(count));
}

void Emit(WSink &sink, const Layout &layout, const Pieces &p) {
  uint64_t length = (p.sign ? 1u : 0u) + p.prefixLength + p.leadingZeros +
                    p.bodyLength + p.trailingZeros + p.tailLength;
  uint32_t pad =
      layout.width > length ? layout.width - static_cast<uint32_t>(length) : 0;
  bool left = layout.flags & kFlagMinus;
  bool zeros = !left && p.zeroPad && (layout.flags & kFlagZero);
  if (!left && !zeros)
    sink.Fill(' ', pad);
  if (p.sign)
    sink.Put(static_cast<PhrasorWChar>(p.sign));
  sink.AppendAscii(p.prefix, p.prefixLength);
  if (zeros)
    sink.Fill('0', pad);
  FillZeros(sink, p.leadingZeros);
  sink.AppendAscii(p.body, p.bodyLength);
  FillZeros(sink, p.trailingZeros);
  sink.AppendAscii(p.tail, p.tailLength);
  if (left)
    sink.Fill(' ', pad);
}

char SignFor(bool negative, uint8_t flags) {
  if (negative)
    return '-';
  if (flags & kFlagPlus)
    return '+';
  return (flags & kFlagSpace) ? ' ' : 0;
}

uint64_t CutToBits(uint64_t raw, uint8_t bits, bool isSigned) {
  switch (bits) {
  case 8:
    return isSigned ? static_cast<uint64_t>(static_cast<int8_t>(raw))
                    : static_cast<uint8_t>(raw);
  case 16:
    return isSigned ? static_cast<uint64_t>(static_cast<int16_t>(raw))
                    : static_cast<uint16_t>(raw);
  case 32:
    return isSigned ? static_cast<uint64_t>(static_cast<int32_t>(raw))
                    : static_cast<uint32_t>(raw);
  default:
    return raw;
  }
}

void ToUpper(char *text, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i)
    if (text[i] >= 'a' && text[i] <= 'z')
      text[i] = static_cast<char>(text[i] - 'a' + 'A');
}

/// Moves the exponent ("e+05", "p-3") out of \p buffer into \p tail so
/// that a point can still be appended to the mantissa.
void SplitExponent(char *buffer, uint32_t &length, char marker, char *tail,
                   uint32_t &tailLength) {
  tailLength = 0;
  for (uint32_t i = 0; i < length; ++i) {
    if (buffer[i] == marker) {
      for (uint32_t k = i; k < length; ++k)
        tail[tailLength++] = buffer[k];
      length = i;
      return;
    }
  }
}

bool HasPoint(const char *text, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i)
    if (text[i] == '.')
      return true;
  return false;
}

/// %g without '#': no trailing zeros in the fraction, no bare point.
void StripZeros(const char *text, uint32_t &length) {
  if (!HasPoint(text, length))
    return;
  while (text[length - 1] == '0')
    --length;
  if (text[length - 1] == '.')
    --length;
}

uint32_t Convert(char *buffer, double value, std::chars_format form,
                 int64_t precision) {
  std::to_chars_result r = std::to_chars(buffer, buffer + kFloatBuffer, value,
                                         form, static_cast<int>(precision));
  return static_cast<uint32_t>(r.ptr - buffer);
}

int64_t Min(int64_t a, int64_t b) { return a < b ? a : b; }

} // namespace

void RenderInteger(WSink &sink, const ConversionSpec &spec,
                   const Layout &layout, uint64_t raw) {
  char conversion = spec.conversion;
  bool isSigned = conversion == 'd' || conversion == 'i';
  uint64_t value = CutToBits(raw, spec.intBits, isSigned);
  bool zero = value == 0;
  Pieces p;
  if (isSigned) {
    bool negative = static_cast<int64_t>(value) < 0;
    if (negative)
      value = 0 - value;
    p.sign = SignFor(negative, layout.flags);
  }
  unsigned base = conversion == 'o'                          ? 8
                  : (conversion == 'x' || conversion == 'X') ? 16
                                                             : 10;
  const char *digits =
      conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char buffer[24];
  char *end = buffer + sizeof buffer, *q = end;
  // A precision of 0 writes no digit for 0.
  if (value != 0 || layout.precision != 0) {
    // Constant divisors let the compiler multiply instead of divide.
    if (base == 10) {
      do {
        *--q = static_cast<char>('0' + value % 10);
        value /= 10;
      } while (value);
    } else {
      unsigned shift = base == 8 ? 3 : 4;
      do {
        *--q = digits[value & (base - 1)];
        value >>= shift;
      } while (value);
    }
  }
  uint32_t count = static_cast<uint32_t>(end - q);
  p.body = q;
  p.bodyLength = count;
  if (layout.precision > 0 && static_cast<uint32_t>(layout.precision) > count)
    p.leadingZeros = static_cast<uint32_t>(layout.precision) - count;
  if (layout.flags & kFlagHash) {
    if (base == 8 && p.leadingZeros == 0 && (count == 0 || *q != '0'))
      p.leadingZeros = 1;
    if (base == 16 && !zero) {
      p.prefix = conversion == 'X' ? "0X" : "0x";
      p.prefixLength = 2;
    }
  }
  // An explicit precision already says how many digits to write.
  p.zeroPad = layout.precision < 0;
  Emit(sink, layout, p);
}

namespace {

/// One floating-point form's characters: the mantissa in \p buffer, any
/// exponent in \p tail, and the zeros the precision asks for beyond the
/// digits converted.
struct FloatDigits {
  char buffer[kFloatBuffer];
  uint32_t length = 0;
  char tail[16];
  uint32_t tailLength = 0;
  uint64_t trailingZeros = 0;
};

void FixedDigits(FloatDigits &d, double magnitude, int64_t precision) {
  int64_t want = precision < 0 ? 6 : precision;
  int64_t made = Min(want, kMaxFixed);
  d.length = Convert(d.buffer, magnitude, std::chars_format::fixed, made);
  d.trailingZeros = static_cast<uint64_t>(want - made);
}

void ScientificDigits(FloatDigits &d, double magnitude, int64_t precision) {
  int64_t want = precision < 0 ? 6 : precision;
  int64_t made = Min(want, kMaxSignificant);
  d.length = Convert(d.buffer, magnitude, std::chars_format::scientific, made);
  SplitExponent(d.buffer, d.length, 'e', d.tail, d.tailLength);
  d.trailingZeros = static_cast<uint64_t>(want - made);
}

void GeneralDigits(FloatDigits &d, double magnitude, int64_t precision,
                   bool hash) {
  int64_t want = precision < 0 ? 6 : (precision == 0 ? 1 : precision);
  int64_t made = Min(want, kMaxSignificant);
  // The exponent the value has once rounded to the precision decides
  // between the two forms.
  d.length =
      Convert(d.buffer, magnitude, std::chars_format::scientific, made - 1);
  SplitExponent(d.buffer, d.length, 'e', d.tail, d.tailLength);
  int64_t exponent = 0;
  for (uint32_t i = 2; i < d.tailLength; ++i)
    exponent = exponent * 10 + (d.tail[i] - '0');
  if (d.tailLength > 1 && d.tail[1] == '-')
    exponent = -exponent;
  if (want > exponent && exponent >= -4) {
    int64_t fraction = want - 1 - exponent;
    int64_t fractionMade = Min(fraction, kMaxFixed);
    d.length =
        Convert(d.buffer, magnitude, std::chars_format::fixed, fractionMade);
    d.tailLength = 0;
    if (hash)
      d.trailingZeros = static_cast<uint64_t>(fraction - fractionMade);
  } else if (hash) {
    d.trailingZeros = static_cast<uint64_t>(want - made);
  }
  if (!hash)
    StripZeros(d.buffer, d.length);
}

void HexDigits(FloatDigits &d, double magnitude, int64_t precision) {
  int64_t made = precision < 0 ? -1 : Min(precision, kMaxHex);
  std::to_chars_result r =
      made < 0 ? std::to_chars(d.buffer, d.buffer + kFloatBuffer, magnitude,
                               std::chars_format::hex)
               : std::to_chars(d.buffer, d.buffer + kFloatBuffer, magnitude,
                               std::chars_format::hex, static_cast<int>(made));
  d.length = static_cast<uint32_t>(r.ptr - d.buffer);
  SplitExponent(d.buffer, d.length, 'p', d.tail, d.tailLength);
  if (made >= 0)
    d.trailingZeros = static_cast<uint64_t>(precision - made);
}

} // namespace

void RenderFloat(WSink &sink, char conversion, const Layout &layout,
                 double value) {
  bool upper = conversion >= 'A' && conversion <= 'Z';
  bool hash = layout.flags & kFlagHash;
  Pieces p;
  p.sign = SignFor(std::signbit(value), layout.flags);
  if (!std::isfinite(value)) {
    bool nan = std::isnan(value);
    p.body = upper ? (nan ? "NAN" : "INF") : (nan ? "nan" : "inf");
    p.bodyLength = 3;
    p.zeroPad = false;
    Emit(sink, layout, p);
    return;
  }
  double magnitude = std::fabs(value);
  FloatDigits d;
  switch (conversion | 0x20) {
  case 'f':
    FixedDigits(d, magnitude, layout.precision);
    break;
  case 'e':
    ScientificDigits(d, magnitude, layout.precision);
    break;
  case 'g':
    GeneralDigits(d, magnitude, layout.precision, hash);
    break;
  default: // 'a'
    HexDigits(d, magnitude, layout.precision);
    p.prefix = upper ? "0X" : "0x";
    p.prefixLength = 2;
    break;
  }
  // '#' keeps the point even with no digit after it.
  if (hash && !HasPoint(d.buffer, d.length))
    d.buffer[d.length++] = '.';
  if (upper) {
    ToUpper(d.buffer, d.length);
    ToUpper(d.tail, d.tailLength);
  }
  p.body = d.buffer;
  p.bodyLength = d.length;
  p.trailingZeros = d.trailingZeros;
  p.tail = d.tail;
  p.tailLength = d.tailLength;
  Emit(sink, layout, p);
}

void RenderPointer(WSink &sink, const Layout &layout, const void *pointer) {
  uintptr_t value = reinterpret_cast<uintptr_t>(pointer);
  char buffer[sizeof(void *) * 2];
  for (uint32_t i = sizeof buffer; i-- > 0; value >>= 4)
    buffer[i] = "0123456789ABCDEF"[value & 0xF];
  Pieces p;
  p.body = buffer;
  p.bodyLength = sizeof buffer;
  p.zeroPad = false;
  Emit(sink, layout, p);
}

} // namespace phrasor
