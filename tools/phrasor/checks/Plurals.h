//===- Plurals.h - Plural texts: CLDR categories and gettext rules -*- C++
//-*-===//
//
// A plural text is stored as one entry per CLDR category its language has:
// "FILES#one", "FILES#few", "FILES#many" (Key.h spells them; Selectors.h
// lists the kinds). The categories of a language come from the C++ layer's
// CLDR table, so the tool judges a text by the rules a host chooses by. PO
// files number their forms instead, by a C expression in the Plural-Forms
// header; the two are tied together by evaluating both over sample
// numbers.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PLURALS_H
#define PHRASOR_TOOL_PLURALS_H

#include "phrasor/Key.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// The plural categories of a language.
struct LocaleCategories {
  std::vector<std::string> all;      ///< every category, in CLDR order
  std::vector<std::string> integers; ///< those some whole number selects
  std::string rules;                 ///< CLDR's rules, for messages
  /// The first sample number of each category in \p integers.
  std::vector<unsigned long> examples;
};

/// Whole numbers that meet every integer rule CLDR has.
const std::vector<unsigned long> &PluralSamples();

/// The category \p tag selects for each of PluralSamples().
std::vector<std::string> SelectSamples(const std::string &tag);

/// The categories of \p tag (a BCP 47 tag) for the counting selector
/// \p row.
LocaleCategories CategoriesOf(const std::string &tag,
                              const Selector &row = kPluralSelector);

/// The categories \p tag gives numbers with a fraction (1.5) and no whole
/// number: Russian "other", Czech "many"; none in English.
std::vector<std::string> FractionOnlyCategories(const std::string &tag);

/// True when \p category of \p tag holds a single whole number (English
/// "one" is 1 alone, Russian "one" is 1, 21, 31...): such a form may write
/// its number in words.
bool CategoryIsOneNumber(const std::string &tag, const std::string &category);

/// A problem with a plural text, and the ID of the entry to point at.
struct PluralProblem {
  std::string id;
  std::string message;
};

/// Checks the texts among \p ids that a counting selector chooses among
/// against the categories of \p locale: every category a whole number
/// selects must have its form, and no form may name a category the
/// language does not have.
/// A language CLDR has no rules for is checked against the categories
/// its \p pluralForms (an @plural-forms value) stores forms under instead.
std::vector<PluralProblem>
CheckPluralTexts(const std::vector<std::string> &ids,
                 const std::optional<std::string> &locale,
                 const std::optional<std::string> &pluralForms = std::nullopt);
/// The same, over views of IDs the caller keeps.
std::vector<PluralProblem>
CheckPluralTexts(const std::vector<std::string_view> &ids,
                 const std::optional<std::string> &locale,
                 const std::optional<std::string> &pluralForms = std::nullopt);

/// What a set of plural texts lacks: a category of \p locale that only
/// counts with a fraction choose (Russian "other" of 1.5) and that some
/// plural text among \p ids has no form for, said as a line for check,
/// stats and report; empty when nothing is lacked. With \p gettext (the
/// set keeps a Plural-Forms expression) such counts take the form it
/// gives, else another catalog's text.
std::string LackedCategories(const std::vector<std::string> &ids,
                             const std::string &locale, bool gettext);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PLURALS_H
