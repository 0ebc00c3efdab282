//===- Inserts.h - What a stored text takes, parsed once --------*- C++ -*-===//
//
// The runtime parses a message on every call and takes whatever the va_list
// holds. The layer parses each stored text once, with the runtime's own
// parsers, keeps what every insert takes, and checks the C++ arguments
// against it before the runtime's formatter sees them.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_INSERTS_H
#define PHRASOR_CPP_INSERTS_H

#include "cpp/ArgList.h"
#include "cpp/Numbers.h"
#include "cpp/Particles.h"
#include "cpp/PlainRender.h"
#include "format/Prepared.h"
#include "phrasor/Args.h"
#include "phrasor/Error.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor {

/// The family of C++ arguments an insert of \p kind takes, as accepts()
/// judges them. ArgKind::None takes nothing; it is given as Integer, so
/// callers that must refuse it check for it first.
constexpr Takes takesOf(ArgKind kind) {
  switch (kind) {
  case ArgKind::Double:
  case ArgKind::LongDouble:
    return Takes::Number;
  case ArgKind::WideChar:
  case ArgKind::NarrowChar:
    return Takes::Character;
  case ArgKind::WideString:
  case ArgKind::NarrowString:
    return Takes::String;
  case ArgKind::Pointer:
    return Takes::Pointer;
  default:
    return Takes::Integer;
  }
}

struct Insert {
  ArgKind kind;        ///< what it takes
  std::uint32_t begin; ///< the insert's place in the text
  std::uint32_t end;
  bool star; ///< a printf '*' width or precision
  /// An integer conversion without a size prefix (d i o u x X), which
  /// takes a 64-bit argument whole: \c letter is where its conversion
  /// letter is, and \c roomToWiden whether "I64" fits before it.
  bool unprefixed;
  bool roomToWiden;
  std::uint32_t letter;
  std::uint32_t arg; ///< the argument the insert takes (a repeat's field)
  /// A numeric insert the layer writes itself: its index in
  /// Inserts::numbers, else -1.
  std::int32_t number = -1;
  /// A text insert that carries a particle: its index in
  /// Inserts::particles, else -1.
  std::int32_t particle = -1;
};

/// The parsed inserts of one stored text, in the order arguments are taken
/// (field number for messages, left to right for printf).
struct Inserts {
  bool ok = false;
  std::string problem; ///< why the text is refused, when !ok
  std::vector<Insert> list;
  /// The other inserts of a message field that appears more than once:
  /// the argument must suit each of them.
  std::vector<Insert> repeats;
  std::uint32_t length = 0; ///< units of the text

  /// The text parsed for the formatter, so a call parses nothing: a
  /// message's fields, or a printf text's pieces. \c prepared is false when
  /// the formatter would not take it (the text is refused anyway).
  bool prepared = false;
  PreparedMessage message;
  std::vector<PrintfPiece> pieces;
  /// What the kept parse shows, worked out once rather than per call:
  /// whether its output may hold a U+0000 (only a character insert, or the
  /// rest of a message insert's spec walked as printf, writes one), and
  /// whether a message's inserts are all plain (IsPlainMessage).
  bool mayWriteZero = true;
  bool plainMessage = false;
  /// A message of plain inserts, kept for writing without the formatter.
  PlainPlan plain;

  /// The numeric inserts the layer writes (Numbers.h), when the formatter
  /// is given the rewritten \c source rather than the stored text.
  bool rewritten = false;
  Text source;
  std::vector<NumberInsert> numbers;
  /// The inserts that carry a particle (Particles.h): a text with them is
  /// always given to the formatter rewritten, without the pairs.
  std::vector<ParticleInsert> particles;
  /// A text without the grouping flag keeps its rewritten form here, for
  /// a call that passes phrasor::number(): null when it has no numeric
  /// insert the layer can write.
  std::unique_ptr<Inserts> localForm;
  /// The text with every insert set apart (U+2068 ... U+2069), parsed for
  /// a catalog that sets its inserts apart; \c setApart marks such a twin.
  std::unique_ptr<Inserts> setApartForm;
  bool setApart = false;

  /// The text the parse is of: \p stored or the rewritten one.
  const PhrasorWChar *textOf(const PhrasorWChar *stored) const {
    return rewritten ? source.c_str() : stored;
  }
};

/// With \p setApart, each form also keeps a twin with every insert set
/// apart (setApartForm), for a catalog that sets its inserts apart.
Inserts parseMessage(const PhrasorWChar *text, bool setApart = false);
Inserts parsePrintf(const PhrasorWChar *text, bool setApart = false);

/// \p form's twin with its inserts set apart when \p isolate and it has
/// one, else \p form (whose calls then mark a copy of the text).
const Inserts &setApartFor(const Inserts &form, bool isolate);

/// The form of \p parsed a call with \p args formats.
const Inserts &formFor(const Inserts &parsed, const Arg *args,
                       std::size_t count);

/// Checks \p args against \p inserts and stores each value, converted as
/// the insert takes it, in \p out. A refusal names the ID, the insert (as
/// written in \p text) and the argument's type. \p render is the text to
/// format: \p text, or a copy in \p out's scratch area in which the
/// unprefixed inserts of 64-bit arguments take 64 bits; \p text is the
/// stored text, and a rewritten form's own text is used in its place. The
/// inserts the layer writes are written in \p numbers' way. With
/// \p isolate, each insert's output is set apart from the text around it
/// (U+2068 ... U+2069), so a right-to-left text keeps its order whatever
/// the value's direction.
std::optional<Error>
bindArguments(const Inserts &inserts, const PhrasorWChar *text,
              std::string_view id, const Arg *args, std::size_t count,
              ArgList &out, const PhrasorWChar *&render,
              const numbers::NumberStyle &numbers, bool isolate = false);

} // namespace phrasor

#endif // PHRASOR_CPP_INSERTS_H
