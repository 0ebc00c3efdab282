//===- apple_test.cpp - Apple .strings and string catalogs in and out -----===//
//
// Files as Xcode projects hold them, read as Foundation reads them; dumps
// that build back as the same database; refusals at file:line; and the
// texts translate-toolkit reads from the same files.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/apple/Apple.h"
#include "tools/phrasor/formats/apple/AppleText.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>

using namespace phrasor::clitest;

namespace {

using phrasor::TextKind;
using ReadFn = void (*)(const std::string &, std::string_view,
                        const phrasor::tool::InputOptions &,
                        phrasor::tool::Diagnostics &,
                        std::vector<phrasor::tool::SourceEntry> &);

struct AppleReading {
  std::map<std::string, std::string> values;
  std::map<std::string, TextKind> kinds;
  std::map<std::string, std::string> notes;
  std::string problems;
};

AppleReading ReadWith(ReadFn read, const std::string &file,
                      const std::string &text,
                      const phrasor::tool::InputOptions &options = {}) {
  phrasor::tool::Diagnostics diag;
  std::vector<phrasor::tool::KeptProblem> kept;
  diag.KeepIn(&kept);
  std::vector<phrasor::tool::SourceEntry> out;
  read(file, text, options, diag, out);
  AppleReading r;
  for (const phrasor::tool::SourceEntry &s : out) {
    r.values[s.entry.id] =
        phrasor::tool::Utf16ToUtf8Lossy(s.entry.value.value_or(u""));
    if (s.kind)
      r.kinds[s.entry.id] = *s.kind;
    if (s.note)
      r.notes[s.entry.id] = *s.note;
  }
  for (const phrasor::tool::KeptProblem &p : kept)
    r.problems += p.where + ": " + p.message + "\n";
  return r;
}

AppleReading ReadStrings(const std::string &file, const std::string &text) {
  return ReadWith(phrasor::tool::ReadAppleStrings, file, text);
}

TEST(AppleStrings, TextsReadAsFoundationReadsThem) {
  const AppleReading r = ReadStrings(
      "App/fr.lproj/Localizable.strings",
      "/* A note\n   over lines */\n"
      "\"esc\" = \"q\\\"b\\\\n\\n t\\t r\\r z\\0x \\U00e9\\UD83D\\UDE00\";\n"
      "// line note\n"
      "bare_key = bare.value;\n"
      "\"same\";\n"
      "\"obj\" = \"Hi %@, %ld new\";\n"
      "\"order\" = \"%2$@ by %1$@\";\n"
      "\"printf\" = \"%d of %s\";\n"
      "\"pct\" = \"100%% sure\";\n"
      "/* phr:kind=text */\n"
      "\"said\" = \"50%d\";\n"
      "\"Sign in with your name\" = \"x\";\n");
  EXPECT_EQ(r.problems, "App/fr.lproj/Localizable.strings:3: value of 'esc' "
                        "contains a NUL character\n");
  const std::map<std::string, std::string> expected = {
      {"@locale", "fr"},
      {"bare_key", "bare.value"},
      {"same", "same"},
      {"obj", "Hi %1!s!, %2!ld! new"},
      {"order", "%2!s! by %1!s!"},
      {"printf", "%d of %s"},
      {"pct", "100%% sure"},
      {"said", "50%d"},
      {"Sign in with your name", "x"}};
  EXPECT_EQ(r.values, expected);
  EXPECT_EQ(r.kinds,
            (std::map<std::string, TextKind>{{"obj", TextKind::Message},
                                             {"order", TextKind::Message},
                                             {"said", TextKind::Plain}}));
  // Escapes read, and UTF-16 of either byte order.
  EXPECT_EQ(ReadStrings("a.strings", "\"e\" = \"\\U00e9\\UD83D\\UDE00\";")
                .values.at("e"),
            "\xC3\xA9\xF0\x9F\x98\x80");
  const std::string be("\xFE\xFF\0\"\0k\0\"\0=\0\"\0\xE9\0\"\0;", 18);
  EXPECT_EQ(ReadStrings("a.strings", be).values.at("k"), "\xC3\xA9");
}

TEST(AppleStrings, FolderNamesGiveTheLanguage) {
  using phrasor::tool::LprojLocale;
  EXPECT_EQ(LprojLocale("de.lproj"), "de");
  EXPECT_EQ(LprojLocale("pt-BR.lproj"), "pt-BR");
  EXPECT_EQ(LprojLocale("zh_Hans.lproj"), "zh-Hans");
  EXPECT_EQ(LprojLocale("Base.lproj"), "");
  EXPECT_EQ(LprojLocale("German.lproj"), "");
  EXPECT_EQ(LprojLocale("de"), "");
  // The file's own comment speaks before its folder.
  EXPECT_EQ(
      ReadStrings("de.lproj/L.strings", "/* phr:locale=de-AT */ \"a\" = \"b\";")
          .values.at("@locale"),
      "de-AT");
}

TEST(AppleStrings, RefusalsNameTheLine) {
  auto problems = [](const std::string &text) {
    return ReadStrings("L.strings", text).problems;
  };
  EXPECT_CONTAINS(problems("\"a\" = \"b\";\n\"c\" = \"d\n"),
                  "L.strings:2: a string has no closing quote");
  EXPECT_CONTAINS(problems("\"a\" = \"b\"\n\"c\" = \"d\";"),
                  "L.strings:2: expected ';' after the value of \"a\"");
  EXPECT_CONTAINS(problems("\n\"a\" \"b\";"), "L.strings:2: expected '='");
  EXPECT_CONTAINS(problems("\"a\" = \"b\";\n/* open"),
                  "L.strings:2: a comment begun with /* has no */");
  EXPECT_CONTAINS(problems("\"a\" = \"\\UD83D x\";"),
                  "high surrogate without its low one");
  EXPECT_CONTAINS(problems("\"a\" = \"\\UDE00\";"),
                  "low surrogate without its high one");
  EXPECT_CONTAINS(problems("\"a\" = \"\\U12\";"), "four hexadecimal digits");
  EXPECT_CONTAINS(problems("\"a\" = \"b\";\n\"m\" = \"%1$@ and %@\";"),
                  "L.strings:2: 'm': ");
  EXPECT_CONTAINS(problems("\"a\" = ;"), "expected a quoted string, not ';'");
  EXPECT_CONTAINS(
      ReadStrings("L.strings", std::string("\xFF\xFE\x00\xD8", 4)).problems,
      "L.strings:1: not valid UTF-16");
}

// Texts that need every escape and every kind the writer can say.
TEST_F(Cli, AppleStringsDumpsBuildTheSameDatabase) {
  Write("e.csv", "id,value,kind\n"
                 "quotes,\"'single' \"\"double\"\" \\ back\",\n"
                 "lines,\"a\nb\tc\rd\x01\",\n"
                 "msg,\"%2!s! before %1!d!\",\n"
                 "pct,100% sure,text\n"
                 "pctd,50%d,text\n"
                 "bare,No inserts,message\n"
                 "fmt,No conversions,printf\n"
                 "odd,\"%1!-5s! wide\",\n"
                 "files#one,%d file,\n"
                 "files#other,%d files,\n"
                 "@locale,pt-BR,\n");
  ASSERT_EQ(Run({"build", "e.csv", "-o", "e.skdb"}).code, 0);
  ExpectRoundTrips("e.skdb", {"strings"});
  const std::string out = Run({"dump", "e.skdb", "--format", "strings"}).out;
  EXPECT_CONTAINS(out, "/* phr:locale=pt-BR */\n");
  EXPECT_CONTAINS(out, "\"msg\" = \"%2$@ before %1$d\";\n");
  EXPECT_CONTAINS(out, "\"lines\" = \"a\\nb\\tc\\rd\\U0001\";\n");
  EXPECT_CONTAINS(out, "/* phr:kind=text */\n\"pct\" = \"100% sure\";\n");
}

std::string AppleFile(const std::string &path) {
  return std::string(PHRASOR_TEST_DATA) + "/apple/" + path;
}

// A project's folders: each language builds under its folder's name
// (German saved as UTF-16), checks against the source and comes back.
TEST_F(Cli, AppleStringsTreeBuildsChecksAndComesBack) {
  for (const char *folder : {"en", "de", "Base"}) {
    SCOPED_TRACE(folder);
    const std::string db = std::string(folder) + ".skdb";
    const Result b = Run(
        {"build", AppleFile(std::string(folder) + ".lproj/Localizable.strings"),
         "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    const Result c = Run({"check", db, "--against", "en.skdb"});
    EXPECT_EQ(c.code, 0) << c.err;
    ExpectRoundTrips(db, {"strings"});
  }
  const std::string de = Run({"dump", "de.skdb", "--format", "json"}).out;
  EXPECT_CONTAINS(de, "\"@locale\": \"de\"");
  // The comment above a pair is its note to translators.
  EXPECT_CONTAINS(de, "\"notes.shared\": {\n    \"value\": \"In %2!s! hat "
                      "%1!s! eine Notiz geteilt\",\n    \"note\": \"The folder "
                      "comes first in German\"");
  EXPECT_EQ(Run({"dump", "Base.skdb", "--format", "json"}).out.find("@locale"),
            std::string::npos);
  EXPECT_CONTAINS(
      Run({"format", "de.skdb", "notes.shared", "Ola", "Arbeit"}).out,
      "In Arbeit hat Ola eine Notiz geteilt");
}

/// What translate-toolkit reads from \p files, or null when it is missing.
std::optional<nlohmann::json>
ToolkitReading(const std::vector<std::string> &files) {
  std::string command =
      "/usr/bin/python3 " +
      Quote(std::string(PHRASOR_TEST_DATA) + "/../apple_toolkit.py");
  for (const std::string &f : files)
    command += " " + Quote(f);
  std::FILE *pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe)
    return std::nullopt;
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  if (pclose(pipe) != 0)
    return std::nullopt;
  const std::size_t last = out.rfind("\n{");
  return nlohmann::json::parse(
      out.substr(last == std::string::npos ? 0 : last));
}

// The toolkit keeps Foundation's spelling of the conversions, so its texts
// are compared once converted as a build converts them; the comments above
// a pair are the same notes.
TEST(AppleStrings, TextsAgreeWithTranslateToolkit) {
  std::vector<std::string> files;
  for (const char *folder : {"en", "de"})
    files.push_back(
        AppleFile(std::string(folder) + ".lproj/Localizable.strings"));
  const std::optional<nlohmann::json> toolkit = ToolkitReading(files);
  if (!toolkit)
    GTEST_SKIP() << "translate-toolkit (Debian package translate-toolkit) is "
                    "missing";
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    const AppleReading ours = ReadStrings(file, Slurp(fs::path(file)));
    const nlohmann::json &theirs = toolkit->at(file);
    EXPECT_EQ(theirs.size() + 1, ours.values.size()); // and @locale
    for (const auto &[key, text] : theirs.items())
      EXPECT_EQ(ours.values.at(key),
                phrasor::tool::ReadAppleFormat(text.get<std::string>()).text)
          << key;
    // It leaves out a file's opening comment, which a build gives the
    // first pair as the start of its note.
    const nlohmann::json &notes = toolkit->at("notes").at(file);
    EXPECT_EQ(notes.size(), ours.notes.size());
    for (const auto &[key, note] : notes.items()) {
      const std::string said = note.get<std::string>();
      const std::string own = ours.notes.count(key) ? ours.notes.at(key) : "";
      EXPECT_TRUE(own == said ||
                  (own.size() > said.size() &&
                   own.compare(own.size() - said.size() - 1, std::string::npos,
                               "\n" + said) == 0))
          << key << ": " << own;
    }
  }
}

// The toolkit reads a variable's forms apart from the format that holds
// them; put back in it, they are the plural forms a build reads, Apple's
// zero being the form for exactly 0.
TEST(Stringsdict, FormsAgreeWithTranslateToolkit) {
  const std::string file = AppleFile("en.lproj/Localizable.stringsdict");
  const std::optional<nlohmann::json> toolkit = ToolkitReading({file});
  if (!toolkit)
    GTEST_SKIP() << "translate-toolkit (Debian package translate-toolkit) is "
                    "missing";
  const AppleReading ours =
      ReadWith(phrasor::tool::ReadStringsdict, file, Slurp(fs::path(file)));
  std::size_t forms = 0;
  for (const auto &[key, byCategory] : toolkit->at(file).items())
    for (const auto &[category, text] : byCategory.items()) {
      const std::string id =
          key + "#" + (category == "zero" ? std::string("=0") : category);
      ++forms;
      EXPECT_EQ(ours.values.count(id) ? ours.values.at(id) : "",
                phrasor::tool::ReadAppleFormat(text.get<std::string>()).text)
          << id;
    }
  EXPECT_EQ(forms + 1, ours.values.size()); // and @locale
}

AppleReading ReadCatalog(const std::string &text,
                         const std::string &language = "",
                         bool includeFuzzy = false) {
  phrasor::tool::InputOptions options;
  options.column = language;
  options.includeFuzzy = includeFuzzy;
  return ReadWith(phrasor::tool::ReadXcstrings, "L.xcstrings", text, options);
}

const char *const kCatalog = R"({
  "sourceLanguage" : "en",
  "strings" : {
    "" : {

    },
    "%lld files" : {
      "localizations" : {
        "de" : { "variations" : { "plural" : {
          "one" : { "stringUnit" : { "state" : "translated", "value" : "%lld Datei" } },
          "other" : { "stringUnit" : { "state" : "translated", "value" : "%lld Dateien" } },
          "zero" : { "stringUnit" : { "state" : "translated", "value" : "Keine" } }
        } } }
      }
    },
    "Hi %@" : {
      "comment" : "a greeting",
      "localizations" : {
        "de" : { "stringUnit" : { "state" : "needs_review", "value" : "Hallo %@" } }
      }
    },
    "Tap" : {
      "localizations" : {
        "de" : { "variations" : { "device" : {
          "mac" : { "stringUnit" : { "state" : "translated", "value" : "Klicken" } },
          "other" : { "stringUnit" : { "state" : "translated", "value" : "Tippen" } }
        } } },
        "en" : { "stringUnit" : { "state" : "new", "value" : "Tap!" } }
      }
    },
    "New" : {
      "localizations" : {
        "de" : { "stringUnit" : { "state" : "new", "value" : "" } }
      }
    },
    "Version" : { "shouldTranslate" : false },
    "Two" : {
      "localizations" : {
        "de" : { "substitutions" : { } }
      }
    }
  },
  "version" : "1.0"
})";

