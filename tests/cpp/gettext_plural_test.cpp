//===- gettext_plural_test.cpp - gettext's Plural-Forms in the layer ------===//

#include "cpp/GettextPlural.h"
#include "phrasor/Selectors.h"
#include "tests/cpp/CppTestSupport.h"

#include <string>
#include <vector>

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

constexpr const char *kRussian =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
    "(n%100<10 || n%100>=20) ? 1 : 2);";

/// The form indices \p header gives 0..\p last; -1 where it gives none.
std::vector<long> Indices(const std::string &header, unsigned long last) {
  GettextPluralForms forms;
  std::string problem;
  EXPECT_TRUE(forms.parse(header, problem)) << problem;
  std::vector<long> out;
  for (unsigned long n = 0; n <= last; ++n) {
    unsigned long index = 0;
    out.push_back(forms.evaluate(n, index) ? static_cast<long>(index) : -1);
  }
  return out;
}

std::string Refused(const std::string &header) {
  GettextPluralForms forms;
  std::string problem;
  EXPECT_FALSE(forms.parse(header, problem)) << header.substr(0, 60);
  unsigned long index = 0;
  EXPECT_FALSE(forms.evaluate(1, index));
  return problem;
}

} // namespace

TEST(GettextPlural, TheCommonExpressionsGiveGettextsForms) {
  EXPECT_EQ(Indices(kRussian, 25),
            (std::vector<long>{2, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2,
                               2, 2, 2, 2, 2, 2, 2, 2, 0, 1, 1, 1, 2}));
  EXPECT_EQ(Indices("nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && "
                    "(n%100<10 || n%100>=20) ? 1 : 2);",
                    23),
            (std::vector<long>{2, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2,
                               2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1}));
  const std::vector<long> arabic =
      Indices("nplurals=6; plural=(n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : "
              "n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5);",
              111);
  EXPECT_EQ(arabic[0], 0);
  EXPECT_EQ(arabic[2], 2);
  EXPECT_EQ(arabic[10], 3);
  EXPECT_EQ(arabic[99], 4);
  EXPECT_EQ(arabic[100], 5);
  EXPECT_EQ(arabic[103], 3);
  EXPECT_EQ(Indices("nplurals=2; plural=(n > 1);", 3),
            (std::vector<long>{0, 0, 1, 1}));
  EXPECT_EQ(Indices("nplurals=1; plural=0;", 2), (std::vector<long>{0, 0, 0}));
  // Without the parentheses and the final ';', as some files write it.
  EXPECT_EQ(Indices("nplurals=2; plural=n != 1", 2),
            (std::vector<long>{1, 0, 1}));
}

TEST(GettextPlural, HostileExpressionsAreRefusedOrAnswerNothing) {
  EXPECT_EQ(Refused("nplurals=2; plural=" + std::string(5000, '(') + "n" +
                    std::string(5000, ')') + ";"),
            "expression too long");
  EXPECT_EQ(Refused("nplurals=2; plural=" + std::string(200, '(') + "n" +
                    std::string(200, ')') + ";"),
            "expression nested too deeply");
  EXPECT_EQ(Refused("nplurals=2; plural=" + std::string(200, '!') + "n;"),
            "expression nested too deeply");
  std::string chain = "n";
  for (int i = 0; i < 100; ++i)
    chain += "+n";
  EXPECT_EQ(Refused("nplurals=2; plural=" + chain + ";"),
            "expression nested too deeply");
  EXPECT_EQ(Refused("nplurals=2; plural=n > 99999999999999999999;"),
            "number too large");
  EXPECT_EQ(Refused("nplurals=0; plural=0;"),
            "nplurals must be a number from 1 to 100");
  EXPECT_EQ(Refused("nplurals=2; plural=(n > 1;"), "'(' without ')'");
  EXPECT_EQ(Refused("nplurals=2; plural=n ? 1;"), "'?' without ':'");
  EXPECT_EQ(Refused("plural=n;"), "expected 'nplurals=N; plural=EXPRESSION;'");
  EXPECT_EQ(Refused("nplurals=2; plural=n x 2;"),
            "unexpected 'x' at character 3");
  // A division by zero gives no form, only where it is evaluated; C's
  // unsigned arithmetic wraps.
  EXPECT_EQ(Indices("nplurals=2; plural=n == 0 || 10 / n > 3;", 3),
            (std::vector<long>{1, 1, 1, 0}));
  EXPECT_EQ(Indices("nplurals=2; plural=n % (n - 1) == 0;", 2),
            (std::vector<long>{1, -1, 1}));
  EXPECT_EQ(Indices("nplurals=2; plural=(n - 1 > n);", 1),
            (std::vector<long>{1, 0}));
}

