//===- Plurals.cpp - Plural texts: CLDR categories and gettext rules ------===//
//
// The categories of a language by the C++ layer's CLDR table, and the
// checks of the texts a count selects among.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/checks/Plurals.h"

#include "cpp/Plural.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace phrasor::tool {

namespace {

SelectorValue WholeNumber(unsigned long n) {
  SelectorValue v;
  v.scaled = static_cast<std::int64_t>(n);
  return v;
}

std::string Choose(const Selector &row, const PluralRules &rules,
                   unsigned long n) {
  return std::string(row.choose(rules, WholeNumber(n)));
}

} // namespace

const std::vector<unsigned long> &PluralSamples() {
  // Whole numbers enough to meet every integer rule CLDR has: all of
  // 0..200 (the rules look at n % 10 and n % 100), and the large round
  // numbers some languages treat apart (French "many" for millions).
  static const std::vector<unsigned long> samples = [] {
    std::vector<unsigned long> n;
    for (unsigned long i = 0; i <= 200; ++i)
      n.push_back(i);
    for (unsigned long big :
         {1000ul, 1001ul, 1000000ul, 2000000ul, 1000000000ul})
      n.push_back(big);
    return n;
  }();
  return samples;
}

std::vector<std::string> SelectSamples(const std::string &tag) {
  const PluralRules rules(tag);
  std::vector<std::string> out;
  for (unsigned long n : PluralSamples())
    out.push_back(Choose(kPluralSelector, rules, n));
  return out;
}

LocaleCategories CategoriesOf(const std::string &tag, const Selector &row) {
  LocaleCategories c;
  const PluralRules rules(tag);
  std::map<std::size_t, unsigned long> reached;
  for (unsigned long n : PluralSamples())
    reached.emplace(row.rank(Choose(row, rules, n)), n);
  for (std::size_t i = 0; i < row.categoryCount; ++i) {
    const std::string_view k = row.categories[i];
    if (row.has(rules, k))
      c.all.emplace_back(k);
    auto it = reached.find(i);
    if (it != reached.end()) {
      c.integers.emplace_back(k);
      c.examples.push_back(it->second);
    }
  }
  // The table holds the conditions alone, as messages quote them.
  c.rules = std::string(rules.rulesText(&row == &kOrdinalSelector));
  return c;
}

std::vector<std::string> FractionOnlyCategories(const std::string &tag) {
  const PluralRules rules(tag);
  std::set<std::string> integers;
  for (unsigned long n : PluralSamples())
    integers.insert(Choose(kPluralSelector, rules, n));
  // One and two fraction digits, over the whole parts the integer rules
  // look at, meet every decimal rule CLDR has.
  std::set<std::size_t> fractions;
  for (unsigned long whole = 0; whole <= 110; ++whole)
    for (const auto &[part, digits] : {std::pair{1, 1}, {5, 1}, {25, 2}}) {
      SelectorValue v;
      v.scaled =
          static_cast<std::int64_t>(whole) * (digits == 1 ? 10 : 100) + part;
      v.fractionDigits = digits;
      const std::string category(kPluralSelector.choose(rules, v));
      if (!integers.count(category))
        fractions.insert(kPluralSelector.rank(category));
    }
  std::vector<std::string> out;
  for (std::size_t rank : fractions)
    out.emplace_back(kPluralSelector.categories[rank]);
  return out;
}

bool CategoryIsOneNumber(const std::string &tag, const std::string &category) {
  const PluralRules rules(tag);
  std::size_t count = 0;
  for (unsigned long n : PluralSamples())
    count += Choose(kPluralSelector, rules, n) == category ? 1 : 0;
  return count == 1;
}

namespace {

/// The categories an @plural-forms value stores its forms under.
std::vector<std::string> StoredCategories(const std::string &pluralForms) {
  std::vector<std::string> out;
  const std::size_t newline = pluralForms.find('\n');
  std::string_view names = newline == std::string::npos
                               ? std::string_view()
                               : std::string_view(pluralForms).substr(newline);
  while (!names.empty()) {
    const std::size_t start = names.find_first_not_of(" \n");
    if (start == std::string_view::npos)
      break;
    names.remove_prefix(start);
    const std::size_t end = std::min(names.find(' '), names.size());
    out.emplace_back(names.substr(0, end));
    names.remove_prefix(end);
  }
  return out;
}

/// The plural row's categories of \p locale, or for a language without
/// CLDR rules those its stored expression names, every one needed.
LocaleCategories PluralCategoriesOf(const std::string &locale,
                                    const std::optional<std::string> &forms) {
  LocaleCategories c = CategoriesOf(locale);
  if (!forms || PluralRules(locale).hasRules())
    return c;
  c.all = StoredCategories(*forms);
  c.integers.clear();
  c.examples.clear();
  c.rules = forms->substr(0, forms->find('\n'));
  return c;
}

} // namespace

std::string LackedCategories(const std::vector<std::string> &ids,
                             const std::string &locale, bool gettext) {
  std::map<std::string, std::set<std::string>> forms; // stem -> categories
  for (const std::string &id : ids)
    if (const Key k = Key::parse(id); k.is(kPluralSelector))
      forms[std::string(k.stem)].insert(std::string(k.category));
  std::string lacked;
  for (const std::string &category : FractionOnlyCategories(locale)) {
    std::size_t without = 0;
    for (const auto &[stem, present] : forms)
      without += present.count(category) ? 0 : 1;
    if (without == 0)
      continue;
    lacked += (lacked.empty() ? "" : ", ") + ("'" + category + "'") +
              " (counts with a fraction, such as 1.5) in " +
              std::to_string(without) + " of " + std::to_string(forms.size()) +
              " plural texts";
  }
  if (lacked.empty())
    return lacked;
  return "'" + locale + "' lacks " + lacked +
         (gettext ? ": gettext's form will answer, by the Plural-Forms "
                    "expression the database keeps"
                  : ": such counts take the next catalog's text");
}

