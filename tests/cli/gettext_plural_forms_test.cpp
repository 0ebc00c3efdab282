//===- gettext_plural_forms_test.cpp - Forms CLDR leaves to Plural-Forms --===//
//
// A three-form Russian file has no form for the fractions CLDR calls
// "other", and Occitan or Maithili have no CLDR rules at all: the file's own
// Plural-Forms expression answers for them, as gettext's ngettext does.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include <cstdlib>

namespace phrasor::clitest {
namespace {

std::string Po(const std::string &language, const std::string &forms,
               const std::vector<std::string> &msgstrs) {
  std::string po = "msgid \"\"\nmsgstr \"\"\n\"Language: " + language +
                   "\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                   "\"Plural-Forms: " +
                   forms +
                   "\\n\"\n\n#, c-format\nmsgid \"%d file\"\nmsgid_plural "
                   "\"%d files\"\n";
  for (std::size_t i = 0; i < msgstrs.size(); ++i)
    po += "msgstr[" + std::to_string(i) + "] \"%d " + msgstrs[i] + "\"\n";
  return po;
}

const char *const kRussian =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
    "(n%100<10 || n%100>=20) ? 1 : 2);";

} // namespace

TEST_F(Cli, FractionsInAThreeFormLanguageTakeGettextsForm) {
  Write("ru.po", Po("ru", kRussian, {"файл", "файла", "файлов"}));
  ASSERT_EQ(Run({"build", "ru.po", "-o", "ru.skdb"}).code, 0);
  // gettext counts 1.5 as 1 and 2.5 as 2.
  const std::pair<const char *, const char *> counts[] = {
      {"1.5", "1 файл"}, {"2.5", "2 файла"}, {"5", "5 файлов"}};
  for (const auto &[count, text] : counts) {
    const Result r = Run({"format", "ru.skdb", "%d file", "--count", count,
                          std::string(count).substr(0, 1)});
    EXPECT_EQ(r.out, std::string(text) + "\n") << count << r.err;
  }
  // check, stats and report say what the texts lack and what answers.
  const std::string lacks = "'ru' lacks 'other' (counts with a fraction, "
                            "such as 1.5) in 1 of 1 plural texts: gettext's "
                            "form will answer";
  const Result check = Run({"check", "ru.skdb"});
  EXPECT_EQ(check.code, 0);
  EXPECT_CONTAINS(check.err, "note: ru.skdb: " + lacks);
  EXPECT_CONTAINS(Run({"stats", "ru.skdb"}).out, "ru.skdb: " + lacks);
  EXPECT_CONTAINS(Run({"stats", "--json", "ru.skdb"}).out, "\"lacks\": ");
  // The same texts from a sheet keep no expression: another language
  // would answer, which check says too.
  Write("ru.csv", "id,value\n@locale,ru\nF#one,%d файл\nF#few,%d файла\n"
                  "F#many,%d файлов\n");
  ASSERT_EQ(Run({"build", "ru.csv", "-o", "csv.skdb"}).code, 0);
  EXPECT_CONTAINS(Run({"check", "csv.skdb"}).err,
                  "such counts take the next catalog's text");
  // A file without plural messages keeps its database as it was.
  Write("plain.po", "msgid \"\"\nmsgstr \"\"\n\"Language: ru\\n\"\n"
                    "\"Plural-Forms: " +
                        std::string(kRussian) +
                        "\\n\"\n\nmsgid \"Open\"\nmsgstr \"Открыть\"\n");
  ASSERT_EQ(Run({"build", "plain.po", "-o", "plain.skdb"}).code, 0);
  EXPECT_EQ(Run({"get", "plain.skdb", "@plural-forms"}).code, 1);
}

TEST_F(Cli, LanguagesWithoutCldrRulesBuildWithTheirExpression) {
  struct Case {
    const char *language, *forms;
    std::vector<std::string> msgstrs;
    std::vector<std::pair<const char *, const char *>> counts;
  };
  const Case cases[] = {
      {"oc",
       "nplurals=2; plural=(n > 1);",
       {"fichièr", "fichièrs"},
       {{"0", "0 fichièr"}, {"1", "1 fichièr"}, {"2", "2 fichièrs"}}},
      {"mai",
       "nplurals=2; plural=(n != 1);",
       {"फाइल", "फाइलसभ"},
       {{"1", "1 फाइल"}, {"0", "0 फाइलसभ"}, {"7", "7 फाइलसभ"}}},
      {"xx",
       "nplurals=3; plural=(n==1 ? 0 : n==2 ? 1 : 2);",
       {"a", "b", "c"},
       {{"1", "1 a"}, {"2", "2 b"}, {"3", "3 c"}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.language);
    Write("l.po", Po(c.language, c.forms, c.msgstrs));
    const Result b = Run({"build", "l.po", "-o", "l.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_CONTAINS(b.err, "its Plural-Forms expression chooses the form");
    for (const auto &[count, text] : c.counts)
      EXPECT_EQ(
          Run({"format", "l.skdb", "%d file", "--count", count, count}).out,
          std::string(text) + "\n")
          << count;
    const Result check = Run({"check", "l.skdb"});
    EXPECT_EQ(check.code, 0) << check.err;
    EXPECT_EQ(check.err.find("warning:"), std::string::npos) << check.err;
    // A PO dump gives the file's expression back, and builds the same.
    ExpectRoundTrips("l.skdb");
  }
  // An expression that divides by zero is refused at its header.
  Write("z.po", Po("oc", "nplurals=2; plural=(10 / (n - 3) > 1);", {"a", "b"}));
  EXPECT_CONTAINS(Run({"build", "z.po", "-o", "z.skdb"}).err,
                  "divides by zero for n = 3");
}

// gettext's own answer, where its tools are installed: the expression's
// form for each count, through a compiled catalog.
TEST_F(Cli, TheFormsAreThoseGettextGives) {
  if (std::system("msgfmt --version >/dev/null 2>&1") != 0 ||
      std::system("ngettext --version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "msgfmt and ngettext (Debian package gettext) are missing";
  Write("ru.po", Po("ru", kRussian, {"файл", "файла", "файлов"}));
  fs::create_directories(dir / "ru/LC_MESSAGES");
  ASSERT_EQ(std::system(("msgfmt -o " +
                         Quote((dir / "ru/LC_MESSAGES/t.mo").string()) + " " +
                         Quote((dir / "ru.po").string()))
                            .c_str()),
            0);
  ASSERT_EQ(Run({"build", "ru.po", "-o", "ru.skdb"}).code, 0);
  for (const char *n : {"0", "1", "2", "5", "11", "21", "22", "111", "1000"}) {
    const std::string line = "cd " + Quote(dir.string()) +
                             " && LANGUAGE=ru LC_ALL=C.UTF-8 TEXTDOMAINDIR=. "
                             "ngettext -d t '%d file' '%d files' " +
                             n + " > .gettext";
    ASSERT_EQ(std::system(line.c_str()), 0);
    const std::string theirs = Read(".gettext");
    if (theirs == "%d file" || theirs == "%d files")
      GTEST_SKIP() << "no locale lets ngettext read the catalog";
    EXPECT_EQ(Run({"format", "ru.skdb", "%d file", "--count", n, n}).out,
              std::string(theirs).replace(0, 2, n) + "\n")
        << n;
  }
}

} // namespace phrasor::clitest
