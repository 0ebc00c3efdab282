// ICU MessageFormat texts in and out: what the built forms say is what
// ICU's own MessageFormat says for the same arguments, in languages with
// different plural rules, before and after a dump writes the texts back.

#include "tests/cli/CliTest.h"

#include "tools/phrasor/formats/shared/IcuMessage.h"

#include <nlohmann/json.hpp>
#include <unicode/msgfmt.h>

#include <map>

using namespace phrasor::clitest;

namespace {

/// One call: the choices and the arguments, in the order the forms
/// number them (as the program passes them).
struct Call {
  std::string id;
  std::string gender;       ///< --gender, or empty
  std::string select;       ///< --select, or empty
  std::optional<int> count; ///< --count, or none
  bool ordinal = false;
  std::vector<std::pair<std::string, std::string>> args; ///< name, value
};

/// What ICU writes for \p call with the ICU text \p pattern. Arguments
/// that are numbers in the text are passed as numbers, as a host would.
std::string IcuFormat(const std::string &pattern, const std::string &locale,
                      const Call &call, const std::string &selectName,
                      const std::string &countName) {
  UErrorCode status = U_ZERO_ERROR;
  icu::MessageFormat mf(icu::UnicodeString::fromUTF8(pattern),
                        icu::Locale(locale.c_str()), status);
  if (U_FAILURE(status))
    return std::string("ICU refused: ") + u_errorName(status);
  std::vector<icu::UnicodeString> names;
  std::vector<icu::Formattable> values;
  auto add = [&](const std::string &name, icu::Formattable value) {
    names.push_back(icu::UnicodeString::fromUTF8(name));
    values.push_back(value);
  };
  if (!call.gender.empty() || !call.select.empty())
    add(selectName, icu::UnicodeString::fromUTF8(
                        call.gender.empty() ? call.select : call.gender));
  if (call.count)
    add(countName, icu::Formattable(static_cast<int32_t>(*call.count)));
  for (const auto &arg : call.args) {
    if (arg.first == countName)
      continue;
    const bool number =
        !arg.second.empty() && arg.second[0] >= '0' && arg.second[0] <= '9';
    add(arg.first,
        number ? icu::Formattable(std::stoi(arg.second))
               : icu::Formattable(icu::UnicodeString::fromUTF8(arg.second)));
  }
  icu::UnicodeString out;
  mf.format(names.data(), values.data(), static_cast<int32_t>(names.size()),
            out, status);
  if (U_FAILURE(status))
    return std::string("ICU failed: ") + u_errorName(status);
  std::string text;
  return out.toUTF8String(text);
}

struct Language {
  std::string locale;
  std::map<std::string, std::string> texts;
};

const std::vector<Language> &Languages() {
  static const std::vector<Language> languages = {
      {"en",
       {{"FILES", "{count, plural, =0 {No files} one {# file} other {# "
                  "files}}"},
        {"SENT", "{name} sent you {count, plural, one {a message} other {# "
                 "messages}}"},
        {"FOUND", "{gender, select, feminine {She found {count, plural, one "
                  "{# coin} other {# coins}}} masculine {He found {count, "
                  "plural, one {# coin} other {# coins}}} other {They found "
                  "{count, plural, =0 {nothing} one {# coin} other {# "
                  "coins}}}}"},
        {"PLACE", "{pos, selectordinal, one {#st} two {#nd} few {#rd} other "
                  "{#th}} place"},
        {"QUOTE", "It''s '{'{name}'}' at 50% - don't '#' {n, plural, other "
                  "{'#'# '{}'}}"},
        {"TITLE", "{rank, select, knight {Sir {name}} other {{name}}}"}}},
      {"fr",
       {{"FILES", "{count, plural, =0 {Aucun fichier} one {# fichier} many "
                  "{# de fichiers} other {# fichiers}}"},
        {"SENT", "{count, plural, one {Un message} other {# messages}} de "
                 "{name}"},
        {"FOUND", "{gender, select, feminine {Elle a trouvé {count, plural, "
                  "one {# pièce} other {# pièces}}} other {Il a trouvé "
                  "{count, plural, =0 {rien} one {# pièce} other {# "
                  "pièces}}}}"},
        {"TITLE", "{rank, select, knight {Sire {name}} other {{name}}}"}}},
      {"pl",
       {{"FILES", "{count, plural, one {# plik} few {# pliki} many {# "
                  "plików} other {# pliku}}"},
        {"SENT", "{name} wysłał {count, plural, one {wiadomość} few {# "
                 "wiadomości} many {# wiadomości} other {# wiadomości}}"}}},
      {"ru",
       {{"FILES", "{count, plural, =0 {Нет файлов} one {# файл} few {# "
                  "файла} many {# файлов} other {# файла}}"},
        {"FOUND", "{count, plural, one {{gender, select, feminine {Она "
                  "нашла} other {Он нашёл}} # монету} few {{gender, select, "
                  "feminine {Она нашла} other {Он нашёл}} # монеты} other "
                  "{{gender, select, feminine {Она нашла} other {Он нашёл}} "
                  "# монет}}"}}},
  };
  return languages;
}

std::vector<Call> Calls() {
  std::vector<Call> calls;
  for (int n : {0, 1, 2, 5, 21, 22, 103, 12345}) {
    calls.push_back(
        {"FILES", "", "", n, false, {{"count", std::to_string(n)}}});
    calls.push_back({"SENT",
                     "",
                     "",
                     n,
                     false,
                     {{"name", "Ann"}, {"count", std::to_string(n)}}});
    for (const char *g : {"feminine", "masculine", "other"})
      calls.push_back(
          {"FOUND", g, "", n, false, {{"count", std::to_string(n)}}});
    calls.push_back({"PLACE", "", "", n, true, {{"pos", std::to_string(n)}}});
  }
  calls.push_back({"QUOTE", "", "", 3, false, {{"name", "Bo"}, {"n", "3"}}});
  for (const char *word : {"knight", "squire"})
    calls.push_back(
        {"TITLE", "", word, std::nullopt, false, {{"name", "Ann"}}});
  return calls;
}

/// The text to build from: an ICU JSON file of one language.
std::string IcuJson(const Language &l) {
  nlohmann::ordered_json j;
  j["@locale"] = l.locale;
  for (const auto &[id, text] : l.texts)
    j[id] = text;
  return j.dump(2) + "\n";
}

} // namespace

