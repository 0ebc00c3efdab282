// The key grammar: what parse reads from a stored ID, that print gives the
// same bytes back for any string, and a selector added by a registry row.

#include "phrasor/Key.h"

#include "cpp/Plural.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace phrasor {
namespace {

struct Parsed {
  int line;
  std::string stored;
  const Selector *selector;
  std::string context, base, category;
  bool inContext;
};

TEST(Key, ParsesContextBaseAndSelector) {
  const std::vector<Parsed> rows = {
      {__LINE__, "FILES", nullptr, "", "FILES", "", false},
      {__LINE__, "FILES#few", &kPluralSelector, "", "FILES", "few", false},
      {__LINE__, "PLACE#ordinal-two", &kOrdinalSelector, "", "PLACE", "two",
       false},
      {__LINE__, "menu\x04Open", nullptr, "menu", "Open", "", true},
      {__LINE__, "st\x04%d file#one", &kPluralSelector, "st", "%d file", "one",
       true},
      // The first separator ends the context; a second stays in the base.
      {__LINE__,
       "a\x04"
       "b\x04"
       "c",
       nullptr, "a",
       "b\x04"
       "c",
       "", true},
      // An empty context and an empty base are still a context key.
      {__LINE__, "\x04", nullptr, "", "", "", true},
      {__LINE__, "c\x04#one", &kPluralSelector, "c", "", "one", true},
      // Not selectors: '#' first, a word that is no category, a category
      // of no row's spelling, a mark with nothing after it.
      {__LINE__, "#one", nullptr, "", "#one", "", false},
      {__LINE__, "Channel #7", nullptr, "", "Channel #7", "", false},
      {__LINE__, "X#ordinal-", nullptr, "", "X#ordinal-", "", false},
      {__LINE__, "X#ordinal", nullptr, "", "X#ordinal", "", false},
      {__LINE__, "X#One", nullptr, "", "X#One", "", false},
      {__LINE__, "X#one ", nullptr, "", "X#one ", "", false},
      // Only the last '#' counts.
      {__LINE__, "A#one#two", &kPluralSelector, "", "A#one", "two", false},
      {__LINE__, "A#ordinal-one#other", &kPluralSelector, "", "A#ordinal-one",
       "other", false},
      {__LINE__, "A#other#x", nullptr, "", "A#other#x", "", false},
  };
  for (const Parsed &row : rows) {
    SCOPED_TRACE(row.line);
    const Key k = Key::parse(row.stored);
    EXPECT_EQ(k.selector, row.selector);
    EXPECT_EQ(k.context, row.context);
    EXPECT_EQ(k.base, row.base);
    EXPECT_EQ(k.category, row.category);
    EXPECT_EQ(k.inContext, row.inContext);
    EXPECT_EQ(k.print(), row.stored);
    EXPECT_EQ(k.stemText(), std::string(k.stem));
  }
}

TEST(Key, PrintGivesBackEveryStoredString) {
  // Strings over the alphabet the grammar cares about, every length to 6,
  // sampled: print(parse(s)) is s, and so is printTo into a buffer.
  const std::string alphabet[] = {
      "#",   "\x04", "one",     "ordinal-", "a",  "other",  "-",
      "few", "=1",   "gender-", "select-",  "_9", "Knight", "neuter"};
  constexpr std::size_t letters = sizeof alphabet / sizeof alphabet[0];
  std::mt19937 rng(33);
  for (int n = 0; n < 40000; ++n) {
    std::string s;
    const int parts = n % 9;
    for (int i = 0; i < parts; ++i)
      s += alphabet[rng() % letters];
    const Key k = Key::parse(s);
    ASSERT_EQ(k.print(), s);
    ASSERT_EQ(k.printedSize(), s.size());
    std::string buffer(s.size(), '?');
    ASSERT_EQ(k.printTo(buffer.data()), buffer.data() + s.size());
    ASSERT_EQ(buffer, s);
  }
}

// A word row's form before a count's is one key with two parts; anywhere
// else such a form is the ID's own text, as any '#' is.
TEST(Key, AWordFormBeforeACountsFormCombines) {
  struct Combined {
    const char *stored;
    const Selector *select;
    const char *value;
    const Selector *selector;
    const char *category, *base, *stem;
  };
  const Combined rows[] = {
      {"FOUND#gender-feminine#one", &kGenderSelector, "feminine",
       &kPluralSelector, "one", "FOUND", "FOUND#gender-feminine"},
      {"c\x04T#select-knight_2#=0", &kSelectSelector, "knight_2",
       &kPluralSelector, "=0", "T", "c\x04T#select-knight_2"},
      {"P#gender-other#ordinal-two", &kGenderSelector, "other",
       &kOrdinalSelector, "two", "P", "P#gender-other"},
      // A word form alone is the key's one selector.
      {"FOUND#gender-neuter", nullptr, "", &kGenderSelector, "neuter", "FOUND",
       "FOUND"},
      {"T#select-other", nullptr, "", &kSelectSelector, "other", "T", "T"},
      // Not words of the row: the '#' is the ID's own.
      {"FOUND#gender-female#one", nullptr, "", &kPluralSelector, "one",
       "FOUND#gender-female", "FOUND#gender-female"},
      {"T#select-Knight", nullptr, "", nullptr, "", "T#select-Knight",
       "T#select-Knight"},
      {"T#select-#one", nullptr, "", &kPluralSelector, "one", "T#select-",
       "T#select-"},
      // A count's form before a word's, two words, a word first: no pair.
      {"T#one#gender-other", nullptr, "", &kGenderSelector, "other", "T#one",
       "T#one"},
      {"T#select-a#gender-other", nullptr, "", &kGenderSelector, "other",
       "T#select-a", "T#select-a"},
      {"#gender-other#one", nullptr, "", &kPluralSelector, "one",
       "#gender-other", "#gender-other"},
  };
  for (const Combined &row : rows) {
    SCOPED_TRACE(row.stored);
    const Key k = Key::parse(row.stored);
    EXPECT_EQ(k.select, row.select);
    EXPECT_EQ(k.value, row.value);
    EXPECT_EQ(k.selector, row.selector);
    EXPECT_EQ(k.category, row.category);
    EXPECT_EQ(k.base, row.base);
    EXPECT_EQ(k.stem, row.stem);
    EXPECT_EQ(k.print(), row.stored);
    EXPECT_EQ(k.stemText(), row.stem);
  }
  const Key k = Key::parse("FOUND#gender-feminine#few");
  EXPECT_EQ(k.fallbackForm(), "FOUND#gender-feminine#other");
  EXPECT_TRUE(k.withoutSelector().is(kGenderSelector));
  EXPECT_EQ(k.withoutSelector().category, "feminine");
}

TEST(Key, ComposesContextAndForms) {
  const Key menu = Key::inContextOf("menu", "Open");
  EXPECT_EQ(menu.print(), "menu\x04Open");
  EXPECT_EQ(menu.form(kPluralSelector, "one").print(), "menu\x04Open#one");
  const Key files = Key::parse("FILES#few");
  EXPECT_EQ(files.form(kOrdinalSelector, "two").print(), "FILES#ordinal-two");
  EXPECT_EQ(files.withoutSelector().print(), "FILES");
  EXPECT_EQ(Key::of("X").form(kPluralSelector, "other").print(), "X#other");
}

// A source text never reads as one of the tool's own IDs, however many
// '@'s it starts with, and the escape is undone exactly.
TEST(Key, SourceTextsThatSpellReservedIdsAreEscaped) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"@locale", "@@locale"},
      {"@@locale", "@@@locale"},
      {"@KINDS", "@@KINDS"},
      {"@po#one", "@@po#one"},
      {"@protect", "@@protect"},
      {"@keys", "@@keys"},
      {"@limits", "@@limits"},
      {"@local", "@local"},
      {"@", "@"},
      {"locale", "locale"},
      {"ctx\x04@locale", "ctx\x04@locale"},
      {"@po x", "@po x"}};
  for (const auto &[text, stored] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Key::escapeSourceText(text), stored);
    EXPECT_EQ(Key::unescapeSourceText(stored), text);
    EXPECT_FALSE(Key::isReserved(Key::parse(stored).stem));
  }
  // Names that were never escaped read back as themselves.
  EXPECT_EQ(Key::unescapeSourceText("@@x"), "@@x");
  EXPECT_EQ(Key::unescapeSourceText("@locale"), "@locale");
  for (const char *name : {"^", "^x", "^Open", "^a^", "x^^Y"})
    EXPECT_EQ(Key::unescapeSourceText(name), name);
}

