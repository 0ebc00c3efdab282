//===- Style.h - How a stored text is read when formatting it ---*- C++ -*-===//
//
// How a text is read and how long its output may be: what the layer's
// formatting code decides by, in a header of its own so that it need not
// include the catalog it serves.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_STYLE_H
#define PHRASOR_CPP_STYLE_H

#include <cstddef>
#include <cstdint>

namespace phrasor {

/// How a stored text is read when formatting it.
enum class Style : std::uint8_t {
  Message, ///< numbered inserts: %1!d!, %2!s!
  Printf,  ///< printf conversions, in order: %d, %s, %*d
  Plain,   ///< shown as written; arguments are not used
  /// By the entry's kind: the one the tool recorded in the database's
  /// "@kinds" entry (a PO c-format string that reads otherwise, a CSV kind
  /// column), else the kind the text reads as: a message when it has an
  /// insert, printf when it has a printf conversion, else plain.
  Stored,
};

/// The longest output the layer produces, in UTF-16 units; a longer one is
/// the error TooLong.
constexpr std::size_t kMaxOutputUnits = 65535;

} // namespace phrasor

#endif // PHRASOR_CPP_STYLE_H