// One language at a time: states as PO's fuzzy and untranslated messages,
// Apple's zero as the text for 0, device variations dropped for the
// other devices' text; the source language's keys are their own texts.
TEST(Xcstrings, OneLanguageOfTheCatalogIsRead) {
  const AppleReading de = ReadCatalog(kCatalog, "de");
  EXPECT_EQ(de.values, (std::map<std::string, std::string>{
                           {"@locale", "de"},
                           {"%lld files#one", "%lld Datei"},
                           {"%lld files#other", "%lld Dateien"},
                           {"%lld files#=0", "Keine"},
                           {"Tap", "Tippen"},
                           {"Version", "Version"}}));
  EXPECT_CONTAINS(de.problems, "1 text needing review left out");
  EXPECT_CONTAINS(de.problems, "1 device variation dropped");
  EXPECT_CONTAINS(de.problems, "1 text with substitutions");
  EXPECT_EQ(ReadCatalog(kCatalog, "de", true).values.at("Hi %@"),
            "Hallo %1!s!");
  const AppleReading en = ReadCatalog(kCatalog);
  EXPECT_EQ(en.values,
            (std::map<std::string, std::string>{{"@locale", "en"},
                                                {"%lld files", "%lld files"},
                                                {"Hi %@", "Hi %1!s!"},
                                                {"Tap", "Tap!"},
                                                {"New", "New"},
                                                {"Version", "Version"},
                                                {"Two", "Two"}}));
  EXPECT_EQ(en.kinds.at("Hi %@"), TextKind::Message);
}

