//===- cli_test.cpp - The phrasor tool, driven as a user drives it --------===//
//
// Each test writes its inputs into a scratch directory, runs the built
// binary there through the shell, and checks exit code, stdout and stderr,
// so file names in messages read exactly as a user sees them.
//
//===----------------------------------------------------------------------===//

#include "tools/authoring/DatabaseWriter.h"

#include "tests/cli/CliTest.h"

using phrasor::authoring::RawDatabase;
using phrasor::authoring::RefPair;
using namespace phrasor::clitest;

namespace {

// Entries that stress every format: a multi-line value with quotes and
// commas, an empty value, an absent value, voice paths, text outside
// ASCII, and message inserts.
const char *RichCsv = "id,value,voice\n"
                      "UI_OK,OK,vo/ok.ogg\n"
                      "UI_MULTI,\"two\nlines, with \"\"quotes\"\"\",\n"
                      "UI_EMPTY,\"\",\n"
                      "UI_NONE,,vo/none.ogg\n"
                      "UI_JA,決定,\n"
                      "DLG_SCORE,%1!s! has %2!d! points,\n"
                      "DLG_SAME,OK,\n";

TEST_F(Cli, DumpThenBuildGivesTheSameBytesInEveryFormat) {
  Write("rich.csv", RichCsv);
  ASSERT_EQ(Run({"build", "rich.csv", "-o", "rich.skdb"}).code, 0);
  for (const char *format : {"csv", "json", "po"}) {
    SCOPED_TRACE(format);
    const std::string dumped = std::string("dump.") + format;
    Result d = Run({"dump", "rich.skdb", "--format", format, "-o", dumped});
    ASSERT_EQ(d.code, 0) << d.err;
    Result b = Run({"build", dumped, "-o", "again.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(Read("again.skdb"), Read("rich.skdb"));
    // "-o -" is standard output, not a file named "-".
    Result piped = Run({"dump", "rich.skdb", "--format", format, "-o", "-"});
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.out, Read(dumped));
    EXPECT_FALSE(Exists("-"));
  }
}

TEST_F(Cli, EveryInputFormatReadsTheSameEntries) {
  Write("a.csv", RichCsv);
  Write("a.json", R"({
  "UI_OK": {"value": "OK", "voice": "vo/ok.ogg"},
  "UI_MULTI": "two\nlines, with \"quotes\"",
  "UI_EMPTY": "",
  "UI_NONE": {"voice": "vo/none.ogg"},
  "UI_JA": "決定",
  "DLG_SCORE": "%1!s! has %2!d! points",
  "DLG_SAME": "OK"
})");
  // Written as the tool's own dump, which keeps no msgids of its own.
  Write("a.po", R"(msgid ""
msgstr "Content-Type: text/plain; charset=UTF-8\nX-Phrasor-Key: context\n"

#. voice: vo/ok.ogg
msgctxt "UI_OK"
msgid "OK"
msgstr "OK"

msgctxt "UI_MULTI"
msgid "x"
msgstr "two\n"
"lines, with \"quotes\""

#. value: empty
msgctxt "UI_EMPTY"
msgid "x"
msgstr ""

#. voice: vo/none.ogg
msgctxt "UI_NONE"
msgid "x"
msgstr ""

msgctxt "UI_JA"
msgid "OK"
msgstr "決定"

msgctxt "DLG_SCORE"
msgid "%1!s! has %2!d! points"
msgstr "%1!s! has %2!d! points"

msgctxt "DLG_SAME"
msgid "OK"
msgstr "OK"
)");
  for (const char *input : {"a.csv", "a.json", "a.po"}) {
    SCOPED_TRACE(input);
    Result r = Run({"build", input, "-o", std::string(input) + ".skdb"});
    ASSERT_EQ(r.code, 0) << r.err;
  }
  EXPECT_EQ(Read("a.json.skdb"), Read("a.csv.skdb"));
  EXPECT_EQ(Read("a.po.skdb"), Read("a.csv.skdb"));
}

TEST_F(Cli, PoFuzzyAndUntranslatedEntries) {
  Write("t.po", R"(msgctxt "A"
msgid "Apple"
msgstr ""

#, fuzzy
msgctxt "B"
msgid "Banana"
msgstr "Banane"
)");
  struct Row {
    std::vector<std::string> flags;
    bool hasA;
    std::string a;
    bool hasB;
  } rows[] = {
      {{}, false, "", false},
      {{"--fill-empty"}, true, "Apple", false},
      {{"--include-fuzzy"}, false, "", true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.flags.empty() ? "defaults" : row.flags[0]);
    std::vector<std::string> args = {"build", "t.po", "-o", "t.skdb"};
    args.insert(args.end(), row.flags.begin(), row.flags.end());
    ASSERT_EQ(Run(args).code, 0);
    Result a = Run({"get", "t.skdb", "A"});
    EXPECT_EQ(a.code, row.hasA ? 0 : 1) << a.err;
    if (row.hasA) {
      EXPECT_EQ(a.out, row.a + "\n");
    } else {
      EXPECT_CONTAINS(a.err, "'A' has no value");
    }
    EXPECT_EQ(Run({"get", "t.skdb", "B"}).code, row.hasB ? 0 : 1);
  }
}

TEST_F(Cli, DuplicateIdNamesBothPlaces) {
  Write("menu.csv", "id,value\nUI_BACK,Back\nUI_OK,OK\n");
  Write("more.json", "{\n  \"UI_QUIT\": \"Quit\",\n  \"ui_ok\": \"Okay\"\n}\n");
  Result r = Run({"build", "menu.csv", "more.json", "-o", "out.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: more.json:3: duplicate ID 'ui_ok' (first "
                         "defined at menu.csv:3)");
  EXPECT_FALSE(Exists("out.skdb"));
}

TEST_F(Cli, BadInsertNamesFileLineAndId) {
  Write("bad.csv", "id,value\nUI_OK,OK\nDLG_BAD,Score %1!F!\n");
  Write("bad.json",
        "{\n  \"UI_OK\": \"OK\",\n  \"DLG_BAD\": \"Score %1!F!\"\n}");
  Write("bad.po", "msgctxt \"UI_OK\"\nmsgid \"OK\"\nmsgstr \"OK\"\n\n"
                  "msgctxt \"DLG_BAD\"\nmsgid \"x\"\nmsgstr \"Score %1!F!\"\n");
  struct Row {
    const char *file, *where;
  } rows[] = {{"bad.csv", "error: bad.csv:3: ID 'DLG_BAD': "},
              {"bad.json", "error: bad.json:3: ID 'DLG_BAD': "},
              {"bad.po", "error: bad.po:5: ID 'DLG_BAD': "}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.file);
    Result r = Run({"build", row.file, "-o", "out.skdb"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, row.where);
    EXPECT_CONTAINS(r.err, "invalid field type");
  }
}

TEST_F(Cli, CsvSyntaxErrorsNameTheLine) {
  struct Row {
    const char *text, *expected;
  } rows[] = {
      {"id,value\nA,\"x\ny\"\nB,say \"hi\"\n",
       "error: in.csv:4: quote inside an unquoted field"},
      {"id,value\nA,\"x\"y\n", "error: in.csv:2: text after the closing quote"},
      {"id,value\nA,a\nB,\"never\nclosed\n",
       "error: in.csv:3: quoted field is never closed"},
      {"id,value\nA,a,b\n", "error: in.csv:2: expected 2 fields, found 3"},
      {"id,text\nA,a\n", "error: in.csv:1: no value column"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text);
    Write("in.csv", row.text);
    Result r = Run({"build", "in.csv", "-o", "out.skdb"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, row.expected);
  }
}

TEST_F(Cli, JsonAndPoSyntaxErrorsNameTheLine) {
  Write("in.json", "{\n  \"A\": \"a\",\n  \"B\": 5\n}\n");
  Result j = Run({"build", "in.json", "-o", "out.skdb"});
  EXPECT_EQ(j.code, 1);
  EXPECT_CONTAINS(j.err, "error: in.json:3: entry 'B': expected a string");
  Write("in.po", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"a\"\n\nmsgid \"b\n");
  Result p = Run({"build", "in.po", "-o", "out.skdb"});
  EXPECT_EQ(p.code, 1);
  EXPECT_CONTAINS(p.err, "error: in.po:5:");
}

TEST_F(Cli, IoFailuresExitWithTwo) {
  Write("ok.csv", "id,value\nA,a\n");
  struct Row {
    std::vector<std::string> args;
    const char *expected;
  } rows[] = {
      {{"build", "missing.csv", "-o", "x.skdb"},
       "error: cannot read 'missing.csv': no such file or directory"},
      {{"build", "ok.csv", "-o", "no/such/dir/x.skdb"},
       "error: cannot write 'no/such/dir/x.skdb'"},
      {{"build", "ok.doc", "-o", "x.skdb"}, "unknown input type"},
      {{"get", "missing.skdb", "A"}, "error: cannot read 'missing.skdb'"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.args[1]);
    Result r = Run(row.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_CONTAINS(r.err, row.expected);
  }
}

TEST_F(Cli, CheckSaysWhyADatabaseIsRefused) {
  auto base = [] {
    RawDatabase db;
    db.ids = {"A", "B"};
    db.values = {u"a", u"b"};
    db.pairs = {RefPair{0, phrasor::NO_ENTRY}, RefPair{1, phrasor::NO_ENTRY}};
    return db;
  };
  struct Row {
    const char *name;
    RawDatabase db;
    std::size_t cut; // bytes to drop from the end
    const char *reason;
  } rows[] = {
      {"magic",
       [&] {
         auto d = base();
         d.magic = 0x41424344;
         return d;
       }(),
       0, "bad magic 'DCBA' (expected 'SKDB')"},
      {"version",
       [&] {
         auto d = base();
         d.version = 4;
         return d;
       }(),
       0, "version 4 (expected 5)"},
      {"block", base(), 20, "truncated string block"},
      {"pairs", base(), 4, "truncated reference pairs"},
      {"ref",
       [&] {
         auto d = base();
         d.pairs[1].valueRef = 9;
         return d;
       }(),
       0, "value reference 9 out of range"},
      {"order",
       [&] {
         auto d = base();
         d.ids = {"B", "A"};
         return d;
       }(),
       0, "IDs out of order"},
      {"header", base(), 0, ""},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<uint8_t> bytes = phrasor::authoring::Serialize(row.db);
    if (std::string(row.name) == "header")
      bytes.resize(10);
    else
      bytes.resize(bytes.size() - row.cut);
    WriteBytes("x.skdb", bytes);
    Result r = Run({"check", "x.skdb"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, std::string("error: x.skdb: cannot load: ") +
                               (*row.reason ? row.reason : "truncated header"));
    // The query commands refuse it too, as an input error.
    EXPECT_EQ(Run({"list", "x.skdb"}).code, 2);
  }
}

TEST_F(Cli, QueriesAnswerThroughTheRuntime) {
  Write("ui.csv", "id,value,voice\nUI_OK,OK,vo/ok.ogg\nUI_YES,OK,\n"
                  "UI_NO,No,\nDLG_HI,Hi,\nUI_SILENT,,\n");
  ASSERT_EQ(Run({"build", "ui.csv", "-o", "ui.skdb"}).code, 0);
  struct Row {
    std::vector<std::string> args;
    int code;
    std::string out;
  } rows[] = {
      {{"get", "ui.skdb", "ui_ok"}, 0, "OK\n"},
      {{"get", "ui.skdb", "UI_OK", "--voice"}, 0, "vo/ok.ogg\n"},
      {{"get", "ui.skdb", "UI_NO", "--voice"}, 1, ""},
      {{"get", "ui.skdb", "UI_SILENT"}, 1, ""},
      {{"get", "ui.skdb", "UI_MISSING"}, 1, ""},
      {{"list", "ui.skdb", "ui_"}, 0, "UI_NO\nUI_OK\nUI_SILENT\nUI_YES\n"},
      {{"list", "ui.skdb"}, 0, "DLG_HI\nUI_NO\nUI_OK\nUI_SILENT\nUI_YES\n"},
      {{"list", "ui.skdb", "ZZ"}, 0, ""},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.args.back());
    Result r = Run(row.args);
    EXPECT_EQ(r.code, row.code) << r.err;
    EXPECT_EQ(r.out, row.out);
  }
  Result info = Run({"info", "ui.skdb"});
  EXPECT_EQ(info.code, 0);
  EXPECT_CONTAINS(info.out, "entries:      5\n");
  EXPECT_CONTAINS(info.out, "values:       3 stored for 4 entries (1 shared)");
  EXPECT_CONTAINS(info.out, "voice paths:  1 stored for 1 entries");
}

TEST_F(Cli, BuildIsDeterministic) {
  Write("a.csv", "id,value\nZ,z\nM,m\n");
  Write("b.json",
        "{\"A\": \"a\", \"K\": {\"value\": \"z\", \"voice\": \"v\"}}");
  ASSERT_EQ(Run({"build", "a.csv", "b.json", "-o", "one.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", "b.json", "a.csv", "-o", "two.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", "a.csv", "b.json", "-o", "three.skdb"}).code, 0);
  EXPECT_EQ(Read("one.skdb"), Read("two.skdb"));
  EXPECT_EQ(Read("one.skdb"), Read("three.skdb"));
}

TEST_F(Cli, StrictTurnsWarningsIntoErrors) {
  Write("w.csv", "id,value\nUI_CAFÉ,Café\n");
  Result loose = Run({"build", "w.csv", "-o", "w.skdb"});
  EXPECT_EQ(loose.code, 0);
  EXPECT_CONTAINS(loose.err, "warning: w.csv:2: ID 'UI_CAFÉ' is not ASCII");
  Result strict = Run({"build", "--strict", "w.csv", "-o", "s.skdb"});
  EXPECT_EQ(strict.code, 1);
  EXPECT_CONTAINS(strict.err, "error: w.csv:2: ID 'UI_CAFÉ' is not ASCII");
  EXPECT_FALSE(Exists("s.skdb"));
}

TEST_F(Cli, UsageErrorsAndHelp) {
  for (const char *sub :
       {"build", "dump", "check", "get", "list", "info", "format"}) {
    SCOPED_TRACE(sub);
    Result help = Run({sub, "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_CONTAINS(help.out, std::string("phrasor ") + sub);
    EXPECT_EQ(Run({sub}).code, 2); // every subcommand needs an argument
  }
  EXPECT_EQ(Run({}).code, 2);
  EXPECT_EQ(Run({"frobnicate"}).code, 2);
  EXPECT_EQ(Run({"dump", "x.skdb", "--format", "xml"}).code, 2);
}

// A plural previews as a host's plural() gives it: the form by the C++
// layer's rules for @locale, a decimal by its shown digits, each form
// formatted by its kind, the count's argument unused by a form without it.
TEST_F(Cli, FormatCountPicksThePluralFormAsTheLayerDoes) {
  Write("ru.csv", "ID,value\n"
                  "@locale,ru\n"
                  "FILES#one,%1!d! файл\n"
                  "FILES#few,%1!d! файла\n"
                  "FILES#many,%1!d! файлов\n"
                  "FILES#other,%1!s! файла\n"
                  "PO#one,%d файл\n"
                  "PO#few,%d файла\n"
                  "PO#many,%d файлов\n"
                  "PO#other,%s файла\n"
                  "PLACE#ordinal-other,%1!d!-й\n");
  ASSERT_EQ(Run({"build", "ru.csv", "-o", "ru.skdb"}).code, 0);
  const struct {
    std::vector<std::string> args;
    std::string out;
  } rows[] = {
      {{"FILES", "--count", "21", "21"}, "21 файл\n"},
      {{"FILES", "--count", "3", "3"}, "3 файла\n"},
      {{"FILES", "--count", "11", "11", "extra"}, "11 файлов\n"},
      {{"FILES", "--count", "1.5", "1.5"}, "1.5 файла\n"},
      {{"PO", "--count", "22", "22"}, "22 файла\n"},
      {{"PLACE", "--count", "3", "--ordinal", "3"}, "3-й\n"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.args[2]);
    std::vector<std::string> args = {"format", "ru.skdb"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    Result r = Run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, row.out);
  }
  EXPECT_EQ(Run({"format", "ru.skdb", "FILES", "--count", "1,5"}).code, 2);

  Write("xx.csv", "ID,value\n@locale,xx\nFILES#other,files\n");
  Result unknown = Run({"build", "xx.csv", "-o", "xx.skdb"});
  EXPECT_EQ(unknown.code, 0) << unknown.err;
  EXPECT_CONTAINS(unknown.err, "warning: xx.csv:2: @locale 'xx' has no plural "
                               "rules; every count will use #other");
}

// "FILES#=0" wins over the category 0 chooses (French "one"), in format,
// in check --against (where it may drop the count) and through every
// format a dump writes.
TEST_F(Cli, AnExactMatchIsAFormOfItsOwnEverywhere) {
  Write("en.csv", "ID,value\n@locale,en\n"
                  "FILES#one,%1!d! file\nFILES#other,%1!d! files\n");
  Write("fr.csv", "ID,value\n@locale,fr\nFILES#=0,Aucun fichier\n"
                  "FILES#one,%1!d! fichier\nFILES#many,%1!d! de fichiers\n"
                  "FILES#other,%1!d! fichiers\n");
  Result checked = Run({"check", "fr.csv", "--against", "en.csv", "--strict"});
  EXPECT_EQ(checked.code, 0) << checked.err;
  ASSERT_EQ(Run({"build", "fr.csv", "-o", "fr.skdb"}).code, 0);
  for (const char *format : {"csv", "json", "po", "xliff12", "xliff20"}) {
    SCOPED_TRACE(format);
    const std::string name =
        std::string("back.") + (format[0] == 'x' ? "xlf" : format);
    ASSERT_EQ(Run({"dump", "fr.skdb", "--format", format, "-o", name}).code, 0);
    ASSERT_EQ(Run({"build", name, "-o", "back.skdb"}).code, 0);
    EXPECT_EQ(Run({"format", "back.skdb", "FILES", "--count", "0"}).out,
              "Aucun fichier\n");
    EXPECT_EQ(Run({"format", "back.skdb", "FILES", "--count", "1", "1"}).out,
              "1 fichier\n");
  }
  EXPECT_EQ(Run({"format", "fr.skdb", "FILES", "--count", "0.0"}).out,
            "Aucun fichier\n");
}

// Gender and select forms, alone and before a count's form: format picks
// them as the layer does, check --against lets a translation add a value
// but not leave out other, and every format a dump writes keeps them.
TEST_F(Cli, GenderAndSelectFormsEverywhere) {
  Write("en.csv", "ID,value\n@locale,en\n"
                  "FOUND#gender-other#one,They found %1!d! coin\n"
                  "FOUND#gender-other#other,They found %1!d! coins\n"
                  "GREET#gender-other,Welcome %1!s!\n"
                  "TITLE#select-knight,Sir %1!s!\nTITLE#select-other,%1!s!\n");
  Write("fr.csv",
        "ID,value\n@locale,fr\n"
        "FOUND#gender-feminine#one,Elle a trouv\u00e9 %1!d! pi\u00e8ce\n"
        "FOUND#gender-feminine#other,Elle en a trouv\u00e9 %1!d!\n"
        "FOUND#gender-other#=0,Il n'a rien trouv\u00e9\n"
        "FOUND#gender-other#one,Il a trouv\u00e9 %1!d! pi\u00e8ce\n"
        "FOUND#gender-other#many,Il en a trouv\u00e9 %1!d!\n"
        "FOUND#gender-other#other,Il en a trouv\u00e9 %1!d!\n"
        "FOUND#gender-feminine#many,Elle en a trouv\u00e9 %1!d!\n"
        "GREET#gender-feminine,Bienvenue %1!s!\n"
        "GREET#gender-other,Bienvenu %1!s!\n"
        "TITLE#select-squire,\u00c9cuyer %1!s!\n"
        "TITLE#select-knight,Sire %1!s!\nTITLE#select-other,%1!s!\n");
  Result checked = Run({"check", "fr.csv", "--against", "en.csv", "--strict"});
  EXPECT_EQ(checked.code, 0) << checked.err;
  ASSERT_EQ(Run({"build", "fr.csv", "-o", "fr.skdb"}).code, 0);
  for (const char *format : {"csv", "json", "po", "xliff12", "xliff20"}) {
    SCOPED_TRACE(format);
    const std::string name =
        std::string("back.") + (format[0] == 'x' ? "xlf" : format);
    ASSERT_EQ(Run({"dump", "fr.skdb", "--format", format, "-o", name}).code, 0);
    ASSERT_EQ(Run({"build", name, "-o", "back.skdb"}).code, 0);
    EXPECT_EQ(Run({"format", "back.skdb", "FOUND", "--gender", "feminine",
                   "--count", "1", "1"})
                  .out,
              "Elle a trouv\u00e9 1 pi\u00e8ce\n");
    EXPECT_EQ(Run({"format", "back.skdb", "FOUND", "--gender", "masculine",
                   "--count", "0"})
                  .out,
              "Il n'a rien trouv\u00e9\n");
    EXPECT_EQ(
        Run({"format", "back.skdb", "GREET", "--gender", "neuter", "Sam"}).out,
        "Bienvenu Sam\n");
    EXPECT_EQ(
        Run({"format", "back.skdb", "TITLE", "--select", "squire", "Bo"}).out,
        "\u00c9cuyer Bo\n");
    EXPECT_EQ(
        Run({"format", "back.skdb", "TITLE", "--select", "Squire", "Bo"}).out,
        "Bo\n")
        << "a word no form can spell takes other, as in the layer";
  }
  EXPECT_EQ(Run({"format", "fr.skdb", "GREET", "--gender", "female"}).code, 2);
  EXPECT_EQ(Run({"format", "fr.skdb", "GREET", "--gender", "other", "--count",
                 "1", "--ordinal"})
                .code,
            2);
  Result stats = Run({"stats", "fr.csv", "--json"});
  EXPECT_NE(stats.out.find("\"selectTexts\": 3"), std::string::npos)
      << stats.out;

  // A translation without other, and a form whose inserts differ.
  Write("de.csv",
        "ID,value\n@locale,de\n"
        "GREET#gender-feminine,Willkommen %1!d!\n"
        "TITLE#select-knight,Ritter %1!s!\nTITLE#select-other,%1!s!\n");
  Result bad = Run({"check", "de.csv", "--against", "en.csv"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("de.csv:3: gender text 'GREET' has no form "
                         "'GREET#gender-other'"),
            std::string::npos)
      << bad.err;
  EXPECT_NE(bad.err.find("ID 'GREET#gender-feminine': insert %1!d! takes "
                         "another type than the source's %1!s!"),
            std::string::npos)
      << bad.err;
}

TEST_F(Cli, FormatConvertsEachArgumentByItsInsert) {
  Write("m.json", R"({
  "DLG": "%2!d! Punkte für %1!s!",
  "ALL": "%1!c! %2!.1f! %3!I64d! %4!S! %5!x!",
  "HUD": "HP %d/%d",
  "PTR": "%p %hc %*d",
  "LD": "%.2Lf|%Le"
})");
  ASSERT_EQ(Run({"build", "m.json", "-o", "m.skdb"}).code, 0);
  struct Row {
    std::vector<std::string> args;
    int code;
    std::string out, err;
  } rows[] = {
      {{"DLG", "Ann", "7"}, 0, "7 Punkte für Ann\n", ""},
      {{"DLG", "Ann", "-7"}, 0, "-7 Punkte für Ann\n", ""},
      {{"ALL", "é", "2.5", "-9000000000", "narrow", "255"},
       0,
       "é 2.5 -9000000000 narrow ff\n",
       ""},
      {{"DLG", "Ann"},
       2,
       "",
       "'DLG' takes 2 arguments (%1!s!, %2!d!), 1 given"},
      {{"DLG", "Ann", "seven"}, 2, "", "argument 2 'seven' for %2!d!"},
      // Each kind of insert names what its argument should have been.
      {{"ALL", "ab", "2.5", "1", "n", "1"},
       2,
       "",
       "argument 1 'ab' for %1!c!: expected one character"},
      {{"ALL", "a", "x", "1", "n", "1"},
       2,
       "",
       "argument 2 'x' for %2!.1f!: expected a number"},
      {{"ALL", "a", "2.5", "1", "n", "4294967296"},
       2,
       "",
       "argument 5 '4294967296' for %5!x!: expected a 32-bit integer"},
      {{"PTR", "-1", "a", "3", "4"},
       2,
       "",
       "argument 1 '-1' for %p: expected an address"},
      {{"PTR", "0x10", "ab", "3", "4"},
       2,
       "",
       "argument 2 'ab' for %hc: expected one byte"},
      {{"PTR", "0x10", "a", "x", "4"},
       2,
       "",
       "argument 3 'x' for a '*' of %*d: expected a 32-bit integer"},
      {{"HUD", "3", "10"}, 0, "HP 3/10\n", ""}, // a printf text, by its kind
      // %L takes a number whatever width long double has on the host.
      {{"LD", "2.5", "-1e300"}, 0, "2.50|-1.000000e+300\n", ""},
      {{"LD", "1", "x"}, 2, "", "argument 2 'x' for %Le: expected a number"},
      {{"HUD", "1"}, 2, "", "'HUD' takes 2 arguments, 1 given"},
      {{"NOPE"}, 1, "", "no entry 'NOPE'"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.args.size() > 1 ? row.args[1] : row.args[0]);
    std::vector<std::string> args = {"format", "m.skdb"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    Result r = Run(args);
    EXPECT_EQ(r.code, row.code) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_CONTAINS(r.err, row.err);
  }
}

TEST_F(Cli, BadFormatsAreRefusedWithTheReason) {
  struct Row {
    const char *value, *expected;
  } rows[] = {
      {"HP %d (100%)", "not a valid printf format: "},
      {"%1!5.3.2d!", "insert %1!5.3.2d! is refused by the printf engine"},
      {"%1!*d!", "invalid format specification"},
      {"%1!d! and %3!d!", "unknown size of argument"},
      {"%1!s! got 50%", "not a valid message: "},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.value);
    Write("v.json", std::string("{\"A\": \"") + row.value + "\"}");
    Result r = Run({"build", "v.json", "-o", "v.skdb"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, "error: v.json:1: ID 'A': ");
    EXPECT_CONTAINS(r.err, row.expected);
  }
}

TEST_F(Cli, ExamplesBuildAndMatchTheirSource) {
  const std::string data = PHRASOR_EXAMPLES;
  struct Row {
    const char *input, *db, *flag;
  } rows[] = {{"en.csv", "en.skdb", ""},
              {"fr.json", "fr.skdb", ""},
              {"de.po", "de.skdb", "--fill-empty"},
              {"ja.po", "ja.skdb", "--include-fuzzy"}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.input);
    std::vector<std::string> args = {"build", data + "/" + row.input, "-o",
                                     row.db};
    if (*row.flag)
      args.push_back(row.flag);
    Result b = Run(args);
    ASSERT_EQ(b.code, 0) << b.err;
    Result c = Run({"check", row.db, "--against", "en.skdb", "--strict"});
    EXPECT_EQ(c.code, 0) << c.err;
  }
  // Without --include-fuzzy the entry under review is left out, and the
  // comparison with the source notices.
  ASSERT_EQ(Run({"build", data + "/ja.po", "-o", "ja.skdb"}).code, 0);
  Result c = Run({"check", "ja.skdb", "--against", "en.skdb", "--strict"});
  EXPECT_EQ(c.code, 1);
  EXPECT_CONTAINS(c.err, "ID 'HUD_FPS' of the source is missing");
}

} // namespace

// Run by its own ctest entry with a time limit (PHRASOR_METADATA_SCALE_ENTRIES
// set). What the tool keeps beside each entry (a gettext message's flags
// and plural, a recorded kind, a length limit) is stored as one record for
// the whole file: filling it in N² steps takes minutes here, in N steps
// seconds.
TEST_F(Cli, BuildCheckAndReportOfMuchMetadataFinish) {
  const char *count = std::getenv("PHRASOR_METADATA_SCALE_ENTRIES");
  if (!count)
    GTEST_SKIP() << "run by the phrasor_metadata_scale test";
  const std::size_t n = std::strtoul(count, nullptr, 10);
  // A gettext file keyed by its sources: every message c-format, some with
  // a context, some plural, some with a translator's comment.
  std::string po = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; "
                   "charset=UTF-8\\n\"\n\"Language: fr\\n\"\n\"Plural-Forms: "
                   "nplurals=2; plural=(n > 1);\\n\"\n\n";
  std::string source = "id,value,kind,max\n", translation = "id,value\n";
  for (std::size_t i = 0; i < n; ++i) {
    const std::string k = std::to_string(i);
    if (i % 5 == 0)
      po += "# Comment " + k + "\n";
    po += "#, c-format\n";
    if (i % 4 == 1)
      po += "msgctxt \"menu\"\n";
    if (i % 4 == 2)
      po += "msgid \"%d file " + k + "\"\nmsgid_plural \"%d files " + k +
            "\"\nmsgstr[0] \"%d fichier " + k + "\"\nmsgstr[1] \"%d fichiers " +
            k + "\"\n\n";
    else
      po += "msgid \"Message " + k + " has %d items\"\nmsgstr \"Le message " +
            k + " a %d objets\"\n\n";
    // A '%' that is no conversion makes "text" a kind worth recording;
    // one text in a hundred is over its limit.
    source += "ID_" + k + ",Sale " + k +
              (i % 2 ? " at 50% off,text," : " at half price,,") +
              (i % 100 == 99 ? "19" : "40") + "\n";
    translation += "ID_" + k + ",Soldes " + k + " à moitié prix\n";
  }
  Write("fr.po", po);
  Write("en.csv", source);
  Write("fr.csv", translation);
  Result b = Run({"build", "fr.po", "--po-key", "source", "-o", "fr.skdb"});
  ASSERT_EQ(b.code, 0) << b.err.substr(0, 2000);
  b = Run({"build", "en.csv", "-o", "en.skdb"});
  ASSERT_EQ(b.code, 0) << b.err.substr(0, 2000);
  // The records are read back whole: the PO dump gives the flags again, a
  // pseudo copy keeps kinds and limits, check and report find the limits.
  Result d = Run({"dump", "fr.skdb", "--format", "po", "-o", "fr.out.po"});
  ASSERT_EQ(d.code, 0) << d.err.substr(0, 2000);
  // Found, not printed: the files are tens of megabytes.
  auto has = [](const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
  };
  EXPECT_TRUE(has(Read("fr.out.po"),
                  "#, c-format\nmsgid \"Message " + std::to_string(n - 1)));
  EXPECT_EQ(Run({"pseudo", "en.skdb", "-o", "pseudo.skdb"}).code, 0);
  Result c = Run({"check", "fr.csv", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0);
  EXPECT_TRUE(has(c.err, "ID 'ID_" + std::to_string(n - 1) +
                             "': 27 characters, over its limit of 19"));
  Result r = Run({"report", "fr.csv", "--against", "en.csv", "-o", "r.html"});
  EXPECT_EQ(r.code, 0) << r.err.substr(0, 2000);
  EXPECT_TRUE(has(Read("r.html"), "ID_" + std::to_string(n - 1) + "</td>"));
}
