//===- Selectors.h - The kinds of selector a stored ID may end in -*- C++
//-*-===//
//
// A text that varies with a value is stored as one entry per category the
// value can choose: "FILES#one", "FILES#other", "PLACE#ordinal-two". Each
// kind of selector is one row of a registry: its name, how its categories
// are spelled after the ID, which categories exist, how a value chooses one
// and what a lookup falls back to. The key parser (Key.h), the tool's build
// rules, checks, header generator and writers, and the lookups of the C++
// layer all read these rows, so a new kind of selector is a row and its
// chooser:
//
//   registry ::= row*
//   row      ::= name mark category+ fallback call takes choose has
//   mark     ::= '#' letter*        the text between the ID and a category
//
// The resolver at the end of this file is the one fallback order every
// lookup of a selected text uses.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_SELECTORS_H
#define PHRASOR_CPP_SELECTORS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace phrasor {

class PluralRules;

/// The value a selected text is chosen by: a count as the text shows it
/// (an integer scaled by its fraction digits, as Count holds it), or a
/// string for a selector that takes one.
struct SelectorValue {
  std::int64_t scaled = 0;
  int fractionDigits = 0;
  int exponent = 0;
  std::string_view text;
};

/// What a selector's value is.
enum class SelectorTakes : std::uint8_t {
  Count,  ///< a number, chosen by the language's rules
  String, ///< a word, chosen by its spelling
};

/// One kind of selector.
struct Selector {
  /// What diagnostics call such a text: "plural text 'FILES'".
  std::string_view name;
  /// What stands between the ID and the category; begins with '#', the one
  /// character every selector reserves.
  std::string_view mark;
  /// Every category any language may have, in the order outputs list them.
  const std::string_view *categories;
  std::size_t categoryCount;
  /// The category every language has: the form a lookup takes when the
  /// chosen one is missing, and the one a check reads a text's inserts by.
  std::string_view fallback;
  /// The C++ layer's call for such a text ("Plural": plural()).
  std::string_view call;
  SelectorTakes takes;
  /// The category \p value chooses in the language whose rules are
  /// \p rules.
  std::string_view (*choose)(const PluralRules &rules,
                             const SelectorValue &value);
  /// Whether the language whose rules are \p rules has \p category.
  bool (*has)(const PluralRules &rules, std::string_view category);
  /// An open row: besides categories, any word of lowercase ASCII letters,
  /// digits and '_' names a form ("#select-red"). Its values are the
  /// host's own, so only the fallback is listed.
  bool open = false;

  /// The position of \p category in categories; categoryCount when it is
  /// none of them.
  constexpr std::size_t rank(std::string_view category) const {
    for (std::size_t i = 0; i < categoryCount; ++i)
      if (categories[i] == category)
        return i;
    return categoryCount;
  }
  /// Whether \p category spells one of this row's forms: a category, or
  /// for a counting row an exact match ("=0").
  constexpr bool isCategory(std::string_view category) const;
};

/// The rows a key is parsed against.
struct SelectorRegistry {
  const Selector *const *rows;
  std::size_t count;

  constexpr const Selector *const *begin() const { return rows; }
  constexpr const Selector *const *end() const { return rows + count; }
  /// The position of \p row; count when it is not one of these.
  constexpr std::size_t indexOf(const Selector *row) const {
    for (std::size_t i = 0; i < count; ++i)
      if (rows[i] == row)
        return i;
    return count;
  }
};