// Texts that differ only in case get keys that stay apart when folded,
// and read back as their texts; a text beginning with the mark is always
// marked, so that no unmarked key folds to a marked one.
TEST(Key, MarkedCaseKeepsTextsApartUnderFolding) {
  const std::pair<const char *, const char *> marked[] = {
      {"Open", "^^Open"},
      {"OPEN", "^^O^P^E^N"},
      {"oPen", "^o^Pen"},
      {"^open", "^^^open"},
      {"^Open", "^^^^Open"},
      {"@Locale", "^@@^Locale"},
      {"menu\x04Open#one", "^menu\x04^Open#one"},
      {"open", "open"}};
  std::set<std::string> folded;
  for (const auto &pair : marked) {
    SCOPED_TRACE(pair.first);
    const std::string stored = Key::escapeSourceText(pair.first, true);
    EXPECT_EQ(stored, pair.second);
    EXPECT_EQ(Key::unescapeSourceText(stored), pair.first);
    std::string lower = stored;
    for (char &c : lower)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(folded.insert(lower).second) << "folds like another";
  }
  // Without a twin only the mark itself asks for marking.
  EXPECT_EQ(Key::escapeSourceText("Open"), "Open");
  EXPECT_EQ(Key::escapeSourceText("^x"), "^^^x");
  EXPECT_EQ(Key::parse("^^Open#few").category, "few");
}

