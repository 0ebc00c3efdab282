// The tool's checks take a language's categories from the C++ layer's
// table; ICU, which the table was made from, cross-checks every answer the
// checks rest on, for every language ICU has rules for.

#include "cpp/PluralTable.h"
#include "tools/phrasor/checks/Plurals.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>
#include <unicode/plurrule.h>
#include <unicode/strenum.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace phrasor::tool {
namespace {

/// What the checks would have asked ICU for \p tag.
LocaleCategories IcuCategories(const std::string &tag, bool ordinal) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
  std::unique_ptr<icu::PluralRules> rules(icu::PluralRules::forLocale(
      locale, ordinal ? UPLURAL_TYPE_ORDINAL : UPLURAL_TYPE_CARDINAL, status));
  EXPECT_TRUE(U_SUCCESS(status)) << tag;
  LocaleCategories c;
  if (!rules)
    return c;
  std::set<std::string> all;
  std::unique_ptr<icu::StringEnumeration> keywords(rules->getKeywords(status));
  while (const char *k = keywords->next(nullptr, status))
    all.insert(k);
  const Selector &row = ordinal ? kOrdinalSelector : kPluralSelector;
  std::vector<unsigned long> first(row.categoryCount, 0);
  std::vector<bool> reached(row.categoryCount, false);
  for (unsigned long n : PluralSamples()) {
    std::string k;
    rules->select(static_cast<double>(n)).toUTF8String(k);
    const std::size_t rank = row.rank(k);
    if (rank < row.categoryCount && !reached[rank])
      reached[rank] = true, first[rank] = n;
  }
  for (std::size_t i = 0; i < row.categoryCount; ++i) {
    const std::string k(row.categories[i]);
    if (all.count(k))
      c.all.push_back(k);
    if (reached[i])
      c.integers.push_back(k), c.examples.push_back(first[i]);
  }
  std::string text;
  rules->getRules().toUTF8String(text);
  for (char ch : text)
    if (ch != ' ' || c.rules.empty() || c.rules.back() != ' ')
      c.rules += ch;
  while (!c.rules.empty() && c.rules.back() == ' ')
    c.rules.pop_back();
  return c;
}

TEST(PluralCategories, TheTableGivesTheChecksWhatIcuGives) {
  for (std::size_t i = 0; i < plural::kLocaleCount; ++i) {
    const std::string tag = plural::kLocales[i].tag;
    for (bool ordinal : {false, true}) {
      SCOPED_TRACE(tag + (ordinal ? " ordinal" : " cardinal"));
      const LocaleCategories ours =
          CategoriesOf(tag, ordinal ? kOrdinalSelector : kPluralSelector);
      const LocaleCategories icu = IcuCategories(tag, ordinal);
      EXPECT_EQ(ours.all, icu.all);
      EXPECT_EQ(ours.integers, icu.integers);
      EXPECT_EQ(ours.examples, icu.examples);
      EXPECT_EQ(ours.rules, icu.rules);
    }
  }
}

TEST(PluralCategories, FractionsAndSingleNumbersAsIcuSaysThem) {
  EXPECT_EQ(FractionOnlyCategories("ru"), std::vector<std::string>{"other"});
  EXPECT_EQ(FractionOnlyCategories("cs"), std::vector<std::string>{"many"});
  EXPECT_TRUE(FractionOnlyCategories("en").empty());
  EXPECT_TRUE(CategoryIsOneNumber("en", "one"));
  EXPECT_FALSE(CategoryIsOneNumber("ru", "one"));
  // A tag with no rules: every count is "other", which is no single number.
  const LocaleCategories none = CategoriesOf("xx");
  EXPECT_EQ(none.all, std::vector<std::string>{"other"});
  EXPECT_EQ(none.integers, std::vector<std::string>{"other"});
  EXPECT_EQ(none.rules, "other:");
}

TEST(PluralCategories, ProblemsComeByTextThenRowWithEachFormWhereWritten) {
  // Forms of two texts interleaved, as sources write them: problems come
  // text by text, each text's rows in registry order, and a lacking form
  // is reported at the first form written.
  const std::vector<std::string> ids = {
      "b#one", "a#few",  "plain", "b#zero", "a#ordinal-other",
      "a#one", "a#many", "b#=0",  "a#other"};
  const std::vector<PluralProblem> problems = CheckPluralTexts(ids, "pl");
  std::vector<std::string> where;
  for (const PluralProblem &p : problems)
    where.push_back(p.id);
  EXPECT_EQ(where, (std::vector<std::string>{"b#zero", "b#one", "b#one"}));
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0].message, "'pl' has no plural category 'zero'");
  EXPECT_EQ(problems[1].message, "plural text 'b' lacks the form 'few' that "
                                 "'pl' needs (for 2)");
  EXPECT_NE(problems[2].message.find("'many'"), std::string::npos);

  const std::vector<std::string_view> views(ids.begin(), ids.end());
  const std::vector<PluralProblem> again = CheckPluralTexts(views, "pl");
  ASSERT_EQ(again.size(), problems.size());
  for (std::size_t i = 0; i < again.size(); ++i)
    EXPECT_EQ(again[i].message, problems[i].message);
  // Without a language the first text in order is the one pointed at.
  const std::vector<PluralProblem> unknown =
      CheckPluralTexts(ids, std::nullopt);
  ASSERT_EQ(unknown.size(), 1u);
  EXPECT_EQ(unknown[0].id, "a#few");
}

} // namespace
} // namespace phrasor::tool
