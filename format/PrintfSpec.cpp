//===- PrintfSpec.cpp - Parsing printf conversion specs -------------------===//

#include "PrintfSpec.h"

namespace phrasor {

namespace {

constexpr uint8_t kPointerBits = sizeof(void *) * 8;

bool IsDigit(PhrasorWChar c) { return c >= '0' && c <= '9'; }

uint8_t FlagOf(PhrasorWChar c) {
  switch (c) {
  case '-':
    return FlagMinus;
  case '+':
    return FlagPlus;
  case ' ':
    return FlagSpace;
  case '#':
    return FlagHash;
  case '0':
    return FlagZero;
  default:
    return 0;
  }
}

/// Reads a run of digits into \p value; false when it passes 2^31 - 1.
bool ReadNumber(const PhrasorWChar *&p, int32_t &value) {
  uint32_t n = 0;
  for (; IsDigit(*p); ++p) {
    n = n * 10 + static_cast<uint32_t>(*p - '0');
    if (n > 0x7FFFFFFFu)
      return false;
  }
  value = static_cast<int32_t>(n);
  return true;
}

/// Reads a length prefix, if any, at \p p.
LengthMod ReadLength(const PhrasorWChar *&p) {
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

uint8_t IntegerBits(LengthMod length) {
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

/// Sets what the conversion letter takes, or says why the letter is no
/// conversion or does not take the length prefix.
SpecError Classify(ConversionSpec &spec, PhrasorWChar letter) {
  LengthMod length = spec.Length;
  switch (letter) {
  case 'd':
  case 'i':
  case 'o':
  case 'u':
  case 'x':
  case 'X':
    spec.IntBits = IntegerBits(length);
    if (spec.IntBits == 0)
      return SpecError::LengthMismatch;
    spec.Kind = spec.IntBits == 64 ? ArgKind::Int64 : ArgKind::Int32;
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
    spec.Kind = ArgKind::Double;
    break;
  case 'c':
  case 'C':
  case 's':
  case 'S': {
    // Windows wide convention: the lower-case letters are wide, the
    // upper-case narrow, and h / l / w override the case.
    bool wide;
    if (length == LengthMod::None)
      wide = letter == 'c' || letter == 's';
    else if (length == LengthMod::h)
      wide = false;
    else if (length == LengthMod::l || length == LengthMod::w)
      wide = true;
    else
      return SpecError::LengthMismatch;
    bool isChar = letter == 'c' || letter == 'C';
    spec.Kind = isChar ? (wide ? ArgKind::WideChar : ArgKind::NarrowChar)
                       : (wide ? ArgKind::WideString : ArgKind::NarrowString);
    break;
  }
  case 'p':
  case '%':
    if (length != LengthMod::None)
      return SpecError::LengthMismatch;
    spec.Kind = letter == 'p' ? ArgKind::Pointer : ArgKind::None;
    break;
  case 'n':
    return SpecError::WriteBackRefused;
  default:
    return SpecError::UnknownConversion;
  }
  spec.Conversion = static_cast<char>(letter);
  return SpecError::None;
}

/// Characters that belong to an earlier part of a spec than where they
/// stand.
bool IsSpecPart(PhrasorWChar c) {
  return FlagOf(c) || IsDigit(c) || c == '.' || c == '*';
}

} // namespace

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
SpecError ParseConversionSpec(const PhrasorWChar *p, ConversionSpec &spec,
                              const PhrasorWChar *&next) {
  spec = ConversionSpec();
  while (uint8_t flag = FlagOf(*p)) {
    spec.Flags |= flag;
    ++p;
  }
  if (*p == '*') {
    spec.WidthFromArg = true;
    ++p;
  } else if (!ReadNumber(p, spec.Width)) {
    next = p;
    return SpecError::NumberTooLarge;
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      spec.PrecisionFromArg = true;
      ++p;
    } else if (!ReadNumber(p, spec.Precision)) {
      next = p;
      return SpecError::NumberTooLarge;
    }
  }
  spec.Length = ReadLength(p);
  next = p;
  if (!*p)
    return SpecError::UnexpectedEnd;
  if (IsSpecPart(*p))
    return SpecError::OutOfOrder;
  SpecError error = Classify(spec, *p);
  if (error == SpecError::None)
    next = p + 1;
  return error;
}

const char *SpecErrorText(SpecError error) {
  switch (error) {
  case SpecError::None:
    return "no error";
  case SpecError::UnexpectedEnd:
    return "format ends inside a conversion";
  case SpecError::UnknownConversion:
    return "unknown conversion";
  case SpecError::OutOfOrder:
    return "flag, width or precision out of order";
  case SpecError::LengthMismatch:
    return "length prefix not valid for this conversion";
  case SpecError::NumberTooLarge:
    return "width or precision too large";
  case SpecError::WriteBackRefused:
    return "%n is refused";
  }
  return "unknown error";
}

namespace {

class CheckAdapter {
public:
  CheckAdapter(const PhrasorWChar *format, FormatCheckHandler &handler)
      : Format(format), Handler(handler) {}

  bool OnText(const PhrasorWChar *begin, const PhrasorWChar *end) {
    Handler.OnText(Pos(begin), Pos(end));
    return true;
  }
  bool OnConversion(const PhrasorWChar *begin, const PhrasorWChar *end,
                    const ConversionSpec &spec) {
    Handler.OnConversion(Pos(begin), Pos(end), spec);
    return true;
  }
  void OnError(const PhrasorWChar *at, SpecError error) {
    Handler.OnError(Pos(at), error);
  }

private:
  uint32_t Pos(const PhrasorWChar *p) const {
    return static_cast<uint32_t>(p - Format);
  }
  const PhrasorWChar *Format;
  FormatCheckHandler &Handler;
};

} // namespace

bool CheckFormat(const PhrasorWChar *format, FormatCheckHandler &handler) {
  static const PhrasorWChar Empty[] = {0};
  if (!format)
    format = Empty;
  CheckAdapter adapter(format, handler);
  return WalkFormat(format, adapter);
}

} // namespace phrasor
