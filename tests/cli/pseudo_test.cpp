//===- pseudo_test.cpp - phrasor pseudo, and dumps of large databases -----===//
//
// A pseudo-localized database must take exactly the arguments of its source
// under each kind, and keep IDs, voice paths and plural forms; the dump
// test makes a writer that grows faster than its entries run into a time
// limit instead of passing slowly.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/commands/Pseudo.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

using namespace phrasor::clitest;

namespace {
namespace tool = phrasor::tool;

// MSG hides text after %0; PF is printf with a '*' width and an escape;
// TXT is marked text though it reads as printf; VOL holds a lone '%' that
// stays text; SPACE is a printf whose conversion has the space flag.
const char *const KindsCsv = "id,value,voice,kind\n"
                             "@locale,en,,\n"
                             "MSG,\"Hi %1!s!, 100%% done%0 hidden\",,\n"
                             "PF,Use %-5.2f and %*d or %%,,printf\n"
                             "TXT,Use %s for a name,,text\n"
                             "VOL,Volume 100%,,\n"
                             "SPACE,% d left,,printf\n"
                             "EMPTY,\"\",,\n"
                             "ABSENT,,vo/absent.ogg,\n"
                             "VOICED,Quit,vo/quit.ogg,\n"
                             "N#one,One item,,\n"
                             "N#other,%1!d! items,,\n";

TEST_F(Cli, PseudoChangesOnlyTheLiteralTextUnderEachKind) {
  Write("en.csv", KindsCsv);
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  Result p = Run({"pseudo", "en.skdb", "-o", "qps.skdb"});
  ASSERT_EQ(p.code, 0) << p.err;
  EXPECT_EQ(p.err, "");
  const struct {
    const char *id, *value;
  } expected[] = {
      {"MSG", "[Ĥî %1!s!, 100%% ďöñé~~~~~~]%0 hidden"},
      {"PF", "[Ûšé %-5.2f áñď %*d öŕ %%~~~~~~]"},
      {"TXT", "[Ûšé %š föŕ á ñámé~~~~~~~]"},
      {"VOL", "[Vöļûmé 100%~~~~~]"},
      {"SPACE", "[% d ļéfţ~~]"},
      {"EMPTY", ""},
      {"VOICED", "[Qûîţ~~]"},
      {"N#one", "[Öñé îţém~~~~]"},
      {"N#other", "[%1!d! îţémš~~~]"},
      {"@locale", "en-XA"},
  };
  for (const auto &row : expected) {
    SCOPED_TRACE(row.id);
    Result g = Run({"get", "qps.skdb", row.id});
    EXPECT_EQ(g.code, 0) << g.err;
    EXPECT_EQ(g.out, std::string(row.value) + "\n");
  }
  EXPECT_EQ(Run({"get", "qps.skdb", "ABSENT"}).code, 1) << "absent stays";
  EXPECT_EQ(Run({"get", "qps.skdb", "ABSENT", "--voice"}).out,
            "vo/absent.ogg\n");
  EXPECT_EQ(Run({"get", "qps.skdb", "VOICED", "--voice"}).out, "vo/quit.ogg\n");
  // The marked kinds are still recorded; the program reads each the same.
  Result d = Run({"dump", "qps.skdb"});
  EXPECT_CONTAINS(d.out, "SPACE,[% d ļéfţ~~],,\n"); // inferred printf
  EXPECT_CONTAINS(d.out, "TXT,[Ûšé %š föŕ á ñámé~~~~~~~],,text\n");
  EXPECT_CONTAINS(d.out, "PF,[Ûšé %-5.2f áñď %*d öŕ %%~~~~~~],,\n");
  Result c = Run({"check", "qps.skdb", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_EQ(c.err.find("error"), std::string::npos) << c.err;
}

TEST_F(Cli, PseudoIdsLabelEachTextWithoutChangingWhatItTakes) {
  Write("en.csv", "id,value,voice,kind\n"
                  "@locale,en,,\n"
                  "MSG,\"Hi %1!s!%0 hidden\",,\n"
                  "PF,%d left,,printf\n"
                  "\"A%d<b>{x}\\\",Odd ID,,\n"
                  "N#one,One item,,\n"
                  "N#other,%1!d! items,,\n"
                  "EMPTY,\"\",,\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  Result p = Run({"pseudo", "en.skdb", "-o", "qps.skdb", "--ids"});
  ASSERT_EQ(p.code, 0) << p.err;
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(Run({"get", "qps.skdb", "MSG"}).out,
            "MSG: [Ĥî %1!s!~~]%0 hidden\n");
  EXPECT_EQ(Run({"get", "qps.skdb", "PF"}).out, "PF: [%d ļéfţ~~]\n");
  EXPECT_EQ(Run({"get", "qps.skdb", "N#one"}).out, "N#one: [Öñé îţém~~~~]\n");
  // An ID's own %, markup and escapes must not become the text's.
  EXPECT_EQ(Run({"get", "qps.skdb", "A%d<b>{x}\\"}).out,
            "A?d?b??x??: [Öďď ÎĎ~~~]\n");
  EXPECT_EQ(Run({"get", "qps.skdb", "EMPTY"}).out, "\n") << "nothing shown";
  Result c = Run({"check", "qps.skdb", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0) << c.err;
}

TEST(Pseudolocalize, LeavesTheEnginesBackslashEscapesAsWritten) {
  // A game engine reads "\\n" in a text as a line break: the letter after
  // the backslash keeps no accent, and escapes do not count toward growth.
  const struct {
    int line;
    const char16_t *value, *pseudo;
    phrasor::TextKind kind = phrasor::TextKind::Plain;
  } rows[] = {
      {__LINE__, u"One\\nTwo", u"[Öñé\\nŢŵö~~~]"},
      {__LINE__, u"a\\tb\\\\c", u"[á\\tb\\\\ç~~]"},
      {__LINE__, u"\\x41e \\u00e9e \\U0001F600e",
       u"[\\x41é \\u00e9é \\U0001F600é~~]"},
      {__LINE__, u"\\xfade", u"[\\xfaďé~]", phrasor::TextKind::Plain},
      {__LINE__, u"end\\", u"[éñď\\~~]"},
      {__LINE__, u"%1!s!\\n<b>line</b>\\n", u"[%1!s!\\n<b>ļîñé</b>\\n~~]",
       phrasor::TextKind::Message},
      {__LINE__, u"%d\\n", u"[%d\\n]", phrasor::TextKind::Printf},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    const std::optional<std::u16string> pseudo =
        tool::Pseudolocalize(row.value, row.kind, tool::PseudoStyle{});
    ASSERT_TRUE(pseudo);
    EXPECT_EQ(tool::Utf16ToUtf8Lossy(*pseudo),
              tool::Utf16ToUtf8Lossy(row.pseudo));
  }
}

TEST_F(Cli, PseudoGrowsByThePercentAndBracketsOnRequest) {
  Write("en.csv", "id,value\nQUIT,Quit\nLONG,A long label here\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  const struct {
    std::vector<std::string> flags;
    const char *quit, *longer;
  } rows[] = {
      // 40 % of 4 characters is 1.6: rounded up, so short labels grow.
      {{}, "[Qûîţ~~]", "[Å ļöñĝ ļábéļ ĥéŕé~~~~~~~]"},
      {{"--expand", "0"}, "[Qûîţ]", "[Å ļöñĝ ļábéļ ĥéŕé]"},
      {{"--expand", "100", "--no-brackets"},
       "Qûîţ~~~~",
       "Å ļöñĝ ļábéļ ĥéŕé~~~~~~~~~~~~~~~~~"},
      {{"--brackets", "--expand", "25"}, "[Qûîţ~]", "[Å ļöñĝ ļábéļ ĥéŕé~~~~~]"},
  };
  for (const auto &row : rows) {
    std::vector<std::string> args = {"pseudo", "en.skdb", "-o", "q.skdb"};
    args.insert(args.end(), row.flags.begin(), row.flags.end());
    SCOPED_TRACE(testing::PrintToString(args));
    Result p = Run(args);
    ASSERT_EQ(p.code, 0) << p.err;
    EXPECT_EQ(Run({"get", "q.skdb", "QUIT"}).out, std::string(row.quit) + "\n");
    EXPECT_EQ(Run({"get", "q.skdb", "LONG"}).out,
              std::string(row.longer) + "\n");
  }
  EXPECT_EQ(Run({"get", "q.skdb", "@locale"}).out, "qps-ploc\n")
      << "a source without a language";
  EXPECT_EQ(Run({"pseudo", "en.skdb", "-o", "q.skdb", "--expand", "-1"}).code,
            2);
}

TEST_F(Cli, PseudoOfTheExamplesPassesCheckAgainstTheirSource) {
  for (const char *source : {"/en.csv", "/game/en.csv"}) {
    SCOPED_TRACE(source);
    ASSERT_EQ(
        Run({"build", std::string(PHRASOR_EXAMPLES) + source, "-o", "en.skdb"})
            .code,
        0);
    Result p = Run({"pseudo", "en.skdb", "-o", "qps.skdb"});
    ASSERT_EQ(p.code, 0) << p.err;
    Result c = Run({"check", "qps.skdb", "--against", "en.skdb", "--strict"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(Run({"list", "qps.skdb"}).out, Run({"list", "en.skdb"}).out)
        << "the same IDs, plural forms included";
  }
  // The plural forms are picked by English rules still: HUD_DAYS#one is a
  // form en-XA has.
  EXPECT_EQ(Run({"get", "qps.skdb", "HUD_DAYS#one"}).out,
            "[%1!d! ďáý öñ ţĥé ŕöáď~~~~~~~]\n");
  // A language without the source's categories is allowed, but said.
  Result q = Run({"pseudo", "en.skdb", "-o", "q.skdb", "--locale", "qps"});
  EXPECT_EQ(q.code, 0);
  EXPECT_CONTAINS(q.err, "warning: q.skdb: ID 'HUD_DAYS#one': 'qps' has no "
                         "plural category 'one'");
}

TEST_F(Cli, PseudoRefusesItsSourceAsOutputAndABadLocale) {
  Write("en.csv", "id,value\nQUIT,Quit\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  const std::string before = Read("en.skdb");
  fs::create_directories(dir / "sub");
  for (const char *output : {"en.skdb", "./sub/../en.skdb"}) {
    SCOPED_TRACE(output);
    Result r = Run({"pseudo", "en.skdb", "-o", output});
    EXPECT_EQ(r.code, 2);
    EXPECT_CONTAINS(r.err, "is the source 'en.skdb'");
  }
  EXPECT_EQ(Read("en.skdb"), before);
  Result r = Run({"pseudo", "en.skdb", "-o", "q.skdb", "--locale", "en_US"});
  EXPECT_EQ(r.code, 2);
  EXPECT_CONTAINS(r.err, "--locale 'en_US' is not a well-formed");
  EXPECT_FALSE(Exists("q.skdb"));
}

// A database written by another tool may hold a value that does not read
// as its recorded kind, and a long message may outgrow what the formatter
// takes; each is copied as it is rather than made unusable.
TEST_F(Cli, PseudoCopiesAValueThatDoesNotReadAsItsKind) {
  using phrasor::authoring::Entry;
  const std::vector<Entry> entries = {
      {"BROKEN", u"Hello %1!s", std::nullopt},
      {"FINE", u"Hello", std::nullopt},
      // Readable as a message, but not once it has grown by 40 %.
      {"LONG", std::u16string(50000, u'a') + u"%1!s!", std::nullopt},
      {"@kinds", u"{\"BROKEN\":\"message\"}", std::nullopt}};
  const auto compiled = phrasor::authoring::Compile(entries);
  WriteBytes("en.skdb", phrasor::authoring::Serialize(compiled.database));
  Result p = Run({"pseudo", "en.skdb", "-o", "q.skdb"});
  EXPECT_EQ(p.code, 0);
  EXPECT_CONTAINS(p.err, "warning: en.skdb: ID 'BROKEN': not a valid message; "
                         "copied unchanged");
  EXPECT_CONTAINS(p.err, "warning: en.skdb: ID 'LONG': the pseudo-localized "
                         "text would not read as a message like the source; "
                         "copied unchanged");
  EXPECT_EQ(Run({"get", "q.skdb", "BROKEN"}).out, "Hello %1!s\n");
  EXPECT_EQ(Run({"get", "q.skdb", "LONG"}).out.size(), 50006u);
  EXPECT_EQ(Run({"get", "q.skdb", "FINE"}).out, "[Ĥéļļö~~]\n");
}

// The PO writer hands the library a few thousand messages at a time and
// joins the pieces; a database of several pieces must read back the same.
TEST_F(Cli, DumpOfSeveralThousandEntriesReadsBackInEveryFormat) {
  std::string csv = "id,value,voice,kind\n@locale,en,,\n";
  for (int i = 0; i < 9000; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 4) {
    case 0:
      csv += "T_" + n + ",Saved " + n + ".,,message\n";
      break;
    case 1:
      csv += "M_" + n + ",\"%1!s!, line " + n + "\nand more\",vo/" + n + ",\n";
      break;
    case 2:
      csv += "P_" + n + "#one,One " + n + ",,\nP_" + n + "#other,%1!d! " + n +
             ",,\n";
      break;
    default:
      csv += "E_" + n + ",\"\",,\n";
    }
  }
  Write("many.csv", csv);
  ASSERT_EQ(Run({"build", "many.csv", "-o", "many.skdb"}).code, 0);
  ExpectRoundTrips("many.skdb");
  // The pieces join as one file would be written: one header, and a blank
  // line before every message.
  const std::string po = Run({"dump", "many.skdb", "--format", "po"}).out;
  EXPECT_EQ(po.find("Content-Type"), po.rfind("Content-Type"));
  EXPECT_EQ(po.find("\"\nmsgctxt"), std::string::npos);
  EXPECT_EQ(po.find("\"\n#"), std::string::npos);
}

// Run by its own ctest entry with a time limit (PHRASOR_DUMP_SCALE_ENTRIES
// set): a dump that takes N² steps for N entries needs minutes here, a
// linear one seconds.
TEST_F(Cli, DumpOfALargeDatabaseFinishesInEveryFormat) {
  const char *count = std::getenv("PHRASOR_DUMP_SCALE_ENTRIES");
  if (!count)
    GTEST_SKIP() << "run by the phrasor_dump_scale test";
  const std::size_t n = std::strtoul(count, nullptr, 10);
  using phrasor::authoring::Entry;
  std::vector<Entry> entries;
  entries.push_back({"@locale", u"en", std::nullopt});
  // Texts marked as messages make the PO writer turn a comment into a flag
  // on each of them.
  std::u16string kinds = u"{";
  for (std::size_t i = 0; i < n; ++i) {
    const std::string number = std::to_string(i);
    const std::u16string text(number.begin(), number.end());
    switch (i % 5) {
    case 0:
      entries.push_back(
          {"TXT_" + number, u"Plain text " + text, "vo/" + number});
      kinds += (i ? u",\"TXT_" : u"\"TXT_") + text + u"\":\"message\"";
      break;
    case 1:
      entries.push_back({"MSG_" + number, u"%1!s! has %2!d! " + text, {}});
      break;
    case 2:
      entries.push_back({"HUD_" + number, u"HP %d (" + text + u"%%)", {}});
      break;
    case 3:
      entries.push_back({"N_" + number + "#one", u"One " + text, {}});
      entries.push_back({"N_" + number + "#other", u"%1!d! " + text, {}});
      break;
    default:
      entries.push_back({"ABSENT_" + number, std::nullopt, {}});
    }
  }
  entries.push_back({"@kinds", kinds + u"}", std::nullopt});
  WriteBytes("big.skdb", phrasor::authoring::Serialize(
                             phrasor::authoring::Compile(entries).database));
  // Every format must finish, exit 0 and write the entries it can hold:
  // what it cannot hold is one summary warning, never a failure.
  for (const phrasor::tool::Format &f : phrasor::tool::Formats()) {
    const std::string format(f.name);
    SCOPED_TRACE(format);
    std::vector<std::string> args = {"dump", "big.skdb", "--format",
                                     format, "-o",       "big." + format};
    if (f.bilingual)
      args.insert(args.end(), {"--source", "big.skdb"});
    Result d = Run(args);
    EXPECT_EQ(d.code, 0) << d.err;
    // An ICU text has no ungrouped number nor an unnamed insert, so those
    // formats keep only the plain texts.
    EXPECT_CONTAINS(Read("big." + format),
                    (f.icuSyntax ? "TXT_" : "MSG_") +
                        std::to_string(f.icuSyntax ? n - 5 : n - 4));
  }
}

} // namespace

TEST_F(Cli, WatchRebuildsASavedSourceAndSurvivesABrokenSave) {
  Write("en.csv", "id,value\nA,first\n");
  fs::create_directories(dir / "out");
  // Three builds: the first, a broken save, its mending. Bounded by
  // --max-builds, so a watch that never sees the saves fails, not hangs.
  std::future<Result> watch = std::async(std::launch::async, [&] {
    return Run({"watch", "en.csv", "-o", "out", "--interval", "20",
                "--max-builds", "3"});
  });
  auto waitFor = [&](const std::function<bool()> &done) {
    for (int i = 0; i < 1000 && !done(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
  };
  ASSERT_TRUE(waitFor([&] { return Exists("out/en.skdb"); }));
  const std::string first = Read("out/en.skdb");
  const auto later =
      fs::last_write_time(dir / "en.csv") + std::chrono::seconds(2);
  // Each save lands whole, as an editor's rename does: a watch that polls
  // in the middle of a plain write would see a third, half-written save
  // and stop before the last one.
  auto save = [&](const char *text, fs::file_time_type when) {
    Write("next.csv", text);
    fs::last_write_time(dir / "next.csv", when);
    fs::rename(dir / "next.csv", dir / "en.csv");
  };
  save("id,value\nA,\"unclosed\n", later);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Read("out/en.skdb"), first) << "a broken save keeps the last good";
  save("id,value\nA,second\n", later + std::chrono::seconds(2));
  ASSERT_EQ(watch.wait_for(std::chrono::seconds(20)),
            std::future_status::ready);
  Result r = watch.get();
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(r.out, "not rebuilt: out/en.skdb\n");
  EXPECT_EQ(Run({"get", "out/en.skdb", "A"}).out, "second\n");
}