TEST(Xcstrings, RefusalsNameTheLine) {
  EXPECT_CONTAINS(ReadCatalog("{\n\"strings\" : {\n,}").problems,
                  "L.xcstrings:3: not valid JSON");
  EXPECT_CONTAINS(ReadCatalog("{\"strings\" : []}").problems,
                  "L.xcstrings:1: not a string catalog");
  EXPECT_CONTAINS(ReadCatalog("{\"sourceLanguage\" : \"en\",\n"
                              "\"strings\" : {\n\"a\" : {\"localizations\" "
                              ": {\"en\" : {\"stringUnit\" : {}}}},\n"
                              "\"b\" : {\"localizations\" : {\"en\" : "
                              "{\"variations\" : {\"plural\" : {\"lots\" : "
                              "{}}}}}}}}")
                      .problems,
                  "L.xcstrings:4: 'b': plural category \"lots\"");
  EXPECT_CONTAINS(
      ReadCatalog("{\"sourceLanguage\" : \"en\",\n\"strings\" : {\n\"a\" : "
                  "{\"localizations\" : {\"en\" : {\"stringUnit\" : "
                  "{}}}}}}")
          .problems,
      "L.xcstrings:3: 'a': its stringUnit has no \"value\" text");
  // A number past a double's range is nlohmann's out_of_range, not a
  // parse error: it was thrown out of the reader.
  EXPECT_CONTAINS(
      ReadCatalog("{\"sourceLanguage\" : \"en\",\n\"n\": 1e99999}").problems,
      "L.xcstrings:2: not valid JSON");
}

