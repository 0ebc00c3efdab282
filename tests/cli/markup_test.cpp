//===- markup_test.cpp - Markup through pseudo, XLIFF, check and report ---===//
//
// The samples ui-en/de/ja.csv hold the markup of a game UI: rich-text tags,
// nested tags, input placeholders and icon codes that the source's
// @protect names. de and ja carry one fault of each sort at a known line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Markup.h"

using namespace phrasor::clitest;
namespace tool = phrasor::tool;

namespace {

std::string Data(const std::string &name) {
  return std::string(PHRASOR_TEST_DATA) + "/" + name;
}

/// The texts of the spans of \p value, read as a message, in order.
std::vector<std::string> Spans(const std::u16string &value,
                               const tool::ProtectRules &rules = {}) {
  std::vector<std::string> out;
  for (const tool::ProtectedSpan &s :
       tool::FindProtected(value, phrasor::TextKind::Message, rules))
    out.push_back(
        tool::Utf16ToUtf8Lossy(value.substr(s.begin, s.end - s.begin)));
  return out;
}

TEST(Markup, FindsTagsPlaceholdersInsertsAndProjectCodes) {
  tool::ProtectRules rules;
  std::string problem;
  ASSERT_TRUE(rules.Add("\\[icon:[a-z_]+\\]", problem)) << problem;
  EXPECT_EQ(Spans(u"<color=#f00>[icon:gold] %1!d!</color> {Act}<br/>", rules),
            (std::vector<std::string>{"<color=#f00>", "[icon:gold]", "%1!d!",
                                      "</color>", "{Act}", "<br/>"}));
  // Without the pattern the icon code is text; comparisons and lone
  // brackets are never tags or placeholders.
  EXPECT_EQ(Spans(u"[icon:gold] a < b > c, x<3 {} {a\nb}"),
            std::vector<std::string>{});
  EXPECT_FALSE(rules.Add("([a-z]", problem));
  EXPECT_NE(problem.find("([a-z]"), std::string::npos);
}

// (a+)+$ tries every way of splitting a run of a's before it gives up on
// the 'b' after them: 2^40 ways here.
const std::u16string kBacktracks = std::u16string(40, u'a') + u"b [icon:gold]";

TEST(Markup, PatternThatBacktracksIsCutOffOnceForTheRun) {
  tool::ProtectRules rules;
  std::string problem;
  ASSERT_TRUE(rules.Add("(a+)+$", problem, "@protect pattern"));
  ASSERT_TRUE(rules.Add("\\[icon:[a-z]+\\]", problem));
  tool::Diagnostics diag;
  std::vector<tool::KeptProblem> kept;
  diag.KeepIn(&kept);
  rules.ReportTo(diag, "fr.csv");
  // Copies count against the same allowance, as the commands pass them.
  const tool::ProtectRules copy = rules;
  for (int i = 0; i < 30; ++i) {
    SCOPED_TRACE(i);
    // The other pattern keeps its spans in every text.
    EXPECT_EQ(Spans(kBacktracks, i % 2 ? copy : rules),
              std::vector<std::string>{"[icon:gold]"});
  }
  EXPECT_EQ(rules.CutOff(), std::vector<std::string>{"(a+)+$"});
  EXPECT_EQ(copy.CutOff(), rules.CutOff());
  // One warning for the run, not one per text.
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].where, "fr.csv");
}

TEST(Markup, PatternAllowanceGrowsWithTheTextSearched) {
  // No steps before any text, one per character searched: a busy pattern
  // that a long run of text pays for keeps its spans.
  tool::ProtectRules rules(tool::ProtectBudget{0, 1});
  std::string problem;
  // From every letter [a-z]+ runs to the end of its word and back before
  // it finds no digit there: about a dozen steps for this text, no more.
  ASSERT_TRUE(rules.Add("[a-z]+[0-9]", problem));
  std::u16string busy;
  for (int i = 0; i < 600; ++i)
    busy += u"abcdefghijklmnopqrst ";
  busy += u"x1";
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(Spans(busy, rules), std::vector<std::string>{"x1"});
  EXPECT_TRUE(rules.CutOff().empty());
  // Nothing earned and nothing granted: the first step is one too many.
  tool::ProtectRules none(tool::ProtectBudget{0, 1000000000});
  ASSERT_TRUE(none.Add("(a+)+$", problem));
  EXPECT_TRUE(Spans(kBacktracks, none).empty());
  EXPECT_EQ(none.CutOff(), std::vector<std::string>{"(a+)+$"});
}

