//===- Numbers.h - Numeric inserts written as the locale does ---*- C++ -*-===//
//
// The runtime's formatter writes numbers as C's printf does. A text marks an
// insert for the locale's way with the grouping flag (%'d, %1!'d!), and a
// host marks an argument with phrasor::number() or phrasor::percent(). The
// layer then writes such numbers itself, from the compiled table, and hands
// the formatter a copy of the text in which each numeric insert it can write
// is a text insert with the same width, so the rest of the text is rendered
// exactly as the runtime renders it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_NUMBERS_H
#define PHRASOR_CPP_NUMBERS_H

#include "cpp/NumberTable.h"
#include "phrasor/Args.h"
#include "phrasor/Style.h"
#include "phrasor/Text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor {

/// How \p tag writes numbers: its row, else the row of the tag with
/// subtags dropped from the end, else the root's. "-u-nu-latn" in the tag
/// asks for the locale's Latin-digit way.
const numbers::NumberStyle &numberStyleFor(std::string_view tag);

/// A numeric insert the layer writes itself.
struct NumberInsert {
  std::uint32_t begin;    ///< where its '%' is in the rewritten text
  std::uint32_t argument; ///< the argument it takes, from 0
  char conversion;        ///< d i u f e E g G
  bool grouped;           ///< the text's grouping flag
  bool plus, space;       ///< the '+' and ' ' flags
  bool explicitPrecision;
  int precision; ///< printf's, when explicit
};

/// A text with its numeric inserts turned into text inserts.
struct NumberForm {
  bool flagged = false; ///< some insert has the grouping flag
  std::string problem;  ///< a grouping flag the layer cannot honour
  Text text;
  std::vector<NumberInsert> inserts;
};

NumberForm rewriteNumbers(const PhrasorWChar *text, Style style);

/// \p text read as \p style without its grouping flags: what the runtime
/// would take the text for, and the inserts it takes, without them.
Text withoutGroupingFlags(const PhrasorWChar *text, Style style);

/// The most units writeNumber writes.
constexpr std::size_t kMaxNumberUnits = 1600;

/// Writes \p a (which suits the insert) as \p how says, in \p style when
/// the insert or the argument asks for the locale's way, else as printf
/// does, into \p out, and returns the end. Allocates nothing.
PhrasorWChar *writeNumber(const numbers::NumberStyle &style,
                          const NumberInsert &how, const Arg &a,
                          PhrasorWChar *out);

/// The most units writeInteger writes: 100 digits of two units, 99
/// separators of four and a sign of four.
constexpr std::size_t kMaxIntegerUnits = 600;

/// How many decimal digits \p magnitude has (0 has one), by comparisons
/// that do not wait on each other: nine for a value of 32 bits.
inline int decimalDigits(std::uint64_t magnitude) {
  static constexpr std::uint64_t kTens[] = {10ull,
                                            100ull,
                                            1000ull,
                                            10000ull,
                                            100000ull,
                                            1000000ull,
                                            10000000ull,
                                            100000000ull,
                                            1000000000ull,
                                            10000000000ull,
                                            100000000000ull,
                                            1000000000000ull,
                                            10000000000000ull,
                                            100000000000000ull,
                                            1000000000000000ull,
                                            10000000000000000ull,
                                            100000000000000000ull,
                                            1000000000000000000ull,
                                            10000000000000000000ull};
  int digits = 1;
  if (magnitude <= 0xFFFFFFFFu) {
    const auto word = static_cast<std::uint32_t>(magnitude);
    for (int k = 0; k < 9; ++k)
      digits += word >= kTens[k];
    return digits;
  }
  for (int k = 9; k < 19; ++k)
    digits += magnitude >= kTens[k];
  return digits + 9;
}

/// What writeInteger returns when the number does not fit.
constexpr std::size_t kNoRoom = static_cast<std::size_t>(-1);

/// Writes the integer insert \p how (d, i or u) of \p a, an integer, as
/// writeNumber does, straight into \p out when its units fit in \p room;
/// returns the units written, else kNoRoom with \p out untouched. The
/// digits go right to left with the separators in the same pass, so
/// nothing is written twice. Allocates nothing.
std::size_t writeInteger(const numbers::NumberStyle &style,
                         const NumberInsert &how, const Arg &a,
                         PhrasorWChar *out, std::size_t room);

} // namespace phrasor

#endif // PHRASOR_CPP_NUMBERS_H
