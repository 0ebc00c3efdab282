//===- i18next_test.cpp - i18next JSON files in and out -------------------===//
//
// Translation files as web apps hold them, read as i18next looks them up;
// dumps that build back as the same database; refusals at file:line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/i18next/I18next.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>

using namespace phrasor::clitest;

namespace {

struct I18nextRead {
  std::map<std::string, std::string> values;
  std::string errors;
};

I18nextRead ReadText(const std::string &text,
                     const std::string &file = "locales/en/translation.json") {
  phrasor::tool::Diagnostics diag;
  std::vector<phrasor::tool::KeptProblem> kept;
  diag.KeepIn(&kept);
  std::vector<phrasor::tool::SourceEntry> out;
  phrasor::tool::ReadI18next(file, text, {}, diag, out);
  I18nextRead r;
  for (const phrasor::tool::SourceEntry &s : out)
    r.values[s.entry.id] =
        phrasor::tool::Utf16ToUtf8Lossy(s.entry.value.value_or(u""));
  for (const phrasor::tool::KeptProblem &p : kept)
    r.errors += p.where + ": " + p.message + "\n";
  return r;
}

TEST(I18next, KeysSuffixesAndContextsAsI18nextLooksThemUp) {
  const I18nextRead r = ReadText(R"({
  "menu": {"open": "Open", "sign_in": "Sign in"},
  "files_zero": "No files", "files_one": "One file",
  "files_other": "{{count}} files",
  "place_ordinal_two": "{{count}}nd", "place_ordinal_other": "{{count}}th",
  "friend": "A friend", "friend_male": "He", "friend_female": "She",
  "friend_male_one": "He found one",
  "rank": "{{name}}", "rank_admin": "Admin {{name}}", "rank_male": "Sir",
  "lone_word": "a key with an underscore"
})");
  EXPECT_EQ(r.errors, "");
  const std::map<std::string, std::string> expected = {
      {"@locale", "en"},
      {"@i18next", R"({"files":["count"],"place":["count"],"rank":["name"]})"},
      {"menu.open", "Open"},
      {"menu.sign_in", "Sign in"},
      {"files#=0", "No files"},
      {"files#one", "One file"},
      {"files#other", "%1!d! files"},
      {"place#ordinal-two", "%1!d!nd"},
      {"place#ordinal-other", "%1!d!th"},
      {"friend#gender-other", "A friend"},
      {"friend#gender-masculine", "He"},
      {"friend#gender-feminine", "She"},
      {"friend#gender-masculine#one", "He found one"},
      // Any word besides male and female makes every context a select.
      {"rank#select-other", "%1!s!"},
      {"rank#select-admin", "Admin %1!s!"},
      {"rank#select-male", "Sir"},
      {"lone_word", "a key with an underscore"}};
  EXPECT_EQ(r.values, expected);
  // "_other" is the plural case, never a context, as the key without a
  // context is the select's other case already.
  const std::map<std::string, std::string> other = {{"@locale", "en"},
                                                    {"photos#one", "a"},
                                                    {"photos#other", "b"},
                                                    {"photos_other#few", "c"}};
  EXPECT_EQ(ReadText(R"({"photos_one": "a", "photos_other": "b",
                         "photos_other_few": "c"})")
                .values,
            other);
  // An empty name is a level too, as the writer nests the key ".e".
  EXPECT_EQ(ReadText(R"({"": {"e": "x"}})").values.count(".e"), 1u);
}

// _zero is the CLDR category where the language has one, else exactly 0.
TEST(I18next, ZeroIsTheCategoryOnlyWhereTheLanguageHasIt) {
  const std::string text = R"({"n_zero": "0", "n_other": "x"})";
  EXPECT_EQ(ReadText(text, "locales/lv/t.json").values.count("n#zero"), 1u);
  EXPECT_EQ(ReadText(text, "locales/de/t.json").values.count("n#=0"), 1u);
  EXPECT_EQ(ReadText(text, "t.json").values.count("n#=0"), 1u);
  EXPECT_EQ(ReadText(text, "locales/pt_BR/t.json").values.at("@locale"),
            "pt-BR");
  EXPECT_EQ(ReadText(text, "strings/t.json").values.count("@locale"), 0u);
}

