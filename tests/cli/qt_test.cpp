//===- qt_test.cpp - Qt Linguist .ts files in and out ---------------------===//
//
// Translation files as Qt projects hold them, keyed as lrelease looks them
// up; dumps that build back as the same database; refusals at file:line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/qt/QtTs.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>
#include <set>

using namespace phrasor::clitest;

namespace {

struct QtRead {
  std::map<std::string, std::string> values; ///< absent values as "<none>"
  std::map<std::string, std::string> notes, states;
  std::string problems;
};

QtRead ReadText(const std::string &text,
                const phrasor::tool::InputOptions &options = {}) {
  phrasor::tool::Diagnostics diag;
  std::vector<phrasor::tool::KeptProblem> kept;
  diag.KeepIn(&kept);
  std::vector<phrasor::tool::SourceEntry> out;
  phrasor::tool::ReadQtTs("app.ts", text, options, diag, out);
  QtRead r;
  for (const phrasor::tool::SourceEntry &s : out) {
    r.values[s.entry.id] = s.entry.value
                               ? phrasor::tool::Utf16ToUtf8Lossy(*s.entry.value)
                               : "<none>";
    if (s.note)
      r.notes[s.entry.id] = *s.note;
    if (s.state)
      r.states[s.entry.id] = *s.state;
  }
  for (const phrasor::tool::KeptProblem &p : kept)
    r.problems += p.where + ": " + p.message + "\n";
  return r;
}

std::string Ts(const std::string &language, const std::string &messages) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
         "<TS version=\"2.1\"" +
         (language.empty() ? "" : " language=\"" + language + "\"") +
         ">\n<context>\n<name>Main</name>\n" + messages + "</context>\n</TS>\n";
}

std::string Sample(const char *name) {
  return Slurp(std::string(PHRASOR_TEST_DATA) + "/qt/" + name);
}

// Contexts and disambiguation make the key, as lrelease's lookup takes
// them; placeholders become numbered inserts and other '%'s stay text.
TEST(QtTs, KeysTextsAndNotesAsLreleaseLooksThemUp) {
  const QtRead r = ReadText(Sample("app_de.ts"));
  EXPECT_EQ(r.problems, "app.ts: 1 unfinished translation left out; "
                        "--include-fuzzy builds them\n");
  const std::map<std::string, std::string> expected = {
      {"@locale", "de-DE"},
      {"MainWindow\x04&Open...", "&Öffnen …"},
      {"MainWindow\nverb: open a file\x04Open", "Öffnen"},
      {"MainWindow\nadjective: the file is open\x04Open", "Geöffnet"},
      {"MainWindow\x04"
       "Copied %1 to %2",
       "Nach %2!s! kopiert: %1!s!"},
      {"MainWindow\x04%n file(s) selected#one", "%1!d! Datei ausgewählt"},
      {"MainWindow\x04%n file(s) selected#other", "%1!d! Dateien ausgewählt"},
      {"MainWindow\x04"
       "100% done <%1>",
       "100%% fertig <%1!s!>"},
      {"MainWindow\x04Print", "<none>"}, // untranslated, not unfinished
      {"SettingsDialog\x04Open", "Öffnen"},
      {"SettingsDialog\x04"
       "Cache size: %L1 MB",
       "Cache-Größe: %1!'d! MB"}};
  EXPECT_EQ(r.values, expected);
  EXPECT_EQ(r.notes.at("MainWindow\x04"
                       "Copied %1 to %2"),
            "%1 is a file name, %2 a folder\nReihenfolge umgestellt");
}

