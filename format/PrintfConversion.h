//===- PrintfConversion.h - Parsing printf conversions ---------*- C++ -*-===//
//
// The one parser of printf-style formats in the runtime: the engine renders
// through it, and the command-line checks call it to report what a stored
// text would consume, without any arguments at hand.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PRINTFCONVERSION_H
#define PHRASOR_FORMAT_PRINTFCONVERSION_H

#include "format/ArgKind.h"

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

/// Flag bits of a conversion spec.
enum SpecFlag : uint8_t {
  kFlagMinus = 1, ///< '-': left-justify
  kFlagPlus = 2,  ///< '+': sign on positive numbers
  kFlagSpace = 4, ///< ' ': space in place of a '+'
  kFlagHash = 8,  ///< '#': alternate form
  kFlagZero = 16, ///< '0': pad numbers with zeros
};

/// Length prefix, as written. Stored texts were written where long is 32
/// bits, so `l` means 32 bits here too.
enum class LengthMod : uint8_t {
  None,
  hh,  ///< char
  h,   ///< short; narrow for s, c
  l,   ///< 32-bit long; wide for s, c
  ll,  ///< 64-bit
  L,   ///< long double, rendered at double precision
  w,   ///< wide for s, c
  j,   ///< intmax_t, 64-bit
  z,   ///< size_t, pointer width
  t,   ///< ptrdiff_t, pointer width
  I,   ///< pointer width
  I32, ///< 32-bit
  I64, ///< 64-bit
};

/// Why a spec was refused.
enum class SpecError : uint8_t {
  None,
  UnexpectedEnd,     ///< the format ends inside a spec
  UnknownConversion, ///< no conversion letter where one is due
  OutOfOrder,        ///< flag, width or precision after a later part
  LengthMismatch,    ///< the conversion takes no such length prefix
  NumberTooLarge,    ///< width or precision beyond 2^31 - 1
  WriteBackRefused,  ///< %n: a text must not write to the host's memory
};

/// One parsed conversion spec.
struct ConversionSpec {
  static constexpr int32_t kNone = -1;

  uint8_t flags = 0;
  bool widthFromArg = false;     ///< width is '*'
  bool precisionFromArg = false; ///< precision is '.*'
  LengthMod length = LengthMod::None;
  ArgKind kind = ArgKind::None;
  uint8_t intBits = 32;      ///< integers: bits the value is cut to
  char conversion = 0;       ///< the conversion letter, or '%'
  int32_t width = 0;         ///< 0 when absent or from an argument
  int32_t precision = kNone; ///< kNone when absent or from an argument
};

/// Whether %L takes a long double that is wider than a double. Windows
/// hosts compiled by the platform's own compiler pass a double for it, the
/// two being one type there.
#if defined(_WIN32)
constexpr bool kLongDoubleIsWider = false;
#else
constexpr bool kLongDoubleIsWider = sizeof(long double) > sizeof(double);
#endif

