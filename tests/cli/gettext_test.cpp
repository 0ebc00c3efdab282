//===- gettext_test.cpp - A gettext project's whole tree ------------------===//
//
// A program's template and its translations (tests/cli/data/gettext) build,
// check as msgfmt -c checks them, and come back through a PO dump that
// msgmerge merges with the same template without marking anything fuzzy
// that was not.
// The tests that need msgfmt or msgmerge skip where they are missing.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

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
    // XLIFF says on its <file> that the unit names are source texts.
    ExpectRoundTrips(db, {"po", "csv", "json", "xliff12", "xliff20"});
  }
  // The template reads as the source texts themselves.
  Result pot = Run({"build", Data("filer.pot"), "-o", "pot.skdb"});
  ASSERT_EQ(pot.code, 0) << pot.err;
  EXPECT_EQ(Run({"get", "pot.skdb", "--context", "menu", "Open"}).out,
            "Open\n");
  EXPECT_EQ(Run({"get", "pot.skdb", "%d file in %s#other"}).out,
            "%d files in %s\n");
}

TEST_F(Cli, GettextDumpPassesMsgfmtAndMergesWithoutNewFuzzy) {
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
    // Only what the translator left fuzzy is fuzzy still.
    const std::string merged = Read("l.po");
    const std::size_t fuzzy = merged.find("#, fuzzy");
    EXPECT_NE(fuzzy, std::string::npos) << merged;
    EXPECT_EQ(merged.find("fuzzy", fuzzy + 8), std::string::npos) << merged;
    // Plural sources and header fields came back as the translator had them.
    EXPECT_CONTAINS(merged, "msgid_plural \"%d files in %s\"");
    EXPECT_CONTAINS(merged, "Last-Translator:");
  }
}

// Limits travel as "#. max:" comments, which msgmerge takes from the
// template, and the protected patterns as header fields, which it keeps.
TEST_F(Cli, GettextLimitsAndProtectSurviveADumpAndAMerge) {
  const std::string header = "msgid \"\"\nmsgstr \"\"\n"
                             "\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  Write("game.pot", header + "\"X-Phrasor-Protect: \\\\$[A-Z]+\\n\"\n\n"
                             "#. max: 12\nmsgid \"Save $GAME\"\nmsgstr \"\"\n");
  Write("de.po", header + "\"Language: de\\n\"\n"
                          "\"X-Phrasor-Protect: \\\\$[A-Z]+\\n\"\n\n"
                          "#. max: 12\nmsgid \"Save $GAME\"\n"
                          "msgstr \"$GAME speichern\"\n");
  ASSERT_EQ(Run({"build", "de.po", "-o", "de.skdb"}).code, 0);
  Result info = Run({"dump", "de.skdb", "--format", "po"});
  EXPECT_EQ(info.err, "");
  EXPECT_CONTAINS(info.out, "#. max: 12\n");
  EXPECT_CONTAINS(info.out, "\"X-Phrasor-Protect: \\\\$[A-Z]+\\n\"");
  ExpectRoundTrips("de.skdb", {"po", "json", "xliff12", "xliff20"});
  // The pattern keeps $GAME whole: a translation that drops it is caught,
  // and the limit counts it as nothing.
  Write("bad.po", header +
                      "\"Language: de\\n\"\n\n"
                      "msgid \"Save $GAME\"\nmsgstr \"Spiel speichern\"\n");
  Result bad = Run({"check", "bad.po", "--against", "game.pot"});
  EXPECT_CONTAINS(bad.err, "bad.po:6: ID 'Save $GAME': drops '$GAME'");
  EXPECT_CONTAINS(bad.err, "bad.po:6: ID 'Save $GAME': 15 characters, over "
                           "its limit of 12");
  if (!HaveGettextTools())
    GTEST_SKIP() << "msgmerge (Debian package gettext) is missing";
  ASSERT_EQ(Run({"dump", "de.skdb", "--format", "po", "-o", "out.po"}).code, 0);
  ASSERT_EQ(Shell(dir, "msgmerge -q --update out.po game.pot"), 0);
  ASSERT_EQ(Run({"build", "out.po", "-o", "merged.skdb"}).code, 0);
  EXPECT_EQ(Read("merged.skdb"), Read("de.skdb")) << Read("out.po");
}

