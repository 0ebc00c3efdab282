//===- plural_test.cpp - Built-in plural rules, and ICU agreement ---------===//

#include "cpp/Plural.h"
#include "cpp/PluralTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#if PHRASOR_HAVE_ICU
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/plurrule.h>
#include <unicode/strenum.h>

#include <memory>
#endif

using namespace phrasor;

namespace {

PluralDecimal D(const char *text) {
  std::optional<PluralDecimal> d = parsePluralDecimal(text);
  EXPECT_TRUE(d) << text;
  return d.value_or(PluralDecimal{});
}

} // namespace

// These run on every platform, ICU or not: the same forms on i386 and under
// Wine as on x86-64.
TEST(PluralRules, GivesEachLanguagesForms) {
  struct Case {
    int line;
    const char *locale, *count, *cardinal;
  };
  const Case cases[] = {
      {__LINE__, "en", "1", "one"},         {__LINE__, "en", "0", "other"},
      {__LINE__, "en", "2", "other"},       {__LINE__, "en", "1.0", "other"},
      {__LINE__, "en", "1.5", "other"},     {__LINE__, "en", "-1", "one"},
      {__LINE__, "fr", "0", "one"},         {__LINE__, "fr", "1.5", "one"},
      {__LINE__, "fr", "2", "other"},       {__LINE__, "fr", "1000000", "many"},
      {__LINE__, "fr", "1000001", "other"}, {__LINE__, "fr", "1.2c6", "many"},
      {__LINE__, "ru", "1", "one"},         {__LINE__, "ru", "21", "one"},
      {__LINE__, "ru", "11", "many"},       {__LINE__, "ru", "3", "few"},
      {__LINE__, "ru", "24", "few"},        {__LINE__, "ru", "14", "many"},
      {__LINE__, "ru", "0", "many"},        {__LINE__, "ru", "111", "many"},
      {__LINE__, "ru", "1.5", "other"},     {__LINE__, "ru", "2.0", "other"},
      {__LINE__, "pl", "1", "one"},         {__LINE__, "pl", "22", "few"},
      {__LINE__, "pl", "12", "many"},       {__LINE__, "pl", "5", "many"},
      {__LINE__, "pl", "1.5", "other"},     {__LINE__, "ar", "0", "zero"},
      {__LINE__, "ar", "1", "one"},         {__LINE__, "ar", "2", "two"},
      {__LINE__, "ar", "5", "few"},         {__LINE__, "ar", "103", "few"},
      {__LINE__, "ar", "11", "many"},       {__LINE__, "ar", "100", "other"},
      {__LINE__, "ar", "0.5", "other"},     {__LINE__, "ja", "1", "other"},
      {__LINE__, "cy", "0", "zero"},        {__LINE__, "cy", "1", "one"},
      {__LINE__, "cy", "2", "two"},         {__LINE__, "cy", "3", "few"},
      {__LINE__, "cy", "6", "many"},        {__LINE__, "cy", "4", "other"},
      {__LINE__, "cy", "1.0", "one"},       {__LINE__, "lv", "0.1", "one"},
      {__LINE__, "lv", "0.11", "zero"},     {__LINE__, "bs", "1.1", "one"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.line) + ": " + c.locale + " " + c.count);
    PluralRules rules(c.locale);
    EXPECT_TRUE(rules.hasRules());
    EXPECT_EQ(rules.category(D(c.count)), c.cardinal);
    if (std::string(c.count).find_first_of(".c") == std::string::npos) {
      EXPECT_EQ(rules.category(std::stoll(c.count)), c.cardinal);
    }
  }
}

