// XLIFF units holding ICU MessageFormat texts (--syntax icu): the forms
// built from a unit say what ICU's own MessageFormat says for its target,
// a dump writes one unit per message that builds the same database again,
// and a text that is no ICU text is an error at its unit's line.

#include "tests/cli/CliTest.h"

#include <unicode/msgfmt.h>

#include <map>
#include <regex>

using namespace phrasor::clitest;

namespace {

/// A call of `phrasor format`: the choices, then the inserts in their
/// numbered order; ICU gets the same values by name.
struct Call {
  std::string id;
  std::vector<std::string> choices; ///< --count 3, --gender feminine...
  std::vector<std::pair<std::string, std::string>> named; ///< ICU's
  std::vector<std::string> inserts; ///< phrasor's, by insert number
};

std::string IcuFormat(const std::string &pattern, const std::string &locale,
                      const Call &call) {
  UErrorCode status = U_ZERO_ERROR;
  icu::MessageFormat mf(icu::UnicodeString::fromUTF8(pattern),
                        icu::Locale(locale.c_str()), status);
  if (U_FAILURE(status))
    return std::string("ICU refused: ") + u_errorName(status);
  std::vector<icu::UnicodeString> names;
  std::vector<icu::Formattable> values;
  for (const auto &[name, value] : call.named) {
    names.push_back(icu::UnicodeString::fromUTF8(name));
    const bool number = !value.empty() && value[0] >= '0' && value[0] <= '9';
    values.push_back(
        number ? icu::Formattable(std::stoi(value))
               : icu::Formattable(icu::UnicodeString::fromUTF8(value)));
  }
  icu::UnicodeString out;
  mf.format(names.data(), values.data(), static_cast<int32_t>(names.size()),
            out, status);
  std::string text;
  return U_FAILURE(status) ? std::string("ICU failed: ") + u_errorName(status)
                           : out.toUTF8String(text);
}

/// The targets of an XLIFF file's units by name, each code replaced by
/// the text it stands for; the samples hold no other markup or escapes.
std::map<std::string, std::string> Targets(const std::string &xliff) {
  static const std::regex unit(
      R"re((?:resname|name|id)="([A-Z]+)"[^]*?<target[^>]*>([^<]*)</target>)re");
  static const std::regex code(
      R"re(<(?:x|ph) [^>]*?equiv(?:-text)?="([^"]*)"/>)re");
  const std::string text = std::regex_replace(xliff, code, "$1");
  std::map<std::string, std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), unit);
       it != std::sregex_iterator(); ++it)
    out[(*it)[1]] = (*it)[2];
  return out;
}

struct Sample {
  std::string file, locale;
  std::vector<Call> calls;
};

std::vector<Call> CountCalls(const std::string &id, const std::string &count,
                             const std::vector<std::string> &genders) {
  std::vector<Call> calls;
  for (int n : {0, 1, 2, 3, 5, 21, 22, 111}) {
    const std::string v = std::to_string(n);
    for (const std::string &g : genders) {
      Call c{id, {"--count", v}, {{count, v}}, {v}};
      if (!g.empty()) {
        c.choices.insert(c.choices.end(), {"--gender", g});
        c.named.push_back({"gender", g});
      }
      calls.push_back(c);
    }
  }
  return calls;
}

