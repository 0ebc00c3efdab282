//===- arb_test.cpp - Flutter's ARB files in and out ----------------------===//
//
// A template and its translations as a Flutter app holds them: they build,
// check against the template, render their plurals as ICU does, and dump
// back byte for byte; refusals at file:line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/arb/Arb.h"

#include <nlohmann/json.hpp>
#include <unicode/msgfmt.h>

#include <cstdio>
#include <map>

using namespace phrasor::clitest;

namespace {

const std::string kArbData = std::string(PHRASOR_TEST_DATA) + "/arb/";

struct ArbRead {
  std::map<std::string, std::string> values, notes;
  std::string errors;
};

ArbRead ReadText(const std::string &text) {
  phrasor::tool::Diagnostics diag;
  std::vector<phrasor::tool::KeptProblem> kept;
  diag.KeepIn(&kept);
  std::vector<phrasor::tool::SourceEntry> out;
  phrasor::tool::ReadArb("app.arb", text, {}, diag, out);
  ArbRead r;
  for (const phrasor::tool::SourceEntry &s : out) {
    if (s.entry.id == "@arb" || s.entry.id == "@icu-args")
      continue;
    r.values[s.entry.id] =
        phrasor::tool::Utf16ToUtf8Lossy(s.entry.value.value_or(u""));
    if (s.note)
      r.notes[s.entry.id] = *s.note;
  }
  for (const phrasor::tool::KeptProblem &p : kept)
    r.errors += p.where + ": " + p.message + "\n";
  return r;
}

/// What ICU writes for \p pattern with the count \p n.
std::string IcuCount(const std::string &pattern, const char *locale, int n) {
  UErrorCode status = U_ZERO_ERROR;
  icu::MessageFormat mf(icu::UnicodeString::fromUTF8(pattern),
                        icu::Locale(locale), status);
  const icu::UnicodeString name("count");
  const icu::Formattable value(static_cast<int32_t>(n));
  icu::UnicodeString out;
  mf.format(&name, &value, 1, out, status);
  std::string text;
  return U_FAILURE(status) ? u_errorName(status) : out.toUTF8String(text);
}

TEST(Arb, MessagesBecomeFormsAndDescriptionsNotes) {
  const ArbRead r = ReadText(R"({
  "@@locale": "en",
  "inbox": "{count, plural, =0 {Empty} one {# message} other {# messages}}",
  "@inbox": {"description": "Unread count", "placeholders": {"count": {"type": "int"}}},
  "@who": {"description": "Said before its message"},
  "who": "{sex, select, feminine {She} other {They}} wrote to {name}"
})");
  EXPECT_EQ(r.errors, "");
  const std::map<std::string, std::string> values = {
      {"@locale", "en"},
      {"inbox#=0", "Empty"},
      {"inbox#one", "%1!'d! message"},
      {"inbox#other", "%1!'d! messages"},
      {"who#gender-feminine", "She wrote to %1!s!"},
      {"who#gender-other", "They wrote to %1!s!"}};
  EXPECT_EQ(r.values, values);
  EXPECT_EQ(r.notes.at("inbox#one"), "Unread count");
  EXPECT_EQ(r.notes.at("who#gender-other"), "Said before its message");
}

TEST(Arb, BadInputIsReportedAtItsLine) {
  const ArbRead r = ReadText(R"({
  "ok": "fine",
  "number": 3,
  "@ok": "a description without its object",
  "broken": "{count, plural, one {x}",
  "ok": "again"
})");
  EXPECT_CONTAINS(r.errors, "app.arb:3: message 'number': expected an ICU "
                            "message text, found number");
  EXPECT_CONTAINS(r.errors, "app.arb:4: the metadata '@ok' must be an object");
  EXPECT_CONTAINS(r.errors, "app.arb:5: entry 'broken': invalid ICU message");
  EXPECT_CONTAINS(r.errors, "app.arb:6: the key 'ok' is written twice");
  EXPECT_CONTAINS(ReadText("{\n\"a\": \"b\",\n}").errors,
                  "app.arb:3: invalid JSON");
  EXPECT_CONTAINS(ReadText("[\"a\"]").errors,
                  "app.arb:1: expected an object of messages");
}

class ArbCli : public Cli {};