namespace detail {

constexpr uint8_t kPointerBits = sizeof(void *) * 8;

inline bool IsDigit(PhrasorWChar c) { return c >= '0' && c <= '9'; }

inline uint8_t FlagOf(PhrasorWChar c) {
  switch (c) {
  case '-':
    return kFlagMinus;
  case '+':
    return kFlagPlus;
  case ' ':
    return kFlagSpace;
  case '#':
    return kFlagHash;
  case '0':
    return kFlagZero;
  default:
    return 0;
  }
}

/// Reads a run of digits into \p value; false when it passes 2^31 - 1.
inline bool ReadNumber(const PhrasorWChar *&p, int32_t &value) {
  // 64 bits, so the step past 2^31 - 1 is seen before it can wrap.
  uint64_t n = 0;
  for (; IsDigit(*p); ++p) {
    n = n * 10 + static_cast<uint64_t>(*p - '0');
    if (n > 0x7FFFFFFFu)
      return false;
  }
  value = static_cast<int32_t>(n);
  return true;
}

/// Reads a length prefix, if any, at \p p.
inline LengthMod ReadLength(const PhrasorWChar *&p) {
  switch (*p) {
  case 'h':
    ++p;
    return *p == 'h' ? (++p, LengthMod::hh) : LengthMod::h;
  case 'l':
    ++p;
    return *p == 'l' ? (++p, LengthMod::ll) : LengthMod::l;
  case 'L':
    return ++p, LengthMod::L;
  case 'w':
    return ++p, LengthMod::w;
  case 'j':
    return ++p, LengthMod::j;
  case 'z':
    return ++p, LengthMod::z;
  case 't':
    return ++p, LengthMod::t;
  case 'I':
    ++p;
    if (p[0] == '3' && p[1] == '2')
      return p += 2, LengthMod::I32;
    if (p[0] == '6' && p[1] == '4')
      return p += 2, LengthMod::I64;
    return LengthMod::I;
  default:
    return LengthMod::None;
  }
}

inline uint8_t IntegerBits(LengthMod length) {
  switch (length) {
  case LengthMod::None:
  case LengthMod::l:
  case LengthMod::I32:
    return 32;
  case LengthMod::hh:
    return 8;
  case LengthMod::h:
    return 16;
  case LengthMod::ll:
  case LengthMod::j:
  case LengthMod::I64:
    return 64;
  case LengthMod::z:
  case LengthMod::t:
  case LengthMod::I:
    return kPointerBits;
  default:
    return 0; // L and w take no integer
  }
}

/// Characters and strings follow the Windows wide convention: the
/// lower-case letters are wide, the upper-case narrow, and h / l / w
/// override the case. False for any other length prefix.
inline bool ClassifyText(ConversionSpec &spec, PhrasorWChar letter) {
  bool wide;
  if (spec.length == LengthMod::None)
    wide = letter == 'c' || letter == 's';
  else if (spec.length == LengthMod::h)
    wide = false;
  else if (spec.length == LengthMod::l || spec.length == LengthMod::w)
    wide = true;
  else
    return false;
  bool isChar = letter == 'c' || letter == 'C';
  spec.kind = isChar ? (wide ? ArgKind::WideChar : ArgKind::NarrowChar)
                     : (wide ? ArgKind::WideString : ArgKind::NarrowString);
  return true;
}

/// Sets what the conversion letter takes, or says why the letter is no
/// conversion or does not take the length prefix.
inline SpecError Classify(ConversionSpec &spec, PhrasorWChar letter) {
  LengthMod length = spec.length;
  switch (letter) {
  case 'd':
  case 'i':
  case 'o':
  case 'u':
  case 'x':
  case 'X':
    spec.intBits = IntegerBits(length);
    if (spec.intBits == 0)
      return SpecError::LengthMismatch;
    spec.kind = spec.intBits == 64 ? ArgKind::Int64 : ArgKind::Int32;
    break;
  case 'e':
  case 'E':
  case 'f':
  case 'F':
  case 'g':
  case 'G':
  case 'a':
  case 'A':
    if (length != LengthMod::None && length != LengthMod::l &&
        length != LengthMod::L)
      return SpecError::LengthMismatch;
    spec.kind = length == LengthMod::L && kLongDoubleIsWider
                    ? ArgKind::LongDouble
                    : ArgKind::Double;
    break;
  case 'c':
  case 'C':
  case 's':
  case 'S':
    if (!ClassifyText(spec, letter))
      return SpecError::LengthMismatch;
    break;
  case 'p':
  case '%':
    if (length != LengthMod::None)
      return SpecError::LengthMismatch;
    spec.kind = letter == 'p' ? ArgKind::Pointer : ArgKind::None;
    break;
  case 'n':
    return SpecError::WriteBackRefused;
  default:
    return SpecError::UnknownConversion;
  }
  spec.conversion = static_cast<char>(letter);
  return SpecError::None;
}

/// Characters that belong to an earlier part of a spec than where they
/// stand.
inline bool IsSpecPart(PhrasorWChar c) {
  return FlagOf(c) || IsDigit(c) || c == '.' || c == '*';
}

} // namespace detail