TEST(SelectorRegistry, RowsAreSpelledApart) {
  // Every mark begins with '#', and no two rows spell a form alike, so the
  // last '#' of an ID names at most one row.
  for (const Selector *a : kSelectors) {
    EXPECT_EQ(a->mark.substr(0, 1), "#") << a->name;
    EXPECT_TRUE(a->isCategory(a->fallback)) << a->name;
    for (const Selector *b : kSelectors)
      for (std::size_t i = 0; a != b && i < a->categoryCount; ++i)
        EXPECT_NE(Key::parse(std::string("X") + std::string(a->mark) +
                             std::string(a->categories[i]))
                      .selector,
                  b);
  }
}

// A toy selector that exists only here: a text that varies with a word
// ("COLOR#color-red"), chosen by the word's spelling. It is a row and a
// chooser; the key parser and the resolver need nothing else.
constexpr std::string_view kColors[] = {"red", "green", "other"};

std::string_view chooseColor(const PluralRules &, const SelectorValue &v) {
  for (std::string_view c : kColors)
    if (c == v.text)
      return c;
  return "other";
}

bool hasColor(const PluralRules &, std::string_view category) {
  return category == "red" || category == "green" || category == "other";
}

constexpr Selector kColorSelector = {"color",
                                     "#color-",
                                     kColors,
                                     3,
                                     "other",
                                     "Color",
                                     SelectorTakes::String,
                                     &chooseColor,
                                     &hasColor};
constexpr const Selector *kToyRows[] = {&kPluralSelector, &kOrdinalSelector,
                                        &kColorSelector};
constexpr SelectorRegistry kToyRegistry = {kToyRows, 3};

TEST(SelectorRegistry, AToySelectorIsARowAndAChooser) {
  const Key red = Key::parse("COLOR#color-red", kToyRegistry);
  EXPECT_TRUE(red.is(kColorSelector));
  EXPECT_EQ(red.base, "COLOR");
  EXPECT_EQ(red.category, "red");
  // The built-in registry does not know the row: the '#' is the ID's own.
  EXPECT_EQ(Key::parse("COLOR#color-red").selector, nullptr);

  // Resolving by a word, over one catalog's IDs.
  const std::vector<std::string> stored = {"COLOR#color-red",
                                           "COLOR#color-other", "SHAPE"};
  const PluralRules rules("en");
  auto resolve = [&](std::string_view stem, std::string_view word) {
    std::string key;
    const std::size_t found = resolveSelected(
        stem, kColorSelector, 1,
        [&](std::size_t) {
          SelectorValue v;
          v.text = word;
          return kColorSelector.choose(rules, v);
        },
        [&](std::size_t, const std::string &k) {
          for (const std::string &s : stored)
            if (s == k)
              return true;
          return false;
        },
        key);
    return found == 0 ? key : "none: " + key;
  };
  EXPECT_EQ(resolve("COLOR", "red"), "COLOR#color-red");
  EXPECT_EQ(resolve("COLOR", "green"), "COLOR#color-other");
  EXPECT_EQ(resolve("COLOR", "blue"), "COLOR#color-other");
  EXPECT_EQ(resolve("SHAPE", "red"), "SHAPE");
  EXPECT_EQ(resolve("SIZE", "green"), "none: SIZE#color-green");
}