std::string CatalogFile() { return AppleFile("Localizable.xcstrings"); }

// Xcode's catalog: one database per language, each checked against the
// source, each dumped back as the same database and merged back into the
// catalog without a byte of it changing.
TEST_F(Cli, XcstringsCatalogBuildsEveryLanguageAndMergesBack) {
  const Result b = Run({"build", CatalogFile(), "--every-column", "-o", "db"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_CONTAINS(b.err, "1 device variation dropped");
  Write("merged.xcstrings", Slurp(fs::path(CatalogFile())));
  for (const char *language : {"en", "de", "pl"}) {
    SCOPED_TRACE(language);
    const std::string db = std::string("db/") + language + ".skdb";
    // The source's "No notes" for 0 has no count, which check takes for
    // a missing conversion when the source is checked against itself.
    const Result c = language == std::string("en")
                         ? Run({"check", db})
                         : Run({"check", db, "--against", "db/en.skdb"});
    EXPECT_EQ(c.code, 0) << c.err;
    ExpectRoundTrips(db, {"xcstrings"});
    const Result d =
        Run({"dump", db, "--format", "xcstrings", "-o", "merged.xcstrings"});
    ASSERT_EQ(d.code, 0) << d.err;
    EXPECT_EQ(Read("merged.xcstrings"), Slurp(fs::path(CatalogFile())));
  }
  EXPECT_CONTAINS(
      Run({"format", "db/pl.skdb", "%lld notes", "--count", "5", "5"}).out,
      "5 notatek");
  EXPECT_CONTAINS(
      Run({"format", "db/en.skdb", "%lld notes", "--count", "0", "0"}).out,
      "No notes");
  // A single language by --column, the source language without it.
  ASSERT_EQ(
      Run({"build", CatalogFile(), "--column", "de", "-o", "de.skdb"}).code, 0);
  EXPECT_EQ(Read("de.skdb"), Read("db/de.skdb"));
  ASSERT_EQ(Run({"build", CatalogFile(), "-o", "en.skdb"}).code, 0);
  EXPECT_EQ(Read("en.skdb"), Read("db/en.skdb"));
}

// A changed translation replaces that language's text only; a new key is
// added; what the database lacks stays.
TEST_F(Cli, XcstringsMergeTouchesOnlyItsLanguage) {
  Write("L.xcstrings", Slurp(fs::path(CatalogFile())));
  Write("de.csv", "id,value\n@locale,de\nCancel,Schließen\n"
                  "Added,Neu\n");
  ASSERT_EQ(Run({"build", "de.csv", "-o", "de.skdb"}).code, 0);
  ASSERT_EQ(
      Run({"dump", "de.skdb", "--format", "xcstrings", "-o", "L.xcstrings"})
          .code,
      0);
  const std::string merged = Read("L.xcstrings");
  const nlohmann::ordered_json before =
      nlohmann::ordered_json::parse(Slurp(fs::path(CatalogFile())));
  nlohmann::ordered_json after = nlohmann::ordered_json::parse(merged);
  EXPECT_EQ(
      after["strings"]["Cancel"]["localizations"]["de"]["stringUnit"]["value"],
      "Schlie\u00dfen");
  EXPECT_EQ(
      after["strings"]["Added"]["localizations"]["de"]["stringUnit"]["value"],
      "Neu");
  after["strings"].erase("Added");
  after["strings"]["Cancel"]["localizations"]["de"] =
      before["strings"]["Cancel"]["localizations"]["de"];
  EXPECT_EQ(after, before);
  // Every other line is Xcode's, byte for byte.
  EXPECT_CONTAINS(merged, "\"Anuluj\"");
  EXPECT_EQ(
      Run({"dump", "de.skdb", "--format", "xcstrings", "-o", "L.xcstrings"})
          .code,
      0);
  EXPECT_EQ(Read("L.xcstrings"), merged);
  Write("bad.xcstrings", "{}");
  const Result bad =
      Run({"dump", "de.skdb", "--format", "xcstrings", "-o", "bad.xcstrings"});
  EXPECT_NE(bad.code, 0);
  EXPECT_CONTAINS(bad.err, "not a string catalog");
  EXPECT_EQ(Read("bad.xcstrings"), "{}");
}

// A key's comment is the note of each of its entries; a dump writes it
// back, and a merge updates it without touching the key's other fields.
TEST_F(Cli, XcstringsCommentsAreNotes) {
  const AppleReading read = ReadCatalog(
      R"({"sourceLanguage" : "en", "strings" : {
  "Save" : {"comment" : "Toolbar button", "localizations" : {}},
  "%lld files" : {"comment" : "Under the list", "localizations" : {"en" :
    {"variations" : {"plural" : {"one" : {"stringUnit" : {"state" :
    "translated", "value" : "%lld file"}}, "other" : {"stringUnit" :
    {"state" : "translated", "value" : "%lld files"}}}}}}},
  "Bare" : {"comment" : ""}}})");
  EXPECT_EQ(read.notes, (std::map<std::string, std::string>{
                            {"Save", "Toolbar button"},
                            {"%lld files#one", "Under the list"},
                            {"%lld files#other", "Under the list"}}));

  Write("n.csv",
        "id,value,note\n@locale,en,\nSave,Save,\"Toolbar, \"\"top\"\"\"\n"
        "files#one,%d file,Count\nfiles#other,%d files,Count\n"
        "odd#one,one,A\nodd#other,many,B\nplain,Plain,\n");
  ASSERT_EQ(Run({"build", "n.csv", "-o", "n.skdb"}).code, 0);
  // A .ts text knows Qt's placeholders, not printf's, and an ARB text is
  // ICU's: their dumps leave the printf forms out, and say so. An ARB
  // message also has one description for all its forms.
  std::vector<std::string> holding = FormatsHolding("n.skdb");
  for (const char *lossy : {"qt", "arb"})
    holding.erase(std::remove(holding.begin(), holding.end(), lossy),
                  holding.end());
  ExpectRoundTrips("n.skdb", holding);
  const nlohmann::ordered_json dumped = nlohmann::ordered_json::parse(
      Run({"dump", "n.skdb", "--format", "xcstrings"}).out);
  EXPECT_EQ(dumped["strings"]["Save"].begin().key(), "comment");
  EXPECT_EQ(dumped["strings"]["files"]["comment"], "Count");
  // Forms with notes of their own are keys of their own.
  EXPECT_EQ(dumped["strings"]["odd#other"]["comment"], "B");
  EXPECT_FALSE(dumped["strings"]["plain"].contains("comment"));

  Write("L.xcstrings", R"({
  "sourceLanguage" : "en",
  "strings" : {
    "Save" : {
      "comment" : "Old",
      "extractionState" : "manual",
      "localizations" : {
        "en" : {"stringUnit" : {"state" : "translated", "value" : "Save"}}
      }
    },
    "plain" : {
      "comment" : "Kept",
      "extractionState" : "stale"
    },
    "files" : {
      "extractionState" : "extracted_with_value"
    }
  },
  "version" : "1.0"
})");
  ASSERT_EQ(
      Run({"dump", "n.skdb", "--format", "xcstrings", "-o", "L.xcstrings"})
          .code,
      0);
  const nlohmann::ordered_json merged =
      nlohmann::ordered_json::parse(Read("L.xcstrings"));
  const nlohmann::ordered_json &strings = merged["strings"];
  EXPECT_EQ(strings["Save"]["comment"], "Toolbar, \"top\"");
  EXPECT_EQ(strings["Save"]["extractionState"], "manual");
  EXPECT_EQ(strings["plain"]["comment"], "Kept");
  EXPECT_EQ(strings["plain"]["extractionState"], "stale");
  // A comment added to a key goes where Xcode writes it: first.
  EXPECT_EQ(strings["files"].begin().key(), "comment");
  EXPECT_EQ(strings["files"]["comment"], "Count");
  EXPECT_EQ(strings["files"]["extractionState"], "extracted_with_value");
}

