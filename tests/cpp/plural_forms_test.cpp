//===- plural_forms_test.cpp - Plural and ordinal forms through the layer -===//
//
// These run on every platform the layer is built for, ICU or not: the
// forms a host gets must be the same on i386 and under Wine as on x86-64.
//
//===----------------------------------------------------------------------===//

#include "tests/cpp/CppTestSupport.h"

#include <cmath>

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

// A catalog of \p locale whose form of N for each category says which it
// is, with the count as the host shows it.
Catalog Forms(const char *locale, const char *prefix = "#") {
  std::vector<Row> rows = {{"@locale", locale}};
  for (const char *category : {"zero", "one", "two", "few", "many", "other"})
    rows.push_back({std::string("N") + prefix + category,
                    std::string(category) + " %1!s!"});
  return Make(rows);
}

} // namespace

TEST(CppPluralForms, EachLanguageGetsItsFormsForIntegersAndDecimals) {
  struct Case {
    const char *locale;
    const char *count; ///< as shown
    const char *form;
  };
  const Case cases[] = {
      {"en", "1", "one"},     {"en", "1.0", "other"}, {"en", "1.5", "other"},
      {"en", "0", "other"},   {"fr", "0", "one"},     {"fr", "1.5", "one"},
      {"fr", "2", "other"},   {"fr", "1c6", "many"},  {"ru", "1", "one"},
      {"ru", "21", "one"},    {"ru", "3", "few"},     {"ru", "11", "many"},
      {"ru", "1.5", "other"}, {"pl", "1", "one"},     {"pl", "22", "few"},
      {"pl", "12", "many"},   {"pl", "1.5", "other"}, {"ar", "0", "zero"},
      {"ar", "2", "two"},     {"ar", "103", "few"},   {"ar", "11", "many"},
      {"ar", "100", "other"}, {"ja", "1", "other"},   {"ja", "1.5", "other"},
      {"cy", "0", "zero"},    {"cy", "1", "one"},     {"cy", "2", "two"},
      {"cy", "3", "few"},     {"cy", "6", "many"},    {"cy", "4", "other"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + c.count);
    const Catalog catalog = Forms(c.locale);
    const std::optional<Count> count = Count::parse(c.count);
    ASSERT_TRUE(count);
    Expected<Text> text = catalog.plural("N", *count, c.count);
    ASSERT_TRUE(text) << text.error().message();
    EXPECT_EQ(*text, T(std::string(c.form) + " " + c.count));
    Localizer chain;
    chain.add(Forms(c.locale));
    EXPECT_EQ(*chain.plural("N", *count, c.count), *text);
  }
}

TEST(CppPluralForms, ADecimalCountsAsTheHostShowsIt) {
  const Catalog en = Forms("en"), ru = Forms("ru");
  EXPECT_EQ(en.pluralCategory(Count::shown(1.5, 1)), "other");
  EXPECT_EQ(ru.pluralCategory(Count::shown(1.5, 1)), "other");
  EXPECT_EQ(en.pluralCategory(Count::shown(1.0, 1)), "other") << "1.0 miles";
  EXPECT_EQ(en.pluralCategory(Count::shown(1.04, 0)), "one") << "shown as 1";
  EXPECT_EQ(en.pluralCategory(Count::decimal(10, 1)), "other");
  // As printf rounds it, not as a hand-written rounding would.
  const Count eighth = Count::shown(0.125, 2);
  EXPECT_EQ(eighth.scaled(), 12);
  EXPECT_EQ(eighth.fractionDigits(), 2);
  const Count half = Count::shown(-2.5, 0);
  EXPECT_EQ(half.scaled(), -2);
  // Past 64 bits the digits go first, then the value saturates.
  EXPECT_EQ(Count::shown(1e16, 5).fractionDigits(), 1);
  EXPECT_EQ(Count::shown(1e300, 2).scaled(), INT64_MAX);
  EXPECT_EQ(Count::shown(-INFINITY, 2).scaled(), INT64_MIN);
  EXPECT_EQ(Count::shown(NAN, 2).scaled(), INT64_MAX);
  EXPECT_EQ(Count(~0ull).scaled(), INT64_MAX);
  EXPECT_FALSE(Count::parse("1,5"));
  EXPECT_FALSE(Count::parse(""));
  EXPECT_EQ(Count::parse("1.2c6")->exponent(), 6);
}

TEST(CppPluralForms, OrdinalsHaveFormsOfTheirOwn) {
  Catalog en = Make({{"@locale", "en"},
                     {"PLACE#ordinal-one", "%1!d!st"},
                     {"PLACE#ordinal-two", "%1!d!nd"},
                     {"PLACE#ordinal-few", "%1!d!rd"},
                     {"PLACE#ordinal-other", "%1!d!th"},
                     {"PLACE#one", "cardinal"},
                     {"BARE", "#%1!d!"}});
  const std::pair<int, const char *> places[] = {
      {1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},     {11, "11th"},
      {12, "12th"}, {21, "21st"}, {23, "23rd"}, {112, "112th"}, {101, "101st"}};
  Localizer chain;
  chain.add(Make({{"@locale", "en-GB"}, {"OTHER", "x"}}));
  chain.add(std::move(en));
  const Catalog &c = chain.catalogs()[1];
  for (const auto &[n, text] : places) {
    SCOPED_TRACE(n);
    EXPECT_EQ(*c.ordinal("PLACE", n, n), T(text));
    EXPECT_EQ(*chain.ordinal("PLACE", n, n), T(text));
  }
  EXPECT_EQ(c.ordinalCategory(3), "few");
  EXPECT_EQ(c.ordinalId("PLACE", 1), "PLACE#ordinal-one");
  EXPECT_EQ(*c.ordinal("BARE", 2, 2), T("#2")) << "the plain ID comes last";
  EXPECT_EQ(*c.plural("PLACE", 1), T("cardinal"));
}

