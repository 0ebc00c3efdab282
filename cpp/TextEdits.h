//===- TextEdits.h - Units put into a copy of a stored text -----*- C++ -*-===//
//
// The layer hands the runtime's formatter a copy of a text with units put
// in at the places of its inserts: "I64" before a conversion letter, so an
// unprefixed insert takes a 64-bit argument whole, or the bidi isolates
// around an insert's output. Made per call in an argument list's scratch
// area, or once at parse time into a kept text.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_TEXTEDITS_H
#define PHRASOR_CPP_TEXTEDITS_H

#include "cpp/ArgList.h"
#include "phrasor/Text.h"

#include <cstddef>
#include <cstdint>

namespace phrasor {

/// Units to put into a text before the unit at \p at; at one place, the
/// lower \p order goes first (one insert's end before the next's start).
struct Edit {
  std::uint32_t at;
  std::uint32_t order;
  const PhrasorWChar *units;
  std::uint32_t count;
};

constexpr PhrasorWChar kIsolateStart[] = {0x2068}; // FIRST STRONG ISOLATE
constexpr PhrasorWChar kIsolateEnd[] = {0x2069};   // POP DIRECTIONAL ISOLATE
constexpr PhrasorWChar kWide[] = {'I', '6', '4'};

/// \p text (of \p length units) with each of \p edits made (sorted here),
/// in the scratch area of \p out. Allocates nothing while the scratch
/// area has room.
const PhrasorWChar *withEdits(const PhrasorWChar *text, std::uint32_t length,
                              Edit *edits, std::size_t count, ArgList &out);
/// The same, as a kept text.
Text editedText(const PhrasorWChar *text, std::uint32_t length, Edit *edits,
                std::size_t count);

/// Where the unit at \p at of the text is once \p edits (sorted) are made.
std::uint32_t editedPlace(std::uint32_t at, const Edit *edits,
                          std::size_t count);

} // namespace phrasor

#endif // PHRASOR_CPP_TEXTEDITS_H