std::vector<Sample> Samples() {
  Sample fr{"game-fr.xliff", "fr", CountCalls("FILES", "count", {""})};
  for (const Call &c : CountCalls("FOUND", "count", {"feminine", "other"}))
    fr.calls.push_back(c);
  fr.calls.push_back({"QUOTE", {}, {{"name", "Bo"}}, {"Bo"}});
  for (const char *rank : {"knight", "squire"})
    fr.calls.push_back({"GREET",
                        {"--select", rank},
                        {{"rank", rank}, {"name", "Ann"}},
                        {"Ann"}});
  for (int n : {1, 2, 3, 11})
    fr.calls.push_back({"PLACE",
                        {"--count", std::to_string(n), "--ordinal"},
                        {{"pos", std::to_string(n)}},
                        {std::to_string(n)}});

  Sample ru{"game-ru.xliff", "ru", CountCalls("FILES", "count", {""})};
  for (const Call &c : CountCalls("FOUND", "count", {"feminine", "other"}))
    ru.calls.push_back(c);
  for (Call c : CountCalls("SENT", "count", {""})) {
    c.named.push_back({"name", "Аня"});
    c.inserts.insert(c.inserts.begin(), "Аня");
    ru.calls.push_back(c);
  }
  ru.calls.push_back({"QUOTE", {}, {{"name", "Бо"}}, {"Бо"}});
  return {fr, ru};
}

} // namespace

class XliffIcu : public Cli {
protected:
  std::string Sample(const std::string &name) {
    return Slurp(std::string(PHRASOR_TEST_DATA) + "/icu/" + name);
  }

  /// Every call on \p db against ICU on the targets of \p xliff.
  void ExpectSameAsIcu(const ::Sample &s, const std::string &xliff,
                       const std::string &db) {
    const std::map<std::string, std::string> targets = Targets(xliff);
    for (const Call &call : s.calls) {
      std::vector<std::string> args{"format", db, call.id};
      args.insert(args.end(), call.choices.begin(), call.choices.end());
      args.insert(args.end(), call.inserts.begin(), call.inserts.end());
      Result r = Run(args);
      ASSERT_EQ(r.code, 0) << call.id << ": " << r.err;
      ASSERT_TRUE(targets.count(call.id)) << call.id << " in\n" << xliff;
      EXPECT_EQ(r.out, IcuFormat(targets.at(call.id), s.locale, call) + "\n")
          << s.file << " " << call.id << " " << targets.at(call.id) << " "
          << (call.choices.empty() ? "" : call.choices.back());
    }
  }
};