// Numerus forms come in the language's gettext order; %n is numbered after
// every %N of the message, so a form that moves %1 keeps both numbers.
TEST(QtTs, NumerusFormsAndTheCountInsert) {
  const QtRead r = ReadText(Sample("app_pl.ts"));
  EXPECT_EQ(r.problems, "");
  const std::string copied = "MainWindow\x04%1 copied %n file(s)";
  EXPECT_EQ(r.values.at(copied + "#one"), "%2!d! plik skopiowany przez %1!s!");
  EXPECT_EQ(r.values.at(copied + "#few"), "%2!d! pliki skopiowane przez %1!s!");
  EXPECT_EQ(r.values.at(copied + "#many"),
            "%2!d! plików skopiowanych przez %1!s!");
  EXPECT_EQ(r.notes.at(copied + "#many"), "%1 is the user's name");
  EXPECT_EQ(r.values.count("MainWindow\x04Print"), 0u); // vanished
  // A form without its placeholder is text; Arabic's six forms in order.
  const QtRead ar = ReadText(
      Ts("ar", "<message numerus=\"yes\"><source>%n day(s)</source>"
               "<translation><numerusform>a</numerusform><numerusform>b"
               "</numerusform><numerusform>c</numerusform><numerusform>%n d"
               "</numerusform><numerusform>%n e</numerusform><numerusform>%n"
               " f</numerusform></translation></message>\n"));
  EXPECT_EQ(ar.problems, "");
  EXPECT_EQ(ar.values.at("Main\x04%n day(s)#zero"), "a");
  EXPECT_EQ(ar.values.at("Main\x04%n day(s)#two"), "c");
  EXPECT_EQ(ar.values.at("Main\x04%n day(s)#many"), "%1!d! e");
  EXPECT_EQ(ar.values.at("Main\x04%n day(s)#other"), "%1!d! f");
}

// Unfinished translations wait for review unless the build asks for them;
// an empty one is untranslated, and --fill-empty shows the source instead.
TEST(QtTs, UnfinishedAndUntranslated) {
  phrasor::tool::InputOptions fuzzy;
  fuzzy.includeFuzzy = true;
  const QtRead r = ReadText(Sample("app_de.ts"), fuzzy);
  EXPECT_EQ(r.values.at("MainWindow\x04Save as PDF"), "Als PDF speichern");
  EXPECT_EQ(r.states.at("MainWindow\x04Save as PDF"), "needs-review");
  EXPECT_EQ(r.states.count("MainWindow\x04Print"), 0u);
  phrasor::tool::InputOptions fill;
  fill.fillEmpty = true;
  const QtRead f =
      ReadText(Ts("de", "<message><source>%1% of %n</source><translation type="
                        "\"unfinished\"/></message>\n"),
               fill);
  EXPECT_EQ(f.values.at("Main\x04%1% of %n"), "%1!s!%% of %2!d!");
}

// Case pairs stay two messages, as gettext's do; an empty context without
// a comment keys by the source text alone.
TEST(QtTs, CasePairsAndTheEmptyContext) {
  const QtRead r = ReadText(
      "<TS language=\"en\"><context><name></name>"
      "<message><source>Open</source><translation>A</translation></message>"
      "<message><source>open</source><translation>B</translation></message>"
      "<message><source>@locale</source><translation>C</translation>"
      "</message></context></TS>");
  EXPECT_EQ(r.problems, "");
  EXPECT_EQ(r.values.at("^^Open"), "A");
  EXPECT_EQ(r.values.at("open"), "B");
  EXPECT_EQ(r.values.at("@@locale"), "C");
}