namespace selectors {

/// The categories of a count, in CLDR's order.
inline constexpr std::string_view kCountCategories[] = {
    "zero", "one", "two", "few", "many", "other"};

// The choosers of the counting selectors, by the C++ layer's CLDR rules
// (cpp/Selectors.cpp).
std::string_view choosePlural(const PluralRules &rules,
                              const SelectorValue &value);
std::string_view chooseOrdinal(const PluralRules &rules,
                               const SelectorValue &value);
bool hasPlural(const PluralRules &rules, std::string_view category);
bool hasOrdinal(const PluralRules &rules, std::string_view category);

// The choosers of the rows that take a word: the word itself when it names
// one of the row's forms, else the fallback.
std::string_view chooseGender(const PluralRules &rules,
                              const SelectorValue &value);
std::string_view chooseSelect(const PluralRules &rules,
                              const SelectorValue &value);
bool hasGender(const PluralRules &rules, std::string_view category);
bool hasSelect(const PluralRules &rules, std::string_view category);

/// Whether \p word can name a form of an open row: one or more of a-z,
/// 0-9 and '_'. The spelling is narrow so that a value never needs case
/// folding or escaping in any format, and so that no ID that has a space
/// or a capital after "#select-" changes meaning.
constexpr bool isSelectWord(std::string_view word) {
  if (word.empty() || word.size() > 64)
    return false;
  for (char c : word)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

/// Whether \p category is an exact match: '=' and a whole number without
/// leading zeros ("=0", "=12"), which a counting row's form may be spelled
/// with to win over the category the number chooses.
constexpr bool isExactMatch(std::string_view category) {
  if (category.size() < 2 || category.size() > 20 || category[0] != '=')
    return false;
  if (category[1] == '0' && category.size() > 2)
    return false;
  for (std::size_t i = 1; i < category.size(); ++i)
    if (category[i] < '0' || category[i] > '9')
      return false;
  return true;
}

/// The exact match a count selects ("=3" of 3 and of 3.00), written into
/// \p buffer; empty for a value that is not a whole, non-negative number
/// without an exponent, which no exact match names.
inline std::string_view exactMatchOf(const SelectorValue &value,
                                     char (&buffer)[24]) {
  if (value.scaled < 0 || value.exponent != 0 || value.fractionDigits < 0 ||
      value.fractionDigits > 18)
    return std::string_view();
  std::int64_t whole = value.scaled;
  for (int i = 0; i < value.fractionDigits; ++i) {
    if (whole % 10 != 0)
      return std::string_view();
    whole /= 10;
  }
  char *end = buffer + sizeof buffer;
  char *at = end;
  do {
    *--at = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole > 0);
  *--at = '=';
  return std::string_view(at, static_cast<std::size_t>(end - at));
}

} // namespace selectors

constexpr bool Selector::isCategory(std::string_view category) const {
  return rank(category) < categoryCount ||
         (takes == SelectorTakes::Count && selectors::isExactMatch(category)) ||
         (open && selectors::isSelectWord(category));
}

namespace selectors {
/// The form \p word chooses of a row that takes a word: the word when it
/// spells one of the row's forms, else the row's fallback. The same in
/// every language, so no rules are needed.
constexpr std::string_view wordForm(const Selector &row,
                                    std::string_view word) {
  return row.isCategory(word) ? word : row.fallback;
}
} // namespace selectors

/// A cardinal count: "FILES#few".
inline constexpr Selector kPluralSelector = {"plural",
                                             "#",
                                             selectors::kCountCategories,
                                             6,
                                             "other",
                                             "Plural",
                                             SelectorTakes::Count,
                                             &selectors::choosePlural,
                                             &selectors::hasPlural};

/// An ordinal count ("1st", "2nd"): "PLACE#ordinal-two".
inline constexpr Selector kOrdinalSelector = {"ordinal",
                                              "#ordinal-",
                                              selectors::kCountCategories,
                                              6,
                                              "other",
                                              "Ordinal",
                                              SelectorTakes::Count,
                                              &selectors::chooseOrdinal,
                                              &selectors::hasOrdinal};

namespace selectors {
/// The values of a gender, as Gender (Localizer.h) names them.
inline constexpr std::string_view kGenderCategories[] = {
    "masculine", "feminine", "neuter", "other"};
inline constexpr std::string_view kSelectCategories[] = {"other"};
} // namespace selectors

/// A grammatical gender: "FOUND#gender-feminine".
inline constexpr Selector kGenderSelector = {"gender",
                                             "#gender-",
                                             selectors::kGenderCategories,
                                             4,
                                             "other",
                                             "Gender",
                                             SelectorTakes::String,
                                             &selectors::chooseGender,
                                             &selectors::hasGender};

/// An open select on a word of the host's: "TITLE#select-knight".
inline constexpr Selector kSelectSelector = {"select",
                                             "#select-",
                                             selectors::kSelectCategories,
                                             1,
                                             "other",
                                             "Select",
                                             SelectorTakes::String,
                                             &selectors::chooseSelect,
                                             &selectors::hasSelect,
                                             true};

inline constexpr const Selector *kBuiltinSelectorRows[] = {
    &kPluralSelector, &kOrdinalSelector, &kGenderSelector, &kSelectSelector};

/// The selectors stored IDs use.
inline constexpr SelectorRegistry kSelectors = {kBuiltinSelectorRows, 4};

/// No selectors: for a key whose '#' is always its own, as a gettext
/// msgid's is.
inline constexpr SelectorRegistry kNoSelectors = {nullptr, 0};

namespace detail {
/// No gettext expression: every catalog chooses by its CLDR rules alone.
struct NoGettext {
  std::string_view operator()(std::size_t) const { return {}; }
};

// The forms of counting (or word) row \p row spelled after the first
// \p prefix bytes of \p key, over \p count catalogs: the exact match, the
// category each catalog chooses or, where that catalog lacks it, the one
// its gettext expression gives (\p gettextOf(i), empty for none), the
// row's fallback, each step over every catalog. Returns the catalog found,
// else count.
template <class CategoryOf, class GettextOf, class Has>
std::size_t findForm(std::size_t prefix, const Selector &row, std::size_t count,
                     CategoryOf &categoryOf, GettextOf &gettextOf, Has &has,
                     std::string &key, std::string_view exact) {
  auto spell = [&](std::string_view form) {
    key.resize(prefix);
    key.append(row.mark).append(form);
  };
  if (!exact.empty()) {
    spell(exact);
    for (std::size_t i = 0; i < count; ++i)
      if (has(i, key))
        return i;
  }
  // When every catalog chose the fallback category, each has been asked
  // for its form already: asking again could only miss again.
  bool fallbackAsked = true;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view chosen = categoryOf(i);
    spell(chosen);
    if (has(i, key))
      return i;
    const std::string_view own = gettextOf(i);
    fallbackAsked = fallbackAsked && (chosen == row.fallback ||
                                      (!own.empty() && own == row.fallback));
    if (own.empty() || own == chosen)
      continue;
    spell(own);
    if (has(i, key))
      return i;
  }
  spell(row.fallback);
  for (std::size_t i = 0; !fallbackAsked && i < count; ++i)
    if (has(i, key))
      return i;
  return count;
}
} // namespace detail

