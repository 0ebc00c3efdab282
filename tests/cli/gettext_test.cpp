//===- gettext_test.cpp - A gettext project's whole tree ------------------===//
//
// A program's template and its translations (tests/cli/data/gettext) build,
// check as msgfmt -c checks them, and come back through a PO dump that
// msgmerge merges with the same template without marking anything fuzzy.
// The tests that need msgfmt or msgmerge skip where they are missing.
//
//===----------------------------------------------------------------------===//

#include "CliTest.h"

#include <cstdlib>

namespace phrasor::clitest {
namespace {

const char *const kLanguages[] = {"pl", "ru", "fr", "ar"};

std::string Data(const std::string &name) {
  return std::string(PHRASOR_TEST_DATA) + "/gettext/" + name;
}

bool HaveGettextTools() {
  return std::system("msgfmt --version >/dev/null 2>&1") == 0 &&
         std::system("msgmerge --version >/dev/null 2>&1") == 0;
}

/// Exit code of a shell command run in \p dir.
int Shell(const fs::path &dir, const std::string &command) {
  const std::string line =
      "cd " + Quote(dir.string()) + " && " + command + " >/dev/null 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(Cli, GettextTreeBuildsAndComesBackThroughEveryDump) {
  for (const char *lang : kLanguages) {
    SCOPED_TRACE(lang);
    const std::string db = std::string(lang) + ".skdb";
    Result b =
        Run({"build", "--strict", Data(std::string(lang) + ".po"), "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    // Keys are the source texts, line feeds and tabs included.
    Result get = Run({"get", db, "Quit the game?\n"});
    EXPECT_EQ(get.code, 0) << get.err;
    Result tab = Run({"get", db, "Copying %s\t(%lu KiB)"});
    EXPECT_EQ(tab.code, 0) << tab.err;
    // XLIFF names its units by hand-made rules, so it is left out.
    ExpectRoundTrips(db, {"po", "csv", "json"});
  }
  // The template reads as the source texts themselves.
  Result pot = Run({"build", Data("filer.pot"), "-o", "pot.skdb"});
  ASSERT_EQ(pot.code, 0) << pot.err;
  EXPECT_EQ(Run({"get", "pot.skdb", "--context", "menu", "Open"}).out,
            "Open\n");
  EXPECT_EQ(Run({"get", "pot.skdb", "%d file in %s#other"}).out,
            "%d files in %s\n");
}

TEST_F(Cli, GettextDumpPassesMsgfmtAndMergesWithoutFuzzy) {
  if (!HaveGettextTools())
    GTEST_SKIP() << "msgfmt and msgmerge (Debian package gettext) are missing";
  for (const char *lang : kLanguages) {
    SCOPED_TRACE(lang);
    ASSERT_EQ(
        Run({"build", Data(std::string(lang) + ".po"), "-o", "l.skdb"}).code,
        0);
    ASSERT_EQ(Run({"dump", "l.skdb", "--format", "po", "-o", "l.po"}).code, 0);
    EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null l.po"), 0) << Read("l.po");
    ASSERT_EQ(Shell(dir, "msgmerge -q --update l.po " + Data("filer.pot")), 0);
    const std::string merged = Read("l.po");
    EXPECT_EQ(merged.find("fuzzy"), std::string::npos) << merged;
    // Plural sources and header fields came back as the translator had them.
    EXPECT_CONTAINS(merged, "msgid_plural \"%d files in %s\"");
    EXPECT_CONTAINS(merged, "Last-Translator:");
  }
}

TEST_F(Cli, GettextCheckCatchesWhatMsgfmtCatches) {
  const std::string good = Read(Data("pl.po"));
  struct Case {
    const char *name;
    std::string from, to;
  } cases[] = {
      {"swapped", "msgstr \"Kopiowanie %s\\t(%lu KiB)\"",
       "msgstr \"Kopiowanie %lu\\t(%s KiB)\""},
      {"dropped", "msgstr \"Kopiowanie %s\\t(%lu KiB)\"",
       "msgstr \"Kopiowanie %s\\t(KiB)\""},
      {"added", "msgstr \"Kopiowanie %s\\t(%lu KiB)\"",
       "msgstr \"Kopiowanie %s %d\\t(%lu KiB)\""},
      {"retyped", "msgstr \"Kopiowanie %s\\t(%lu KiB)\"",
       "msgstr \"Kopiowanie %s\\t(%u KiB)\""},
      {"extra form", "msgstr[2] \"%d plików w %s\"",
       "msgstr[2] \"%d plików w %s\"\nmsgstr[3] \"%d pliku w %s\""},
      {"missing form", "msgstr[2] \"%d plików w %s\"", ""},
      {"plural added", "msgstr[1] \"%d pliki w %s\"",
       "msgstr[1] \"%d pliki w %s %s\""},
      {"line feed", "msgstr \"Wyjść z gry?\\n\"", "msgstr \"Wyjść z gry?\""},
  };
  const bool msgfmt = HaveGettextTools();
  Write("good.po", good);
  EXPECT_EQ(Run({"check", "--strict", "good.po"}).code, 0);
  if (msgfmt) {
    EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null good.po"), 0);
  }
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string broken = good;
    const std::size_t at = broken.find(c.from);
    ASSERT_NE(at, std::string::npos);
    broken.replace(at, c.from.size(), c.to);
    Write("broken.po", broken);
    Result r = Run({"check", "broken.po"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_CONTAINS(r.err, "error: broken.po:");
    if (msgfmt) {
      EXPECT_NE(Shell(dir, "msgfmt -c -o /dev/null broken.po"), 0);
    }
  }
  // Where msgfmt lets a form for many numbers drop the count, check does
  // not: "pliki" alone would be shown for 2, 3, 4, 22 ... while the form
  // for 1 alone may drop it.
  Write("many.po", "msgid \"\"\nmsgstr \"\"\n"
                   "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                   "\"Language: pl\\n\"\n"
                   "\"Plural-Forms: nplurals=3; plural=(n==1 ? 0 : n%10>=2 && "
                   "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\\n\"\n\n"
                   "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
                   "msgstr[0] \"jeden plik\"\nmsgstr[1] \"pliki\"\n"
                   "msgstr[2] \"%d plików\"\n");
  Result many = Run({"check", "many.po"});
  EXPECT_EQ(many.err, "error: many.po:8: ID '%d file': 'msgstr[1]' has no "
                      "conversion for argument 1 ('%d' in 'msgid_plural')\n");
}

TEST_F(Cli, GettextCFormatsAreReadAsCReadsThem) {
  Write("c.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "#, c-format\nmsgid \"%zu of %lld\"\nmsgstr \"%zu z %lld\"\n\n"
                "#, c-format\nmsgid \"%s: %d\"\nmsgstr \"%2$d: %1$s\"\n\n"
                "#, c-format\nmsgid \"%s and %s\"\nmsgstr \"%2$s\"\n\n"
                "#, c-format\nmsgid \"%ld\"\nmsgstr \"%d\"\n\n"
                "#, c-format\nmsgid \"%*d|\"\nmsgstr \"%d|\"\n");
  Result r = Run({"check", "c.po"});
  EXPECT_EQ(r.err.find("c.po:6:"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("c.po:10: ID '%s: %d': 'msgstr'"), std::string::npos);
  EXPECT_CONTAINS(r.err, "c.po:14: ID '%s and %s': 'msgstr' is not a valid C "
                         "format string, unlike 'msgid': argument 1 is left "
                         "out while argument 2 is used");
  EXPECT_CONTAINS(r.err, "c.po:18: ID '%ld': argument 1 is '%ld' in 'msgid' "
                         "but '%d' in 'msgstr'");
  EXPECT_CONTAINS(
      r.err, "c.po:22: ID '%*d|': 'msgstr' has no conversion for argument 2");
}

TEST_F(Cli, GettextKeysAreSourceTextsNamesKeepTheirRules) {
  // Source texts hold what names may not; names still may not.
  Write("k.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "msgid \" Item #%d:\\t\"\nmsgstr \" Pozycja #%d:\\t\"\n\n"
                "msgctxt \"a\\tb\"\nmsgid \"x\\n\"\nmsgstr \"y\\n\"\n");
  Result po = Run({"build", "--strict", "k.po", "-o", "k.skdb"});
  ASSERT_EQ(po.code, 0) << po.err;
  EXPECT_EQ(Run({"get", "k.skdb", "--context", "a\tb", "x\n"}).out, "y\n\n");
  ExpectRoundTrips("k.skdb", {"po", "csv", "json"});
  ASSERT_EQ(Run({"dump", "k.skdb", "--format", "csv", "-o", "k.csv"}).code, 0);
  EXPECT_EQ(Read("k.csv"),
            "id,value,voice\n@keys,source-text,\n"
            " Item #%d:\\t, Pozycja #%d:\t,\n"
            "@po,\"{\"\"header\"\":\"\"\"\",\"\"messages\"\":{}}\",\n"
            "a\\tb\\x04x\\n,\"y\n\",\n");
  Write("hand.csv", "id,value\n\"A\tB\",x\n");
  EXPECT_CONTAINS(Run({"build", "hand.csv", "-o", "h.skdb"}).err,
                  "contains the control character U+0009");
  Write("late.csv", "id,value\nA,x\n@keys,source-text\n");
  EXPECT_CONTAINS(Run({"build", "late.csv", "-o", "h.skdb"}).err,
                  "error: late.csv:3: '@keys' must be the first row");
  Write("bad.csv", "id,value\n@keys,source-text\nA\\q,x\n");
  EXPECT_CONTAINS(Run({"build", "bad.csv", "-o", "h.skdb"}).err,
                  "error: bad.csv:3: ID 'A\\q': malformed escape");

  // Every ID has a length limit, and a warning well below it.
  Write("long.csv", "id,value\n" + std::string(100000, 'L') + ",x\n" +
                        std::string(5000, 'W') + ",y\n");
  Result lengths = Run({"build", "long.csv", "-o", "l.skdb"});
  EXPECT_CONTAINS(lengths.err, "error: long.csv:2: ID 'LLLL");
  EXPECT_CONTAINS(lengths.err, "is 100000 bytes long; the limit is 65535");
  EXPECT_CONTAINS(lengths.err, "warning: long.csv:3: ID 'WWWW");
}

TEST_F(Cli, GettextDuplicatesNameEveryPlace) {
  Write("d.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "msgid \"Quit\\n\"\nmsgstr \"a\"\n\n"
                "msgid \"Other\"\nmsgstr \"b\"\n\n"
                "msgid \"Quit\\n\"\nmsgstr \"c\"\n");
  Result r = Run({"build", "d.po", "-o", "d.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: d.po:11: duplicate message 'Quit\\x0A' "
                         "(first defined at d.po:5)");
  // The other messages are still placed at their lines.
  EXPECT_EQ(r.err.find("cannot tell where"), std::string::npos) << r.err;
}

TEST_F(Cli, GettextInputsByContentAndTemplatesAsSources) {
  ASSERT_EQ(Run({"build", Data("fr.po"), "-o", "fr.skdb"}).code, 0);
  Result against = Run({"check", "fr.skdb", "--against", Data("filer.pot")});
  EXPECT_EQ(against.code, 0) << against.err;
  // The fuzzy message of fr.po is not in the database: missing.
  EXPECT_CONTAINS(against.err, "ID 'Sort by name' of the source");
  Result stats = Run({"stats", "fr.skdb", "--against", Data("filer.pot")});
  EXPECT_CONTAINS(stats.out, "8 (88.9%)");

  Write("sheet.tsv", "id\tvalue\nA\ta, b; c\n");
  Write("sheet.txt", "id\tvalue\nB\tb, c\n");
  Result tabs = Run({"build", "sheet.tsv", "sheet.txt", "-o", "s.skdb"});
  ASSERT_EQ(tabs.code, 0) << tabs.err;
  EXPECT_EQ(Run({"get", "s.skdb", "A"}).out, "a, b; c\n");
  Write("po.data", Read(Data("fr.po")));
  EXPECT_EQ(Run({"build", "po.data", "-o", "x.skdb"}).code, 2);
  Result named =
      Run({"build", "--input-format", "po", "po.data", "-o", "x.skdb"});
  EXPECT_EQ(named.code, 0) << named.err;
}

TEST_F(Cli, GettextContextsOnTheCommandLine) {
  ASSERT_EQ(Run({"build", Data("ru.po"), "-o", "ru.skdb"}).code, 0);
  EXPECT_EQ(Run({"get", "ru.skdb", "--context", "menu", "Open"}).out,
            "Открыть\n");
  EXPECT_EQ(Run({"get", "ru.skdb", "--context", "lock state", "Open"}).out,
            "Открыто\n");
  Result missing = Run({"get", "ru.skdb", "--context", "door", "Open"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_CONTAINS(missing.err, "no entry 'door\\x04Open'");
  EXPECT_EQ(
      Run({"format", "ru.skdb", "--context", "dialog", "Delete %s?", "a.txt"})
          .out,
      "Удалить a.txt?\n");
  EXPECT_EQ(
      Run({"format", "ru.skdb", "--count", "22", "%d file in %s", "22", "docs"})
          .out,
      "22 файла в docs\n");
}

} // namespace
} // namespace phrasor::clitest