TEST(QtTs, RefusalsAtTheirLines) {
  // A TypeScript source shares the extension.
  EXPECT_CONTAINS(ReadText("export const a = 1;\n").problems,
                  "app.ts:1: not a Qt .ts file: it is not XML");
  EXPECT_CONTAINS(ReadText("<?xml version=\"1.0\"?>\n<resources/>\n").problems,
                  "app.ts:2: not a Qt .ts file: the root is <resources>");
  EXPECT_CONTAINS(ReadText("<TS>\n<context>\n<name>a</nam>\n").problems,
                  "app.ts:3: not well-formed XML");
  const std::string two =
      "<message numerus=\"yes\">\n<source>%n x</source>\n<translation>"
      "<numerusform>a</numerusform><numerusform>b</numerusform>"
      "</translation></message>\n";
  EXPECT_CONTAINS(ReadText(Ts("pl", two)).problems,
                  "app.ts:6: 'Main\\x04%n x' has 2 numerus forms, but 'pl' "
                  "has 3");
  EXPECT_CONTAINS(ReadText(Ts("", two)).problems,
                  "app.ts:6: numerus forms need the file's language");
  EXPECT_CONTAINS(
      ReadText(Ts("de", "<message><source>a</source>\n<translation>x<byte "
                        "value=\"x1b\"/></translation></message>\n"))
          .problems,
      "app.ts:7: <byte> in <translation> is not read");
  EXPECT_CONTAINS(ReadText("<TS language=\"d e\"/>").problems,
                  "language 'd e' is not a language tag");
}

TEST(QtTs, PlaceholdersAndInsertsBothWays) {
  using phrasor::tool::QtToStored;
  using phrasor::tool::StoredToQt;
  bool message = false;
  EXPECT_EQ(QtToStored("%12 %1 %L2 %Ln %0 %x 5%", 13, message),
            "%12!s! %1!s! %2!'d! %13!'d! %%0 %%x 5%%");
  EXPECT_TRUE(message);
  EXPECT_EQ(QtToStored("50% off", 1, message), "50% off");
  EXPECT_FALSE(message);
  EXPECT_EQ(StoredToQt("%2!s! %1!'d! %3!d! %3!'d! 5%%", 3).value_or("-"),
            "%2 %L1 %n %Ln 5%");
  // What Qt has no placeholder for.
  for (const char *text : {"%1!d!", "%0", "%1!x!", "%100!s!", "%3!s!"})
    EXPECT_FALSE(StoredToQt(text, 3)) << text;
}

TEST_F(Cli, QtSamplesBuildFormatAndDumpBack) {
  for (const char *name : {"app_de.ts", "app_pl.ts"}) {
    SCOPED_TRACE(name);
    const std::string src = std::string(PHRASOR_TEST_DATA) + "/qt/" + name;
    Result b = Run({"build", src, "-o", "s.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(Run({"check", "s.skdb"}).code, 0);
    ExpectRoundTrips("s.skdb", {"qt"});
  }
  EXPECT_EQ(Run({"format", "s.skdb", "--context", "MainWindow",
                 "%1 copied %n file(s)", "--count", "5", "Ann", "5"})
                .out,
            "5 plików skopiowanych przez Ann\n");
  EXPECT_EQ(Run({"get", "s.skdb", "--context", "MainWindow", "&Open..."}).out,
            "&Otwórz…\n");
  // Review state and untranslated entries come back as unfinished.
  const std::string de = std::string(PHRASOR_TEST_DATA) + "/qt/app_de.ts";
  ASSERT_EQ(Run({"build", de, "--include-fuzzy", "-o", "f.skdb"}).code, 0);
  ASSERT_EQ(Run({"dump", "f.skdb", "--format", "qt", "-o", "f.ts"}).code, 0);
  EXPECT_CONTAINS(Read("f.ts"), "<source>Save as PDF</source>\n        "
                                "<translation type=\"unfinished\">Als PDF "
                                "speichern</translation>");
  EXPECT_CONTAINS(Read("f.ts"), "<source>Print</source>\n        <translation "
                                "type=\"unfinished\"></translation>");
}

// A database of names, as the JSON a game keeps, writes each name as the
// source text of the empty context and reads back the same.
TEST_F(Cli, QtDumpOfNamedEntriesRoundTrips) {
  Write("n.json", R"({"@locale": "ru",
    "files": {"one": "%1!d! файл", "few": "%1!d! файла", "many": "%1!d! файлов"},
    "greet": {"value": "Hi %1!s!, 100%% <b>", "note": "on the title"},
    "pct": "50% & more", "later": {"value": null},
    "odd#one": "a lone form"})");
  ASSERT_EQ(Run({"build", "n.json", "-o", "n.skdb"}).code, 0);
  ExpectRoundTrips("n.skdb", {"qt"});
  ASSERT_EQ(Run({"dump", "n.skdb", "--format", "qt", "-o", "n.ts"}).code, 0);
  // Russian's three forms in gettext's order.
  EXPECT_CONTAINS(Read("n.ts"),
                  "<numerusform>%n файл</numerusform>\n"
                  "            <numerusform>%n файла</numerusform>\n"
                  "            <numerusform>%n файлов");
  EXPECT_CONTAINS(Read("n.ts"), "<source>odd#one</source>");
}

// What a .ts cannot give back is reported and left out, never changed.
TEST_F(Cli, QtDumpLeavesOutWhatItCannotSpell) {
  Write("b.json", R"({"printf": "%d files", "empty": "",
    "gap": "%%1 is %1!s!", "typed": "%1!x!", "ok": "fine"})");
  ASSERT_EQ(Run({"build", "b.json", "-o", "b.skdb"}).code, 0);
  const Result d = Run({"dump", "b.skdb", "--format", "qt", "-o", "b.ts"});
  EXPECT_EQ(d.code, 0) << d.err;
  EXPECT_CONTAINS(d.err, "4 entries with texts a .ts file cannot give back");
  EXPECT_CONTAINS(Read("b.ts"), "<source>ok</source>");
  EXPECT_EQ(Read("b.ts").find("printf"), std::string::npos);
}