TEST_F(XliffIcu, FormsSayWhatIcuSaysAndADumpBuildsTheSameDatabase) {
  for (const ::Sample &s : Samples()) {
    const std::string text = Sample(s.file);
    Write(s.file, text);
    Result b = Run({"build", "--syntax", "icu", s.file, "-o", "game.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    ExpectSameAsIcu(s, text, "game.skdb");
    // The unit's note and state belong to each of its forms.
    Result notes = Run({"dump", "game.skdb", "--format", "json"});
    EXPECT_NE(notes.out.find("\"FILES#=0\": {\n    \"value\""),
              std::string::npos)
        << notes.out;

    for (const char *format : {"xliff12", "xliff20"}) {
      Result d = Run({"dump", "game.skdb", "--format", format, "--syntax",
                      "icu", "-o", "back.xlf"});
      ASSERT_EQ(d.code, 0) << d.err;
      EXPECT_EQ(d.err.find("warning"), std::string::npos) << d.err;
      const std::string back = Read("back.xlf");
      // The words of a choice are for the translator; only an argument
      // is a code.
      EXPECT_NE(back.find("{# "), std::string::npos) << back;
      Result again =
          Run({"build", "--syntax", "icu", "back.xlf", "-o", "back.skdb"});
      ASSERT_EQ(again.code, 0) << again.err;
      EXPECT_EQ(Read("back.skdb"), Read("game.skdb")) << format << "\n" << back;
      ExpectSameAsIcu(s, back, "back.skdb");
    }
  }
}

TEST_F(XliffIcu, AMalformedTextIsAnErrorAtItsUnitAndCharacter) {
  const std::string head =
      "<?xml version=\"1.0\"?>\n<xliff version=\"2.0\" "
      "xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" srcLang=\"en\" "
      "trgLang=\"fr\"><file id=\"f\">\n";
  auto unit = [](const char *name, const char *source, const char *target) {
    return std::string("<unit id=\"") + name + "\" name=\"" + name +
           "\"><segment state=\"translated\"><source>" + source +
           "</source>\n<target>" + target + "</target></segment></unit>\n";
  };
  Write("bad.xlf",
        head + unit("A", "ok", "{n, plural, one {#} other {# x}") +
            unit("B", "{n, plural, one {#}}", "{n, plural, other {#}}") +
            unit("C", "ok", "fine '{'") +
            unit("D", "{n, plural, offset:1 other {#}}", "é}") +
            "</file></xliff>\n");
  Result r = Run({"build", "--syntax", "icu", "bad.xlf", "-o", "bad.skdb"});
  EXPECT_NE(r.code, 0);
  EXPECT_FALSE(Exists("bad.skdb"));
  for (const char *expected :
       {"bad.xlf:3: entry 'A': invalid ICU message at the end",
        "bad.xlf:5: entry 'B': invalid ICU message in its source at character "
        "20 ('}'): the argument 'n' has no 'other' form",
        "bad.xlf:9: entry 'D': invalid ICU message in its source at "
        "character 13 ('o'): 'offset:' is not supported",
        "bad.xlf:9: entry 'D': invalid ICU message at character 2 ('}')"})
    EXPECT_NE(r.err.find(expected), std::string::npos) << expected << "\n"
                                                       << r.err;
  EXPECT_EQ(r.err.find("'C'"), std::string::npos) << r.err;

  // Without the switch the same texts are plain texts, as they always were.
  Result plain = Run({"build", "bad.xlf", "-o", "plain.skdb"});
  ASSERT_EQ(plain.code, 0) << plain.err;
  EXPECT_EQ(Run({"format", "plain.skdb", "C"}).out, "fine '{'\n");
}

TEST_F(XliffIcu, FormsThatDisagreeAreWrittenAsTheLeastReviewedWithAWarning) {
  // Forms stored apart may each have their own state and note; one unit
  // cannot, and a form must never come back further along than it was.
  Write("forms.xlf",
        "<?xml version=\"1.0\"?>\n<xliff version=\"2.0\" "
        "xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" srcLang=\"en\" "
        "trgLang=\"en\"><file id=\"f\">\n"
        "<unit id=\"1\" name=\"N#one\"><notes><note>a</note></notes>"
        "<segment state=\"final\"><source>x</source><target>a file"
        "</target></segment></unit>\n"
        "<unit id=\"2\" name=\"N#other\"><notes><note>b</note></notes>"
        "<segment state=\"translated\"><source>x</source><target>"
        "files</target></segment></unit>\n"
        "<unit id=\"3\" name=\"LATER\"><segment state=\"initial\"><source>"
        "Later</source></segment></unit>\n"
        "</file></xliff>\n");
  ASSERT_EQ(Run({"build", "forms.xlf", "-o", "forms.skdb"}).code, 0);
  Result d = Run({"dump", "forms.skdb", "--format", "xliff20", "--syntax",
                  "icu", "-o", "icu.xlf"});
  ASSERT_EQ(d.code, 0) << d.err;
  EXPECT_NE(d.err.find("1 ICU message has forms with different notes"),
            std::string::npos)
      << d.err;
  EXPECT_NE(d.err.find("1 ICU message has forms with different review "
                       "states; each unit gets the least reviewed"),
            std::string::npos)
      << d.err;
  const std::string icu = Read("icu.xlf");
  EXPECT_NE(icu.find("<note>a</note></notes><segment state=\"translated\">"),
            std::string::npos)
      << icu;
  EXPECT_NE(icu.find("name=\"LATER\" xml:space=\"preserve\"><segment "
                     "state=\"initial\"><source></source></segment>"),
            std::string::npos)
      << icu;
  ASSERT_EQ(
      Run({"build", "--syntax", "icu", "icu.xlf", "-o", "back.skdb"}).code, 0);
  Result json = Run({"dump", "back.skdb", "--format", "json"});
  EXPECT_NE(json.out.find("\"one\": \"a file\""), std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"LATER\": {\n    \"value\": null"),
            std::string::npos)
      << json.out;
}