// Markup and C formats are both checked in a translation read against a
// template, each problem at the line of its message; a report takes the
// template as its source.
TEST_F(Cli, GettextTranslationsGetMarkupAndFormatChecks) {
  Write("t.pot", "msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                 "#, c-format\nmsgid \"Delete <b>%s</b>?\"\nmsgstr \"\"\n\n"
                 "#, c-format\nmsgid \"%d left\"\nmsgstr \"\"\n");
  Write("de.po", "msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                 "\"Language: de\\n\"\n\n"
                 "#, c-format\nmsgid \"Delete <b>%s</b>?\"\n"
                 "msgstr \"<b>%s</b> löschen?\"\n\n"
                 "#, c-format\nmsgid \"%d left\"\nmsgstr \"%d übrig\"\n");
  EXPECT_EQ(Run({"check", "de.po", "--against", "t.pot"}).code, 0);
  Write("de.po", "msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                 "\"Language: de\\n\"\n\n"
                 "#, c-format\nmsgid \"Delete <b>%s</b>?\"\n"
                 "msgstr \"%s löschen?\"\n\n"
                 "#, c-format\nmsgid \"%d left\"\nmsgstr \"%s übrig\"\n");
  Result both = Run({"check", "de.po", "--against", "t.pot"});
  EXPECT_EQ(both.code, 1);
  EXPECT_CONTAINS(both.err, "de.po:7: ID 'Delete <b>%s</b>?': drops '<b>'");
  EXPECT_CONTAINS(both.err, "de.po:11: ID '%d left'");
  // The PO's own msgid and the template's say the same: one error, not two.
  const std::size_t at11 = both.err.find("de.po:11:");
  EXPECT_EQ(both.err.find("de.po:11:", at11 + 1), std::string::npos)
      << both.err;

  Result report = Run({"report", "--against", Data("filer.pot"), Data("pl.po"),
                       Data("ru.po"), "-o", "r.html"});
  EXPECT_EQ(report.code, 0) << report.err;
  // Each misses one message of the template, by its context and msgid.
  EXPECT_CONTAINS(report.err, "2 languages, 2 problems");
  const std::string page = Read("r.html");
  EXPECT_CONTAINS(page, "Delete %s?' of the source");
  EXPECT_CONTAINS(page, "ID 'Sort by name' of the source");
}

/// The lines of \p text.
std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find('\n', at)) != std::string::npos;
       at = end + 1)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

std::string Joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &l : lines)
    text += l + "\n";
  return text;
}

/// The index of the first line beginning with \p prefix after the line
/// holding \p anchor.
std::size_t LineAfter(const std::vector<std::string> &lines,
                      const std::string &anchor, const std::string &prefix) {
  std::size_t i = 0;
  while (i < lines.size() && lines[i].find(anchor) == std::string::npos)
    ++i;
  while (i < lines.size() && lines[i].rfind(prefix, 0) != 0)
    ++i;
  return i;
}

/// The msgstr of the message whose C conversions the copies break.
std::string &CopyingMsgstr(std::vector<std::string> &lines) {
  return lines[LineAfter(lines, "msgid \"Copying %s", "msgstr")];
}

