//===- spreadsheet_test.cpp - CSV as spreadsheet programs export it -------===//
//
// Sheets with one column per language, found by their header names, in the
// separators and encodings spreadsheet programs write.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

using namespace phrasor::clitest;

namespace {

const std::string Data = PHRASOR_TEST_DATA;

// The French column of data/sheet-*.csv, as a dump writes it: the CRLF
// inside a quoted cell is kept, the untranslated German cell is absent and
// the quoted empty cells are empty values.
const char *FrenchDump = "id,value,voice\n"
                         "@locale,fr,\n"
                         "HUD_SCORE,%1!s! a %2!d! points,\n"
                         "MENU_QUIT,\"Quitter le jeu ?\r\n"
                         "La progression non sauvegardée sera perdue.\",\n"
                         "MENU_TITLE,Menu principal,\n"
                         "SHOP_PRICE,Prix ; 5 pièces,\n"
                         "UI_BLANK,\"\",\n"
                         "UI_QUOTE,Elle a dit « salut »,\n"
                         "UI_SOON,Bientôt,\n";

TEST_F(Cli, ThreeLanguageSheetBuildsOneDatabasePerLanguage) {
  Write("sheet.csv", Slurp(Data + "/sheet-utf8.csv"));
  for (const char *language : {"en", "fr", "de"}) {
    SCOPED_TRACE(language);
    const std::string db = std::string(language) + ".skdb";
    Result b = Run({"build", "sheet.csv", "--column", language, "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    // One warning for the notes column, whatever the number of rows.
    EXPECT_EQ(b.err, "warning: sheet.csv:1: column 'Translator notes' "
                     "ignored\n");
    Result info = Run({"info", db});
    EXPECT_CONTAINS(info.out, language);
  }
  EXPECT_EQ(Run({"dump", "fr.skdb"}).out, FrenchDump);
  EXPECT_EQ(Run({"get", "en.skdb", "SHOP_PRICE"}).out, "Price; 5 coins\n");
  EXPECT_EQ(Run({"get", "en.skdb", "UI_QUOTE"}).out, "She said \"hi\"\n");
  EXPECT_EQ(Run({"get", "de.skdb", "MENU_TITLE"}).out, "Hauptmenü\n");
  Result untranslated = Run({"get", "de.skdb", "UI_SOON"});
  EXPECT_EQ(untranslated.code, 1);
  EXPECT_CONTAINS(untranslated.err, "'UI_SOON' has no value");
  // --locale wins over the column's name; the column is matched in any case.
  ASSERT_EQ(Run({"build", "sheet.csv", "--column", "FR", "--locale", "fr-CA",
                 "-o", "ca.skdb"})
                .code,
            0);
  EXPECT_CONTAINS(Run({"dump", "ca.skdb"}).out, "@locale,fr-CA,\n");
}

TEST_F(Cli, EveryKindOfSheetTakesItsLanguageFromTheColumn) {
  // Tab-separated sheets, and a sheet read as CSV by --input-format under
  // another name, are sheets like any .csv.
  const std::string tabs = "id\ten\tde\nMENU_TITLE\tMain menu\tHauptmenü\n";
  const struct {
    const char *file;
    std::string text;
    std::vector<std::string> more;
  } sheets[] = {{"s.tsv", tabs, {}},
                {"s.txt", tabs, {}},
                {"s.sheet",
                 "id,en,de\nMENU_TITLE,Main menu,Hauptmenü\n",
                 {"--input-format", "csv"}}};
  for (const auto &sheet : sheets) {
    SCOPED_TRACE(sheet.file);
    Write(sheet.file, sheet.text);
    std::vector<std::string> args = {"build", sheet.file, "--column",
                                     "de",    "-o",       "de.skdb"};
    args.insert(args.end(), sheet.more.begin(), sheet.more.end());
    Result b = Run(args);
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(Run({"dump", "de.skdb"}).out,
              "id,value,voice\n@locale,de,\nMENU_TITLE,Hauptmenü,\n");
  }
}

TEST_F(Cli, ASheetsLanguagesAreCheckedAgainstItsSourceColumn) {
  Write("sheet.csv", Slurp(Data + "/sheet-utf8.csv"));
  // --column picks the translation; the source is read by --against-column,
  // so both can be columns of one sheet, or the source a plain CSV.
  Result s = Run({"stats", "sheet.csv", "--column", "de", "--against",
                  "sheet.csv", "--against-column", "en"});
  EXPECT_EQ(s.code, 0) << s.err;
  EXPECT_CONTAINS(s.out, "untranslated");
  EXPECT_CONTAINS(s.out, "1 (14.3%)");
  Write("en.csv", "id,value\nMENU_TITLE,Main menu\n");
  Result c =
      Run({"check", "sheet.csv", "--column", "fr", "--against", "en.csv"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_CONTAINS(c.err, "ID 'HUD_SCORE' is not in the source");
  EXPECT_EQ(c.err.find("has no column"), std::string::npos);
  Result none =
      Run({"check", "sheet.csv", "--column", "fr", "--against", "sheet.csv"});
  EXPECT_EQ(none.code, 1);
  EXPECT_CONTAINS(none.err, "choose the language to read with "
                            "--against-column (en, fr, de)");
}

TEST_F(Cli, Utf16SheetsGiveTheSameDatabases) {
  for (const char *language : {"en", "fr", "de"}) {
    SCOPED_TRACE(language);
    std::string first;
    for (const char *file :
         {"sheet-utf8.csv", "sheet-utf16le.csv", "sheet-utf16be.csv"}) {
      SCOPED_TRACE(file);
      Write(file, Slurp(Data + "/" + file));
      Result b = Run({"build", file, "--column", language, "-o", "out.skdb"});
      ASSERT_EQ(b.code, 0) << b.err;
      if (first.empty())
        first = Read("out.skdb");
      EXPECT_EQ(Read("out.skdb"), first);
    }
  }
}

// Which separator a sheet uses is read in sheet_reading_test.cpp; here the
// command line's names for one.
TEST_F(Cli, SeparatorsAreForcedByTheirNames) {
  for (const char *name : {";", "tab", "\\t"}) {
    SCOPED_TRACE(name);
    Write("in.csv", name == std::string(";") ? "id;value\nA;a\tb\n"
                                             : "id\tvalue\nA\ta;b\n");
    Result b = Run({"build", "in.csv", "-o", "out.skdb", "--delimiter", name});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(Run({"get", "out.skdb", "A"}).out,
              name == std::string(";") ? "a\tb\n" : "a;b\n");
  }
  Write("in.csv", "id;value\nA;a\n");
  Result wrong = Run({"build", "in.csv", "--delimiter", ",", "-o", "x.skdb"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_CONTAINS(wrong.err, "error: in.csv:1: no id column");
  EXPECT_FALSE(Exists("x.skdb"));
  Result other = Run({"build", "in.csv", "--delimiter", "|", "-o", "x.skdb"});
  EXPECT_EQ(other.code, 2);
}

TEST_F(Cli, HeadersThatCannotBeReadAreRefused) {
  struct Row {
    const char *text;
    std::vector<std::string> options;
    int code;
    std::string expected;
  } rows[] = {
      {"key,en,fr,notes\nA,a,b,c\n",
       {},
       1,
       "warning: in.csv:1: column 'notes' ignored\n"
       "error: in.csv:1: no value column: choose the language to read with "
       "--column (en, fr)\n"},
      {"value,en\nA,a\n",
       {},
       1,
       "error: in.csv:1: no id column: the header row must name the columns "
       "id (or key) and value, or a language chosen with --column\n"},
      {"id,key,value\nA,B,c\n",
       {},
       1,
       "error: in.csv:1: column 'key' appears twice\n"},
      {"id,value,Comment,Status\nA,a,,\n",
       {},
       0,
       "warning: in.csv:1: columns 'Comment', 'Status' ignored\n"},
      {"key,en,fr\nA,a,b\n",
       {"--column", "it"},
       2,
       "error: 'in.csv' has no column 'it' (its columns: key, en, fr)\n"},
      {"key,en,voice\nA,a,b\n",
       {"--column", "voice"},
       2,
       "error: --column 'voice' names the column of the voices; give the "
       "column that holds the texts\n"},
      // Any column may be chosen; a value column is then ignored quietly.
      {"ID, Value ,French\nA,a,b\n", {"--column", "french"}, 0, ""},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text);
    Write("in.csv", row.text);
    std::vector<std::string> args = {"build", "in.csv", "-o", "out.skdb"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    Result r = Run(args);
    EXPECT_EQ(r.code, row.code);
    EXPECT_EQ(r.err.substr(0, row.expected.size()), row.expected);
  }
  // "French" is no language tag, so it gives no @locale.
  EXPECT_EQ(Run({"dump", "out.skdb"}).out, "id,value,voice\nA,b,\n");
}

TEST_F(Cli, SheetRowsKeepTodaysRules) {
  // Rows of bare empty fields are blank lines; a row may stop early; a row
  // with more fields than the header is an error.
  Write("in.csv", "id;value;voice;kind\r\n"
                  "A;a\r\n"
                  ";;;\r\n"
                  "B;;\"\";text\r\n"
                  "C;c;v;text;extra\r\n");
  Result r = Run({"build", "in.csv", "-o", "out.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "error: in.csv:5: expected 4 fields, found 5\n"
                   "phrasor: 1 error; 'out.skdb' not written\n");
  Write("in.csv", "id;value;voice;kind\r\nA;a\r\n;;;\r\nB;;\"\";text\r\n");
  ASSERT_EQ(Run({"build", "in.csv", "-o", "out.skdb"}).code, 0);
  EXPECT_EQ(Run({"dump", "out.skdb"}).out, "id,value,voice\nA,a,\nB,,\"\"\n");
}

// A master sheet gives one database per language column, each as
// --column gives it, in CSV and TSV alike; a column with a problem does not
// keep the others from being written.
TEST_F(Cli, EveryColumnOfAMasterSheetIsADatabase) {
  Write("text.tsv", "key\ten\tde\tpt-BR\tnotes\n"
                    "HELLO\tHello %1!s!\tHallo %1!s!\tOl\xC3\xA1 %1!s!\tx\n");
  const Result b = Run({"build", "text.tsv", "--every-column", "-o", "out"});
  ASSERT_EQ(b.code, 0) << b.err;
  for (const char *language : {"en", "de", "pt-BR"}) {
    SCOPED_TRACE(language);
    const std::string db = std::string("out/") + language + ".skdb";
    ASSERT_TRUE(Exists(db));
    EXPECT_CONTAINS(Run({"dump", db, "--format", "json"}).out,
                    std::string("\"@locale\": \"") + language + "\"");
  }
  EXPECT_FALSE(Exists("out/notes.skdb"));

  Write("bad.csv", "key,en,de\nA,ok,\"unclosed\n");
  EXPECT_NE(Run({"build", "bad.csv", "--every-column", "-o", "bad"}).code, 0);
  const Result none = Run({"build", "text.tsv", "--every-column", "-o", "x",
                           "--input-format", "json"});
  EXPECT_CONTAINS(none.err, "no input is a sheet with language columns");
}

} // namespace