TEST(Markup, CountsUserPerceivedCharactersOutsideSpans) {
  // e + combining acute, a flag of two regional indicators, Japanese.
  EXPECT_EQ(tool::GraphemeCount(u"e\u0301te\u0301"), 3u);
  EXPECT_EQ(tool::GraphemeCount(u"\U0001F1EF\U0001F1F5!"), 2u);
  const std::u16string v = u"<b>{Name}</b>の剣";
  EXPECT_EQ(tool::VisibleLength(
                v, tool::FindProtected(v, phrasor::TextKind::Plain, {})),
            2u);
}

TEST(Markup, ComparesWithTheSource) {
  auto compare = [](const std::u16string &source,
                    const std::u16string &translation) {
    return tool::CompareMarkup(
        source, tool::FindProtected(source, phrasor::TextKind::Plain, {}),
        translation,
        tool::FindProtected(translation, phrasor::TextKind::Plain, {}));
  };
  const std::u16string src = u"<b>Hit</b> <c=red>the <i>{Key}</i></c>";
  // Reordered elements are fine; so is the same nesting in other words.
  EXPECT_TRUE(
      compare(src, u"<c=red><i>{Key}</i> drücken</c> <b>Los</b>").empty());
  EXPECT_EQ(compare(src, u"<b>Hit</b> <c=red>the <i>{Key}</c></i>"),
            (std::vector<std::string>{
                "tags do not balance: '<c=red>' is never closed",
                "tags do not balance: '</c>' closes no open tag"}));
  EXPECT_EQ(compare(src, u"<b>Hit <c=red>the <i>{Key}</i></c></b>"),
            (std::vector<std::string>{
                "nests '<c=red>' inside '<b>' where its source has it at the "
                "top"}));
  EXPECT_EQ(compare(src, u"<b>Hit</b> <c=red>the <i>{Taste}</i></c><br/>"),
            (std::vector<std::string>{"renames '{Key}' to '{Taste}'",
                                      "adds '<br/>', which its source lacks"}));
  // A source that does not balance is not held against its translation.
  EXPECT_TRUE(compare(u"<b>open", u"<b>offen").empty());
}