TEST(GettextPlural, AStoredExpressionChoosesByTheWholePartOfACount) {
  GettextPlural ru;
  ASSERT_TRUE(ru.read(std::string(kRussian) + "\none few many"));
  auto category = [&](std::int64_t scaled, int digits) {
    SelectorValue v;
    v.scaled = scaled;
    v.fractionDigits = digits;
    return std::string(ru.category(v));
  };
  EXPECT_EQ(category(15, 1), "one"); // 1.5 is gettext's 1
  EXPECT_EQ(category(250, 2), "few");
  EXPECT_EQ(category(-21, 0), "one");
  EXPECT_EQ(category(11, 0), "many");
  GettextPlural bad;
  for (const char *value :
       {"", "nplurals=2; plural=n != 1;", "nplurals=2; plural=n != 1;\none",
        "nplurals=2; plural=n != 1;\none lots",
        "nplurals=2; plural=n != 1;\none other other",
        "nplurals=7; plural=n;\nzero one two few many other other"}) {
    EXPECT_FALSE(bad.read(value)) << value;
    EXPECT_FALSE(bad.loaded());
  }
  EXPECT_EQ(positionalCategories(3),
            (std::vector<std::string_view>{"one", "few", "other"}));
  EXPECT_TRUE(positionalCategories(7).empty());
}

TEST(GettextPlural, CatalogsAnswerFractionsAndUnruledLanguagesByIt) {
  // A three-form Russian file: 1.5 chooses CLDR's "other", which it lacks.
  const std::vector<Row> ru = {
      {"@locale", "ru"},
      {"@plural-forms", std::string(kRussian) + "\none few many"},
      {"F#one", "%1!s! файл"},
      {"F#few", "%1!s! файла"},
      {"F#many", "%1!s! файлов"}};
  const Catalog russian = Make(ru);
  EXPECT_EQ(*russian.plural("F", *Count::parse("1.5"), "1.5"), T("1.5 файл"));
  EXPECT_EQ(*russian.plural("F", *Count::parse("5"), "5"), T("5 файлов"));
  EXPECT_EQ(russian.pluralId("F", *Count::parse("2.5")), "F#few");
  EXPECT_EQ(russian.pluralCategory(*Count::parse("1.5")), "other");
  // Before English, which has "other": never another language's text.
  Localizer chain;
  chain.add(Make(ru));
  chain.add(Make({{"@locale", "en"},
                  {"F#one", "%1!s! file"},
                  {"F#other", "%1!s! files"}}));
  EXPECT_EQ(*chain.plural("F", *Count::parse("1.5"), "1.5"), T("1.5 файл"));
  // Occitan has no CLDR rules: its expression chooses every form.
  const Catalog occitan =
      Make({{"@locale", "oc"},
            {"@plural-forms", "nplurals=2; plural=(n > 1);\none other"},
            {"F#one", "%1!s! fichièr"},
            {"F#other", "%1!s! fichièrs"}});
  EXPECT_EQ(*occitan.plural("F", *Count::parse("0"), "0"), T("0 fichièr"));
  EXPECT_EQ(*occitan.plural("F", *Count::parse("1.5"), "1.5"),
            T("1.5 fichièr"));
  EXPECT_EQ(*occitan.plural("F", *Count::parse("2"), "2"), T("2 fichièrs"));
  EXPECT_EQ(occitan.pluralCategory(*Count::parse("1")), "one");
  // A malformed expression is none: the fallback answers as before.
  const Catalog broken = Make({{"@locale", "oc"},
                               {"@plural-forms", "nplurals=2; plural=(n >"},
                               {"F#one", "one"},
                               {"F#other", "other"}});
  EXPECT_EQ(*broken.plural("F", *Count::parse("1"), "1"), T("other"));
}