TEST_F(Cli, XcstringsDumpsBuildTheSameDatabase) {
  Write("e.csv", "id,value\n"
                 "quotes,\"\"\"q\"\" \\ \u00e9\"\n"
                 "lines,\"a\nb\tc\x01\"\n"
                 "msg,\"%2!s! before %1!d!\"\n"
                 "obj,\"%1!s! then %2!ld!\"\n"
                 "files#=0,none\n"
                 "files#one,%d file\n"
                 "files#other,%d files\n"
                 "odd#=1,just one\n"
                 "odd#other,%d\n"
                 "@locale,pl\n");
  ASSERT_EQ(Run({"build", "e.csv", "-o", "e.skdb"}).code, 0);
  ExpectRoundTrips("e.skdb", {"xcstrings"});
  const std::string out = Run({"dump", "e.skdb", "--format", "xcstrings"}).out;
  EXPECT_CONTAINS(out, "\"sourceLanguage\" : \"pl\"");
  EXPECT_CONTAINS(out, "\"value\" : \"%@ then %ld\"");
  EXPECT_CONTAINS(out, "\"value\" : \"%2$@ before %1$d\"");
  EXPECT_CONTAINS(out, "\"zero\" : {");
  EXPECT_CONTAINS(out, "\"odd#=1\" : {");
}

