//===- TextKind.h - A stored text: plain, message or printf ----*- C++ -*-===//
//
// A database keeps only the text of a value; whether the program formats it
// as a message, as a printf format or shows it as written is decided once,
// here, for everyone who reads a database: the tool when it checks and
// dumps, the C++ layer when it formats. Knowing both syntaxes, this layer
// is where a value is read both ways.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_TEXTKIND_H
#define PHRASOR_FORMAT_TEXTKIND_H

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

enum class TextKind : uint8_t { Plain, Message, Printf };

/// Why a value holding '%' was still read as plain text.
enum class KindDoubt : uint8_t {
  None,
  DoubledPercent, ///< "%%" only: plain text shows both signs
  LonePercent,    ///< a '%' that is neither an insert nor a conversion
};

struct KindInference {
  TextKind kind;
  KindDoubt doubt;
  uint32_t percentAt; ///< LonePercent: the 1-based place of that '%'
};

/// Infers the kind of the terminated \p text (null is empty): a value with
/// an insert ("%1!s!", or the start of one that is broken) is a message;
/// one whose printf conversions all read as such ("%d", but not the "% d"
/// of "50% done") is printf; anything else is plain. Allocates nothing.
KindInference InferTextKind(const PhrasorWChar *text);

} // namespace phrasor

#endif // PHRASOR_FORMAT_TEXTKIND_H
