//===- po_test.cpp - The PO reader and writer -----------------------------===//
//
// PO files as translators and translation platforms write them, and dumps
// of entries PO has no field for, read back byte for byte.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "tools/phrasor/Metadata.h"

#include <nlohmann/json.hpp>

namespace phrasor::clitest {
namespace {

/// A PO file with a UTF-8 header holding \p fields, then \p body.
std::string Po(const std::string &fields, const std::string &body) {
  std::string header = "msgid \"\"\nmsgstr \"\"\n"
                       "\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  std::size_t at = 0;
  for (std::size_t end; (end = fields.find('\n', at)) != std::string::npos;
       at = end + 1)
    header += "\"" + fields.substr(at, end - at) + "\\n\"\n";
  return header + "\n" + body;
}

const char *const kFourForms = R"(msgctxt "F"
msgid "file"
msgid_plural "files"
msgstr[0] "f0"
msgstr[1] "f1"
msgstr[2] "f2"
msgstr[3] "f3"
)";

// --- Reader: the Plural-Forms header -------------------------------------

TEST_F(Cli, PoPluralFormsOfAnyShapeAreBoundedNotACrash) {
  // Long chains of one operator, and long runs of '!', once overflowed the
  // stack while parsing, evaluating or freeing the expression.
  const std::string chains[] = {
      "(n!=1)" +
          [] {
            std::string s;
            for (int i = 0; i < 300000; ++i)
              s += "+0";
            return s;
          }(),
      "(n!=1)" +
          [] {
            std::string s;
            for (int i = 0; i < 300000; ++i)
              s += "||0";
            return s;
          }(),
      std::string(300000, '!') + "(n!=1)",
      std::string(300000, '(') + "n" + std::string(300000, ')'),
  };
  for (const std::string &expr : chains) {
    Write("p.po",
          Po("Language: en\nPlural-Forms: nplurals=2; plural=" + expr + ";\n",
             "msgid \"a\"\nmsgid_plural \"b\"\nmsgstr[0] \"x\"\n"
             "msgstr[1] \"y\"\n"));
    Result r = Run({"build", "p.po", "-o", "p.skdb"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, "error: p.po:1: Plural-Forms");
    EXPECT_CONTAINS(r.err, "expression too long");
    EXPECT_LT(r.err.size(), 1000u);
  }
  // A real expression well within the bounds still reads.
  Write("p.po", Po("Language: ar\nPlural-Forms: nplurals=6; plural=(n==0 ? 0 "
                   ": n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : "
                   "n%100>=11 ? 4 : 5);\n",
                   "msgctxt \"F\"\nmsgid \"a\"\nmsgid_plural \"b\"\n"
                   "msgstr[0] \"0\"\nmsgstr[1] \"1\"\nmsgstr[2] \"2\"\n"
                   "msgstr[3] \"3\"\nmsgstr[4] \"4\"\nmsgstr[5] \"5\"\n"));
  EXPECT_EQ(Run({"build", "p.po", "-o", "p.skdb"}).code, 0);
}

TEST_F(Cli, PoFourFormsGiveTheFractionFormItsCategory) {
  // Translation platforms export these: the last form (ru, uk, pl) or the
  // third (cs, lt) is for fractions, which no whole number reaches.
  struct Case {
    const char *language, *pluralForms, *fractionForm, *fractionCategory;
  } cases[] = {
      {"ru",
       "nplurals=4; plural=((n%10==1 && n%100!=11) ? 0 : ((n%10 >= 2 && "
       "n%10 <=4 && (n%100 < 12 || n%100 > 14)) ? 1 : ((n%10 == 0 || (n%10 "
       ">= 5 && n%10 <=9)) || (n%100 >= 11 && n%100 <= 14)) ? 2 : 3));",
       "f3", "other"},
      {"uk",
       "nplurals=4; plural=((n%10==1 && n%100!=11) ? 0 : ((n%10 >= 2 && "
       "n%10 <=4 && (n%100 < 12 || n%100 > 14)) ? 1 : ((n%10 == 0 || (n%10 "
       ">= 5 && n%10 <=9)) || (n%100 >= 11 && n%100 <= 14)) ? 2 : 3));",
       "f3", "other"},
      {"pl",
       "nplurals=4; plural=(n==1 ? 0 : (n%10>=2 && n%10<=4) && (n%100<12 || "
       "n%100>14) ? 1 : n!=1 && (n%10>=0 && n%10<=1) || (n%10>=5 && "
       "n%10<=9) || (n%100>=12 && n%100<=14) ? 2 : 3);",
       "f3", "other"},
      {"cs",
       "nplurals=4; plural=(n == 1 && n % 1 == 0) ? 0 : (n >= 2 && n <= 4 && "
       "n % 1 == 0) ? 1: (n % 1 != 0 ) ? 2 : 3;",
       "f2", "many"},
      {"lt",
       "nplurals=4; plural=(n % 10 == 1 && (n % 100 > 19 || n % 100 < 11) ? "
       "0 : (n % 10 >= 2 && n % 10 <=9) && (n % 100 > 19 || n % 100 < 11) ? "
       "1 : n % 1 != 0 ? 2: 3);",
       "f2", "many"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.language);
    Write("p.po", Po(std::string("Language: ") + c.language +
                         "\nPlural-Forms: " + c.pluralForms + "\n",
                     kFourForms));
    Result b = Run({"build", "p.po", "-o", "p.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    Result g = Run({"get", "p.skdb", std::string("F#") + c.fractionCategory});
    EXPECT_EQ(g.out, std::string(c.fractionForm) + "\n");
  }
  // English has no category for fractions alone: a form nothing reaches is
  // still an error there.
  Write("p.po", Po("Language: en\nPlural-Forms: nplurals=4; plural=(n != 1);\n",
                   kFourForms));
  Result r = Run({"build", "p.po", "-o", "p.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "no number selects form 2");
}

// --- Reader: messages, flags, domains, language --------------------------

TEST_F(Cli, PoFlagsAndLinesHoldWhereMsgidTouchesItsString) {
  // msgid"x" is valid PO; reading it once cost every flag and line of the
  // file, so a c-format error passed.
  Write("f.po", Po("", R"(msgid"Plain"
msgstr "Schlicht"

#, c-format
msgid "N"
msgstr "%k Dateien"
)"));
  Result r = Run({"build", "f.po", "-o", "f.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: f.po:9: ID 'N'");
  // The flags the library does not keep are read as well.
  Write("g.po", Po("", "msgid\"Plain\"\nmsgstr \"Schlicht\"\n\n"
                       "#, no-c-format\nmsgid \"M\"\n"
                       "msgstr \"%d files\"\n"));
  r = Run({"build", "g.po", "-o", "g.skdb"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(Run({"dump", "g.skdb"}).out, "M,%d files,,text\n");
}

TEST_F(Cli, PoNulInAStringIsRefusedAtItsLine) {
  for (const std::string &text :
       {std::string("x\\0y"), std::string("x\\x00y"), std::string("x\\000y"),
        std::string("x") + '\0' + "y"}) {
    Write("n.po",
          Po("", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"" + text + "\"\n"));
    Result r = Run({"build", "n.po", "-o", "n.skdb"});
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, "error: n.po:7: a string contains a NUL");
  }
  // An escaped backslash before a 0 is no NUL.
  Write("n.po", Po("", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"x\\\\0\"\n"));
  Result r = Run({"build", "n.po", "-o", "n.skdb"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Run({"get", "n.skdb", "A"}).out, "x\\0\n");
}

TEST_F(Cli, PoEveryDomainIsRead) {
  Write("d.po", Po("", R"(msgctxt "A"
msgid "a"
msgstr "first"

domain "other"
msgctxt "B"
msgid "b"
msgstr "second"

domain "third"
msgctxt "A"
msgid "a"
msgstr "again"
)"));
  Result r = Run({"build", "d.po", "-o", "d.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: d.po:15: duplicate ID 'A' (first defined at "
                         "d.po:5)");
  Write("d.po", Po("", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"first\"\n\n"
                       "domain \"other\"\nmsgctxt \"B\"\nmsgid \"b\"\n"
                       "msgstr \"second\"\n"));
  ASSERT_EQ(Run({"build", "d.po", "-o", "d.skdb"}).code, 0);
  EXPECT_EQ(Run({"get", "d.skdb", "B"}).out, "second\n");
}

TEST_F(Cli, PoLanguageModifiers) {
  struct Case {
    const char *language, *tag;
    bool warned;
  } cases[] = {
      {"ca@valencia", "ca-valencia", false},
      {"sr@ijekavian", "sr-ijekavsk", false},
      {"sr@ijekavianlatin", "sr-Latn-ijekavsk", false},
      {"be@tarask", "be-tarask", false},
      {"sr_RS@latin", "sr-Latn-RS", false},
      {"de_DE.UTF-8", "de-DE", false},
      {"de_DE.UTF-8@euro", "de-DE", false},
      {"en@quot", "en", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.language);
    Write("l.po", Po(std::string("Language: ") + c.language + "\n",
                     "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"b\"\n"));
    Result r = Run({"build", "l.po", "-o", "l.skdb"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Run({"get", "l.skdb", "@locale"}).out, std::string(c.tag) + "\n");
    EXPECT_EQ(r.err.find("has no BCP 47 form") != std::string::npos, c.warned)
        << r.err;
  }
  // --locale names the language of every input: the file's own, even one
  // that cannot be read, stops nothing.
  Write("l.po", Po("Language: xx@@bad\n",
                   "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"b\"\n"));
  Result r = Run({"build", "l.po", "-o", "l.skdb", "--locale", "fr"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Run({"get", "l.skdb", "@locale"}).out, "fr\n");
}

// --- Writer: voice paths and values PO cannot hold -----------------------

TEST_F(Cli, VoicePathsOfEveryShapeSurviveEveryDump) {
  // Spaces at the ends, line breaks and a final backslash were changed by
  // the PO dump, which renamed the next entry.
  Write("v.json", R"({
  "V0": {"value": "a", "voice": " lead"},
  "V1": {"value": "b", "voice": "trail "},
  "V2": {"value": "c", "voice": "vo\\en\\"},
  "V3": {"value": "d", "voice": "two\nlines"},
  "V4": {"value": "e", "voice": "tab\there\r"},
  "V5": {"value": "f", "voice": "q\"uote"},
  "V6": {"value": "g", "voice": ""},
  "V7": {"value": "h", "voice": "\u00e9/\u00fc.ogg"},
  "V8": {"value": "i", "voice": "#, fuzzy"},
  "V9": {"value": "j", "voice": "voice: x"}
})");
  ASSERT_EQ(Run({"build", "v.json", "-o", "v.skdb"}).code, 0);
  ExpectRoundTrips("v.skdb");
  // Controls XML cannot carry still read back from PO.
  Write("c.json",
        R"({"C": {"value": "x", "voice": "a\u0001\u001f\u007fb\\"}})");
  ASSERT_EQ(Run({"build", "c.json", "-o", "c.skdb"}).code, 0);
  ASSERT_EQ(Run({"dump", "c.skdb", "--format", "po", "-o", "c.po"}).code, 0);
  ASSERT_EQ(Run({"build", "c.po", "-o", "c2.skdb"}).code, 0);
  EXPECT_EQ(Read("c2.skdb"), Read("c.skdb"));
}

TEST_F(Cli, VoicePathsAreCheckedLikeValues) {
  Write("v.csv", "id,value,voice\nA,x,vo\xff.ogg\n");
  for (const char *command : {"build", "check"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command, "v.csv"};
    if (std::string(command) == "build")
      args.insert(args.end(), {"-o", "v.skdb"});
    Result r = Run(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_CONTAINS(r.err, "error: v.csv:2: voice path of 'A' is not valid "
                           "UTF-8");
  }
}

TEST_F(Cli, PoDumpRefusesAValueWithTheContextSeparator) {
  Write("s.json", R"({"A": "a\u0004b", "B": "fine"})");
  ASSERT_EQ(Run({"build", "s.json", "-o", "s.skdb"}).code, 0);
  Result d = Run({"dump", "s.skdb", "--format", "po", "-o", "s.po"});
  EXPECT_EQ(d.code, 1);
  EXPECT_CONTAINS(d.err, "value of 'A' holds U+0004");
  Result b = Run({"build", "s.po", "-o", "s2.skdb"});
  EXPECT_EQ(b.code, 0) << b.err;
  EXPECT_EQ(Run({"get", "s2.skdb", "B"}).out, "fine\n");
}

// The reader takes a shortcut for UTF-8 files; these are the cases where
// the bytes must still be read as characters of the declared charset.
TEST_F(Cli, PoTextIsReadInTheCharsetItsHeaderNames) {
  const std::string body = "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"東京\"\n";
  Write("u.po", Po("", body));
  ASSERT_EQ(Run({"build", "u.po", "-o", "u.skdb"}).code, 0);
  EXPECT_EQ(Run({"get", "u.skdb", "A"}).out, "東京\n");

  // Valid UTF-8, but not valid in the charset the file declares.
  std::string euc = Po("", body);
  euc.replace(euc.find("UTF-8"), 5, "EUC-JP");
  Write("e.po", euc);
  Result r = Run({"build", "e.po", "-o", "e.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: e.po:7: invalid multibyte sequence");

  // Declared UTF-8, but not UTF-8.
  Write("b.po", Po("", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"\xff\"\n"));
  r = Run({"build", "b.po", "-o", "b.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: b.po:7: invalid multibyte sequence");

  // Shift_JIS 表 ends in the byte of a backslash, which does not escape
  // the closing quote.
  std::string sjis =
      Po("", "msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"\x95\x5c\"\n");
  sjis.replace(sjis.find("UTF-8"), 5, "Shift_JIS");
  Write("s.po", sjis);
  r = Run({"build", "s.po", "-o", "s.skdb"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Run({"get", "s.skdb", "A"}).out, "表\n");
}

} // namespace
// --- The @po record ------------------------------------------------------

/// The @po value read through a whole JSON document, as the reader did
/// before it read the record directly: what the record must keep giving.
std::optional<tool::PoRecord> DocumentReading(const std::string &json) {
  const nlohmann::json object =
      nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  if (!object.is_object())
    return std::nullopt;
  tool::PoRecord r;
  auto text = [](const nlohmann::json &o, const char *key, std::string &into) {
    auto at = o.find(key);
    const bool found = at != o.end() && at->is_string();
    if (found)
      into = at->get<std::string>();
    return found;
  };
  text(object, "header", r.header);
  text(object, "header-comments", r.headerComments);
  std::string key;
  r.contextKey = text(object, "key", key) && key == "context";
  std::string forms;
  if (text(object, "plural-forms", forms))
    r.pluralForms = forms;
  auto messages = object.find("messages");
  if (messages == object.end() || !messages->is_object())
    return r;
  // Named, not bound: a lambda below uses the value, and clang before 16
  // cannot capture a structured binding.
  for (const auto &item : messages->items()) {
    const std::string &id = item.key();
    const nlohmann::json &one = item.value();
    if (!one.is_object())
      continue;
    tool::PoMessageRecord m;
    std::string plural;
    if (text(one, "plural", plural))
      m.plural = plural;
    text(one, "comments", m.comments);
    std::string msgid;
    if (text(one, "msgid", msgid))
      m.msgid = msgid;
    if (text(one, "prev-msgctxt", msgid))
      m.prevContext = msgid;
    if (text(one, "prev-msgid", msgid))
      m.prevMsgid = msgid;
    if (text(one, "prev-msgid-plural", msgid))
      m.prevPlural = msgid;
    auto strings = [&](const char *name) {
      std::optional<std::vector<std::string>> all;
      auto at = one.find(name);
      if (at == one.end() || !at->is_array())
        return all;
      all.emplace();
      for (const nlohmann::json &f : *at)
        if (f.is_string())
          all->push_back(f.get<std::string>());
      return all;
    };
    m.flags = strings("flags").value_or(std::vector<std::string>());
    m.msgstr = strings("msgstr");
    auto flag = [&](const char *name) {
      auto at = one.find(name);
      return at != one.end() && at->is_boolean() && at->get<bool>();
    };
    m.fuzzy = flag("fuzzy");
    m.obsolete = flag("obsolete");
    r.messages.emplace(id, std::move(m));
  }
  return r;
}

tool::PoMessageRecord Message(std::optional<std::string> plural,
                              std::vector<std::string> flags,
                              std::string comments) {
  tool::PoMessageRecord m;
  m.plural = std::move(plural);
  m.flags = std::move(flags);
  m.comments = std::move(comments);
  return m;
}

std::string Shown(const std::optional<tool::PoRecord> &r) {
  if (!r)
    return "none";
  std::string s = "header=" + r->header +
                  " forms=" + r->pluralForms.value_or("-") +
                  " comments=" + r->headerComments +
                  (r->contextKey ? " by context" : "") + "\n";
  for (const auto &[id, m] : r->messages) {
    s += id + ": plural=" + m.plural.value_or("-") + " comments=" + m.comments +
         " msgid=" + m.msgid.value_or("-") + (m.fuzzy ? " fuzzy" : "") +
         (m.obsolete ? " obsolete" : "") +
         " prev=" + m.prevContext.value_or("-") + "|" +
         m.prevMsgid.value_or("-") + "|" + m.prevPlural.value_or("-") +
         " flags=";
    for (const std::string &f : m.flags)
      s += f + ";";
    if (m.msgstr)
      s += " msgstr=";
    for (const std::string &f : m.msgstr.value_or(std::vector<std::string>()))
      s += f + ";";
    s += "\n";
  }
  return s;
}

TEST(PoRecord, IsWrittenAsAJsonDocumentWould) {
  tool::PoRecord r;
  r.header = "Project-Id-Version: x\nTabs:\t\"q\" \\ \b\f\r\v\x01\x1f\x7f\n";
  r.pluralForms = "nplurals=2; plural=(n != 1);";
  r.messages["menu\x04Open"] = Message(std::nullopt, {"c-format"}, "");
  r.messages["%d file"] =
      Message("%d files\t", {"c-format", "no-wrap"}, "a\nb");
  r.messages["\u00e9t\u00e9 \U0001F600"] = Message(std::nullopt, {}, "comment");
  r.messages["plain"] = {};
  r.headerComments = "Copyright\n\n";
  r.contextKey = true;
  tool::PoMessageRecord &kept = r.messages["old"];
  kept.msgid = "Old";
  kept.fuzzy = kept.obsolete = true;
  kept.msgstr = {"Alt", ""};
  kept.prevContext = "ctx";
  kept.prevMsgid = "Older";
  kept.prevPlural = "Olders";
  // The document replaces text that is not UTF-8, wherever it stands.
  auto document = [](const tool::PoRecord &record) {
    nlohmann::ordered_json doc = {{"header", record.header},
                                  {"header-comments", record.headerComments},
                                  {"key", "context"},
                                  {"plural-forms", *record.pluralForms}};
    nlohmann::ordered_json messages = nlohmann::ordered_json::object();
    for (const auto &[id, m] : record.messages) {
      nlohmann::ordered_json one = nlohmann::ordered_json::object();
      if (m.plural)
        one["plural"] = *m.plural;
      if (!m.flags.empty())
        one["flags"] = m.flags;
      if (!m.comments.empty())
        one["comments"] = m.comments;
      if (m.msgid)
        one["msgid"] = *m.msgid;
      if (m.fuzzy)
        one["fuzzy"] = true;
      if (m.obsolete)
        one["obsolete"] = true;
      if (m.prevContext)
        one["prev-msgctxt"] = *m.prevContext;
      if (m.prevMsgid)
        one["prev-msgid"] = *m.prevMsgid;
      if (m.prevPlural)
        one["prev-msgid-plural"] = *m.prevPlural;
      if (m.msgstr)
        one["msgstr"] = *m.msgstr;
      messages[id] = one;
    }
    doc["messages"] = messages;
    return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  // A reader's collected messages give the same bytes.
  auto collected = [](const tool::PoRecord &record) {
    tool::PoMessageTexts texts;
    for (const auto &[id, m] : record.messages)
      texts.Add(id, m);
    return tool::EncodePoRecord(record, texts);
  };
  EXPECT_EQ(tool::EncodePoRecord(r), document(r));
  EXPECT_EQ(collected(r), document(r));
  r.messages["bad\xff"].flags = {"c-format", "odd\xc3"};
  r.messages["plain"].comments = "cut \xe2\x82";
  r.header += "Broken: \xc0\xaf\n";
  EXPECT_EQ(tool::EncodePoRecord(r), document(r));
  EXPECT_EQ(collected(r), document(r));
  EXPECT_NE(tool::EncodePoRecord(r).find("bad\xef\xbf\xbd"), std::string::npos);
}

TEST(PoRecord, ReadsAsAJsonDocumentWould) {
  tool::PoRecord written;
  written.header = "Project-Id-Version: x\nX-Phrasor-Protect: \\[a\\]\n";
  written.pluralForms = "nplurals=2; plural=(n != 1);";
  written.messages["menu\x04Open"] = Message(std::nullopt, {"c-format"}, "");
  written.messages["%d file"] = Message("%d files", {"c-format", "php-format"},
                                        "Shown \"here\"\nand there");
  written.messages["\u00e9t\u00e9"] = Message(std::nullopt, {}, "comment");
  written.headerComments = "Translators\n";
  written.contextKey = true;
  written.messages["new"].prevMsgid = "New\n";
  tool::PoMessageRecord &kept = written.messages["old"];
  kept.msgid = "Old";
  kept.fuzzy = kept.obsolete = true;
  kept.msgstr = {"Alt", ""};
  const std::string encoded = tool::EncodePoRecord(written);
  EXPECT_EQ(Shown(tool::DecodePoRecord(encoded)), Shown(written));
  const char *const values[] = {
      "",
      "5",
      "[]",
      "\"x\"",
      "{}",
      "{} x",
      "{\"header\":5}",
      "{\"header\":\"a\",\"header\":\"b\"}",
      "{\"header\":\"a\",\"header\":7}",
      "{\"header\":{\"header\":\"no\"},\"plural-forms\":\"f\"}",
      "{\"x\":{\"messages\":{\"A\":{}}},\"y\":[{\"header\":\"no\"}]}",
      "{\"messages\":[{\"A\":{}}]}",
      "{\"messages\":5}",
      "{\"messages\":{\"A\":{}},\"messages\":{\"B\":{}}}",
      "{\"messages\":{\"A\":{}},\"messages\":null}",
      "{\"messages\":{\"A\":5,\"B\":[{}],\"C\":{\"comments\":\"c\"}}}",
      "{\"messages\":{\"A\":{\"plural\":\"x\"},\"A\":7}}",
      "{\"messages\":{\"A\":{\"plural\":\"x\"},\"A\":{\"comments\":\"y\"}}}",
      "{\"messages\":{\"A\":{\"plural\":\"p\",\"plural\":3}}}",
      "{\"messages\":{\"A\":{\"flags\":[\"c-format\",1,[\"x\"],{\"y\":\"z\"},"
      "\"php-format\"]}}}",
      "{\"messages\":{\"A\":{\"flags\":[\"a\"],\"flags\":\"b\"}}}",
      "{\"messages\":{\"A\":{\"nested\":{\"plural\":\"no\"},\"plural\":"
      "\"yes\"}}}",
      "{\"messages\":{\"Z\":{\"comments\":\"z\"},\"A\":{\"comments\":\"a\"}}}",
      "{\"messages\":{\"A\":{\"comments\":\"\xff\"}}}",
      "{\"messages\":{\"A\":{}}",
      "{\"key\":\"context\",\"key\":5,\"header-comments\":[\"c\"]}",
      "{\"key\":\"name\",\"header-comments\":\"c\"}",
      "{\"messages\":{\"A\":{\"fuzzy\":true,\"obsolete\":1,\"msgid\":"
      "\"a\"}}}",
      "{\"messages\":{\"A\":{\"fuzzy\":true,\"fuzzy\":false}}}",
      "{\"messages\":{\"A\":{\"prev-msgid\":\"a\",\"prev-msgid\":5,"
      "\"prev-msgctxt\":[\"b\"],\"prev-msgid-plural\":\"c\"}}}",
      "{\"messages\":{\"A\":{\"msgstr\":[\"a\",1,[\"b\"],{\"c\":\"d\"},"
      "\"e\"]}}}",
      "{\"messages\":{\"A\":{\"msgstr\":\"a\"},\"B\":{\"msgstr\":[]}}}",
  };
  for (const char *value : values) {
    SCOPED_TRACE(value);
    EXPECT_EQ(Shown(tool::DecodePoRecord(value)),
              Shown(DocumentReading(value)));
  }
}

} // namespace phrasor::clitest