AppleReading ReadDict(const std::string &text) {
  return ReadWith(phrasor::tool::ReadStringsdict, "de.lproj/L.stringsdict",
                  text);
}

// The project's plural rules: one variable gives the plural forms, with
// the text around it kept and Apple's zero the text for 0; two are left
// out with a warning.
TEST(Stringsdict, PluralRulesGiveThePluralForms) {
  const std::string file = AppleFile("en.lproj/Localizable.stringsdict");
  const AppleReading r =
      ReadWith(phrasor::tool::ReadStringsdict, file, Slurp(fs::path(file)));
  EXPECT_EQ(r.values, (std::map<std::string, std::string>{
                          {"@locale", "en"},
                          {"%d notes#=0", "No notes"},
                          {"%d notes#one", "%d note"},
                          {"%d notes#other", "%d notes"},
                          {"folder.count#one", "%1!s! holds %2!ld! item"},
                          {"folder.count#other", "%1!s! holds %2!ld! items"}}));
  EXPECT_CONTAINS(r.problems, "1 text with several plural variables left out");
  const std::string rules =
      "<plist><dict>\n<key>a</key><dict>"
      "<key>NSStringLocalizedFormatKey</key><string>%#@n@</string>\n"
      "<key>n</key><dict><key>NSStringFormatSpecTypeKey</key>"
      "<string>NSStringPluralRuleType</string>\n<key>lots</key>"
      "<string>x</string></dict></dict>\n<key>b</key><dict/>\n"
      "</dict></plist>";
  const AppleReading bad = ReadDict(rules);
  EXPECT_CONTAINS(bad.problems, "L.stringsdict:4: 'a': plural category 'lots'");
  EXPECT_CONTAINS(bad.problems, "L.stringsdict:5: 'b' has no "
                                "NSStringLocalizedFormatKey");
  EXPECT_CONTAINS(ReadDict("<plist>\n<dict>").problems,
                  "L.stringsdict:2: not well-formed XML");
  EXPECT_CONTAINS(ReadDict("<plist/>").problems, "not a property list");
}