// Each translation broken the ways a translator breaks one; check and
// msgfmt -c must both refuse every copy.
TEST_F(Cli, GettextCheckCatchesWhatMsgfmtCatches) {
  using Break = void (*)(std::vector<std::string> &);
  const std::pair<const char *, Break> breaks[] = {
      {"swapped",
       [](std::vector<std::string> &l) {
         std::string &s = CopyingMsgstr(l);
         const std::size_t str = s.find("%s"), lu = s.find("%lu");
         s.replace(lu, 3, "%s");
         s.replace(str, 2, "%lu");
       }},
      {"dropped",
       [](std::vector<std::string> &l) {
         std::string &s = CopyingMsgstr(l);
         s.erase(s.find("%lu"), 3);
       }},
      {"added",
       [](std::vector<std::string> &l) {
         std::string &s = CopyingMsgstr(l);
         s.insert(s.size() - 1, " %d");
       }},
      {"retyped",
       [](std::vector<std::string> &l) {
         std::string &s = CopyingMsgstr(l);
         s.replace(s.find("%lu"), 3, "%u");
       }},
      {"extra form",
       [](std::vector<std::string> &l) {
         std::size_t last = LineAfter(l, "msgid_plural", "msgstr[");
         while (l[last + 1].rfind("msgstr[", 0) == 0)
           ++last;
         const std::string n = std::to_string(std::stoi(l[last].substr(7)) + 1);
         l.insert(l.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                  "msgstr[" + n + "] \"%d %s\"");
       }},
      {"missing form",
       [](std::vector<std::string> &l) {
         std::size_t last = LineAfter(l, "msgid_plural", "msgstr[");
         while (l[last + 1].rfind("msgstr[", 0) == 0)
           ++last;
         l.erase(l.begin() + static_cast<std::ptrdiff_t>(last));
       }},
      {"plural form added",
       [](std::vector<std::string> &l) {
         std::string &s = l[LineAfter(l, "msgid_plural", "msgstr[1]")];
         s.insert(s.size() - 1, " %s");
       }},
  };
  const bool msgfmt = HaveGettextTools();
  for (const char *lang : kLanguages) {
    const std::string good = Read(Data(std::string(lang) + ".po"));
    Write("good.po", good);
    EXPECT_EQ(Run({"check", "--strict", "good.po"}).code, 0) << lang;
    if (msgfmt) {
      EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null good.po"), 0) << lang;
    }
    for (const auto &[name, mutate] : breaks) {
      SCOPED_TRACE(std::string(lang) + ": " + name);
      std::vector<std::string> lines = Lines(good);
      mutate(lines);
      Write("broken.po", Joined(lines));
      Result r = Run({"check", "broken.po"});
      EXPECT_EQ(r.code, 1) << r.err;
      EXPECT_CONTAINS(r.err, "error: broken.po:");
      if (msgfmt) {
        EXPECT_NE(Shell(dir, "msgfmt -c -o /dev/null broken.po"), 0);
      }
    }
  }
  // A form for many numbers keeps the count, as in msgfmt: "pliki" alone
  // would be shown for 2, 3, 4, 22 ... while the form for 1 alone may
  // drop it.
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
                "#, c-format\nmsgid \"%*d|\"\nmsgstr \"%d|\"\n\n"
                "#, c-format\nmsgid \"%u/%x\"\nmsgstr \"%d/%X\"\n");
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
  // Signedness counts, as in msgfmt; the unsigned conversions are alike.
  EXPECT_CONTAINS(r.err, "c.po:26: ID '%u/%x': argument 1 is '%u' in 'msgid' "
                         "but '%d' in 'msgstr'");
  EXPECT_EQ(r.err.find("argument 2 is '%x'"), std::string::npos);
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
  // A msgid may end in what reads as a plural form; it is no plural text,
  // in the PO or in a dump that carries its keys.
  Write("c.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                "\"Language: pl\\n\"\n\n"
                "msgid \"Channel #other\"\nmsgstr \"Kanał #other\"\n\n"
                "msgid \"Rank #ordinal-one\"\nmsgstr \"Ranga #1\"\n");
  Result literal = Run({"build", "--strict", "c.po", "-o", "c.skdb"});
  EXPECT_EQ(literal.code, 0) << literal.err;
  ExpectRoundTrips("c.skdb", {"po", "csv", "json"});
  // A hand-made sheet's forms are still checked.
  Write("forms.csv", "id,value\n@locale,pl\nChannel#other,x\n");
  EXPECT_CONTAINS(Run({"check", "forms.csv"}).err,
                  "plural text 'Channel' lacks the form 'one'");

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
  // A message with a context is named by its msgctxt line, both times.
  Write("c.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"a\"\n\n"
                "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"b\"\n");
  EXPECT_CONTAINS(Run({"build", "c.po", "-o", "c.skdb"}).err,
                  "error: c.po:9: duplicate message 'menu\\x04Open' (first "
                  "defined at c.po:5)");
  // The other messages are still placed at their lines.
  EXPECT_EQ(r.err.find("cannot tell where"), std::string::npos) << r.err;
  // An obsolete message defines its msgid too, after a live one or before
  // it, and is named by its line like any other.
  const std::string header =
      "msgid \"\"\nmsgstr \"\"\n"
      "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
  Write("o.po", header + "msgid \"Open\"\nmsgstr \"a\"\n\n"
                         "#~ msgid \"Open\"\n#~ msgstr \"b\"\n");
  Result after = Run({"build", "o.po", "-o", "o.skdb"});
  EXPECT_CONTAINS(after.err, "error: o.po:8: duplicate message 'Open' (first "
                             "defined at o.po:5)");
  EXPECT_EQ(after.err.find("cannot tell where"), std::string::npos)
      << after.err;
  Write("p.po", header + "#~ msgid \"Open\"\n#~ msgstr \"b\"\n\n"
                         "msgid \"Shut\"\nmsgstr \"c\"\n\n"
                         "msgid \"Open\"\nmsgstr \"a\"\n");
  EXPECT_CONTAINS(Run({"build", "p.po", "-o", "p.skdb"}).err,
                  "error: p.po:11: duplicate message 'Open' (first defined "
                  "at p.po:5)");
}