class IcuCli : public Cli {
protected:
  std::string PhrasorFormat(const std::string &db, const Call &call,
                            const std::vector<std::string> &order) {
    std::vector<std::string> args{"format", db, call.id};
    if (call.count) {
      args.insert(args.end(), {"--count", std::to_string(*call.count)});
      if (call.ordinal)
        args.push_back("--ordinal");
    }
    if (!call.gender.empty())
      args.insert(args.end(), {"--gender", call.gender});
    if (!call.select.empty())
      args.insert(args.end(), {"--select", call.select});
    for (const std::string &name : order)
      for (const auto &arg : call.args)
        if (arg.first == name)
          args.push_back(arg.second);
    Result r = Run(args);
    if (r.code != 0)
      return "phrasor failed: " + r.err;
    return r.out.substr(0, r.out.size() - 1);
  }

  /// Checks every call on \p language against ICU on \p texts, the ICU
  /// texts of \p file, and on the database \p db built from it.
  void ExpectSameAsIcu(const Language &language,
                       const std::map<std::string, std::string> &texts,
                       const std::string &db) {
    Result dump = Run({"dump", db, "--format", "json"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    const nlohmann::json stored = nlohmann::json::parse(dump.out);
    ASSERT_TRUE(stored.contains("@icu-args")) << dump.out;
    const std::map<std::string, phrasor::tool::IcuArgs> record =
        phrasor::tool::DecodeIcuArgs(stored["@icu-args"].get<std::string>());
    for (const Call &call : Calls()) {
      auto text = texts.find(call.id);
      if (text == texts.end())
        continue;
      const phrasor::tool::IcuArgs &args = record.at(call.id);
      EXPECT_EQ(PhrasorFormat(db, call, args.names),
                IcuFormat(text->second, language.locale, call, args.select,
                          args.plural))
          << language.locale << " " << call.id << " " << text->second
          << " count " << call.count.value_or(-1) << " " << call.gender
          << call.select;
    }
  }
};

TEST_F(IcuCli, FormsSayWhatIcuSaysAndADumpGivesTheSameMessagesBack) {
  for (const Language &l : Languages()) {
    const std::string src = l.locale + ".json", db = l.locale + ".skdb";
    Write(src, IcuJson(l));
    Result b = Run({"build", "--syntax", "icu", src, "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    ExpectSameAsIcu(l, l.texts, db);

    // The texts written back are other ICU texts (the words outside a
    // choice are inside each form), but ICU formats them the same, and
    // building them gives the same entries again.
    Result back = Run({"dump", db, "--format", "json", "--syntax", "icu"});
    ASSERT_EQ(back.code, 0) << back.err;
    std::map<std::string, std::string> written;
    const nlohmann::json dumped = nlohmann::json::parse(back.out);
    for (const auto &[id, text] : dumped.items())
      if (id[0] != '@')
        written[id] = text.get<std::string>();
    EXPECT_EQ(written.size(), l.texts.size()) << back.out;
    ExpectSameAsIcu(l, written, db);
    Write("back-" + src, back.out);
    ASSERT_EQ(
        Run({"build", "--syntax", "icu", "back-" + src, "-o", "back-" + db})
            .code,
        0);
    EXPECT_EQ(Run({"dump", "back-" + db}).out, Run({"dump", db}).out);
    EXPECT_EQ(
        Run({"dump", "back-" + db, "--format", "json", "--syntax", "icu"}).out,
        back.out);
  }
}

TEST_F(IcuCli, AMalformedTextIsAnErrorAtItsLineAndCharacter) {
  struct Bad {
    std::string text, expected;
  };
  const std::vector<Bad> bad = {
      {"Hello {name", "at the end: expected ',' or '}'"},
      {"Hello }", "at character 7 ('}'): '}' closes nothing"},
      {"{n, plural, one {# file}}", "has no 'other' form"},
      {"{n, plural, offset:1 one {#} other {#}}",
       "at character 13 ('o'): 'offset:' is not supported"},
      {"{n, plural, =01 {x} other {y}}", "whole number without leading"},
      {"{n, plural, some {x} other {y}}", "'some' is no plural category"},
      {"{g, select, Knight {x} other {y}}", "lowercase ASCII"},
      {"{when, date, short}", "dates and times are not supported"},
      {"{x, number, ::percent}", "only the number styles none and integer"},
      {"{a, select, x {{n, plural, other {#}}} other {}} {b, select, y {} "
       "other {}}",
       "one select argument; 'a' and 'b' both choose"},
      {"é{n, plural, one {} one {} other {}}",
       "at character 21 ('o'): the form 'one' is given twice"},
  };
  std::string json = "{\n  \"@locale\": \"en\",\n";
  for (std::size_t i = 0; i < bad.size(); ++i)
    json += "  \"B" + std::to_string(i) +
            "\": " + nlohmann::json(bad[i].text).dump() +
            (i + 1 < bad.size() ? ",\n" : "\n");
  Write("bad.json", json + "}\n");
  Result r = Run({"build", "--syntax", "icu", "bad.json", "-o", "bad.skdb"});
  EXPECT_NE(r.code, 0);
  for (std::size_t i = 0; i < bad.size(); ++i) {
    const std::string line = "bad.json:" + std::to_string(i + 3) +
                             ": entry 'B" + std::to_string(i) +
                             "': invalid ICU message ";
    const std::size_t at = r.err.find(line);
    ASSERT_NE(at, std::string::npos) << bad[i].text << "\n" << r.err;
    EXPECT_NE(r.err.substr(at, r.err.find('\n', at) - at).find(bad[i].expected),
              std::string::npos)
        << r.err;
  }
  EXPECT_FALSE(Exists("bad.skdb"));

  // Without the switch a text of braces is a plain text, as it always was.
  Write("plain.json", "{\"GREET\": \"Hello {name}\"}\n");
  ASSERT_EQ(Run({"build", "plain.json", "-o", "plain.skdb"}).code, 0);
  EXPECT_EQ(Run({"format", "plain.skdb", "GREET"}).out, "Hello {name}\n");
}

TEST(IcuMessage, FormsNumberArgumentsByNameAndReadSkippedOnes) {
  phrasor::tool::IcuError error;
  auto c = phrasor::tool::CompileIcu(
      "{count, plural, =0 {None for {user}} other {# for {user} by {by}}}",
      error);
  ASSERT_TRUE(c) << error.message;
  EXPECT_EQ(c->args.names, (std::vector<std::string>{"by", "user", "count"}));
  ASSERT_EQ(c->forms.size(), 2u);
  EXPECT_EQ(c->forms[0].suffix, "#=0");
  EXPECT_EQ(c->forms[0].text, "%1!.0s!None for %2!s!");
  EXPECT_EQ(c->forms[1].text, "%3!'d! for %2!s! by %1!s!");
  // A translation that puts them in another order numbers them alike.
  c = phrasor::tool::CompileIcu(
      "{count, plural, =0 {{user} n'a rien} other {{by} : # pour {user}}}",
      error);
  ASSERT_TRUE(c) << error.message;
  EXPECT_EQ(c->args.names, (std::vector<std::string>{"by", "user", "count"}));
  EXPECT_EQ(phrasor::tool::CompileIcu("{1} {0} {10} {2}", error)->args.names,
            (std::vector<std::string>{"0", "1", "2", "10"}));

  // A form that shows a later string but not an earlier one reads it
  // unseen; a number it cannot, and says so.
  c = phrasor::tool::CompileIcu("{g, select, feminine {{a}{b}} other {{b}}}",
                                error);
  ASSERT_TRUE(c) << error.message;
  EXPECT_EQ(c->forms[1].suffix, "#gender-other");
  EXPECT_EQ(c->forms[1].text, "%1!.0s!%2!s!");
  EXPECT_FALSE(phrasor::tool::CompileIcu(
      "{n, plural, one {{a, number}} other {{b, number}}}", error));
  EXPECT_NE(error.message.find("not the number 'a'"), std::string::npos)
      << error.message;

  // A select of other words than genders keeps them as its own words,
  // male and female included.
  c = phrasor::tool::CompileIcu("{g, select, male {He} female {She} other "
                                "{They}}",
                                error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->forms[0].suffix, "#select-male");
}