TEST_F(Cli, PseudoKeepsEveryProtectedSpan) {
  ASSERT_EQ(Run({"build", Data("ui-en.csv"), "-o", "en.skdb"}).code, 0);
  Result p = Run({"pseudo", "en.skdb", "-o", "xa.skdb"});
  ASSERT_EQ(p.code, 0) << p.err;
  // The expansion counts only the text around the spans: " item" is five
  // characters, 40% of which rounds up to two.
  EXPECT_EQ(Run({"get", "xa.skdb", "ITEMS#one"}).out,
            "[<b>%1!d!</b> îţém~~]\n");
  EXPECT_EQ(Run({"get", "xa.skdb", "UI_GOLD"}).out,
            "[<color=yellow>[icon:gold] %1!d! ĝöļď</color>~~~]\n");
  EXPECT_EQ(Run({"get", "xa.skdb", "UI_QUEST"}).out,
            "[Fîñď <b>{NpcName}</b> îñ <color=#88f>ţĥé öļď "
            "mîļļ</color>~~~~~~~~~]\n");
  EXPECT_EQ(Run({"get", "xa.skdb", "UI_BR"}).out,
            "[Ļîñé öñé<br/>ļîñé ţŵö~~~~~~~]\n");
  // "[ÖĶ~]" is five characters where the button takes four.
  EXPECT_CONTAINS(p.err, "warning: en.skdb: ID 'UI_OK': pseudo-localized text "
                         "is 5 characters, over its limit of 4");
  EXPECT_EQ(p.err.find("UI_JUMP"), std::string::npos) << p.err;
  // The copy passes a check against its source, limits aside.
  Result c = Run({"check", "xa.skdb", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_EQ(c.err.find("markup"), std::string::npos) << c.err;

  // --protect adds patterns to a source that has none of its own.
  Write("plain.csv", "id,value\nICON,Pay [coin:5] now\n");
  ASSERT_EQ(Run({"build", "plain.csv", "-o", "plain.skdb"}).code, 0);
  ASSERT_EQ(Run({"pseudo", "plain.skdb", "-o", "p.skdb", "--protect",
                 "\\[coin:[0-9]+\\]"})
                .code,
            0);
  EXPECT_EQ(Run({"get", "p.skdb", "ICON"}).out, "[Páý [coin:5] ñöŵ~~~~]\n");
  Result bad = Run({"pseudo", "plain.skdb", "-o", "q.skdb", "--protect", "("});
  EXPECT_EQ(bad.code, 2);
  EXPECT_CONTAINS(bad.err, "error: --protect: pattern '(' is not a regular "
                           "expression");
}

// A translation's own pattern that backtracks without end, and the same
// pattern given to pseudo and report: each run stops it once and says so.
TEST_F(Cli, PatternThatBacktracksIsCutOffAndReported) {
  std::string en = "id,value\n", fr = "id,value\n@protect,(a+)+$\n";
  const std::string text = tool::Utf16ToUtf8Lossy(kBacktracks);
  for (int i = 0; i < 30; ++i) {
    en += "T" + std::to_string(i) + "," + text + "\n";
    fr += "T" + std::to_string(i) + "," + text + "\n";
  }
  Write("en.csv", en);
  Write("fr.csv", fr);
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  const std::string warning =
      "warning: fr.csv: @protect pattern '(a+)+$' was cut off in the text "
      "'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa...': it took more than the "
      "1000 matching steps a run allows it";
  Result c = Run({"check", "fr.csv", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_CONTAINS(c.err, warning);
  EXPECT_EQ(c.err.find("cut off"), c.err.rfind("cut off")) << c.err;
  Result p = Run({"pseudo", "en.skdb", "-o", "xa.skdb", "--protect", "(a+)+$"});
  EXPECT_EQ(p.code, 0) << p.err;
  EXPECT_CONTAINS(p.err, "warning: en.skdb: --protect pattern '(a+)+$' was "
                         "cut off");
  EXPECT_EQ(p.err.find("cut off"), p.err.rfind("cut off")) << p.err;
  // The page says so too, for those who never see the warnings.
  Result r = Run({"report", "fr.csv", "--against", "en.csv", "-o", "r.html",
                  "--protect", "(a+)+$"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_CONTAINS(Read("r.html"), "<p class=\"warning\">The pattern "
                                  "<code>(a+)+$</code> was cut off");
}

TEST_F(Cli, MarkupFaultsAreReportedAtTheirLines) {
  Write("en.csv", Slurp(Data("ui-en.csv")));
  Write("de.csv", Slurp(Data("ui-de.csv")));
  Write("ja.csv", Slurp(Data("ui-ja.csv")));
  Result de = Run({"check", "de.csv", "--against", "en.csv"});
  EXPECT_EQ(de.code, 0) << de.err;
  for (const char *expected : {
           "warning: de.csv:3: ID 'UI_JUMP': 34 characters, over its limit "
           "of 24",
           "warning: de.csv:4: ID 'UI_GOLD': tags do not balance: "
           "'<color=yellow>' is never closed",
           "warning: de.csv:4: ID 'UI_GOLD': drops '</color>' of its source",
           "warning: de.csv:5: ID 'UI_WARN': nests '<color=red>' inside '<i>' "
           "where its source has it at the top",
           "warning: de.csv:7: ID 'UI_QUEST': renames '{NpcName}' to "
           "'{NPCName}'",
       })
    EXPECT_CONTAINS(de.err, expected);
  Result ja = Run({"check", "ja.csv", "--against", "en.csv", "--strict"});
  EXPECT_EQ(ja.code, 1);
  for (const char *expected :
       {"error: ja.csv:4: ID 'UI_GOLD': drops '[icon:gold]' of its source",
        "error: ja.csv:7: ID 'UI_QUEST': adds '<b>', which its source lacks"})
    EXPECT_CONTAINS(ja.err, expected);
  // "ＯＫ" is two characters, within the limit of 4.
  EXPECT_EQ(ja.err.find("UI_OK"), std::string::npos) << ja.err;
}

TEST_F(Cli, LimitsTravelThroughEveryFormatThatHoldsThem) {
  // Combining accents count once; so does markup not at all.
  Write("en.json", "{\"@locale\": \"en\",\n"
                   "\"OK\": {\"value\": \"<b>OK</b>\", \"max\": 3},\n"
                   "\"N\": {\"one\": \"%1!d! file\", \"other\": \"%1!d! "
                   "files\", \"max\": 10},\n"
                   "\"FREE\": \"no limit\"}\n");
  Result b = Run({"build", "en.json", "-o", "en.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  ExpectRoundTrips("en.skdb", {"csv", "json", "po", "xliff12", "xliff20"});
  EXPECT_CONTAINS(Run({"dump", "en.skdb"}).out, "OK,<b>OK</b>,,3\n");
  EXPECT_CONTAINS(Run({"dump", "en.skdb", "--format", "xliff12"}).out,
                  "maxwidth=\"3\" size-unit=\"char\"");
  EXPECT_CONTAINS(Run({"dump", "en.skdb", "--format", "xliff20"}).out,
                  "slr:sizeRestriction=\"10\"");
  // PO keeps a limit as an extracted comment, which msgmerge takes from
  // the template, so that every translation merged from it has it.
  Result po = Run({"dump", "en.skdb", "--format", "po"});
  EXPECT_CONTAINS(po.out, "#. max: 3\n");
  EXPECT_EQ(po.err, "");

  Write("fr.csv", "id,value\n"
                  "OK,<b>e\xCC\x81te\xCC\x81</b>\n" // 3 characters
                  "N#one,%1!d! fichier\n"
                  "N#other,%1!d! fichiers!\n"); // 10 characters
  EXPECT_EQ(Run({"check", "fr.csv", "--against", "en.skdb"}).err.find("limit"),
            std::string::npos);
  Write("fr.csv", "id,value\nOK,<b>Oui!</b>\nN#other,%1!d! fichiers !!\n");
  Result over = Run({"check", "fr.csv", "--against", "en.skdb"});
  EXPECT_CONTAINS(over.err, "fr.csv:2: ID 'OK': 4 characters, over its limit "
                            "of 3");
  EXPECT_CONTAINS(over.err, "fr.csv:3: ID 'N#other': 12 characters, over its "
                            "limit of 10");

  // A sheet's max column holds for every language of the sheet.
  Write("sheet.csv", "key,en,de,max\nOK,OK,OK,4\nBACK,Back,Zurück,5\n");
  Result sheet = Run({"check", "sheet.csv", "--column", "de", "--against",
                      "sheet.csv", "--against-column", "en"});
  EXPECT_CONTAINS(sheet.err, "sheet.csv:3: ID 'BACK': 6 characters, over its "
                             "limit of 5");
  EXPECT_EQ(sheet.err.find("'OK'"), std::string::npos) << sheet.err;

  // A limit in pixels is not ours; a limit that is no number is reported.
  Write("t.xlf",
        "<xliff version=\"1.2\"><file><body>"
        "<trans-unit id=\"A\" maxwidth=\"80\" size-unit=\"pixel\"><source>a"
        "</source></trans-unit></body></file></xliff>\n");
  ASSERT_EQ(Run({"build", "t.xlf", "--fill-empty", "-o", "t.skdb"}).code, 0);
  EXPECT_EQ(Run({"dump", "t.skdb"}).out, "id,value,voice\nA,a,\n");
  Write("bad.csv", "id,value,max\nA,a,twelve\n");
  Result bad = Run({"build", "bad.csv", "-o", "bad.skdb"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_CONTAINS(bad.err, "error: bad.csv:2: length limit 'twelve' is not a "
                           "whole number of characters above 0");
}

TEST_F(Cli, ProtectSettingIsCheckedAndKeptByDumps) {
  Write("bad.csv", "id,value\n@protect,\"\\[ok\\]\n([a-z\"\nA,a\n");
  Result bad = Run({"build", "bad.csv", "-o", "bad.skdb"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_CONTAINS(bad.err, "error: bad.csv:2: @protect: pattern '([a-z' is "
                           "not a regular expression");
  ASSERT_EQ(Run({"build", Data("ui-en.csv"), "-o", "en.skdb"}).code, 0);
  ExpectRoundTrips("en.skdb", {"csv", "json", "xliff12", "xliff20"});
  // Markup that does not pair, crosses, sits around a conversion, or holds
  // a character XML cannot carry comes back as it was.
  Write("odd.json",
        "{\"PF\": {\"value\": \"<b>%s</b> 100%%\", \"kind\": \"printf\"},\n"
        "\"GLUED\": \"{A}{B}<i></i>\",\n"
        "\"CTRL\": \"<b\\u0001>x</b>\",\n"
        "\"LONE\": \"</b>unbalanced<b>\",\n"
        "\"CROSS\": \"<a><b></a></b>\",\n"
        "\"TXT\": \"100% <b>done</b> {\"}\n");
  Result b = Run({"build", "odd.json", "-o", "odd.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  ExpectRoundTrips("odd.skdb", {"csv", "json", "xliff12", "xliff20"});
}

/// The target of the unit of \p dump that names \p id, with its first two
/// paired codes (<pc> or <g>, holding no pair themselves) swapped, as a
/// translation tool lets a translator reorder them.
std::string SwapPairsInTarget(std::string dump, const std::string &id,
                              const std::string &pair) {
  const std::size_t unit = dump.find("\"" + id + "\"");
  const std::size_t target = dump.find("<target", unit);
  const std::size_t end = dump.find("</target>", target);
  const std::string open = "<" + pair + " ", close = "</" + pair + ">";
  const std::size_t a = dump.find(open, target);
  const std::size_t aEnd = dump.find(close, a) + close.size();
  const std::size_t b = dump.find(open, aEnd);
  const std::size_t bEnd = dump.find(close, b) + close.size();
  EXPECT_LE(bEnd, end);
  const std::string first = dump.substr(a, aEnd - a);
  const std::string between = dump.substr(aEnd, b - aEnd);
  const std::string second = dump.substr(b, bEnd - b);
  return dump.replace(a, bEnd - a, second + between + first);
}

TEST_F(Cli, XliffCarriesMarkupAsInlineCodesAndReadsItBack) {
  ASSERT_EQ(Run({"build", Data("ui-en.csv"), "-o", "en.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", Data("ui-de.csv"), "-o", "de.skdb"}).code, 0);
  const std::string quest = Run({"get", "de.skdb", "UI_QUEST"}).out;
  for (const std::string format : {"xliff12", "xliff20"}) {
    SCOPED_TRACE(format);
    Result d = Run({"dump", "de.skdb", "--source", "en.skdb", "--format",
                    format, "-o", "de.xlf"});
    ASSERT_EQ(d.code, 0) << d.err;
    const std::string xlf = Read("de.xlf");
    const bool two = format == "xliff20";
    // No markup is left as escaped text a translator could edit; only
    // 2.0's <originalData> holds the codes' text.
    std::string text = xlf;
    for (std::size_t at;
         (at = text.find("<originalData>")) != std::string::npos;)
      text.erase(at, text.find("</originalData>", at) - at);
    EXPECT_EQ(text.find(">&lt;"), std::string::npos) << xlf;
    if (two) {
      EXPECT_CONTAINS(xlf, "<pc id=\"3\" dataRefStart=\"d4\" dataRefEnd=\"d5\" "
                           "dispStart=\"&lt;color=#88f&gt;\" "
                           "dispEnd=\"&lt;/color&gt;\">the old mill</pc>");
      EXPECT_CONTAINS(xlf, "<ph id=\"1\" dataRef=\"d1\" disp=\"{ActionJump}\" "
                           "equiv=\"{ActionJump}\"/>");
      EXPECT_CONTAINS(xlf, "disp=\"&lt;br/&gt;\"/>");
    } else {
      EXPECT_CONTAINS(xlf, "<g id=\"3\" ctype=\"x-tag\" "
                           "phr:open=\"&lt;color=#88f&gt;\" "
                           "phr:close=\"&lt;/color&gt;\">the old mill</g>");
      EXPECT_CONTAINS(xlf, "<x id=\"2\" equiv-text=\"[icon:gold]\"/>");
    }
    // Read back as the same texts.
    ASSERT_EQ(Run({"build", "de.xlf", "-o", "back.skdb"}).code, 0);
    for (const char *id :
         {"UI_JUMP", "UI_GOLD", "UI_WARN", "UI_QUEST", "UI_BR", "ITEMS#one"})
      EXPECT_EQ(Run({"get", "back.skdb", id}).out,
                Run({"get", "de.skdb", id}).out)
          << id;
    // A translator moves the place before the name.
    Write("moved.xlf", SwapPairsInTarget(xlf, "UI_QUEST", two ? "pc" : "g"));
    Result m = Run({"build", "moved.xlf", "-o", "moved.skdb"});
    ASSERT_EQ(m.code, 0) << m.err;
    EXPECT_EQ(Run({"get", "moved.skdb", "UI_QUEST"}).out,
              "Finde <color=#88f>der alten Mühle</color> in "
              "<b>{NPCName}</b>\n");
    EXPECT_NE(quest, Run({"get", "moved.skdb", "UI_QUEST"}).out);
  }
}

TEST_F(Cli, ReportPageRendersTheNumbersInABrowser) {
  Write("en.csv", Slurp(Data("ui-en.csv")));
  Write("de.csv", Slurp(Data("ui-de.csv")));
  Write("ja.csv", Slurp(Data("ui-ja.csv")));
  Result r = Run(
      {"report", "--against", "en.csv", "de.csv", "ja.csv", "-o", "r.html"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string page = Read("r.html");
  // Self-contained: nothing is fetched from anywhere.
  for (const char *outside :
       {"http:", "https:", "src=", "<script", "<link", "@import", "url("})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;

  if (std::system("command -v chromium >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "chromium is not installed (scripts/deps default installs "
                    "it); the page was not rendered";
  const std::string browser =
      "cd " + Quote(dir.string()) +
      " && chromium --headless --no-sandbox --disable-gpu "
      "--user-data-dir=profile --no-first-run ";
  ASSERT_EQ(
      std::system((browser + "--dump-dom file://" +
                   Quote((dir / "r.html").string()) + " >dom.html 2>/dev/null")
                      .c_str()),
      0);
  const std::string dom = Read("dom.html");
  for (const char *expected : {
           "7 / 7 (100%)",
           "6 / 7 (85.7%)",
           "style=\"width:85.7%\"",
           "<h4>markup (5)</h4>",
           "<h4>missing (1)</h4>",
           "<code>ja.csv:4</code>",
           "renames '{NpcName}' to '{NPCName}'",
           "<td>UI_JUMP</td><td><code>de.csv:3</code></td><td "
           "class=\"num\">34</td><td class=\"num\">24</td>",
           "<b>one</b>: <code dir=\"auto\">&lt;b&gt;<bdi "
           "dir=\"ltr\">%1!d!</bdi>&lt;/b&gt; Gegenstand</code>",
           "<b>other</b>: <code dir=\"auto\">&lt;b&gt;<bdi "
           "dir=\"ltr\">%1!d!</bdi>&lt;/b&gt;個のアイテム</code>",
       })
    EXPECT_CONTAINS(dom, expected);
  ASSERT_EQ(std::system((browser + "--window-size=1200,1600 --screenshot=" +
                         Quote((dir / "r.png").string()) + " file://" +
                         Quote((dir / "r.html").string()) + " >/dev/null 2>&1")
                            .c_str()),
            0);
  EXPECT_GT(fs::file_size(dir / "r.png"), 10000u);
}

} // namespace
