//===- PrintfSpec.h - Parsing printf conversion specs ----------*- C++ -*-===//
//
// The one parser of printf-style formats in the runtime: the engine renders
// through it, and the command-line checks call it to report what a stored
// text would consume, without any arguments at hand.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PRINTFSPEC_H
#define PHRASOR_FORMAT_PRINTFSPEC_H

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

/// Flag bits of a conversion spec.
enum SpecFlag : uint8_t {
  FlagMinus = 1, ///< '-': left-justify
  FlagPlus = 2,  ///< '+': sign on positive numbers
  FlagSpace = 4, ///< ' ': space in place of a '+'
  FlagHash = 8,  ///< '#': alternate form
  FlagZero = 16, ///< '0': pad numbers with zeros
};

/// Length prefix, as written. Stored texts were written where long is 32
/// bits, so `l` means 32 bits here too.
enum class LengthMod : uint8_t {
  None,
  hh,  ///< char
  h,   ///< short; narrow for s, c
  l,   ///< 32-bit long; wide for s, c
  ll,  ///< 64-bit
  L,   ///< long double, formatted as double
  w,   ///< wide for s, c
  j,   ///< intmax_t, 64-bit
  z,   ///< size_t, pointer width
  t,   ///< ptrdiff_t, pointer width
  I,   ///< pointer width
  I32, ///< 32-bit
  I64, ///< 64-bit
};

/// What a conversion takes from the argument list (after any `*`s, which
/// each take an int).
enum class ArgKind : uint8_t {
  None,         ///< %%
  Int32,        ///< integers of 32 bits or fewer, as a promoted int
  Int64,        ///< 64-bit integers
  Double,       ///< all floating point
  WideChar,     ///< an int whose low 16 bits are the unit
  NarrowChar,   ///< an int whose low 8 bits are the byte
  WideString,   ///< const PhrasorWChar *
  NarrowString, ///< const char *
  Pointer,      ///< %p
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

  uint8_t Flags = 0;
  bool WidthFromArg = false;     ///< width is '*'
  bool PrecisionFromArg = false; ///< precision is '.*'
  LengthMod Length = LengthMod::None;
  ArgKind Kind = ArgKind::None;
  uint8_t IntBits = 32;      ///< integers: bits the value is cut to
  char Conversion = 0;       ///< the conversion letter, or '%'
  int32_t Width = 0;         ///< 0 when absent or from an argument
  int32_t Precision = kNone; ///< kNone when absent or from an argument
};

/// Parses the spec that follows a '%' at \p p, reading no further than its
/// conversion letter or the first terminator. On success stores the spec,
/// sets \p next behind the letter and returns SpecError::None; on failure
/// sets \p next to the offending character.
SpecError ParseConversionSpec(const PhrasorWChar *p, ConversionSpec &spec,
                              const PhrasorWChar *&next);

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

#endif // PHRASOR_FORMAT_PRINTFSPEC_H