TEST(Resolver, ChosenFormOfAnyCatalogBeforeAnyFallback) {
  // Two catalogs: the first (fr-CA) overrides only the fallback, the
  // second (fr) has the chosen form; the chosen form wins, then the
  // fallback, then the bare ID, each over the whole chain.
  const std::vector<std::vector<std::string>> chain = {
      {"FILES#other", "ONLY"}, {"FILES#one", "FILES", "ONLY#other"}};
  auto resolve = [&](std::string_view stem) {
    std::string key;
    const std::size_t at = resolveSelected(
        stem, kPluralSelector, chain.size(),
        [](std::size_t) { return std::string_view("one"); },
        [&](std::size_t i, const std::string &k) {
          for (const std::string &s : chain[i])
            if (s == k)
              return true;
          return false;
        },
        key);
    return std::to_string(at) + " " + key;
  };
  EXPECT_EQ(resolve("FILES"), "1 FILES#one");
  EXPECT_EQ(resolve("ONLY"), "1 ONLY#other");
  EXPECT_EQ(resolve("NONE"), "2 NONE#one");
}

TEST(Key, ExactMatchesAreFormsOfTheCountingRows) {
  for (const char *form : {"FILES#=0", "FILES#=12", "PLACE#ordinal-=1"}) {
    const Key k = Key::parse(form);
    ASSERT_TRUE(k.selector) << form;
    EXPECT_EQ(k.print(), form);
    EXPECT_EQ(k.category[0], '=');
  }
  // Not a whole number as an ID would spell one: the '#' is the ID's own.
  for (const char *id : {"FILES#=", "FILES#=01", "FILES#=-1", "FILES#=1.5",
                         "FILES#= 1", "FILES#=12345678901234567890"})
    EXPECT_EQ(Key::parse(id).selector, nullptr) << id;

  char buffer[24];
  auto exact = [&](std::int64_t scaled, int digits, int exponent = 0) {
    return std::string(selectors::exactMatchOf(
        SelectorValue{scaled, digits, exponent, {}}, buffer));
  };
  EXPECT_EQ(exact(0, 0), "=0");
  EXPECT_EQ(exact(300, 2), "=3") << "3.00 is the number 3";
  EXPECT_EQ(exact(INT64_MAX, 0), "=9223372036854775807");
  EXPECT_EQ(exact(15, 1), "");
  EXPECT_EQ(exact(-1, 0), "");
  EXPECT_EQ(exact(12, 1, 6), "") << "compact notation names no exact match";
}

TEST(Resolver, AnExactMatchWinsOverEveryCategory) {
  const std::vector<std::vector<std::string>> chain = {
      {"FILES#one", "FILES#other"}, {"FILES#=1"}};
  auto resolve = [&](std::string_view exact) {
    std::string key;
    const std::size_t at = resolveSelected(
        "FILES", kPluralSelector, chain.size(),
        [](std::size_t) { return std::string_view("one"); },
        [&](std::size_t i, const std::string &k) {
          for (const std::string &s : chain[i])
            if (s == k)
              return true;
          return false;
        },
        key, exact);
    return std::to_string(at) + " " + key;
  };
  EXPECT_EQ(resolve("=1"), "1 FILES#=1") << "in any catalog of the chain";
  EXPECT_EQ(resolve("=21"), "0 FILES#one");
  EXPECT_EQ(resolve(""), "0 FILES#one");
}