// A translation that puts the inserts in another order, or a form that
// drops the count, keeps every insert's number.
TEST(I18next, InsertsAreNumberedByNameNotByPlace) {
  const I18nextRead de = ReadText(R"({
  "shared_one": "{{name}} teilte ein Album",
  "shared_other": "{{count}} Alben teilte {{- name}}",
  "pos": "{{2}} vor {{1}}, 100%"
})");
  EXPECT_EQ(de.errors, "");
  EXPECT_EQ(de.values.at("shared#one"), "%1!s! teilte ein Album");
  EXPECT_EQ(de.values.at("shared#other"), "%2!d! Alben teilte %1!s!");
  EXPECT_EQ(de.values.at("pos"), "%2!s! vor %1!s!, 100%%");
}

TEST(I18next, RefusalsAreAtTheirLine) {
  const I18nextRead nest =
      ReadText("{\n  \"a\": \"ok\",\n  \"b\": \"see $t(a)\",\n"
               "  \"c\": \"{{n, number}}\"\n}");
  EXPECT_CONTAINS(nest.errors, "translation.json:3: 'b': '$t(' nests");
  EXPECT_CONTAINS(nest.errors, "translation.json:4: 'c': '{{n, number}}' asks");
  EXPECT_CONTAINS(ReadText("{\n\"a\": [\"x\"]}").errors,
                  "translation.json:2: 'a' is an array");
  EXPECT_CONTAINS(ReadText("{\n\"a\": 3}").errors,
                  "translation.json:2: a number for 'a'");
  EXPECT_CONTAINS(ReadText("{\"a\": {\"b\": \"x\",\n \"b\": \"y\"}}").errors,
                  "translation.json:2: 'b' is written twice");
  EXPECT_CONTAINS(ReadText("{\"a\": \n").errors,
                  "translation.json:2: invalid JSON");
  // Taken as an ID, "k_#one" would be a plural form of "k_".
  EXPECT_CONTAINS(ReadText("{\"k\": \"x\",\n \"k_#one\": \"{{n}}\"}").errors,
                  "translation.json:2: 'k_#one': '#' marks a variant");
}