// A printf text (as PO c-format plurals are) formats printf style, a plain
// one as written, a message message style; @kinds overrides inference.
TEST(CppPluralForms, EachFormIsFormattedByItsKind) {
  Catalog c = Make({{"@locale", "en"},
                    {"@kinds", R"({"PCT": "message", "RAW\"Q": "text"})"},
                    {"FILES#one", "one file"},
                    {"FILES#other", "%d files in %s"},
                    {"MSG#other", "%1!d! msgs"},
                    {"PCT", "100%%"},
                    {"RAW\"Q", "%d%%"},
                    {"LONE", "50% off"}});
  EXPECT_EQ(*c.plural("FILES", 1, 1, "x"), T("one file"));
  EXPECT_EQ(*c.plural("FILES", 3, 3, "box"), T("3 files in box"));
  EXPECT_EQ(c.plural("FILES", 3, "box").error().code(), Errc::ArgumentMismatch);
  EXPECT_EQ(*c.plural("MSG", 2, 2), T("2 msgs"));
  EXPECT_EQ(*c.format("PCT"), T("100%"));
  EXPECT_EQ(*c.format("RAW\"Q", 5), T("%d%%"));
  EXPECT_EQ(*c.format("LONE"), T("50% off"));
  EXPECT_EQ(*c.formatPrintf("PCT"), T("100%"));
  PhrasorWChar buffer[16];
  EXPECT_EQ(*c.formatTo(buffer, 16, "LONE"), 7u);
  EXPECT_EQ(Text(buffer), T("50% off"));
  EXPECT_EQ(c.formatTo(buffer, 7, "LONE").error().code(), Errc::TooLong);
  EXPECT_EQ(*c.formatTo(buffer, 16, "FILES#other", 2, "a"), 12u);
}

// Sound behaviour: a catalog that overrides only #other must not hide the
// #one of the catalog after it; each catalog names the category by its own
// locale.
TEST(CppPluralForms, TheChainIsSearchedByCategory) {
  Localizer l;
  l.add(Make({{"@locale", "fr-CA"}, {"FILES#other", "%1!d! fichiers (CA)"}}));
  l.add(Make({{"@locale", "fr"},
              {"FILES#one", "%1!d! fichier"},
              {"FILES#other", "%1!d! fichiers"},
              {"ONLY#other", "%1!d! autres"}}));
  l.add(Make({{"@locale", "en"},
              {"FILES#one", "%1!d! file"},
              {"ONLY", "plain %1!d!"},
              {"ONLY#one", "%1!d! en-one"}}));
  EXPECT_EQ(*l.plural("FILES", 1, 1), T("1 fichier"));
  EXPECT_EQ(*l.plural("FILES", 0, 0), T("0 fichier")) << "French 0 is one";
  EXPECT_EQ(*l.plural("FILES", 2, 2), T("2 fichiers (CA)"));
  EXPECT_EQ(*l.plural("ONLY", 1, 1), T("1 en-one"))
      << "a category form anywhere beats #other";
  EXPECT_EQ(*l.plural("ONLY", 5, 5), T("5 autres"))
      << "#other anywhere beats the plain ID";
}

TEST(CppPluralForms, ACatalogSaysWhenItHasNoRules) {
  EXPECT_FALSE(Make({{"A", "a"}}).hasPluralRules());
  EXPECT_FALSE(Make({{"@locale", "xx"}}).hasPluralRules());
  EXPECT_TRUE(Make({{"@locale", "fr_CA"}}).hasPluralRules());
  EXPECT_TRUE(Make({{"@locale", "ja"}}).hasPluralRules());
  Catalog c = Make({{"N#one", "one"}, {"N#other", "other"}});
  EXPECT_EQ(*c.plural("N", 1), T("other"));
  c.setLocale("en");
  EXPECT_EQ(c.locale(), "en");
  EXPECT_EQ(*c.plural("N", 1), T("one"));

  // A database built without @locale takes the tag of its file's name.
  TempDir dir;
  dir.write("ru_RU.skdb", Bytes({{"N#one", "one"}, {"N#many", "many"}}));
  dir.write("en.skdb", Bytes({{"@locale", "en"}, {"N#other", "en"}}));
  Expected<Localizer> l = Localizer::load(dir.path, "ru-RU");
  ASSERT_TRUE(l) << l.error().message();
  EXPECT_EQ(l->catalogs()[0].locale(), "ru_RU");
  EXPECT_TRUE(l->catalogs()[0].hasPluralRules());
  EXPECT_EQ(*l->plural("N", 21), T("one"));
  EXPECT_EQ(*l->plural("N", 11), T("many"));
  EXPECT_EQ(*l->plural("N", 3), T("en"));
}