// Over a chain of two catalogs: a gendered plural tries the value's forms
// by the count, then the other value's, then the count's forms of the stem.
TEST(Resolver, AValueAndACountFallBackInTheDocumentedOrder) {
  std::vector<std::vector<std::string>> chain;
  auto resolve = [&](std::string_view value, std::string_view exact) {
    std::string key;
    const std::size_t at = resolveSelected(
        "FOUND", kGenderSelector, value, kPluralSelector, chain.size(),
        [](std::size_t i) { return std::string_view(i ? "few" : "one"); },
        [&](std::size_t i, const std::string &k) {
          for (const std::string &s : chain[i])
            if (s == k)
              return true;
          return false;
        },
        key, exact);
    return std::to_string(at) + " " + key;
  };
  // Each line removes the answer of the line before.
  const std::vector<std::pair<std::string, std::string>> steps = {
      {"FOUND#gender-feminine#=1", "1 FOUND#gender-feminine#=1"},
      {"FOUND#gender-feminine#one", "0 FOUND#gender-feminine#one"},
      {"FOUND#gender-feminine#few", "1 FOUND#gender-feminine#few"},
      {"FOUND#gender-feminine#other", "1 FOUND#gender-feminine#other"},
      {"FOUND#gender-other#=1", "0 FOUND#gender-other#=1"},
      {"FOUND#gender-other#few", "1 FOUND#gender-other#few"},
      {"FOUND#gender-other#other", "0 FOUND#gender-other#other"},
      {"FOUND#=1", "1 FOUND#=1"},
      {"FOUND#one", "0 FOUND#one"},
      {"FOUND#other", "1 FOUND#other"},
      {"FOUND", "0 FOUND"},
  };
  chain = {{}, {}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const std::string form = steps[i].first;
    chain[steps[i].second[0] - '0'].push_back(form);
  }
  for (const auto &[form, expected] : steps) {
    EXPECT_EQ(resolve("feminine", "=1"), expected);
    for (std::vector<std::string> &ids : chain)
      std::erase(ids, form);
  }
  EXPECT_EQ(resolve("feminine", "=1"), "2 FOUND#gender-feminine#one")
      << "nothing: the first catalog's form of the value";
  chain = {{"FOUND#gender-feminine#one", "FOUND#gender-other#one"}};
  EXPECT_EQ(resolve("other", ""), "0 FOUND#gender-other#one");
}

TEST(SelectorRegistry, WordRowsTakeTheirWordsAndFallBackToOther) {
  EXPECT_EQ(selectors::wordForm(kGenderSelector, "feminine"), "feminine");
  EXPECT_EQ(selectors::wordForm(kGenderSelector, "female"), "other");
  EXPECT_EQ(selectors::wordForm(kSelectSelector, "knight_2"), "knight_2");
  for (const char *odd : {"", "Knight", "a b", "a-b", "\xC3\xA9"})
    EXPECT_EQ(selectors::wordForm(kSelectSelector, odd), "other") << odd;
  EXPECT_EQ(selectors::wordForm(kSelectSelector, std::string(65, 'a')),
            "other");
  const PluralRules en("en");
  SelectorValue v;
  v.text = "neuter";
  EXPECT_EQ(kGenderSelector.choose(en, v), "neuter");
  EXPECT_TRUE(kSelectSelector.has(en, "anything"));
  EXPECT_FALSE(kGenderSelector.has(en, "anything"));
}

TEST(SelectorRegistry, CountingRowsChooseByTheLayersRules) {
  const PluralRules ru("ru");
  SelectorValue v;
  v.scaled = 21;
  EXPECT_EQ(kPluralSelector.choose(ru, v), "one");
  v.scaled = 15, v.fractionDigits = 1; // 1.5
  EXPECT_EQ(kPluralSelector.choose(ru, v), "other");
  const PluralRules en("en");
  v.scaled = 23, v.fractionDigits = 0;
  EXPECT_EQ(kOrdinalSelector.choose(en, v), "few");
  EXPECT_TRUE(kPluralSelector.has(ru, "many"));
  EXPECT_FALSE(kPluralSelector.has(en, "many"));
  EXPECT_TRUE(kOrdinalSelector.has(en, "two"));
  EXPECT_TRUE(kPluralSelector.has(PluralRules("xx"), "other"));
  EXPECT_FALSE(kPluralSelector.has(PluralRules("xx"), "one"));
}

} // namespace
} // namespace phrasor