TEST(PluralRules, GivesOrdinals) {
  struct Case {
    const char *locale;
    std::int64_t count;
    const char *ordinal;
  };
  const Case cases[] = {
      {"en", 1, "one"},    {"en", 2, "two"},    {"en", 3, "few"},
      {"en", 4, "other"},  {"en", 11, "other"}, {"en", 12, "other"},
      {"en", 13, "other"}, {"en", 21, "one"},   {"en", 22, "two"},
      {"en", 23, "few"},   {"en", 101, "one"},  {"en", 111, "other"},
      {"fr", 1, "one"},    {"fr", 2, "other"},  {"ru", 1, "other"},
      {"cy", 0, "zero"},   {"cy", 1, "one"},    {"cy", 2, "two"},
      {"cy", 4, "few"},    {"cy", 5, "many"},   {"cy", 7, "zero"},
      {"cy", 10, "other"}, {"ja", 1, "other"},  {"ar", 1, "other"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(PluralRules(c.locale).ordinal(c.count), c.ordinal)
        << c.locale << " " << c.count;
}

TEST(PluralRules, FindsTheLocaleOrItsParent) {
  struct Case {
    const char *tag, *rules;
  };
  const Case cases[] = {
      {"fr-CA", "fr"},
      {"fr_CA", "fr"},
      {"FR-ca", "fr"},
      {"pt", "pt"},
      {"pt-BR", "pt"},
      {"pt-PT", "pt-pt"},
      {"pt_PT.UTF-8", "pt-pt"},
      {"pt-Latn-PT", "pt"}, // as ICU: the parent of pt-Latn-PT is pt-Latn
      {"zh-Hant-TW", "zh"},
      {"sr-Latn", "sr"},
      {"sr-Latn-RS", "sr"},
      {"de_DE.UTF-8", "de"},
      {"de_DE@euro", "de"},
      {"ca_ES.UTF-8@valencia", "ca"},
      {"en-US-u-nu-latn", "en"},
      {"", ""},
      {"xx", ""},
      {"C", ""},
      {"POSIX", ""},
      {"root", ""},
      {"-", ""},
      {"_en", ""},
      {"e", ""},
      {"enx", ""},
  };
  for (const Case &c : cases) {
    PluralRules rules(c.tag);
    EXPECT_EQ(rules.rulesLocale(), c.rules) << c.tag;
    EXPECT_EQ(rules.hasRules(), *c.rules != '\0') << c.tag;
  }
  const std::string longTag = "en-" + std::string(100, 'a');
  EXPECT_FALSE(PluralRules(longTag).hasRules()) << "too long to be a tag";
  PluralRules none("xx");
  EXPECT_EQ(none.category(1), "other");
  EXPECT_EQ(none.ordinal(1), "other");
  EXPECT_EQ(none.category(D("1.5")), "other");
}

TEST(PluralDecimal, ReadsVisibleFractionDigits) {
  struct Case {
    const char *text;
    std::int64_t scaled;
    int digits, exponent;
  };
  const Case good[] = {
      {"0", 0, 0, 0},
      {"1", 1, 0, 0},
      {"1.0", 10, 1, 0},
      {"1.50", 150, 2, 0},
      {"-0.01", -1, 2, 0},
      {"1.2c6", 1200000, 0, 6},
      {"1.2345c3", 12345, 1, 3},
      {"3e2", 300, 0, 2},
      {"9c17", 900000000000000000, 0, 17},
      {"999999999999999999", 999999999999999999, 0, 0},
      {".5", 5, 1, 0},
  };
  for (const Case &c : good) {
    std::optional<PluralDecimal> d = parsePluralDecimal(c.text);
    ASSERT_TRUE(d) << c.text;
    EXPECT_EQ(d->scaled, c.scaled) << c.text;
    EXPECT_EQ(d->fractionDigits, c.digits) << c.text;
    EXPECT_EQ(d->exponent, c.exponent) << c.text;
  }
  for (const char *bad :
       {"", "-", ".", "1.", "1.2.3", "abc", "1 ", " 1", "1c", "1c123", "1c19",
        "10c17", "1x", "1000000000000000000"})
    EXPECT_FALSE(parsePluralDecimal(bad)) << bad;
}

TEST(PluralRuleSet, ComputesTheOperands) {
  // Each rule tests one operand, so the category says which value it saw.
  PluralRuleSet set;
  ASSERT_TRUE(set.parse("zero: i = 1 and v = 2 and f = 50 and w = 1 and t = 5;"
                        "one: n = 1; two: n within 1..2;"
                        "few: e = 6 and i = 1200000; many: w = 0 and t = 0"));
  EXPECT_EQ(set.select(D("1.50")), 0);
  EXPECT_EQ(set.select(D("1.5")), 2) << "1.5 is not 1 but is within 1..2";
  EXPECT_EQ(set.select({12000000, 1, 6}), 3);
  EXPECT_EQ(set.select(D("7.000")), 4);
  EXPECT_EQ(set.select(D("7.01")), 5);
  EXPECT_EQ(set.select({std::numeric_limits<std::int64_t>::min(), 0, 0}), 4);
  EXPECT_EQ(set.select({-150, 2, 0}), 0) << "the operands of -1.50 are of 1.50";
  EXPECT_EQ(set.select({150, 40, -3}), 5) << "clamped, without overflow";
}

TEST(PluralRuleSet, ReadsEveryFormOfTheSyntax) {
  PluralRuleSet set;
  ASSERT_TRUE(set.parse(
      "one: n % 10 = 1 and n mod 100 != 11 @integer 1, 21 @decimal 1.0;"
      "two: n is 2 or n is not 3 and n within 100..200, 1000;"
      "few: n mod 10 in 3..4,9 and n not in 10..19,70..79;"
      "many: c = 3 or e not within 0..5; other: @integer 5~17"));
  EXPECT_EQ(set.select({21, 0, 0}), 1);
  EXPECT_EQ(set.select({11, 0, 0}), 5);
  EXPECT_EQ(set.select({2, 0, 0}), 2);
  EXPECT_EQ(set.select(D("150.5")), 2) << "within takes a fraction";
  EXPECT_EQ(set.select(D("200.5")), 5) << "but not past the end";
  EXPECT_EQ(set.select({1000, 0, 0}), 2);
  EXPECT_EQ(set.select({39, 0, 0}), 3);
  EXPECT_EQ(set.select({79, 0, 0}), 5);
  EXPECT_EQ(set.select({5, 0, 3}), 4) << "c is e";
  EXPECT_EQ(set.select({5, 0, 7}), 4);
  EXPECT_EQ(set.select(D("21.5")), 5) << "n mod 10 of 21.5 is 1.5";
}

TEST(PluralRuleSet, RefusesBrokenRulesAndThenSaysOther) {
  for (const char *bad :
       {"one i = 1", "lots: n = 1", "one: n =", "one: x = 1", "one: in = 1",
        "one: n = 3..1", "one: n mod 0 = 1", "one: n = 1 and", "one: n = 1,",
        "one: n = 1 or or n = 2", "one: n = 4294967296", "one: n = 1; two",
        "one: n == 1", "one: nn = 1",
        "zero:;one:;two:;few:;many:;other:;other:"}) {
    PluralRuleSet set;
    EXPECT_TRUE(set.parse("one: n = 1"));
    EXPECT_FALSE(set.parse(bad)) << bad;
    EXPECT_EQ(set.select({1, 0, 0}), 5) << bad;
  }
  std::string tooLong = "one: n = 0";
  for (int i = 1; i < 40; ++i)
    tooLong += " or n = " + std::to_string(i);
  PluralRuleSet set;
  EXPECT_FALSE(set.parse(tooLong)) << "more relations than fit";
  EXPECT_TRUE(set.parse("")) << "no rules: everything is other";
  EXPECT_EQ(set.select({1, 0, 0}), 5);
}

TEST(PluralTable, EveryRuleTextParses) {
  for (std::size_t k = 0; k < plural::kRuleTextCount; ++k) {
    PluralRuleSet set;
    EXPECT_TRUE(set.parse(plural::kRuleTexts[k])) << plural::kRuleTexts[k];
  }
  for (std::size_t k = 1; k < plural::kLocaleCount; ++k)
    EXPECT_LT(std::string(plural::kLocales[k - 1].tag), plural::kLocales[k].tag)
        << "sorted, for the binary search";
}

#if PHRASOR_HAVE_ICU

namespace {

/// "1.50" from {150, 2}: the form ICU reads a decimal in.
std::string decimalText(std::uint64_t scaled, int digits) {
  std::string s = std::to_string(scaled);
  if (digits == 0)
    return s;
  if (s.size() <= static_cast<std::size_t>(digits))
    s.insert(0, static_cast<std::size_t>(digits) + 1 - s.size(), '0');
  s.insert(s.size() - static_cast<std::size_t>(digits), 1, '.');
  return s;
}

std::string icuCategory(const icu::PluralRules &rules,
                        const icu::number::LocalizedNumberFormatter &format,
                        std::uint64_t scaled, int digits) {
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString keyword;
  if (digits == 0) {
    keyword = rules.select(static_cast<double>(scaled));
  } else {
    const std::string text = decimalText(scaled, digits);
    icu::number::FormattedNumber number =
        format.precision(icu::number::Precision::minMaxFraction(digits, digits))
            .formatDecimal(icu::StringPiece(text.c_str()), status);
    keyword = rules.select(number, status);
  }
  std::string out;
  keyword.toUTF8String(out);
  return U_SUCCESS(status) ? out : "icu error";
}

struct Sample {
  std::uint64_t scaled;
  int digits;
};

std::vector<Sample> AgreementSamples() {
  std::vector<Sample> samples;
  for (std::uint64_t n = 0; n <= 1000; ++n)
    samples.push_back({n, 0});
  for (std::uint64_t p = 10; p <= 1000000000000000; p *= 10)
    for (std::uint64_t n : {p - 1, p, p + 1})
      samples.push_back({n, 0});
  for (std::uint64_t n = 0; n <= 100; ++n) // 0.0 .. 10.0
    samples.push_back({n, 1});
  for (std::uint64_t n = 0; n <= 300; ++n) // 0.00 .. 3.00
    samples.push_back({n, 2});
  for (std::uint64_t n = 0; n <= 2100; n += 7) // 0.000 .. 2.100
    samples.push_back({n, 3});
  for (Sample s : {Sample{215, 1}, Sample{1015, 1}, Sample{10000000, 1},
                   Sample{10000005, 1}, Sample{2101, 2}, Sample{100000050, 2},
                   Sample{1000, 3}, Sample{21000, 3}, Sample{1500, 3}})
    samples.push_back(s);
  return samples;
}

} // namespace

// The table is ICU's data; this proves the evaluator reads it as ICU does,
// locale by locale, for every operand the rules use.
TEST(PluralRulesIcu, AgreeWithIcuForEveryLocale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::StringEnumeration> names(
      icu::PluralRules::getAvailableLocales(status));
  ASSERT_TRUE(U_SUCCESS(status));
  const std::vector<Sample> samples = AgreementSamples();
  const icu::number::LocalizedNumberFormatter format =
      icu::number::NumberFormatter::withLocale(icu::Locale::getRoot());
  int locales = 0, failures = 0;
  while (const char *name = names->next(nullptr, status)) {
    ++locales;
    PluralRules ours(name);
    EXPECT_EQ(ours.hasRules(), std::string(name) != "root") << name;
    for (UPluralType type : {UPLURAL_TYPE_CARDINAL, UPLURAL_TYPE_ORDINAL}) {
      std::unique_ptr<icu::PluralRules> icuRules(
          icu::PluralRules::forLocale(icu::Locale(name), type, status));
      ASSERT_TRUE(U_SUCCESS(status)) << name;
      const bool cardinal = type == UPLURAL_TYPE_CARDINAL;
      for (const Sample &s : samples) {
        const PluralDecimal d{static_cast<std::int64_t>(s.scaled), s.digits, 0};
        const std::string_view mine =
            cardinal ? ours.category(d) : ours.ordinal(d);
        const std::string theirs =
            icuCategory(*icuRules, format, s.scaled, s.digits);
        if (mine != theirs && ++failures <= 20)
          ADD_FAILURE() << name << (cardinal ? " cardinal " : " ordinal ")
                        << decimalText(s.scaled, s.digits) << ": ours " << mine
                        << ", ICU " << theirs;
        if (s.digits == 0 && cardinal) {
          const std::int64_t n = static_cast<std::int64_t>(s.scaled);
          EXPECT_EQ(ours.category(n), mine) << name << " " << n;
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(locales, 200);
}

// Tags as hosts write them find the rules ICU gives that tag.
TEST(PluralRulesIcu, AgreeWithIcuOnParentLocales) {
  for (const char *tag : {"fr-CA", "pt-PT", "pt-BR", "pt-Latn-PT", "zh-Hant-TW",
                          "zh-Hans-CN", "sr-Latn", "sr-Cyrl-BA", "es-419",
                          "en-GB", "de-AT", "nb-NO", "ar-EG", "he-IL"}) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::PluralRules> icuRules(icu::PluralRules::forLocale(
        icu::Locale::forLanguageTag(tag, status), status));
    ASSERT_TRUE(U_SUCCESS(status)) << tag;
    const icu::number::LocalizedNumberFormatter format =
        icu::number::NumberFormatter::withLocale(icu::Locale::getRoot());
    PluralRules ours(tag);
    for (Sample s : {Sample{0, 0}, Sample{1, 0}, Sample{2, 0}, Sample{5, 0},
                     Sample{1000000, 0}, Sample{10, 1}, Sample{15, 1}})
      EXPECT_EQ(
          ours.category({static_cast<std::int64_t>(s.scaled), s.digits, 0}),
          icuCategory(*icuRules, format, s.scaled, s.digits))
          << tag << " " << decimalText(s.scaled, s.digits);
  }
}

#endif
