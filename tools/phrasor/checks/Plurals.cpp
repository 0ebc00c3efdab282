//===- Plurals.cpp - Plural texts: CLDR categories and gettext rules ------===//
//
// CLDR plural categories through ICU, and the checks of plural texts.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/checks/Plurals.h"

#include <unicode/locid.h>
#include <unicode/plurrule.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <map>
#include <set>

namespace phrasor::tool {

const char *const kPluralCategories[6] = {"zero", "one",  "two",
                                          "few",  "many", "other"};

bool IsPluralCategory(std::string_view name) { return CategoryRank(name) < 6; }

std::size_t CategoryRank(std::string_view category) {
  for (std::size_t i = 0; i < 6; ++i)
    if (category == kPluralCategories[i])
      return i;
  return 6;
}

bool SplitPluralId(std::string_view id, std::string_view &base,
                   std::string_view &category) {
  const std::size_t hash = id.rfind('#');
  if (hash == std::string_view::npos || hash == 0 ||
      !IsPluralCategory(id.substr(hash + 1)))
    return false;
  base = id.substr(0, hash);
  category = id.substr(hash + 1);
  return true;
}

bool SplitOrdinalId(std::string_view id, std::string_view &base,
                    std::string_view &category) {
  constexpr std::string_view kMark = "#ordinal-";
  const std::size_t mark = id.rfind(kMark);
  if (mark == std::string_view::npos || mark == 0 ||
      !IsPluralCategory(id.substr(mark + kMark.size())))
    return false;
  base = id.substr(0, mark);
  category = id.substr(mark + kMark.size());
  return true;
}

std::string_view PluralCategoryOf(std::string_view id) {
  std::string_view base, category;
  SplitPluralId(id, base, category);
  return category;
}

namespace {

std::unique_ptr<icu::PluralRules> RulesOf(const std::string &tag,
                                          bool ordinal = false) {
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
  if (U_FAILURE(status))
    return nullptr;
  std::unique_ptr<icu::PluralRules> rules(icu::PluralRules::forLocale(
      locale, ordinal ? UPLURAL_TYPE_ORDINAL : UPLURAL_TYPE_CARDINAL, status));
  if (U_FAILURE(status))
    return nullptr;
  return rules;
}

std::string Select(const icu::PluralRules &rules, unsigned long n) {
  std::string out;
  rules.select(static_cast<double>(n)).toUTF8String(out);
  return out;
}

// ICU's rule text carries sample lists ("@integer 1, 21, ..."); messages
// need only the conditions.
std::string ConditionsOnly(const std::string &rules) {
  std::string out;
  bool inSamples = false;
  for (char c : rules) {
    if (c == '@')
      inSamples = true;
    else if (c == ';')
      inSamples = false;
    if (!inSamples)
      out.push_back(c);
  }
  std::string tidy;
  for (char c : out)
    if (!(c == ' ' && (tidy.empty() || tidy.back() == ' ')))
      tidy.push_back(c);
  while (!tidy.empty() && tidy.back() == ' ')
    tidy.pop_back();
  std::string spaced;
  for (std::size_t i = 0; i < tidy.size(); ++i) {
    if (tidy[i] == ' ' && i + 1 < tidy.size() && tidy[i + 1] == ';')
      continue;
    spaced.push_back(tidy[i]);
  }
  return spaced;
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
  std::unique_ptr<icu::PluralRules> rules = RulesOf(tag);
  std::vector<std::string> out;
  for (unsigned long n : PluralSamples())
    out.push_back(rules ? Select(*rules, n) : "other");
  return out;
}

LocaleCategories CategoriesOf(const std::string &tag, bool ordinal) {
  LocaleCategories c;
  std::unique_ptr<icu::PluralRules> rules = RulesOf(tag, ordinal);
  if (!rules) {
    c.all = c.integers = {"other"};
    c.examples = {0};
    return c;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::StringEnumeration> keywords(rules->getKeywords(status));
  std::set<std::string> all;
  while (keywords && U_SUCCESS(status)) {
    const char *k = keywords->next(nullptr, status);
    if (!k)
      break;
    all.insert(k);
  }
  std::map<std::size_t, unsigned long> reached;
  for (unsigned long n : PluralSamples())
    reached.emplace(CategoryRank(Select(*rules, n)), n);
  for (const char *k : kPluralCategories) {
    if (all.count(k))
      c.all.push_back(k);
    auto it = reached.find(CategoryRank(k));
    if (it != reached.end()) {
      c.integers.push_back(k);
      c.examples.push_back(it->second);
    }
  }
  rules->getRules().toUTF8String(c.rules);
  c.rules = ConditionsOnly(c.rules);
  return c;
}

std::vector<std::string> FractionOnlyCategories(const std::string &tag) {
  std::unique_ptr<icu::PluralRules> rules = RulesOf(tag);
  std::vector<std::string> out;
  if (!rules)
    return out;
  std::set<std::string> integers;
  for (unsigned long n : PluralSamples())
    integers.insert(Select(*rules, n));
  // One and two fraction digits, over the whole parts the integer rules
  // look at, meet every decimal rule CLDR has.
  std::set<std::size_t> fractions;
  for (unsigned long whole = 0; whole <= 110; ++whole)
    for (double part : {0.1, 0.5, 0.25}) {
      std::string category;
      rules->select(static_cast<double>(whole) + part).toUTF8String(category);
      if (!integers.count(category))
        fractions.insert(CategoryRank(category));
    }
  for (std::size_t rank : fractions)
    out.push_back(kPluralCategories[rank]);
  return out;
}

bool CategoryIsOneNumber(const std::string &tag, const std::string &category) {
  std::unique_ptr<icu::PluralRules> rules = RulesOf(tag);
  if (!rules)
    return false;
  std::size_t count = 0;
  for (unsigned long n : PluralSamples())
    count += Select(*rules, n) == category ? 1 : 0;
  return count == 1;
}

std::vector<PluralProblem>
CheckPluralTexts(const std::vector<std::string> &ids,
                 const std::optional<std::string> &locale) {
  // (base, ordinal) -> (category, ID)
  std::map<std::pair<std::string, bool>,
           std::vector<std::pair<std::string, std::string>>>
      groups;
  for (const std::string &id : ids) {
    std::string_view base, category;
    if (SplitOrdinalId(id, base, category))
      groups[{std::string(base), true}].emplace_back(category, id);
    else if (SplitPluralId(id, base, category))
      groups[{std::string(base), false}].emplace_back(category, id);
  }
  std::vector<PluralProblem> problems;
  if (groups.empty())
    return problems;
  if (!locale) {
    problems.push_back({groups.begin()->second.front().second,
                        "plural texts need the database's language to be "
                        "checked: give a locale (--locale, a PO Language "
                        "header or \"@locale\")"});
    return problems;
  }
  const LocaleCategories cardinals = CategoriesOf(*locale);
  const LocaleCategories ordinals = CategoriesOf(*locale, true);
  for (const auto &[key, forms] : groups) {
    const auto &[base, ordinal] = key;
    const LocaleCategories &categories = ordinal ? ordinals : cardinals;
    const std::string what = ordinal ? "ordinal" : "plural";
    const std::string prefix = ordinal ? "ordinal-" : "";
    std::set<std::string> present;
    for (const auto &[category, id] : forms) {
      present.insert(category);
      if (std::find(categories.all.begin(), categories.all.end(), category) ==
          categories.all.end())
        problems.push_back({id, "'" + *locale + "' has no " + what +
                                    " category '" + category + "'"});
    }
    for (std::size_t i = 0; i < categories.integers.size(); ++i)
      if (!present.count(categories.integers[i]))
        problems.push_back({forms.front().second,
                            what + " text '" + base + "' lacks the form '" +
                                prefix + categories.integers[i] + "' that '" +
                                *locale + "' needs (for " +
                                std::to_string(categories.examples[i]) + ")"});
  }
  return problems;
}

} // namespace phrasor::tool
