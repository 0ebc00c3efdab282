//===- interchange_test.cpp - Kinds, locales, plurals and real PO files ---===//
//
// The same entries written in each input format as people write them, built
// and dumped back, with every warning and error checked at its file:line.
//
//===----------------------------------------------------------------------===//

#include "CliTest.h"

using namespace phrasor::clitest;

namespace {

/// One input format: a file name and its text.
struct Source {
  const char *file;
  std::string text;
};

// VOL and DONE hold a percent sign that is neither an insert nor a
// conversion; HELP is marked text although it reads as printf; HUD is
// marked printf as inference would have it; MSG is marked a message
// though it has no insert.
const Source KindSources[] = {
    {"k.csv", "id,value,kind\n"
              "VOL,Volume 100%,\n"
              "DONE,50% done,\n"
              "HELP,Use %s for a name,text\n"
              "HUD,HP %d,printf\n"
              "MSG,Saved.,message\n"},
    {"k.json", "{\n"
               "  \"VOL\": \"Volume 100%\",\n"
               "  \"DONE\": \"50% done\",\n"
               "  \"HELP\": {\"value\": \"Use %s for a name\", \"kind\": "
               "\"text\"},\n"
               "  \"HUD\": {\"value\": \"HP %d\", \"kind\": \"printf\"},\n"
               "  \"MSG\": {\"value\": \"Saved.\", \"kind\": \"message\"}\n"
               "}\n"},
    {"k.po", "msgctxt \"VOL\"\nmsgid \"Volume 100%\"\nmsgstr \"Volume 100%\"\n"
             "\n"
             "msgctxt \"DONE\"\nmsgid \"50% done\"\nmsgstr \"50% done\"\n"
             "\n"
             "#, no-c-format\n"
             "msgctxt \"HELP\"\nmsgid \"Use %s for a name\"\n"
             "msgstr \"Use %s for a name\"\n"
             "\n"
             "#, c-format\n"
             "msgctxt \"HUD\"\nmsgid \"HP %d\"\nmsgstr \"HP %d\"\n"
             "\n"
             "#, phrasor-message\n"
             "msgctxt \"MSG\"\nmsgid \"Saved.\"\nmsgstr \"Saved.\"\n"},
};

TEST_F(Cli, KindsAreReadFromEveryFormatAndSurviveADump) {
  const struct {
    const char *file, *volLine, *doneLine;
  } where[] = {{"k.csv", "k.csv:2", "k.csv:3"},
               {"k.json", "k.json:2", "k.json:3"},
               {"k.po", "k.po:1", "k.po:5"}};
  std::string first;
  for (std::size_t i = 0; i < std::size(KindSources); ++i) {
    const Source &src = KindSources[i];
    SCOPED_TRACE(src.file);
    Write(src.file, src.text);
    Result b = Run({"build", src.file, "-o", "k.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_CONTAINS(b.err, std::string("warning: ") + where[i].volLine +
                               ": ID 'VOL': '%' at character 11 is neither "
                               "an insert nor a printf conversion");
    EXPECT_CONTAINS(b.err, std::string("warning: ") + where[i].doneLine +
                               ": ID 'DONE': '%' at character 3");
    EXPECT_EQ(b.err.find("HELP"), std::string::npos) << b.err;
    EXPECT_EQ(Run({"get", "k.skdb", "VOL"}).out, "Volume 100%\n");
    EXPECT_EQ(Run({"get", "k.skdb", "DONE"}).out, "50% done\n");
    if (first.empty())
      first = Read("k.skdb");
    EXPECT_EQ(Read("k.skdb"), first) << "every format gives the same bytes";
    EXPECT_EQ(Run({"check", "k.skdb"}).code, 0);
  }
  // Only the kinds inference would not give back are written.
  const struct {
    const char *format, *help, *absent;
  } dumps[] = {
      {"csv", "HELP,Use %s for a name,,text\n", "HP %d,,printf"},
      {"json", "\"kind\": \"text\"", "\"kind\": \"printf\""},
      {"po", "#, no-c-format\nmsgctxt \"HELP\"", "#, c-format"},
  };
  for (const auto &d : dumps) {
    SCOPED_TRACE(d.format);
    const std::string out = std::string("again.") + d.format;
    ASSERT_EQ(Run({"dump", "k.skdb", "--format", d.format, "-o", out}).code, 0);
    EXPECT_CONTAINS(Read(out), d.help);
    EXPECT_EQ(Read(out).find(d.absent), std::string::npos) << Read(out);
    Result b = Run({"build", out, "-o", "again.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(Read("again.skdb"), first);
  }
  Result po = Run({"dump", "k.skdb", "--format", "po"});
  EXPECT_CONTAINS(po.out, "#, phrasor-message\nmsgctxt \"MSG\"");
}

TEST_F(Cli, EachKindIsCheckedByItsOwnRules) {
  struct Row {
    const char *csv;
    int code;
    const char *expected;
  } rows[] = {
      {"A,HP %d (100%),printf", 1,
       "error: in.csv:2: ID 'A': not a valid printf format: "},
      {"A,100% sure,message", 1,
       "error: in.csv:2: ID 'A': not a valid message: "},
      {"A,%1!s! has 100%,", 1, "not a valid message"},
      {"A,HP %d (100%),", 1, "not a valid printf format"},
      {"A,100%% done,", 0, "'%%' takes no argument"},
      {"A,%1!d! of 50% done,text", 0, ""},
      {"A,Hit %d,fancy", 1, "error: in.csv:2: unknown kind 'fancy'"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.csv);
    Write("in.csv", std::string("id,value,kind\n") + row.csv + "\n");
    Result r = Run({"build", "in.csv", "-o", "in.skdb"});
    EXPECT_EQ(r.code, row.code) << r.err;
    EXPECT_CONTAINS(r.err, row.expected);
  }
  Write("in.po", "#, c-format, no-c-format\nmsgctxt \"A\"\nmsgid \"a\"\n"
                 "msgstr \"a\"\n");
  Result r = Run({"build", "in.po", "-o", "in.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: in.po:2: flags say both printf and text");
}

TEST_F(Cli, AgainstReadsTheTranslationUnderTheSourcesKind) {
  Write("en.csv", "id,value,kind\nHELP,Use %s for a name,text\n"
                  "HUD,HP %d,\nVOL,Volume 100%,text\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  struct Row {
    const char *help, *hud, *vol;
    int code;
    const char *expected;
  } rows[] = {
      {"Écrivez %d ici", "PV %d", "Volume 100 %", 0, ""},
      {"Aide", "PV", "Volume", 1,
       "ID 'HUD': printf conversions take () but the source's take (%d)"},
      {"Aide", "PV 100%", "Volume", 1,
       "error: fr.skdb: ID 'HUD': read as a printf like its source: not a "
       "valid printf format"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.hud);
    Write("fr.csv", std::string("id,value,kind\nHELP,") + row.help +
                        ",text\nHUD," + row.hud + ",\nVOL," + row.vol +
                        ",text\n");
    Run({"build", "fr.csv", "-o", "fr.skdb"});
    Result r = Run({"check", "fr.skdb", "--against", "en.skdb"});
    EXPECT_EQ(r.code, row.code) << r.err;
    EXPECT_CONTAINS(r.err, row.expected);
  }
}

} // namespace
