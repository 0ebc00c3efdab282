//===- qa_test.cpp - check on sources, coverage and stats -----------------===//
//
// What a release gate relies on: problems in a source reported at its
// file:line without a build, a translation's missing, extra and untranslated
// texts, and the numbers stats gives for them.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include <nlohmann/json.hpp>

using namespace phrasor::clitest;
using nlohmann::json;

namespace {

TEST_F(Cli, CheckReportsSourceProblemsAtTheirLine) {
  // B's insert has no valid type: each format puts it on line 3.
  struct Row {
    const char *file;
    const char *text;
  } rows[] = {
      {"bad.csv", "id,value\nA,ok\nB,%1!q! bad\n"},
      {"bad.json", "{\n  \"A\": \"ok\",\n  \"B\": \"%1!q! bad\"\n}\n"},
      {"bad.po", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"ok\"\n\n"
                 "msgctxt \"B\"\nmsgid \"b\"\nmsgstr \"%1!q! bad\"\n"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.file);
    Write(row.file, row.text);
    Result r = Run({"check", row.file});
    EXPECT_EQ(r.code, 1);
    const std::string line = std::string(row.file) == "bad.po" ? "5" : "3";
    EXPECT_CONTAINS(r.err, "error: " + std::string(row.file) + ":" + line +
                               ": ID 'B': not a valid message");
  }
  // Checking writes nothing beside its inputs.
  std::size_t files = 0;
  for (const auto &entry : fs::directory_iterator(dir))
    files += entry.path().filename().string()[0] != '.';
  EXPECT_EQ(files, 3u);

  // Build's other checks run too: duplicates across the case, plural forms.
  Write("dup.csv", "id,value\n@locale,en\nUI_OK,OK\nui_ok,Ok\nF#one,1 file\n");
  Result r = Run({"check", "dup.csv"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: dup.csv:4: duplicate ID 'ui_ok' (first "
                         "defined at dup.csv:3)");
  EXPECT_CONTAINS(r.err, "warning: dup.csv:5: plural text 'F' lacks the form "
                         "'other'");

  // A clean file ends with a summary, which --quiet leaves out; problems
  // are shown either way.
  Write("ok.csv", "id,value\nA,ok\n");
  EXPECT_EQ(Run({"check", "ok.csv"}).err,
            "phrasor: ok.csv: 1 entry, 0 warnings\n");
  Result quiet = Run({"check", "--quiet", "ok.csv"});
  EXPECT_EQ(quiet.code, 0);
  EXPECT_EQ(quiet.err, "");
  Write("warn.csv", "id,value\n@locale,en\nF#one,1 file\n");
  Result warned = Run({"check", "-q", "warn.csv"});
  EXPECT_EQ(warned.code, 0);
  EXPECT_CONTAINS(warned.err, "warning: warn.csv:3: plural text 'F'");
  EXPECT_EQ(warned.err.find("phrasor: warn.csv"), std::string::npos);
}

TEST_F(Cli, CheckTellsDatabasesBySignatureNotName) {
  Write("en.csv", "id,value\nA,a\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.data"}).code, 0);
  Result r = Run({"check", "en.data"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(r.err, "phrasor: en.data: 1 entry");
  // A .skdb name is a database whatever it holds.
  Write("fake.skdb", "id,value\nUI_TITLE,The Lantern Road\n");
  r = Run({"check", "fake.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: fake.skdb: cannot load: bad magic");
}

// The source has a plain text, a message, an empty text and a plural text;
// Russian has its own plural categories, which are neither missing nor
// extra.
const char *const kSource = "id,value\n"
                            "@locale,en\n"
                            "TITLE,Lantern Road\n"
                            "GOLD,%1!s! pays %2!d! gold\n"
                            "SPACER,\"\"\n"
                            "DAYS#one,%1!d! day\n"
                            "DAYS#other,%1!d! days\n"
                            "QUIT,Quit\n";

TEST_F(Cli, AgainstReportsMissingExtraAndUntranslatedTexts) {
  Write("en.csv", kSource);
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  Write("ru.json", "{\n"
                   "  \"@locale\": \"ru\",\n"
                   "  \"title\": \"Lantern Road\",\n"
                   "  \"GOLD\": \"\",\n"
                   "  \"SPACER\": \"\",\n"
                   "  \"DAYS\": {\"one\": \"%1!d! день\", \"few\": \"%1!d! "
                   "дня\", \"many\": \"%1!d! дней\"},\n"
                   "  \"EXTRA\": \"Лишнее\"\n"
                   "}\n");
  for (const char *source : {"en.csv", "en.skdb"}) {
    SCOPED_TRACE(source);
    const bool fromCsv = std::string(source) == "en.csv";
    Result r = Run({"check", "ru.json", "--against", source});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_CONTAINS(r.err, std::string("warning: ru.json: ID 'QUIT' of the "
                                       "source") +
                               (fromCsv ? " (en.csv:8)" : "") + " is missing");
    EXPECT_CONTAINS(r.err, "warning: ru.json:7: ID 'EXTRA' is not in the "
                           "source");
    // An empty message is untranslated; an empty text for an empty one is
    // a translation; the ID matches in any case, as lookups do.
    EXPECT_CONTAINS(r.err, "warning: ru.json:4: ID 'GOLD' is not translated "
                           "(empty where the source's is not)");
    EXPECT_EQ(r.err.find("SPACER"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("TITLE"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("DAYS"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("drops insert"), std::string::npos) << r.err;

    r = Run({"check", "ru.json", "--against", source, "--strict"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, "error: ru.json:4: ID 'GOLD' is not translated");
  }
}

TEST_F(Cli, ATranslationOfATextIsTextWhateverPercentSignItHolds) {
  // VOL is marked text, FILES is a plural whose forms are text; HINT is
  // inferred text, so a '%' only the translation has is shown as written.
  // ODD is not in the source: its doubt is still the translation's own.
  Write("en.csv", "id,value,kind\n"
                  "@locale,en,\n"
                  "VOL,Volume 100% max,text\n"
                  "FILES#one,One file at 100%,text\n"
                  "FILES#other,Files at 100%,text\n"
                  "HINT,Full volume,\n");
  Write("de.csv", "id,value\n"
                  "VOL,Lautstärke 100 % max\n"
                  "FILES#one,Eine Datei zu 100 %\n"
                  "FILES#other,Dateien zu 100 %\n"
                  "HINT,Lautstärke 100 %\n"
                  "ODD,50 % mehr\n");
  Write("de.json", "{\"@locale\": \"de\", \"VOL\": \"Lautstärke 100 % max\", "
                   "\"FILES\": {\"one\": \"Eine Datei zu 100 %\", "
                   "\"other\": \"Dateien zu 100 %\"}, "
                   "\"HINT\": \"Lautstärke 100 %\", \"ODD\": \"50 % mehr\"}");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", "de.csv", "-o", "de.skdb", "--locale", "de"}).code,
            0);
  for (const char *translation : {"de.csv", "de.json", "de.skdb"})
    for (const char *source : {"en.csv", "en.skdb"}) {
      SCOPED_TRACE(std::string(translation) + " against " + source);
      Result r = Run({"check", translation, "--against", source, "--strict",
                      "--locale", "de"});
      EXPECT_EQ(r.code, 1) << r.err;
      EXPECT_CONTAINS(r.err, "ID 'ODD': '%' at character 4 is neither");
      for (const char *id : {"'VOL'", "'FILES#", "'HINT'"})
        EXPECT_EQ(r.err.find(id), std::string::npos) << id << "\n" << r.err;
    }
}

TEST_F(Cli, StatsCountsEntriesAndCoverage) {
  Write("en.csv", std::string(kSource) + "HUD,HP %d\n");
  Write("ru.csv", "id,value,voice\n"
                  "@locale,ru,\n"
                  "TITLE,Lantern Road,vo/ru/title.ogg\n"
                  "GOLD,,\n"
                  "SPACER,\"\",\n"
                  "DAYS#one,%1!d! день,\n"
                  "DAYS#few,%1!d! дня,\n"
                  "DAYS#many,%1!d! дней,\n"
                  "HUD,ОЗ %d,\n"
                  "EXTRA,Лишнее,\n");
  ASSERT_EQ(Run({"build", "ru.csv", "-o", "ru.skdb"}).code, 0);
  Result r =
      Run({"stats", "ru.csv", "ru.skdb", "--against", "en.csv", "--json"});
  const json all = json::parse(r.out, nullptr, false);
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(all.is_array()) << r.out;
  ASSERT_EQ(all.size(), 2u);
  for (const json &s : all) {
    SCOPED_TRACE(s.dump());
    EXPECT_EQ(s["locale"], "ru");
    EXPECT_EQ(s["entries"], 8); // @locale is no entry
    EXPECT_EQ(s["withValue"], 6);
    EXPECT_EQ(s["empty"], 1);
    EXPECT_EQ(s["withoutValue"], 1);
    EXPECT_EQ(s["kinds"], json::parse(R"({"text": 2, "message": 3,
                                          "printf": 1})"));
    EXPECT_EQ(s["pluralIds"], 3);
    EXPECT_EQ(s["pluralTexts"], 1);
    EXPECT_EQ(s["voicePaths"], 1);
    // Six source texts: TITLE (copied, so stale), SPACER and DAYS and HUD
    // translated, GOLD untranslated, QUIT missing; EXTRA is extra.
    const json &c = s["coverage"];
    EXPECT_EQ(c["source"], "en.csv");
    EXPECT_EQ(c["sourceTexts"], 6);
    EXPECT_EQ(c["translated"], 4);
    EXPECT_EQ(c["untranslated"], 1);
    EXPECT_EQ(c["missing"], 1);
    EXPECT_EQ(c["extra"], 1);
    EXPECT_EQ(c["stale"], 1);
    EXPECT_EQ(c["percent"]["translated"], 66.7);
    EXPECT_EQ(c["percent"]["missing"], 16.7);
  }

  r = Run({"stats", "ru.skdb", "--against", "en.csv"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(r.out, "file     locale  entries  values  empty  no value"
                         "  text  message  printf  plural texts  plural IDs"
                         "  voice paths  select texts  select IDs\n"
                         "ru.skdb  ru            8       6      1         1"
                         "     2        3       1             1           3"
                         "            1             0           0\n");
  EXPECT_CONTAINS(r.out, "against en.csv (6 texts)\n");
  EXPECT_CONTAINS(r.out, "ru.skdb   4 (66.7%)     1 (16.7%)  1 (16.7%)");
}

TEST_F(Cli, StatsLeavesOutWhatDoesNotLoad) {
  Write("en.csv", "id,value\nA,a\n");
  Write("dup.csv", "id,value\nA,a\na,b\n");
  Write("bad.skdb", "SKDB and nothing more");
  Result r = Run({"stats", "en.csv", "dup.csv", "bad.skdb", "--json"});
  EXPECT_EQ(r.code, 1);
  const json all = json::parse(r.out, nullptr, false);
  ASSERT_TRUE(all.is_array()) << r.out;
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0]["file"], "en.csv");
  EXPECT_CONTAINS(r.err, "error: dup.csv:3: duplicate ID 'a'");
  EXPECT_CONTAINS(r.err, "error: bad.skdb: cannot load:");

  EXPECT_EQ(Run({"stats", "nowhere.csv"}).code, 2);
  EXPECT_EQ(Run({"stats", "en.csv", "--against", "nowhere.skdb"}).code, 2);
}

TEST_F(Cli, StatsShowTheExamplesCoverage) {
  const std::string data = PHRASOR_EXAMPLES;
  // Built as scripts/demo builds them.
  ASSERT_EQ(Run({"build", data + "/en.csv", "-o", "en.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", data + "/fr.json", "-o", "fr.skdb"}).code, 0);
  ASSERT_EQ(
      Run({"build", "--fill-empty", data + "/de.po", "-o", "de.skdb"}).code, 0);
  ASSERT_EQ(
      Run({"build", "--include-fuzzy", data + "/ja.po", "-o", "ja.skdb"}).code,
      0);
  Result r = Run({"stats", "fr.skdb", "de.skdb", "ja.skdb", "--against",
                  "en.skdb", "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const json all = json::parse(r.out, nullptr, false);
  ASSERT_TRUE(all.is_array()) << r.out;
  ASSERT_EQ(all.size(), 3u);
  // French keeps "Options" and "OK", German's --fill-empty copies "OK".
  const int stale[] = {2, 1, 0};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(all[i]["file"]);
    EXPECT_EQ(all[i]["entries"], 14);
    EXPECT_EQ(all[i]["kinds"]["message"], 4);
    EXPECT_EQ(all[i]["kinds"]["printf"], 2);
    EXPECT_EQ(all[i]["voicePaths"], 4);
    EXPECT_EQ(all[i]["coverage"]["translated"], 14);
    EXPECT_EQ(all[i]["coverage"]["stale"], stale[i]);
  }

  // The sources as they stand: German leaves one text untranslated, and
  // Japanese one under review, so left out.
  r = Run({"stats", data + "/de.po", data + "/ja.po", "--against",
           data + "/en.csv"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(r.out, "/de.po  13 (92.9%)      1 (7.1%)  0 (0.0%)");
  EXPECT_CONTAINS(r.out, "/ja.po  13 (92.9%)      0 (0.0%)  1 (7.1%)");

  // Plural texts count once, whatever categories each language has.
  r = Run({"stats", data + "/game/ru.csv", data + "/game/fr-CA.csv",
           "--against", data + "/game/en.csv", "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const json game = json::parse(r.out, nullptr, false);
  ASSERT_EQ(game.size(), 2u) << r.out;
  EXPECT_EQ(game[0]["pluralTexts"], 2);
  EXPECT_EQ(game[0]["pluralIds"], 8);
  EXPECT_EQ(game[0]["coverage"]["sourceTexts"], 8);
  EXPECT_EQ(game[0]["coverage"]["translated"], 7);
  EXPECT_EQ(game[0]["coverage"]["missing"], 1);
  EXPECT_EQ(game[0]["coverage"]["extra"], 0);
  EXPECT_EQ(game[1]["coverage"]["translated"], 2);
  EXPECT_EQ(game[1]["coverage"]["missing"], 6);
}

} // namespace