// What translate-toolkit reads from the samples is what the build stores:
// each unit it keeps, keyed by its context (name, then comment) and
// source, has the stored texts, its placeholders numbered as inserts.
TEST_F(Cli, QtTextsAgreeWithTranslateToolkit) {
  for (const char *name : {"app_de.ts", "app_pl.ts"}) {
    SCOPED_TRACE(name);
    const std::string src = std::string(PHRASOR_TEST_DATA) + "/qt/" + name;
    const std::optional<std::string> out = ToolkitOutput("qt_toolkit.py", src);
    if (!out)
      GTEST_SKIP() << "translate-toolkit (Debian package translate-toolkit) "
                      "is missing";
    const std::string &printed = *out;
    const nlohmann::json toolkit = nlohmann::json::parse(printed);
    ASSERT_EQ(Run({"build", src, "-o", "x.skdb"}).code, 0);
    ASSERT_EQ(Run({"dump", "x.skdb", "--format", "json", "-o", "x.json"}).code,
              0);
    const nlohmann::json ours = nlohmann::json::parse(Read("x.json"));
    std::size_t compared = 0;
    for (const nlohmann::json &unit : toolkit) {
      const std::string source = unit.at("source").get<std::string>();
      const std::string key =
          unit.at("context").get<std::string>() + "\x04" + source;
      SCOPED_TRACE(key);
      ASSERT_TRUE(ours.contains(key));
      unsigned highest = phrasor::tool::QtHighestInsert(source);
      for (const nlohmann::json &form : unit.at("target"))
        highest = std::max(
            highest, phrasor::tool::QtHighestInsert(form.get<std::string>()));
      std::multiset<std::string> theirs, stored;
      for (const nlohmann::json &form : unit.at("target")) {
        bool message = false;
        theirs.insert(phrasor::tool::QtToStored(form.get<std::string>(),
                                                highest + 1, message));
      }
      const nlohmann::json &value = ours.at(key);
      if (value.is_string())
        stored.insert(value.get<std::string>());
      else if (value.contains("value"))
        stored.insert(value.at("value").get<std::string>());
      else
        for (const char *c : {"zero", "one", "two", "few", "many", "other"})
          if (value.contains(c))
            stored.insert(value.at(c).get<std::string>());
      EXPECT_EQ(theirs, stored);
      ++compared;
    }
    EXPECT_GE(compared, 4u);
  }
}

} // namespace