// Sound behaviour: a msgid that spells one of the tool's own IDs is a
// message like any other, found and dumped by its source text.
TEST_F(Cli, GettextMsgidsThatSpellReservedIdsAreMessages) {
  Write("r.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                "\"Language: de\\n\"\n\n"
                "msgid \"@locale\"\nmsgstr \"Sprache\"\n\n"
                "msgid \"@@locale\"\nmsgstr \"zwei\"\n\n"
                "msgid \"@protect\"\nmsgstr \"Schutz\"\n\n"
                "msgid \"@kinds\"\nmsgstr \"{Arten\"\n\n"
                "msgid \"@po\"\nmsgstr \"Po\"\n\n"
                "msgid \"@Limits\"\nmsgstr \"Grenzen\"\n\n"
                "msgid \"@notes\"\nmsgstr \"Notizen\"\n\n"
                "msgid \"@other\"\nmsgstr \"anders\"\n");
  Result b = Run({"build", "--strict", "r.po", "-o", "r.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_CONTAINS(Run({"info", "r.skdb"}).out, "locale:       de\n");
  EXPECT_EQ(Run({"get", "r.skdb", "@locale"}).out, "Sprache\n");
  EXPECT_EQ(Run({"get", "r.skdb", "@@locale"}).out, "zwei\n");
  EXPECT_EQ(Run({"get", "r.skdb", "@kinds"}).out, "{Arten\n");
  EXPECT_EQ(Run({"format", "r.skdb", "@protect"}).out, "Schutz\n");
  EXPECT_EQ(Run({"get", "r.skdb", "@other"}).out, "anders\n");
  EXPECT_EQ(Run({"get", "r.skdb", "@notes"}).out, "Notizen\n");
  Result check = Run({"check", "r.skdb"});
  EXPECT_EQ(check.code, 0) << check.err;
  Result dump = Run({"dump", "r.skdb", "--format", "po"});
  EXPECT_CONTAINS(dump.out, "msgid \"@locale\"\nmsgstr \"Sprache\"");
  EXPECT_CONTAINS(dump.out, "msgid \"@@locale\"\nmsgstr \"zwei\"");
  EXPECT_CONTAINS(dump.out, "msgid \"@Limits\"\nmsgstr \"Grenzen\"");
  ExpectRoundTrips("r.skdb", {"po", "json", "csv"});
  // The header names each message, and no entry of the tool's own.
  Write("h.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                "\"Language: de\\n\"\n\n"
                "msgid \"@locale\"\nmsgstr \"Sprache\"\n");
  Result header = Run({"header", "h.po", "-o", "h.h"});
  ASSERT_EQ(header.code, 0) << header.err;
  EXPECT_CONTAINS(Read("h.h"), "_locale");
}

// msgids that differ only in case are two messages, as in gettext, though
// lookups fold case: each is found, dumped and named by its own text. A
// hand-made source keeps such IDs a duplicate.
TEST_F(Cli, GettextMsgidsThatDifferOnlyInCaseStayTwoMessages) {
  Write("c.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                "\"Language: de\\n\"\n"
                "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n\n"
                "msgid \"Open\"\nmsgstr \"Öffnen\"\n\n"
                "msgid \"open\"\nmsgstr \"offen\"\n\n"
                "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"Menü\"\n\n"
                "msgctxt \"Menu\"\nmsgid \"Open\"\nmsgstr \"MENÜ\"\n\n"
                "msgid \"^x\"\nmsgstr \"hoch\"\n\n"
                "#, c-format\nmsgid \"%d File\"\nmsgid_plural \"%d Files\"\n"
                "msgstr[0] \"%d Datei\"\nmsgstr[1] \"%d Dateien\"\n\n"
                "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
                "msgstr[0] \"%d datei\"\nmsgstr[1] \"%d dateien\"\n\n"
                "#, fuzzy\nmsgid \"OPEN\"\nmsgstr \"AUF\"\n");
  Result b = Run({"build", "--strict", "c.po", "-o", "c.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_EQ(Run({"get", "c.skdb", "Open"}).out, "Öffnen\n");
  EXPECT_EQ(Run({"get", "c.skdb", "open"}).out, "offen\n");
  EXPECT_EQ(Run({"get", "c.skdb", "--context", "menu", "Open"}).out, "Menü\n");
  EXPECT_EQ(Run({"get", "c.skdb", "--context", "Menu", "Open"}).out, "MENÜ\n");
  EXPECT_EQ(Run({"get", "c.skdb", "^x"}).out, "hoch\n");
  EXPECT_EQ(Run({"format", "c.skdb", "%d File", "--count", "3", "3"}).out,
            "3 Dateien\n");
  EXPECT_EQ(Run({"format", "c.skdb", "%d file", "--count", "1", "1"}).out,
            "1 datei\n");
  const std::string dump = Run({"dump", "c.skdb", "--format", "po"}).out;
  for (const char *message :
       {"msgid \"Open\"\nmsgstr \"Öffnen\"", "msgid \"open\"\nmsgstr \"offen\"",
        "msgctxt \"Menu\"\nmsgid \"Open\"", "msgid \"^x\"",
        "msgid \"%d File\"\nmsgid_plural \"%d Files\"",
        "#, fuzzy\nmsgid \"OPEN\""})
    EXPECT_CONTAINS(dump, message);
  ExpectRoundTrips("c.skdb", {"po", "json", "csv"});
  Write("h.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "msgid \"Open\"\nmsgstr \"a\"\n\n"
                "msgid \"open\"\nmsgstr \"b\"\n");
  Result header = Run({"header", "h.po", "-o", "h.h"});
  ASSERT_EQ(header.code, 0) << header.err;
  EXPECT_CONTAINS(Read("h.h"), "  Open = ");
  EXPECT_CONTAINS(Read("h.h"), "  open = ");
  Write("hand.json", R"({"Open": "a", "open": "b"})");
  EXPECT_CONTAINS(Run({"build", "hand.json", "-o", "hand.skdb"}).err,
                  "duplicate ID 'open'");
}

TEST_F(Cli, GettextInputsByContentAndTemplatesAsSources) {
  ASSERT_EQ(Run({"build", Data("fr.po"), "-o", "fr.skdb"}).code, 0);
  Result against = Run({"check", "fr.skdb", "--against", Data("filer.pot")});
  EXPECT_EQ(against.code, 0) << against.err;
  // The fuzzy message of fr.po is not in the database: missing.
  EXPECT_CONTAINS(against.err, "ID 'Sort by name' of the source");
  Result stats = Run({"stats", "fr.skdb", "--against", Data("filer.pot")});
  EXPECT_CONTAINS(stats.out, "8 (88.9%)");
  Result pseudo = Run({"pseudo", Data("filer.pot"), "-o", "ps.skdb"});
  ASSERT_EQ(pseudo.code, 0) << pseudo.err;
  EXPECT_EQ(Run({"get", "ps.skdb", "--context", "menu", "Open"}).out,
            "[Öpéñ~~]\n");

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

TEST_F(Cli, GettextLanguagesResolveAsIcuResolvesThem) {
  // A three-letter code gettext accepts is ICU's two-letter one, so its
  // plural rules are found and the Plural-Forms checked against them.
  const std::string russian =
      "\"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : "
      "n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\\n\"\n\n"
      "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
      "msgstr[0] \"%d a\"\nmsgstr[1] \"%d b\"\nmsgstr[2] \"%d c\"\n";
  for (const auto &[language, tag] :
       std::vector<std::pair<std::string, std::string>>{
           {"rus", "ru"}, {"ukr_UA", "uk-UA"}, {"sr@latin", "sr-Latn"}}) {
    SCOPED_TRACE(language);
    Write("l.po", "msgid \"\"\nmsgstr \"\"\n"
                  "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                  "\"Language: " +
                      language + "\\n\"\n" + russian);
    Result r = Run({"build", "l.po", "-o", "l.skdb"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("no plural rules"), std::string::npos) << r.err;
    EXPECT_CONTAINS(Run({"info", "l.skdb"}).out, "locale:       " + tag + "\n");
  }
}

// What the translators had beyond their texts comes back through a dump
// and a merge: the header's comments, fuzzy and obsolete messages. A
// fuzzy message is still never served unless --include-fuzzy says so.
TEST_F(Cli, GettextTranslatorsStateSurvivesADumpAndAMerge) {
  for (const bool include : {false, true}) {
    SCOPED_TRACE(include ? "--include-fuzzy" : "fuzzy left out");
    std::vector<std::string> build = {"build", Data("pl.po"), "-o", "pl.skdb"};
    if (include)
      build.push_back("--include-fuzzy");
    ASSERT_EQ(Run(build).code, 0);
    Result fuzzy = Run({"get", "pl.skdb", "--context", "dialog", "Delete %s?"});
    EXPECT_EQ(fuzzy.code, include ? 0 : 1) << fuzzy.out;
    ASSERT_EQ(Run({"dump", "pl.skdb", "--format", "po", "-o", "pl.po"}).code,
              0);
    const std::string dumped = Read("pl.po");
    EXPECT_CONTAINS(dumped, "# Copyright (C) 2026 the filer authors.\n"
                            "# Anna Nowak <anna@example.pl>, 2026.\n#\n"
                            "msgid \"\"\n");
    EXPECT_CONTAINS(dumped, "#, fuzzy, c-format\n#| msgctxt \"dialog\"\n"
                            "#| msgid \"Remove %s?\"\nmsgctxt \"dialog\"\n"
                            "msgid \"Delete %s?\"\nmsgstr \"Usunąć %s?\"\n");
    EXPECT_CONTAINS(dumped, "#~ msgid \"Sort by size\"\n"
                            "#~ msgstr \"Sortuj według rozmiaru\"\n");
    // Read again, the dump builds the same database.
    ASSERT_EQ(Run({"build", "pl.po", "-o", "again.skdb"}).code, 0);
    if (!include) {
      EXPECT_EQ(Read("again.skdb"), Read("pl.skdb"));
    }
    if (!HaveGettextTools())
      GTEST_SKIP() << "msgmerge (Debian package gettext) is missing";
    ASSERT_EQ(Shell(dir, "msgmerge -q --previous --update pl.po " +
                             Data("filer.pot")),
              0);
    const std::string merged = Read("pl.po");
    EXPECT_CONTAINS(merged, "# Copyright (C) 2026 the filer authors.\n");
    EXPECT_CONTAINS(merged, "#, fuzzy, c-format\n#| msgctxt \"dialog\"\n"
                            "#| msgid \"Remove %s?\"\nmsgctxt \"dialog\"\n");
    EXPECT_CONTAINS(merged, "#~ msgid \"Sort by size\"\n");
    EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null pl.po"), 0) << merged;
  }
}

// A gettext file whose every message has a context of its own is keyed by
// context, yet it comes back with its msgids, header and flags, so that
// merging with its own template loses no translation.
TEST_F(Cli, GettextFileKeyedByContextComesBackWithItsMsgids) {
  const std::string header = "msgid \"\"\nmsgstr \"\"\n"
                             "\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  Write("c.pot", header + "\nmsgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"\"\n"
                          "\n#, c-format\nmsgctxt \"status\"\n"
                          "msgid \"%s saved\"\nmsgstr \"\"\n");
  Write("de.po", "# German messages.\n" + header +
                     "\"Project-Id-Version: x 1\\n\"\n\"Language: de\\n\"\n"
                     "\nmsgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"Öffnen\"\n"
                     "\n#, c-format, no-wrap\nmsgctxt \"status\"\n"
                     "msgid \"%s saved\"\nmsgstr \"%s gespeichert\"\n");
  ASSERT_EQ(Run({"build", "de.po", "-o", "de.skdb"}).code, 0);
  EXPECT_EQ(Run({"get", "de.skdb", "menu"}).out, "Öffnen\n");
  ASSERT_EQ(Run({"dump", "de.skdb", "--format", "po", "-o", "out.po"}).code, 0);
  const std::string dumped = Read("out.po");
  EXPECT_CONTAINS(dumped, "# German messages.\n");
  EXPECT_CONTAINS(dumped, "\"Project-Id-Version: x 1\\n\"\n");
  EXPECT_CONTAINS(dumped, "msgctxt \"menu\"\nmsgid \"Open\"\n");
  EXPECT_CONTAINS(dumped, "msgctxt \"status\"\nmsgid \"%s saved\"\n");
  EXPECT_CONTAINS(dumped, "no-wrap");
  ExpectRoundTrips("de.skdb", {"po", "json"});
  if (!HaveGettextTools())
    GTEST_SKIP() << "msgmerge (Debian package gettext) is missing";
  ASSERT_EQ(Shell(dir, "msgmerge -q --update out.po c.pot"), 0);
  EXPECT_EQ(Shell(dir, "(msgfmt --statistics -o /dev/null out.po 2>stats)"), 0);
  EXPECT_CONTAINS(Read("stats"), "2 translated messages.");
}

} // namespace
} // namespace phrasor::clitest