/// Resolves a selected text over \p count catalogs, in the one fallback
/// order: the exact match \p exact ("=0"; none when empty), then the form
/// of the category each catalog chooses (\p categoryOf(i)) or, where that
/// catalog lacks it, the form its gettext expression gives
/// (\p gettextOf(i), empty for none), then the form of the row's
/// fallback category, then \p stem alone; each step over every catalog
/// before the next, so a catalog holding only the fallback never hides
/// another's chosen form, and a catalog's own expression answers before
/// another language's text does. \p has(i, key) says whether catalog i has
/// a text for key. Returns the catalog found, leaving \p key its ID; else
/// \p count, leaving \p key the form the first catalog chose.
template <class CategoryOf, class GettextOf, class Has>
std::size_t resolveSelectedBy(std::string_view stem, const Selector &row,
                              std::size_t count, CategoryOf categoryOf,
                              GettextOf gettextOf, Has has, std::string &key,
                              std::string_view exact = std::string_view()) {
  key.assign(stem);
  const std::size_t at = detail::findForm(stem.size(), row, count, categoryOf,
                                          gettextOf, has, key, exact);
  if (at < count)
    return at;
  key.assign(stem);
  for (std::size_t i = 0; i < count; ++i)
    if (has(i, key))
      return i;
  if (count > 0)
    key.assign(stem).append(row.mark).append(categoryOf(0));
  return count;
}

/// resolveSelectedBy for catalogs without a gettext expression.
template <class CategoryOf, class Has>
std::size_t resolveSelected(std::string_view stem, const Selector &row,
                            std::size_t count, CategoryOf categoryOf, Has has,
                            std::string &key,
                            std::string_view exact = std::string_view()) {
  return resolveSelectedBy(stem, row, count, categoryOf, detail::NoGettext(),
                           has, key, exact);
}

/// Resolves a text that varies by a word and a count ("FOUND#gender-
/// feminine#one"): the forms of \p value of \p select by the count (its
/// exact match, its category, \p row's fallback), then the same forms of
/// the select's fallback value, then the count's forms of \p stem alone
/// and \p stem itself as the one-row resolver above gives them. \p value
/// is the word the select row chose. Each step looks at every catalog
/// before the next. Returns and leaves \p key as the one-row resolver does;
/// when nothing answers, \p key is the first catalog's form of \p value.
template <class CategoryOf, class Has>
std::size_t resolveSelected(std::string_view stem, const Selector &select,
                            std::string_view value, const Selector &row,
                            std::size_t count, CategoryOf categoryOf, Has has,
                            std::string &key,
                            std::string_view exact = std::string_view()) {
  detail::NoGettext none;
  for (std::string_view word : {value, select.fallback}) {
    key.assign(stem).append(select.mark).append(word);
    const std::size_t at = detail::findForm(key.size(), row, count, categoryOf,
                                            none, has, key, exact);
    if (at < count)
      return at;
    if (word == select.fallback)
      break;
  }
  const std::size_t at =
      resolveSelected(stem, row, count, categoryOf, has, key, exact);
  if (at == count && count > 0)
    key.assign(stem)
        .append(select.mark)
        .append(value)
        .append(row.mark)
        .append(categoryOf(0));
  return at;
}

} // namespace phrasor

#endif // PHRASOR_CPP_SELECTORS_H