TEST_F(ArbCli, SamplesBuildCheckAndDumpBackByteForByte) {
  for (const char *lang : {"en", "de", "pl"}) {
    SCOPED_TRACE(lang);
    const std::string input = kArbData + "app_" + lang + ".arb";
    const std::string db = std::string(lang) + ".skdb";
    Result b = Run({"build", input, "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    Result d = Run({"dump", db, "--format", "arb", "-o", "back.arb"});
    ASSERT_EQ(d.code, 0) << d.err;
    EXPECT_EQ(Read("back.arb"), Slurp(input));
    ExpectRoundTrips(db, {"arb"});
    if (std::string(lang) == "en")
      continue;
    Result c = Run({"check", input, "--against", kArbData + "app_en.arb"});
    EXPECT_EQ(c.code, 0) << c.err;
    // The record of what the file holds is no text to compare.
    EXPECT_EQ(c.err.find("@arb"), std::string::npos) << c.err;
  }
}

TEST_F(ArbCli, PolishPluralsRenderAsIcuRendersThem) {
  ASSERT_EQ(Run({"build", kArbData + "app_pl.arb", "-o", "pl.skdb"}).code, 0);
  const std::string unread =
      "{count, plural, =0 {Brak nowych wiadomości} one {Jedna nowa "
      "wiadomość} few {{count} nowe wiadomości} many {{count} nowych "
      "wiadomości} other {{count} nowej wiadomości}}";
  for (int n : {0, 1, 2, 5, 12, 22, 25, 101}) {
    SCOPED_TRACE(n);
    Result f = Run({"format", "pl.skdb", "unread", "--count", std::to_string(n),
                    std::to_string(n)});
    ASSERT_EQ(f.code, 0) << f.err;
    EXPECT_EQ(f.out, IcuCount(unread, "pl", n) + "\n");
  }
}

// A database from elsewhere: messages spelt by the ICU writer, notes as
// descriptions, entries without a value (untranslated) left out.
TEST_F(ArbCli, OtherDatabasesAreWrittenWithNotesAsDescriptions) {
  Write("in.json", R"({
  "@locale": "fr",
  "files": {"one": "Un fichier", "other": "Des fichiers",
            "note": "Files found"},
  "title": "Titre",
  "later": null
})");
  ASSERT_EQ(Run({"build", "in.json", "-o", "fr.skdb"}).code, 0);
  Result d = Run({"dump", "fr.skdb", "--format", "arb", "-o", "fr.arb"});
  ASSERT_EQ(d.code, 0) << d.err;
  const std::string arb = Read("fr.arb");
  EXPECT_CONTAINS(arb, "\"@@locale\": \"fr\"");
  EXPECT_CONTAINS(arb, "\"files\": \"{count, plural, one {Un fichier} other "
                       "{Des fichiers}}\",\n  \"@files\": {\n    "
                       "\"description\": \"Files found\"\n  }");
  EXPECT_CONTAINS(arb, "\"title\": \"Titre\"");
  EXPECT_EQ(arb.find("later"), std::string::npos);
}

// An edited message is written as its forms say, not as the file had it;
// its metadata stays.
TEST_F(ArbCli, AChangedMessageIsRespeltAndKeepsItsMetadata) {
  Write("app_en.arb", R"({
  "n": "{count, plural, one {one} other {{count} items}}",
  "@n": {
    "description": "Items"
  }
})");
  ASSERT_EQ(Run({"build", "app_en.arb", "-o", "en.skdb"}).code, 0);
  Result d = Run({"dump", "en.skdb", "--format", "json", "-o", "en.json"});
  ASSERT_EQ(d.code, 0) << d.err;
  std::string json = Read("en.json");
  const std::size_t at = json.find("\"one\": \"one\"");
  ASSERT_NE(at, std::string::npos) << json;
  json.replace(at, 12, "\"one\": \"just one\"");
  Write("en.json", json);
  ASSERT_EQ(Run({"build", "en.json", "-o", "edited.skdb"}).code, 0);
  ASSERT_EQ(
      Run({"dump", "edited.skdb", "--format", "arb", "-o", "out.arb"}).code, 0);
  EXPECT_EQ(Read("out.arb"), R"({
  "n": "{count, plural, one {just one} other {# items}}",
  "@n": {
    "description": "Items"
  }
}
)");
}

// Texts ICU cannot spell are left out with one warning per reason, and
// what is written reads back as it was.
TEST_F(ArbCli, UnspellableTextsAreLeftOutWithOneWarningPerReason) {
  Write("in.csv", "id,value\n@locale,en\nA,%d apples\nB,%s pears\n"
                  "C,%1!s! and %2!s!\nD,Plain\n");
  ASSERT_EQ(Run({"build", "in.csv", "-o", "in.skdb"}).code, 0);
  Result d = Run({"dump", "in.skdb", "--format", "arb", "-o", "out.arb"});
  ASSERT_EQ(d.code, 0) << d.err;
  EXPECT_CONTAINS(d.err, "2 entries cannot be written as ICU texts (a printf "
                         "conversion or a '%' that is no insert): 'A', 'B'");
  EXPECT_CONTAINS(d.err, "1 entry cannot be written as ICU texts (an insert "
                         "that names no recorded argument): 'C'");
  EXPECT_EQ(Read("out.arb"), "{\n  \"@@locale\": \"en\",\n  \"D\": "
                             "\"Plain\"\n}\n");
  ASSERT_EQ(Run({"build", "out.arb", "-o", "back.skdb"}).code, 0);
  Result back = Run({"dump", "back.skdb", "--format", "arb"});
  EXPECT_EQ(back.out, Read("out.arb"));
}

} // namespace

// translate-toolkit's ARB reader takes the same messages and descriptions
// from each sample as the tool keeps.
TEST_F(ArbCli, SamplesAgreeWithTranslateToolkit) {
  for (const char *lang : {"en", "de", "pl"}) {
    SCOPED_TRACE(lang);
    const std::string input = kArbData + "app_" + lang + ".arb";
    const std::optional<std::string> out =
        ToolkitOutput("arb_toolkit.py", input);
    if (!out)
      GTEST_SKIP() << "translate-toolkit (Debian package translate-toolkit) "
                      "is missing";
    const std::string &printed = *out;
    const nlohmann::json toolkit = nlohmann::json::parse(printed).at(input);
    ASSERT_EQ(Run({"build", input, "-o", "x.skdb"}).code, 0);
    ASSERT_EQ(Run({"dump", "x.skdb", "--format", "arb", "-o", "x.arb"}).code,
              0);
    const nlohmann::json ours = nlohmann::json::parse(Read("x.arb"));
    std::size_t messages = 0;
    for (const auto &[key, value] : ours.items()) {
      if (key.empty() || key[0] == '@')
        continue;
      ++messages;
      ASSERT_TRUE(toolkit.contains(key)) << key;
      EXPECT_EQ(value, toolkit[key]["text"]) << key;
      const std::string note =
          ours.contains("@" + key)
              ? ours["@" + key].value("description", std::string())
              : std::string();
      EXPECT_EQ(note, toolkit[key]["note"].get<std::string>()) << key;
    }
    EXPECT_EQ(messages, toolkit.size());
  }
}
