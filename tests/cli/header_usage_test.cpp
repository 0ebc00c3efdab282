//===- header_usage_test.cpp - phrasor header and phrasor usage -----------===//

#include "tests/cli/CliTest.h"

#include <chrono>

namespace phrasor::clitest {
namespace {

const char *const kSource = "id,value\n"
                            "@locale,en\n"
                            "UI_TITLE,The Lantern Road\n"
                            "DLG_GOLD,%1!s! pays %2!d! gold.\n"
                            "FILES#one,%1!d! file\n"
                            "FILES#other,%1!d! files\n"
                            "menu.title,Menu\n";

TEST_F(Cli, HeaderWritesOneEnumeratorPerIdAndRewritesOnlyOnChange) {
  Write("en.csv", kSource);
  Result r =
      Run({"header", "en.csv", "-o", "msg.h", "--namespace", "game::msg"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string header = Read("msg.h");
  EXPECT_CONTAINS(header, "namespace game::msg {");
  EXPECT_CONTAINS(header, "enum phrasorText_S_I : unsigned long long {\n"
                          "  DLG_GOLD = ");
  EXPECT_CONTAINS(header, "phrasorShape(phrasorText_S_I) {\n  return "
                          "{phrasor::typed::Call::Format, \"S_I\", "
                          "phrasorIds};");
  EXPECT_CONTAINS(header, "enum phrasorPlural_I : unsigned long long {\n"
                          "  FILES = ");
  EXPECT_CONTAINS(header, "menu_title = 0x");
  EXPECT_CONTAINS(header, "// menu.title\n");
  EXPECT_CONTAINS(header, "\"menu.title\"");
  EXPECT_EQ(header.find("pays"), std::string::npos)
      << "texts are left out unless asked for";
  EXPECT_EQ(header.find("@locale"), std::string::npos);

  // The same IDs and inserts leave the file alone, whatever the texts say,
  // so nothing that includes it is rebuilt; a new ID or a retyped insert is
  // written.
  const fs::file_time_type old =
      fs::last_write_time(dir / "msg.h") - std::chrono::hours(1);
  fs::last_write_time(dir / "msg.h", old);
  const auto unchangedBy = [&](const std::string &source) {
    Write("en.csv", source);
    EXPECT_EQ(
        Run({"header", "en.csv", "-o", "msg.h", "--namespace", "game::msg"})
            .code,
        0);
    return fs::last_write_time(dir / "msg.h") == old;
  };
  EXPECT_TRUE(unchangedBy(kSource));
  std::string edited = kSource;
  edited.replace(edited.find("pays"), 4, "gives");
  edited.replace(edited.find("Lantern"), 7, "Lamp");
  EXPECT_TRUE(unchangedBy(edited)) << "an edited text rewrote the header";
  std::string retyped = kSource;
  retyped.replace(retyped.find("%2!d!"), 5, "%2!s!");
  EXPECT_FALSE(unchangedBy(retyped));
  EXPECT_CONTAINS(Read("msg.h"), "enum phrasorText_S_S ");
  EXPECT_FALSE(unchangedBy(std::string(kSource) + "UI_NEW,New\n"));
  EXPECT_CONTAINS(Read("msg.h"), "  UI_NEW = ");

  // A database gives the same header as its source.
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  ASSERT_EQ(
      Run({"header", "en.skdb", "-o", "db.h", "--namespace", "game::msg"}).code,
      0);
  const std::string fromSource = Read("msg.h"), fromDb = Read("db.h");
  EXPECT_EQ(fromSource.substr(fromSource.find('\n')),
            fromDb.substr(fromDb.find('\n')));

  // Asked for, each ID's texts are its comment, for an editor to show.
  Write("en.csv", kSource);
  ASSERT_EQ(Run({"header", "en.csv", "-o", "texts.h", "--texts"}).code, 0);
  const std::string texts = Read("texts.h");
  EXPECT_CONTAINS(texts, "  /// DLG_GOLD: \"%1!s! pays %2!d! gold.\"\n"
                         "  DLG_GOLD = ");
  EXPECT_CONTAINS(texts, "  /// FILES#one: \"%1!d! file\"\n"
                         "  /// FILES#other: \"%1!d! files\"\n"
                         "  FILES = ");
}

// A plain entry beside a plural's forms is the text a count falls back
// to: the plural's object, not a second object of the same name.
TEST_F(Cli, HeaderTakesAPluralsPlainFallbackAsOneOfItsForms) {
  Write("en.csv", "id,value\n"
                  "FILES#one,%1!d! file\n"
                  "FILES#other,%1!d! files\n"
                  "FILES,%1!d! file(s)\n");
  Result r = Run({"header", "en.csv", "-o", "msg.h", "--texts"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string header = Read("msg.h");
  EXPECT_CONTAINS(header, "  /// FILES#one: \"%1!d! file\"\n"
                          "  /// FILES#other: \"%1!d! files\"\n"
                          "  /// FILES: \"%1!d! file(s)\"\n"
                          "  FILES = ");
  EXPECT_EQ(header.find("enum phrasorText"), std::string::npos);
}

TEST_F(Cli, HeaderRefusesNamesThatClashOrAreNotAllowed) {
  Write("en.csv", "id,value\n"
                  "menu.title,A\n"
                  "menu-title,B\n"
                  "delete,C\n"
                  "A__B,D\n"
                  "OK,E\n"
                  "std,F\n"
                  "typeof,G\n"
                  "unix,I\n"
                  "phrasorShape,H\n");
  Result r = Run({"header", "en.csv", "-o", "msg.h"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "error: en.csv:3: ID 'menu-title' gives the C++ name "
                         "'menu_title' as ID 'menu.title' does (en.csv:2)");
  EXPECT_CONTAINS(r.err, "error: en.csv:4: ID 'delete' gives the C++ name "
                         "'delete', which is a keyword");
  EXPECT_CONTAINS(r.err, "error: en.csv:5: ID 'A__B' gives the C++ name "
                         "'A__B', which is reserved");
  EXPECT_CONTAINS(r.err, "error: en.csv:7: ID 'std' gives the C++ name "
                         "'std', which is reserved");
  // A keyword of the GNU dialects, which CMake compiles in by default.
  EXPECT_CONTAINS(r.err, "error: en.csv:8: ID 'typeof' gives the C++ name "
                         "'typeof', which is a keyword");
  EXPECT_CONTAINS(r.err, "error: en.csv:9: ID 'unix' gives the C++ name "
                         "'unix', which is a macro of the GNU dialects");
  EXPECT_CONTAINS(r.err, "error: en.csv:10: ID 'phrasorShape' gives the C++ "
                         "name 'phrasorShape', which is reserved");
  EXPECT_FALSE(Exists("msg.h"));

  Write("ok.csv", "id,value\nOK,E\n");
  EXPECT_EQ(Run({"header", "ok.csv", "-o", "msg.h", "--namespace", "a::"}).code,
            2);
  EXPECT_EQ(Run({"header", "ok.csv", "-o", "msg.h", "--namespace", "new"}).code,
            2);
}

// A gettext key holds line breaks; in the object's comment it must stay on
// its line, or the rest of the key would be code.
TEST_F(Cli, HeaderKeepsASourceTextKeyInsideItsComment) {
  Write("en.po", "msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                 "msgid \"Quit?\\nint x = 1;\"\n"
                 "msgstr \"Quit?\\nint x = 1;\"\n");
  ASSERT_EQ(Run({"header", "en.po", "-o", "msg.h", "--texts"}).code, 0);
  EXPECT_CONTAINS(Read("msg.h"), "/// \"Quit\\?\\nint x = 1;\": ");
  EXPECT_EQ(Read("msg.h").find("\nint x = 1;"), std::string::npos);
  ASSERT_EQ(Run({"header", "en.po", "-o", "msg.h"}).code, 0);
  EXPECT_CONTAINS(Read("msg.h"), "// \"Quit\\?\\nint x = 1;\"\n");
  EXPECT_CONTAINS(Read("msg.h"), "    \"Quit\\?\\nint x = 1;\"");
  EXPECT_EQ(Read("msg.h").find("\nint x = 1;"), std::string::npos);

  // An ID's bytes beyond ASCII are escaped in its block, so that they reach
  // the lookup as written whatever character set the compiler assumes.
  Write("cafe.csv", "id,value\ncaf\xC3\xA9,E\n");
  ASSERT_EQ(Run({"header", "cafe.csv", "-o", "cafe.h"}).code, 0);
  EXPECT_CONTAINS(Read("cafe.h"), "\"caf\\303\\251\"");

  // So does a line break in the source's own file name.
  Write("en\n#error injected\n.csv", "id,value\nOK,E\n");
  ASSERT_EQ(Run({"header", "en\n#error injected\n.csv", "-o", "f.h"}).code, 0);
  EXPECT_CONTAINS(Read("f.h"), "from \"en\\n#error injected\\n.csv\"");
  EXPECT_EQ(Read("f.h").find("\n#error"), std::string::npos);
}

/// \p header with each enumerator's value as "0x..", which says where
/// its ID's text is and not what the tests look for.
std::string Valueless(const std::string &header) {
  auto hex = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
  };
  std::string out;
  std::size_t from = 0;
  for (std::size_t at;
       (at = header.find(" = 0x", from)) != std::string::npos;) {
    std::size_t end = at + 5;
    while (end < header.size() && hex(header[end]))
      ++end;
    const bool value =
        end > at + 5 && end < header.size() && header[end] == ',';
    out.append(header, from, at - from);
    out += value ? " = 0x..," : header.substr(at, end - at);
    from = value ? end + 1 : end;
  }
  return out + header.substr(from);
}

// ICU arguments are numbered, but their names are what the program's
// author knows them by: each named ID lists them beside its enumerator,
// in the order a call passes them, from the source or its database alike.
TEST_F(Cli, HeaderListsTheParametersAnIcuTextNames) {
  const std::string source =
      "{\"@locale\": \"en\",\n"
      " \"DLG_GOLD\": \"{name} pays {gold, number, integer} gold.\",\n"
      " \"FILES\": \"{count, plural, one {# file in {dir}} other {# files in "
      "{dir}}}\",\n"
      " \"TITLE\": \"{rank, select, knight {Sir {who}} other {{who}}}\",\n"
      " \"ui.plain\": \"Hello\"}\n";
  Write("en.json", source);
  ASSERT_EQ(Run({"header", "--syntax", "icu", "en.json", "-o", "msg.h"}).code,
            0);
  const std::string header = Read("msg.h"), lines = Valueless(header);
  EXPECT_CONTAINS(lines, "  DLG_GOLD = 0x.., // (name: text, gold: "
                         "integer)\n");
  EXPECT_CONTAINS(lines, "  FILES = 0x.., // (count: count, dir: text, "
                         "count: integer)\n");
  EXPECT_CONTAINS(lines, "  TITLE = 0x.., // (rank: word, who: text)\n");
  EXPECT_CONTAINS(lines, "  ui_plain = 0x.., // ui.plain\n")
      << "an ID without arguments keeps its plain comment";

  // The names are interface: a text edited around them writes the same
  // bytes, a renamed argument does not.
  std::string edited = source;
  edited.replace(edited.find("pays"), 4, "gives");
  Write("edited.json", edited);
  ASSERT_EQ(
      Run({"header", "--syntax", "icu", "edited.json", "-o", "edited.h"}).code,
      0);
  const std::string again = Read("edited.h");
  EXPECT_EQ(header.substr(header.find('\n')), again.substr(again.find('\n')));
  std::string renamed = source;
  renamed.replace(renamed.find("{name}"), 6, "{hero}");
  Write("renamed.json", renamed);
  ASSERT_EQ(
      Run({"header", "--syntax", "icu", "renamed.json", "-o", "re.h"}).code, 0);
  EXPECT_CONTAINS(Read("re.h"), "// (hero: text, gold: integer)\n");

  // The database keeps the names, so its header is the source's.
  ASSERT_EQ(Run({"build", "--syntax", "icu", "en.json", "-o", "en.skdb"}).code,
            0);
  ASSERT_EQ(Run({"header", "en.skdb", "-o", "db.h"}).code, 0);
  const std::string fromDb = Read("db.h");
  EXPECT_EQ(header.substr(header.find('\n')), fromDb.substr(fromDb.find('\n')));

  // Texts shown, the list follows the enumerator as the ID would.
  ASSERT_EQ(
      Run({"header", "--syntax", "icu", "en.json", "-o", "texts.h", "--texts"})
          .code,
      0);
  EXPECT_CONTAINS(Valueless(Read("texts.h")),
                  "pays %2!'d! gold.\"\n"
                  "  DLG_GOLD = 0x.., // (name: text, "
                  "gold: integer)\n");

  // Without names nothing is added: the header of a phrasor-syntax source
  // carries no parameter list.
  Write("en.csv", kSource);
  ASSERT_EQ(Run({"header", "en.csv", "-o", "plain.h"}).code, 0);
  EXPECT_EQ(Read("plain.h").find("// ("), std::string::npos);
}

// A record is data: a name with a line break in it must not end the
// comment and put the rest of the name in the code.
TEST_F(Cli, HeaderKeepsAnArgumentNameInsideItsComment) {
  Write("en.csv", "id,value\n"
                  "@icu-args,\"{\"\"X\"\": {\"\"names\"\": "
                  "[\"\"a\\nint y;\"\"]}}\"\n"
                  "X,%1!s!\n");
  ASSERT_EQ(Run({"header", "en.csv", "-o", "msg.h"}).code, 0);
  EXPECT_CONTAINS(Valueless(Read("msg.h")),
                  "  X = 0x.., // (\"a\\nint y;\": text)\n");
  EXPECT_EQ(Read("msg.h").find("\nint y;"), std::string::npos);
}

TEST_F(Cli, UsageFindsMisspeltIdsWithTheirLinesAndUnusedOnes) {
  Write("en.csv", kSource);
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  fs::create_directories(dir / "src");
  Write("src/game.cpp",
        "#include \"msg.h\"\n"
        "void f(const phrasor::Localizer &l) {\n"
        "  l.format(msg::DLG_GOLD, \"Ann\", 1); // msg::NOT_SEEN\n"
        "  l.format(\"DLG_GLOD\", \"Ann\", 1);\n"
        "  l.plural(msg::FILES, 2, 2);\n"
        "  /* msg::ALSO_NOT_SEEN */ l.find(msg::UI_TITEL);\n"
        "  std::string(\"x\").find(\"x\");\n"
        "  char b[9]; l.formatUtf8To(b, 9, \"menu.TITLE\");\n"
        "}\n");
  Write("src/notes.txt", "msg::IGNORED_FILE\n");
  Result r = Run({"usage", "--db", "en.skdb", "src"});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_CONTAINS(r.err, "error: src/game.cpp:4: format(\"DLG_GLOD\"): no ID "
                         "'DLG_GLOD' in the catalog");
  EXPECT_CONTAINS(r.err, "error: src/game.cpp:6: 'msg::UI_TITEL' names no ID "
                         "of the catalog");
  EXPECT_CONTAINS(r.err, "warning: src/game.cpp:7: find(\"x\")");
  EXPECT_CONTAINS(r.err, "warning: en.skdb: ID 'UI_TITLE' is never used");
  EXPECT_EQ(r.err.find("SEEN"), std::string::npos) << "comments are skipped";
  EXPECT_EQ(r.err.find("IGNORED"), std::string::npos);
  EXPECT_EQ(r.err.find("'menu.title' is never"), std::string::npos)
      << "IDs match ignoring case, as lookups do";
  EXPECT_EQ(r.err.find("'FILES' is never"), std::string::npos);

  Write("src/game.cpp", "void f(const phrasor::Catalog &c) {\n"
                        "  c.find(\"UI_TITLE\");\n"
                        "  c.format(\"DLG_GOLD\", \"a\", 1);\n"
                        "  std::format(\"{} gold\", 1);\n"
                        "  fmt::format(\"{}\", 2);\n"
                        "}\n");
  r = Run({"usage", "--db", "en.csv", "src/game.cpp"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(r.err, "warning: en.csv:5: ID 'FILES' is never used");
  EXPECT_EQ(Run({"usage", "--db", "en.csv", "--strict", "src/game.cpp"}).code,
            1);
  // A gettext key is found as the compiler spells its escapes.
  Write("en.po", "msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                 "msgid \"Quit?\\n\"\nmsgstr \"Quit?\\n\"\n");
  Write("src/game.cpp", "void f(const phrasor::Catalog &c) {\n"
                        "  c.find(\"Quit?\\n\");\n"
                        "}\n");
  r = Run({"usage", "--db", "en.po", "--strict", "src/game.cpp"});
  EXPECT_EQ(r.code, 0) << r.err;
}

TEST_F(Cli, UsageFailsOnAFindOfAnIdOneEditAway) {
  // A find of an unknown literal may be a string's own; one edit from an ID
  // of the catalog it is a misspelt lookup, whatever edit and wherever.
  Write("en.csv", kSource);
  Write("game.cpp", "void f(const phrasor::Localizer &l, std::string s) {\n"
                    "  l.find(\"UI_TITEL\");\n"
                    "  l.contains(\"DLG_GOL\");\n"
                    "  l.find(\"Menu.titles\");\n"
                    "  l.find(\"XLG_GOLD\");\n"
                    "  l.format(\"UI_TITLEE\");\n"
                    "  s.find(\"FILE\");\n"
                    "  s.find(\"UI TITLE\");\n"
                    "  s.find(\"LANTERN\");\n"
                    "}\n");
  Result r = Run({"usage", "--db", "en.csv", "game.cpp"});
  EXPECT_EQ(r.code, 1) << r.err;
  for (const char *error :
       {"error: game.cpp:2: find(\"UI_TITEL\"): no ID 'UI_TITEL' in the "
        "catalog (did you mean 'UI_TITLE'?)",
        "error: game.cpp:3: contains(\"DLG_GOL\"): no ID 'DLG_GOL' in the "
        "catalog (did you mean 'DLG_GOLD'?)",
        "error: game.cpp:4: find(\"Menu.titles\"): no ID 'Menu.titles' in the "
        "catalog (did you mean 'menu.title'?)",
        "error: game.cpp:5: find(\"XLG_GOLD\"): no ID 'XLG_GOLD' in the "
        "catalog (did you mean 'DLG_GOLD'?)",
        "error: game.cpp:6: format(\"UI_TITLEE\"): no ID 'UI_TITLEE' in the "
        "catalog (did you mean 'UI_TITLE'?)",
        "warning: game.cpp:7: find(\"FILE\"): no ID 'FILE' in the catalog\n",
        "warning: game.cpp:8: find(\"UI TITLE\"): no ID 'UI TITLE' in the "
        "catalog\n",
        "warning: game.cpp:9: find(\"LANTERN\"): no ID 'LANTERN' in the "
        "catalog\n"})
    EXPECT_CONTAINS(r.err, error);

  // Misses of a string's own finds and unused IDs are warnings only.
  Write("game.cpp", "void f(std::string s) { s.find(\"LANTERN\"); }\n");
  r = Run({"usage", "--db", "en.csv", "game.cpp"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(r.err, "warning: en.csv:3: ID 'UI_TITLE' is never used");
}

} // namespace
} // namespace phrasor::clitest
