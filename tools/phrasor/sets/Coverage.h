//===- Coverage.h - How far a translation covers its source -----*- C++ -*-===//
//
// Coverage is counted in texts: an entry, or a plural text counted once
// whatever its categories, because each language has its own set of them
// (Russian ITEMS#few and ITEMS#many against English ITEMS#one is the same
// text, neither missing nor extra). IDs are matched as the game looks them
// up, ignoring ASCII case.
//
// Of the source's texts, each is translated, untranslated or missing:
//   untranslated  present without a value, or with the empty value where
//                 the source's is not empty (an empty source text is
//                 translated by an empty one)
//   missing       not in the translation at all
// Extra texts are the translation's that the source lacks. Stale ones are
// translated but likely copied: a value (for a plural text, one of its
// forms) equal to the source's own of the same ID and category, where the
// source's holds a letter outside its inserts. Which source text changed
// since its translation would need history that neither databases nor
// sources keep; an unchanged copy is what the data can show.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_COVERAGE_H
#define PHRASOR_TOOL_COVERAGE_H

#include "phrasor/Key.h"
#include "tools/phrasor/sets/CheckedSet.h"

#include <cstddef>
#include <string>
#include <vector>

namespace phrasor::tool {

struct CoverageItem {
  enum State { Translated, Untranslated, Missing, Extra };
  State state = Translated;
  bool plural = false; ///< id is the base of a plural text
  /// The word row when id is the base of a select text ("FOUND" of
  /// FOUND#gender-feminine and FOUND#gender-other#one): one text, however
  /// many values and counts, and a value the source lacks is no extra text.
  const Selector *word = nullptr;
  bool stale = false;
  std::string id;
  /// The entry to point at: in the source for Missing, else in the
  /// translation (for Untranslated, the first form that lacks a text).
  std::size_t entry = 0;
};

struct Coverage {
  std::size_t sourceTexts = 0;
  std::size_t translated = 0, untranslated = 0, missing = 0, extra = 0,
              stale = 0;
  /// The source's texts in its order, then the extra ones.
  std::vector<CoverageItem> items;
};

Coverage MeasureCoverage(const CheckedSet &translation,
                         const CheckedSet &source);

/// The word row of \p k's select form (a gender or a select, alone or
/// before a count's form); null for any other key.
const Selector *WordRowOf(const Key &k);
/// The stored text of \p k without its selectors: "FOUND" of
/// "FOUND#gender-feminine#one".
std::string BaseText(const Key &k);
/// \p k with its word's value replaced by the row's fallback
/// ("FOUND#gender-other#one" of "FOUND#gender-feminine#one").
std::string OtherValueForm(const Key &k);

/// True when \p value holds a letter outside its inserts and conversions.
bool HasWords(std::u16string_view value);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_COVERAGE_H