// A spec, after its '%':
//
//   spec       ::= flag* width? ('.' precision)? length? conversion
//   flag       ::= '-' | '+' | ' ' | '#' | '0'
//   width      ::= '*' | [1-9] [0-9]*
//   precision  ::= '*' | [0-9]*
//   length     ::= 'hh' | 'h' | 'll' | 'l' | 'L' | 'w' | 'j' | 'z' | 't'
//                | 'I64' | 'I32' | 'I'
//   conversion ::= [diouxXeEfFgGaAcCsSp%]
//
// Each part may only follow the parts left of it: a flag after the width, a
// second precision or a digit after the length prefix is refused rather
// than guessed at.
//
// Inline: the engine calls it once per conversion, and keeping the
// parsed spec in registers is a large share of the engine's speed.
/// Parses the spec that follows a '%' at \p p, reading no further than its
/// conversion letter or the first terminator. On success stores the spec,
/// sets \p next behind the letter and returns SpecError::None; on failure
/// sets \p next to the offending character.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline SpecError
ParseConversionSpec(const PhrasorWChar *p, ConversionSpec &spec,
                    const PhrasorWChar *&next) {
  spec = ConversionSpec();
  while (uint8_t flag = detail::FlagOf(*p)) {
    spec.flags |= flag;
    ++p;
  }
  if (*p == '*') {
    spec.widthFromArg = true;
    ++p;
  } else if (!detail::ReadNumber(p, spec.width)) {
    next = p;
    return SpecError::NumberTooLarge;
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      spec.precisionFromArg = true;
      ++p;
    } else if (!detail::ReadNumber(p, spec.precision)) {
      next = p;
      return SpecError::NumberTooLarge;
    }
  }
  spec.length = detail::ReadLength(p);
  next = p;
  if (!*p)
    return SpecError::UnexpectedEnd;
  if (detail::IsSpecPart(*p))
    return SpecError::OutOfOrder;
  SpecError error = detail::Classify(spec, *p);
  if (error == SpecError::None)
    next = p + 1;
  return error;
}

/// A short lower-case description of \p error for diagnostics.
const char *SpecErrorText(SpecError error);

/// Receives the pieces of a format in order. Positions count UTF-16 units
/// from the start of the format; the '%' of a conversion is at \p begin.
class FormatCheckHandler {
public:
  virtual void OnText(uint32_t begin, uint32_t end) = 0;
  virtual void OnConversion(uint32_t begin, uint32_t end,
                            const ConversionSpec &spec) = 0;
  virtual void OnError(uint32_t position, SpecError error) = 0;

protected:
  ~FormatCheckHandler() {}
};

/// Walks \p format (null is empty) and reports each literal run, each
/// conversion, and the first error, after which it stops. Returns true when
/// the whole format was accepted.
bool CheckFormat(const PhrasorWChar *format, FormatCheckHandler &handler);

/// The walk that CheckFormat and the engine share. \p handler provides
/// `bool OnText(const PhrasorWChar *begin, const PhrasorWChar *end)`,
/// `bool OnConversion(const PhrasorWChar *begin, const PhrasorWChar *end,
/// const ConversionSpec &)` and `void OnError(const PhrasorWChar *at,
/// SpecError)`; a false result from the first two stops the walk. Returns
/// true when the whole format was walked.
template <typename Handler>
bool WalkFormat(const PhrasorWChar *format, Handler &handler) {
  const PhrasorWChar *p = format;
  for (;;) {
    const PhrasorWChar *run = p;
    while (*p && *p != '%')
      ++p;
    if (p != run && !handler.OnText(run, p))
      return false;
    if (!*p)
      return true;
    ConversionSpec spec;
    const PhrasorWChar *next;
    SpecError error = ParseConversionSpec(p + 1, spec, next);
    if (error != SpecError::None) {
      handler.OnError(next, error);
      return false;
    }
    if (!handler.OnConversion(p, next, spec))
      return false;
    p = next;
  }
}

} // namespace phrasor

#endif // PHRASOR_FORMAT_PRINTFCONVERSION_H