TEST_F(Cli, StringsdictDumpsBuildTheSameDatabase) {
  Write("e.csv", "id,value\n"
                 "files#=0,none\n"
                 "files#one,%ld file\n"
                 "files#other,%ld files\n"
                 "ar#zero,%d zero\n"
                 "ar#other,%d\n"
                 "msg,\"<%2!s!> & %1!d!\"\n"
                 "@locale,pl\n");
  ASSERT_EQ(Run({"build", "e.csv", "-o", "e.skdb"}).code, 0);
  ExpectRoundTrips("e.skdb", {"stringsdict"});
  const std::string out =
      Run({"dump", "e.skdb", "--format", "stringsdict"}).out;
  EXPECT_CONTAINS(out, "<string>%#@value@</string>");
  EXPECT_CONTAINS(out, "<key>NSStringFormatValueTypeKey</key>\n"
                       "\t\t\t<string>ld</string>");
  EXPECT_CONTAINS(out, "<string>&lt;%2$@&gt; &amp; %1$d</string>");
  const std::string file = AppleFile("en.lproj/Localizable.stringsdict");
  ASSERT_EQ(Run({"build", file, "-o", "en.skdb"}).code, 0);
  ExpectRoundTrips("en.skdb", {"stringsdict"});
}

} // namespace