TEST_F(Cli, I18nextSamplesBuildAndComeBackTheSame) {
  for (const char *lng : {"en", "de", "pl"}) {
    SCOPED_TRACE(lng);
    const std::string src = std::string(PHRASOR_TEST_DATA) +
                            "/i18next/locales/" + lng + "/translation.json";
    fs::create_directories(dir / "locales" / lng);
    const std::string db = std::string(lng) + ".skdb";
    Result b = Run({"build", src, "--input-format", "i18next", "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    const std::string dumped = "locales/" + std::string(lng) + "/t.json";
    Result d = Run({"dump", db, "--format", "i18next", "-o", dumped});
    ASSERT_EQ(d.code, 0) << d.err;
    Result again =
        Run({"build", dumped, "--input-format", "i18next", "-o", "again.skdb"});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(Read("again.skdb"), Read(db));
  }
  Result c = Run({"check", "de.skdb", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0) << c.out << c.err;
  Result f = Run({"format", "de.skdb", "shared", "--count", "3", "Ann", "3"});
  EXPECT_EQ(f.out, "3 Alben hat Ann mit dir geteilt\n") << f.err;
}

TEST_F(Cli, I18nextDumpSaysWhatItCannotSpell) {
  Write(
      "x.csv",
      "id,value\nok,fine\nodd#=2,two\no#ordinal-=0,first\nn#gender-neuter,it\n"
      "p,%d files\nclash,a\nclash.b,b\nlit,{{x}}\n");
  ASSERT_EQ(Run({"build", "x.csv", "-o", "x.skdb"}).code, 0);
  Result d = Run({"dump", "x.skdb", "--format", "i18next", "-o", "x.json"});
  EXPECT_NE(d.code, 0);
  EXPECT_CONTAINS(d.err, "4 entries with IDs i18next has no key for");
  EXPECT_CONTAINS(
      d.err,
      "1 entries with text i18next cannot carry ('lit'); written as stored");
  EXPECT_CONTAINS(Read("x.json"), "\"ok\": \"fine\"");
}

// A dump spells _zero only for the form a build reads it back as.
TEST_F(Cli, I18nextDumpWritesZeroAsTheLanguageReadsIt) {
  Write("lv.csv", "id,value\n@locale,lv\nn#=0,nav\nn#zero,nulle\n"
                  "n#one,viens\nn#other,daudz\n");
  ASSERT_EQ(Run({"build", "lv.csv", "-o", "lv.skdb"}).code, 0);
  fs::create_directories(dir / "locales" / "lv");
  Result d = Run(
      {"dump", "lv.skdb", "--format", "i18next", "-o", "locales/lv/t.json"});
  EXPECT_CONTAINS(d.err, "1 entries with IDs i18next has no key for ('n#=0')");
  EXPECT_CONTAINS(Read("locales/lv/t.json"), "\"n_zero\": \"nulle\"");
  // Without a language, _zero is read as exactly 0.
  Write("any.csv", "id,value\nn#zero,none\nn#other,x\n");
  ASSERT_EQ(Run({"build", "any.csv", "-o", "en.skdb"}).code, 0);
  EXPECT_CONTAINS(
      Run({"dump", "en.skdb", "--format", "i18next", "-o", "en.json"}).err,
      "('n#zero')");
}

TEST_F(Cli, AnI18nextFileReadAsTheToolsJsonSaysHowToReadIt) {
  Write("translation.json", "{\"menu\": {\"open\": \"Open\"}}\n");
  Result b = Run({"build", "translation.json", "-o", "x.skdb"});
  EXPECT_NE(b.code, 0);
  EXPECT_CONTAINS(b.err, "read with --input-format i18next");
}

} // namespace

namespace {

/// The texts of an i18next file by flattened key.
void Flatten(const nlohmann::json &j, const std::string &prefix,
             std::map<std::string, std::string> &out) {
  for (const auto &item : j.items()) {
    const std::string key =
        prefix.empty() ? item.key() : prefix + "." + item.key();
    if (item.value().is_object())
      Flatten(item.value(), key, out);
    else
      out[key] = item.value().get<std::string>();
  }
}

// What translate-toolkit reads from the samples is what the build stores:
// the dump, which writes the stored entries with i18next's keys and
// {{name}} inserts, holds each of its texts under the same key, and each
// form of its plurals under one of the key's suffixes.
TEST_F(Cli, I18nextTextsAgreeWithTranslateToolkit) {
  for (const char *lng : {"en", "de", "pl"}) {
    SCOPED_TRACE(lng);
    const std::string src = std::string(PHRASOR_TEST_DATA) +
                            "/i18next/locales/" + lng + "/translation.json";
    const std::optional<std::string> out =
        ToolkitOutput("i18next_toolkit.py", src);
    if (!out)
      GTEST_SKIP() << "translate-toolkit (Debian package translate-toolkit) "
                      "is missing";
    const std::string &printed = *out;
    const std::size_t last = printed.rfind("\n{");
    const nlohmann::json toolkit = nlohmann::json::parse(
        printed.substr(last == std::string::npos ? 0 : last));
    ASSERT_EQ(
        Run({"build", src, "--input-format", "i18next", "-o", "x.skdb"}).code,
        0);
    ASSERT_EQ(
        Run({"dump", "x.skdb", "--format", "i18next", "-o", "x.json"}).code, 0);
    std::map<std::string, std::string> ours;
    Flatten(nlohmann::json::parse(Read("x.json")), "", ours);
    for (const auto &unit : toolkit.at(src).items()) {
      if (!unit.value().is_array()) {
        EXPECT_EQ(ours[unit.key()], unit.value().get<std::string>())
            << unit.key();
        continue;
      }
      for (const nlohmann::json &form : unit.value()) {
        bool found = false;
        for (const char *c : {"zero", "one", "two", "few", "many", "other"})
          found = found || ours[unit.key() + "_" + c] == form;
        EXPECT_TRUE(found) << unit.key() << ": " << form;
      }
    }
  }
}

} // namespace