namespace {

/// One form of a text a counting selector chooses among.
struct CountedForm {
  std::string_view stem;
  std::size_t row; ///< its selector's place in the registry
  std::string_view category;
  std::string_view id;
  std::size_t hash; ///< of the stem

  /// The order problems are reported in: by text, then row.
  bool operator<(const CountedForm &other) const {
    return stem != other.stem ? stem < other.stem : row < other.row;
  }
  /// An order that only groups each text's forms: mostly by hash, so
  /// that grouping the forms of a large catalog seldom compares stems.
  bool GroupsBefore(const CountedForm &other) const {
    if (hash != other.hash)
      return hash < other.hash;
    return row != other.row ? row < other.row : stem < other.stem;
  }
};

/// The counted forms among \p ids, in the order given.
std::vector<CountedForm>
CountedForms(const std::vector<std::string_view> &ids) {
  std::vector<CountedForm> forms;
  for (std::string_view id : ids) {
    const Key k = Key::parse(id);
    if (k.selector && k.selector->takes == SelectorTakes::Count)
      forms.push_back({k.stem, kSelectors.indexOf(k.selector), k.category, id,
                       std::hash<std::string_view>{}(k.stem)});
  }
  return forms;
}

/// The problems of one text's forms \p forms, of selector row \p row.
void CheckCountedText(const CountedForm *forms, std::size_t count,
                      const Selector &row, const LocaleCategories &categories,
                      const std::string &locale,
                      std::vector<PluralProblem> &problems) {
  const std::string what(row.name);
  std::vector<std::string_view> present;
  for (const CountedForm *f = forms; f != forms + count; ++f) {
    present.push_back(f->category);
    // An exact match is a form every language may have.
    if (!selectors::isExactMatch(f->category) &&
        std::find(categories.all.begin(), categories.all.end(), f->category) ==
            categories.all.end())
      problems.push_back({std::string(f->id),
                          "'" + locale + "' has no " + what + " category '" +
                              std::string(f->category) + "'"});
  }
  for (std::size_t i = 0; i < categories.integers.size(); ++i)
    if (std::find(present.begin(), present.end(), categories.integers[i]) ==
        present.end())
      problems.push_back(
          {std::string(forms->id),
           what + " text '" + std::string(forms->stem) + "' lacks the form '" +
               std::string(row.mark.substr(1)) + categories.integers[i] +
               "' that '" + locale + "' needs (for " +
               std::to_string(categories.examples[i]) + ")"});
}

/// The problems of \p forms, text by text as CountedForm orders them,
/// each text's in the order its forms were written.
std::vector<PluralProblem>
CheckCountedTexts(std::vector<CountedForm> &forms, const std::string &locale,
                  const std::optional<std::string> &pluralForms) {
  // Grouped without sorting by stem; only the texts with problems, few
  // as a rule, are then put in their order.
  std::stable_sort(forms.begin(), forms.end(),
                   [](const CountedForm &a, const CountedForm &b) {
                     return a.GroupsBefore(b);
                   });
  std::map<std::size_t, LocaleCategories> byRow;
  std::vector<std::pair<const CountedForm *, std::vector<PluralProblem>>> texts;
  for (std::size_t first = 0, end = 0; first < forms.size(); first = end) {
    end = first + 1;
    while (end < forms.size() && !forms[first].GroupsBefore(forms[end]))
      ++end;
    const std::size_t index = forms[first].row;
    const Selector &row = *kSelectors.rows[index];
    auto [at, added] = byRow.try_emplace(index);
    if (added)
      at->second = &row == &kPluralSelector
                       ? PluralCategoriesOf(locale, pluralForms)
                       : CategoriesOf(locale, row);
    std::vector<PluralProblem> found;
    CheckCountedText(&forms[first], end - first, row, at->second, locale,
                     found);
    if (!found.empty())
      texts.emplace_back(&forms[first], std::move(found));
  }
  std::stable_sort(
      texts.begin(), texts.end(),
      [](const auto &a, const auto &b) { return *a.first < *b.first; });
  std::vector<PluralProblem> problems;
  for (auto &text : texts)
    for (PluralProblem &p : text.second)
      problems.push_back(std::move(p));
  return problems;
}

} // namespace

std::vector<PluralProblem>
CheckPluralTexts(const std::vector<std::string_view> &ids,
                 const std::optional<std::string> &locale,
                 const std::optional<std::string> &pluralForms) {
  std::vector<CountedForm> forms = CountedForms(ids);
  if (forms.empty())
    return {};
  if (!locale)
    // The first text in order, at the first of its forms written.
    return {{std::string(std::min_element(forms.begin(), forms.end())->id),
             "plural texts need the database's language to be "
             "checked: give a locale (--locale, a PO Language "
             "header or \"@locale\")"}};
  return CheckCountedTexts(forms, *locale, pluralForms);
}

std::vector<PluralProblem>
CheckPluralTexts(const std::vector<std::string> &ids,
                 const std::optional<std::string> &locale,
                 const std::optional<std::string> &pluralForms) {
  const std::vector<std::string_view> views(ids.begin(), ids.end());
  return CheckPluralTexts(views, locale, pluralForms);
}

} // namespace phrasor::tool
