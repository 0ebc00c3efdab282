//===- xliff_test.cpp - XLIFF 1.2 and 2.0 in and out ----------------------===//
//
// Files shaped like a translation tool's exports, bilingual dumps that come
// back as the same database, and every refusal with its file:line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

using namespace phrasor::clitest;

namespace {

const char *const kXliffFormats[] = {"xliff12", "xliff20"};

TEST_F(Cli, XliffDumpsOfTheExamplesBuildTheSameDatabase) {
  const std::string data = PHRASOR_EXAMPLES;
  const char *inputs[] = {"en.csv",      "fr.json",       "de.po",
                          "ja.po",       "game/en.csv",   "game/fr.csv",
                          "game/ru.csv", "game/fr-CA.csv"};
  ASSERT_EQ(Run({"build", data + "/en.csv", "-o", "en.skdb"}).code, 0);
  for (const char *input : inputs) {
    ASSERT_EQ(Run({"build", data + "/" + input, "-o", "db.skdb"}).code, 0);
    for (const char *format : kXliffFormats) {
      for (bool bilingual : {false, true}) {
        SCOPED_TRACE(std::string(input) + " " + format +
                     (bilingual ? " --source" : ""));
        std::vector<std::string> dump = {"dump", "db.skdb", "--format",
                                         format, "-o",      "db.xlf"};
        if (bilingual)
          dump.insert(dump.end(), {"--source", "en.skdb"});
        Result d = Run(dump);
        ASSERT_EQ(d.code, 0) << d.err;
        Result b = Run({"build", "db.xlf", "-o", "rt.skdb"});
        ASSERT_EQ(b.code, 0) << b.err;
        EXPECT_EQ(Read("rt.skdb"), Read("db.skdb")) << Read("db.xlf");
      }
    }
  }
}

// What XML cannot write as it is (CR, control characters, markup), what the
// formats keep apart (empty and absent values), voice paths, kinds, gettext
// keys with a context, and plural texts.
TEST_F(Cli, XliffKeepsWhatARebuildNeeds) {
  Write("e.csv", "id,value,voice,kind\r\n"
                 "A,\"x\r\ny\rz\",,\r\n"
                 "B,\"\",v/b.ogg,\r\n"
                 "C,,v/c.ogg,\r\n"
                 "D,\"tab\there <&> \"\"q\"\" ]]>\",\"v/&\"\"<.ogg\",\r\n"
                 "E,\"ctl\x01\x1f end \xef\xbf\xbe\",,\r\n"
                 "F,\"  lead and trail  \",,\r\n"
                 "H,Use %s,,text\r\n"
                 "ITEMS#one,%1!d! item,,\r\n"
                 "ITEMS#other,%1!d! items,,\r\n"
                 "@locale,en-GB,,\r\n");
  ASSERT_EQ(Run({"build", "e.csv", "-o", "e.skdb"}).code, 0);
  ExpectRoundTrips("e.skdb");

  Write("c.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"Open\"\n\n"
                "msgid \"Open\"\nmsgstr \"Open it\"\n");
  ASSERT_EQ(Run({"build", "c.po", "--po-key", "source", "-o", "c.skdb"}).code,
            0);
  ExpectRoundTrips("c.skdb");
}

// Names and voice paths are attributes, where XML has no way to write a
// control character or U+FFFE: such a unit spells them with escapes and
// says so, instead of being left out of the dump.
TEST_F(Cli, XliffWritesIdsAndVoicePathsXmlCannotCarry) {
  Write("n.csv", "id,value,voice\n"
                 "A,Hello,\"vo/a\x01\\b.ogg\"\n"
                 "B\xef\xbf\xbe\\C,World,\n"
                 "N\xef\xbf\xbf#one,One,\n"
                 "N\xef\xbf\xbf#other,Many,\n"
                 "PLAIN,x,vo/plain.ogg\n"
                 "@locale,en,\n");
  ASSERT_EQ(Run({"build", "n.csv", "-o", "n.skdb"}).code, 0);
  // A gettext key may hold what no name may: a terminal's escape sequence
  // in its context and its msgid.
  Write("t.po", "msgid \"\"\nmsgstr \"\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                "msgctxt \"\x1b[1m\"\nmsgid \"\x1b[1mBold\\n\"\n"
                "msgstr \"\x1b[1mFett\\n\"\n");
  ASSERT_EQ(Run({"build", "t.po", "--po-key", "source", "-o", "t.skdb"}).code,
            0);
  for (const char *db : {"n.skdb", "t.skdb"})
    for (const char *format : {"xliff12", "xliff20"}) {
      SCOPED_TRACE(std::string(db) + " " + format);
      Result d = Run({"dump", db, "--format", format});
      EXPECT_EQ(d.code, 0) << d.err;
      EXPECT_EQ(d.err, "");
      EXPECT_CONTAINS(d.out, "phr:escaped=\"yes\"");
    }
  Result d = Run({"dump", "n.skdb", "--format", "xliff20"});
  EXPECT_CONTAINS(d.out,
                  "name=\"B\\xEF\\xBF\\xBE\\\\C\" xml:space=\"preserve\" "
                  "phr:escaped=\"yes\"");
  EXPECT_CONTAINS(d.out, "phr:voice=\"vo/a\\x01\\\\b.ogg\"");
  // Units that need no escapes are written as before.
  EXPECT_CONTAINS(d.out, "name=\"PLAIN\" xml:space=\"preserve\" "
                         "phr:voice=\"vo/plain.ogg\">");
  ExpectRoundTrips("n.skdb", {"xliff12", "xliff20"});
  ExpectRoundTrips("t.skdb", {"xliff12", "xliff20"});

  // A malformed escape in a unit that says it has them is an error.
  Write("bad.xlf", "<?xml version=\"1.0\"?>\n<xliff version=\"2.0\" "
                   "xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" "
                   "xmlns:phr=\"urn:phrasor:xliff:1\" srcLang=\"en\" "
                   "trgLang=\"de\">\n<file id=\"f\">\n"
                   "<unit id=\"u1\" name=\"A\\q\" phr:escaped=\"yes\"><segment>"
                   "<source>a</source><target>b</target></segment></unit>\n"
                   "</file>\n</xliff>\n");
  Result bad = Run({"build", "bad.xlf", "-o", "bad.skdb"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_CONTAINS(bad.err, "error: bad.xlf:4: <unit> 'A\\q' has phr:escaped "
                           "but a malformed escape in its name");
}

// Inserts, escapes and conversions reach the translator as codes the tool
// will not let them break, with the same id in source and target.
TEST_F(Cli, XliffProtectsInsertsAsInlineCodes) {
  Write("en.csv", "id,value\nM,%1!s! has %2!d! points (100%%)\nP,HP %d/%d\n");
  Write("fr.csv", "id,value\nM,%2!d! points pour %1!s!\nP,PV %d/%d\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", "fr.csv", "-o", "fr.skdb"}).code, 0);
  Result v1 =
      Run({"dump", "fr.skdb", "--format", "xliff12", "--source", "en.skdb"});
  EXPECT_CONTAINS(v1.out, "<source><ph id=\"1\">%1!s!</ph> has <ph "
                          "id=\"2\">%2!d!</ph> points (100<ph "
                          "id=\"3\">%%</ph>)</source><target "
                          "state=\"translated\"><ph id=\"2\">%2!d!</ph> "
                          "points pour <ph id=\"1\">%1!s!</ph></target>");
  // Each code has an id of its own; two of one kind share their data.
  EXPECT_CONTAINS(v1.out, "PV <ph id=\"1\">%d</ph>/<ph id=\"2\">%d</ph>");
  Result v2 =
      Run({"dump", "fr.skdb", "--format", "xliff20", "--source", "en.skdb"});
  EXPECT_CONTAINS(v2.out,
                  "<unit id=\"u1\" name=\"M\" xml:space=\"preserve\">"
                  "<originalData><data id=\"d1\">%1!s!</data><data "
                  "id=\"d2\">%2!d!</data><data id=\"d3\">%%</data>"
                  "</originalData><segment state=\"translated\"><source><ph "
                  "id=\"1\" dataRef=\"d1\"/> has <ph id=\"2\" dataRef=\"d2\"/> "
                  "points (100<ph id=\"3\" dataRef=\"d3\"/>)</source>");
  EXPECT_CONTAINS(v2.out, "PV <ph id=\"1\" dataRef=\"d1\"/>/<ph id=\"2\" "
                          "dataRef=\"d1\"/>");
}

// Entries the translation lacks go out untranslated and stay out until
// translated; entries only the translation has come back too.
TEST_F(Cli, XliffBilingualDumpMarksMissingTargets) {
  Write("en.csv", "id,value\n@locale,en\nA,Apple\nB,Pear\n"
                  "N#one,%1!d! pear\nN#other,%1!d! pears\n");
  Write("fr.csv", "id,value\n@locale,fr\nA,Pomme\nX,Extra\n"
                  "N#one,%1!d! poire\nN#many,%1!d! de poires\n"
                  "N#other,%1!d! poires\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  ASSERT_EQ(Run({"build", "fr.csv", "-o", "fr.skdb"}).code, 0);
  for (const char *format : kXliffFormats) {
    SCOPED_TRACE(format);
    Result d = Run({"dump", "fr.skdb", "--format", format, "--source",
                    "en.skdb", "-o", "fr.xlf"});
    ASSERT_EQ(d.code, 0) << d.err;
    const std::string xlf = Read("fr.xlf");
    const bool two = format == std::string("xliff20");
    EXPECT_CONTAINS(xlf, two ? "srcLang=\"en\" trgLang=\"fr\""
                             : "source-language=\"en\" "
                               "target-language=\"fr\"");
    EXPECT_CONTAINS(xlf, two ? "name=\"B\" xml:space=\"preserve\" "
                               "phr:missing=\"yes\"><segment "
                               "state=\"initial\"><source>Pear</source>"
                               "</segment>"
                             : "id=\"B\" xml:space=\"preserve\" "
                               "phr:missing=\"yes\"><source>Pear</source>"
                               "<target state=\"needs-translation\"/>");
    // The form only French has is written with the others, in one group.
    const std::size_t group = xlf.find(two ? "name=\"N\" type" : "resname");
    ASSERT_NE(group, std::string::npos) << xlf;
    const std::size_t end = xlf.find("</group>", group);
    EXPECT_LT(xlf.find("N#many", group), end);
    EXPECT_LT(xlf.find("N#other", group), end);
    ASSERT_EQ(Run({"build", "fr.xlf", "-o", "rt.skdb"}).code, 0);
    EXPECT_EQ(Read("rt.skdb"), Read("fr.skdb"));

    // The translator's tool fills in B.
    std::string done = xlf;
    if (two) {
      const std::string open = "<segment state=\"initial\"><source>Pear"
                               "</source>";
      done.replace(done.find(open), open.size(),
                   "<segment state=\"translated\"><source>Pear</source>"
                   "<target>Poire</target>");
    } else {
      const std::string open = "<target state=\"needs-translation\"/>";
      done.replace(done.find(open), open.size(),
                   "<target state=\"translated\">Poire</target>");
    }
    Write("done.xlf", done);
    ASSERT_EQ(Run({"build", "done.xlf", "-o", "done.skdb"}).code, 0);
    EXPECT_EQ(Run({"get", "done.skdb", "B"}).out, "Poire\n");
    EXPECT_EQ(Run({"get", "done.skdb", "X"}).out, "Extra\n");
    ASSERT_EQ(
        Run({"build", "fr.xlf", "--fill-empty", "-o", "filled.skdb"}).code, 0);
    EXPECT_EQ(Run({"get", "filled.skdb", "B"}).out, "Pear\n");
  }
  Result csv = Run({"dump", "fr.skdb", "--source", "en.skdb"});
  EXPECT_EQ(csv.code, 2);
  EXPECT_CONTAINS(csv.err, "--source is for the xliff12 and xliff20 formats");
}

// The samples hold what translation tools write around the units: headers,
// notes, alternative translations, nested groups, numeric ids beside
// resnames, generic and native codes, and every kind of state.
TEST_F(Cli, XliffToolExportsBuild) {
  const std::string data = PHRASOR_TEST_DATA;
  struct Row {
    const char *file, *dump, *note, *fuzzyOnly;
  } rows[] = {
      {"tool-export-1.2.xlf",
       "id,value,voice,note\n"
       "@locale,de-DE,,\n"
       "HUD_FPS,BpS: %d,,\n"
       "ITEMS#one,%1!d! Gegenstand,,\n"
       "ITEMS#other,%1!d! Gegenstände,,\n"
       "UI_BOLD,Drücke Start,,\n"
       "UI_CANCEL,,,\n"
       "UI_HELP,,,\n"
       "UI_OK,OK,,Button label\n"
       "UI_SAVE,Speichern %1!s!?,,\n"
       "UI_SCORE,%1!s! hat %2!d! Punkte,,\n",
       "skipped 1 needs-review unit (--include-fuzzy reads them); 2 "
       "untranslated units (kept without a value)",
       "UI_QUIT,Beenden,,\n"},
      {"tool-export-2.0.xlf",
       "id,value,voice,note\n"
       "@locale,fr-CA,,\n"
       "DLG_SAVED,Partie sauvegardée à %1!02d! h %2!02d!,,\n"
       "HUD_FPS,IPS\xc2\xa0: %d,,\n"
       "ITEMS#many,%1!d! d'objets,,\n"
       "ITEMS#one,%1!d! objet,,\n"
       "ITEMS#other,%1!d! objets,,\n"
       "UI_CANCEL,,,\n"
       "UI_CONFIRM_QUIT,Quitter le jeu? La progression non sauvegardée "
       "sera perdue.,,\n"
       "UI_OK,OK,,Button label\n",
       "skipped 2 needs-review units (--include-fuzzy reads them); 1 "
       "untranslated unit (kept without a value)",
       "DLG_SPLIT,Un.Two.,,\n"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.file);
    Result b = Run({"build", data + "/" + row.file, "-o", "t.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_CONTAINS(b.err, row.note);
    EXPECT_EQ(b.err.find("warning"), std::string::npos) << b.err;
    EXPECT_EQ(Run({"dump", "t.skdb"}).out, row.dump);
    Result f = Run(
        {"build", data + "/" + row.file, "--include-fuzzy", "-o", "f.skdb"});
    ASSERT_EQ(f.code, 0) << f.err;
    EXPECT_CONTAINS(Run({"dump", "f.skdb"}).out, row.fuzzyOnly);
  }
}

TEST_F(Cli, XliffInUtf16AndDeclaredEncodingsIsRead) {
  const std::string text = "<xliff version=\"1.2\"><file><body><trans-unit "
                           "id=\"A\"><source>a</source><target>\xc3\xa9\n"
                           "</target></trans-unit></body></file></xliff>";
  std::string le = "\xff\xfe";
  for (char c : text) // ASCII and é: one unit each
    le += c == '\xc3'   ? std::string()
          : c == '\xa9' ? std::string("\xe9\0", 2)
                        : std::string({c, '\0'});
  Write("le.xlf", le);
  Result b = Run({"build", "le.xlf", "-o", "le.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_EQ(Run({"get", "le.skdb", "A"}).out, "\xc3\xa9\n\n");

  // pugixml alone would take these bytes for UTF-8.
  Write("cp.xlf", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                  "<xliff version=\"1.2\"><file><body><trans-unit id=\"B\">"
                  "<source>b</source><target>\xe4\x80</target></trans-unit>"
                  "</body></file></xliff>");
  Result c = Run({"build", "cp.xlf", "-o", "cp.skdb"});
  ASSERT_EQ(c.code, 0) << c.err;
  EXPECT_EQ(Run({"get", "cp.skdb", "B"}).out, "\xc3\xa4\xe2\x82\xac\n");
}

TEST_F(Cli, XliffByteOrderMarkDecidesTheEncoding) {
  // UTF-16LE with a mark, declaring \p encoding.
  auto utf16 = [](const std::string &encoding) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"" + encoding +
        "\"?>\n<xliff version=\"1.2\"><file><body><trans-unit id=\"A\">"
        "<source>a</source><target>caf\xc3\xa9</target></trans-unit>"
        "</body></file></xliff>";
    std::string le = "\xff\xfe";
    for (char c : text)
      le += c == '\xc3'   ? std::string()
            : c == '\xa9' ? std::string("\xe9\0", 2)
                          : std::string({c, '\0'});
    return le;
  };
  for (const char *agreeing : {"UTF-16", "UTF-16LE", "utf-16le"}) {
    SCOPED_TRACE(agreeing);
    Write("le.xlf", utf16(agreeing));
    Result b = Run({"build", "le.xlf", "-o", "le.skdb"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(b.err, "");
    EXPECT_EQ(Run({"get", "le.skdb", "A"}).out, "caf\xc3\xa9\n");
  }
  Write("le.xlf", utf16("ISO-8859-1"));
  Result b = Run({"build", "le.xlf", "-o", "le.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_CONTAINS(b.err, "warning: le.xlf:1: the XML declaration says "
                         "ISO-8859-1 but the byte order mark says UTF-16LE");
  EXPECT_EQ(Run({"get", "le.skdb", "A"}).out, "caf\xc3\xa9\n");
}

TEST_F(Cli, XliffNamespacesAreResolvedByScope) {
  // The tool's namespace declared on <file> or on the unit, under any
  // prefix; elements of another vocabulary are no units.
  Write("ns.xlf",
        "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" "
        "version=\"2.0\" srcLang=\"en\" trgLang=\"fr\">"
        "<file id=\"f\" xmlns:phr=\"urn:phrasor:xliff:1\">"
        "<unit id=\"A\" phr:voice=\"vo/a.ogg\"><segment state=\"final\">"
        "<source>a</source><target>%1</target></segment></unit>"
        "<unit id=\"B\" xmlns:q=\"urn:phrasor:xliff:1\" q:kind=\"text\">"
        "<segment state=\"final\"><source>b</source><target>%1</target>"
        "</segment></unit>"
        "<o:unit xmlns:o=\"urn:other\" id=\"C\"><segment state=\"final\">"
        "<source>c</source><target>c</target></segment></o:unit>"
        "<other xmlns=\"urn:other\"><unit id=\"D\"><segment "
        "state=\"final\"><source>d</source><target>d</target></segment>"
        "</unit></other>"
        "</file></xliff>");
  Result b = Run({"build", "ns.xlf", "-o", "ns.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_CONTAINS(Run({"get", "ns.skdb", "A", "--voice"}).out, "vo/a.ogg");
  Result dump = Run({"dump", "ns.skdb", "--format", "json"});
  EXPECT_CONTAINS(dump.out, "\"kind\": \"text\"");
  EXPECT_EQ(dump.out.find("\"C\""), std::string::npos) << dump.out;
  EXPECT_EQ(dump.out.find("\"D\""), std::string::npos) << dump.out;
}

TEST_F(Cli, XliffKeepsTheUndeterminedLanguage) {
  Write("u.json", "{\"@locale\": \"und\", \"A\": \"a\"}");
  ASSERT_EQ(Run({"build", "u.json", "-o", "u.skdb"}).code, 0);
  ExpectRoundTrips("u.skdb");
  // Without a language, "und" fills the place XLIFF 2.0 requires, and
  // reads back as none.
  Write("n.json", "{\"A\": \"a\"}");
  ASSERT_EQ(Run({"build", "n.json", "-o", "n.skdb"}).code, 0);
  ExpectRoundTrips("n.skdb");
}

TEST_F(Cli, XliffRefusalsNameTheirLine) {
  std::string deep = "x";
  for (int i = 0; i < 70; ++i)
    deep = "<sub>" + deep + "</sub>";
  const struct {
    std::string text;
    const char *message;
  } rows[] = {
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE xliff [\n<!ENTITY x SYSTEM "
       "\"file:///etc/passwd\">\n]>\n<xliff version=\"1.2\"/>",
       "x.xlf:2: DOCTYPE declarations are refused"},
      {"<xliff version=\"1.2\">\n<file><body>\n<trans-unit id=\"A\">"
       "<source>a</source>\n</trans-unit\n</body></file></xliff>",
       "x.xlf:5: malformed XML: Error parsing end element tag"},
      {"<xliff version=\"1.2\"><file><body>\n\n<trans-unit><source>b</source>"
       "</trans-unit></body></file></xliff>",
       "x.xlf:3: <trans-unit> without an id"},
      {"<xliff version=\"1.2\"><file><body>\n<trans-unit id=\"C\"><target>c"
       "</target></trans-unit></body></file></xliff>",
       "x.xlf:2: <trans-unit> 'C' has no <source>"},
      {"<xliff version=\"1.2\"><file><body>\n<trans-unit id=\"C\"><source>"
       "<x id=\"1\"/></source></trans-unit></body></file></xliff>",
       "x.xlf:2: <x> without equiv-text"},
      {"<xliff version=\"2.0\"><file id=\"f\">\n<unit><segment><source>b"
       "</source></segment></unit></file></xliff>",
       "x.xlf:2: <unit> without an id"},
      {"<xliff version=\"2.0\"><file id=\"f\">\n<unit id=\"C\">\n<segment>"
       "<target>c</target></segment></unit></file></xliff>",
       "x.xlf:3: <unit> 'C': <segment> has no <source>"},
      {"<xliff version=\"2.0\"><file id=\"f\">\n<unit id=\"E\"/></file>"
       "</xliff>",
       "x.xlf:2: <unit> 'E' has no <segment>"},
      {"<xliff version=\"2.0\"><file id=\"f\"><unit id=\"D\"><segment>\n"
       "<source><ph id=\"1\" dataRef=\"d9\"/></source></segment></unit>"
       "</file></xliff>",
       "x.xlf:2: dataRef 'd9' names no <data> of the unit"},
      {"<?xml version=\"1.0\" encoding=\"x-nonesuch\"?><xliff/>",
       "x.xlf:1: unknown encoding 'x-nonesuch'"},
      {"<xliff version=\"3.0\"/>", "x.xlf:1: unknown XLIFF version '3.0'"},
      // References that would cut a text short or stay as literal text.
      {"<xliff version=\"1.2\"><file><body>\n<trans-unit id=\"A&#0;B\">"
       "<source>a</source></trans-unit></body></file></xliff>",
       "x.xlf:2: malformed XML: '&#0;' stands for the NUL character"},
      {"<xliff version=\"1.2\"><file><body>\n\n<trans-unit id=\"A\">"
       "<source>&#xD800;</source></trans-unit></body></file></xliff>",
       "x.xlf:3: malformed XML: '&#xD800;' stands for no character"},
      {"<xliff version=\"1.2\"><file><body><trans-unit id=\"A\">\n"
       "<source>&nbsp;</source></trans-unit></body></file></xliff>",
       "x.xlf:2: malformed XML: undefined entity '&nbsp;'"},
      {"<xliff version=\"1.2\"><file><body><trans-unit id=\"A\">\n"
       "<source>&#xZZ;</source></trans-unit></body></file></xliff>",
       "x.xlf:2: malformed XML: '&#xZZ;' is not a character reference"},
      {"<xliff version=\"1.2\"><file><body><trans-unit id=\"A\">\n"
       "<source>&amp b</source></trans-unit></body></file></xliff>",
       "x.xlf:2: malformed XML: '&' begins no reference"},
      // Nesting inside a code is bounded as groups are.
      {"<xliff version=\"1.2\"><file><body><trans-unit id=\"A\">\n"
       "<source><ph id=\"1\">" +
           deep + "</ph></source></trans-unit></body></file></xliff>",
       "x.xlf:2: inline codes nested deeper than 64 levels"},
      // Within a unit, <data> IDs are named once, as IDs are in a file.
      {"<xliff version=\"2.0\"><file id=\"f\"><unit id=\"D\"><originalData>"
       "<data id=\"d1\">a</data>\n<data id=\"d1\">b</data></originalData>"
       "<segment><source><ph id=\"1\" dataRef=\"d1\"/></source></segment>"
       "</unit></file></xliff>",
       "x.xlf:2: <unit> 'D': <data> id 'd1' given twice"},
      // A code point is its hexadecimal digits and nothing else.
      {"<xliff version=\"2.0\"><file id=\"f\"><unit id=\"D\"><segment>\n"
       "<source><cp hex=\"+41\"/></source></segment></unit></file></xliff>",
       "x.xlf:2: '+41' is not the hexadecimal number of a character"},
      {"<xliff version=\"2.0\"><file id=\"f\"><unit id=\"D\"><segment>\n"
       "<source><cp hex=\"0x41\"/></source></segment></unit></file></xliff>",
       "x.xlf:2: '0x41' is not the hexadecimal number of a character"},
      {"<xliff version=\"2.0\"><file id=\"f\"><unit id=\"D\"><segment>\n"
       "<source><cp hex=\" 41\"/></source></segment></unit></file></xliff>",
       "x.xlf:2: ' 41' is not the hexadecimal number of a character"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.text);
    Write("x.xlf", row.text);
    Result b = Run({"build", "x.xlf", "-o", "x.skdb"});
    EXPECT_EQ(b.code, 1);
    EXPECT_CONTAINS(b.err, std::string("error: ") + row.message);
    EXPECT_FALSE(Exists("x.skdb"));
  }
}

} // namespace

namespace {

// A new translation is exported with the plural forms of its own language,
// each with the source text a count of that form would show in the source.
TEST_F(Cli, XliffExportForANewTranslationHasItsLanguagesForms) {
  Write("en.csv", "id,value\n@locale,en\nOK,OK\n"
                  "N#one,%1!d! file\nN#other,%1!d! files\n");
  ASSERT_EQ(Run({"build", "en.csv", "-o", "en.skdb"}).code, 0);
  const std::string absolute = (dir / "en.skdb").string();
  struct Want {
    const char *language;
    std::vector<std::pair<const char *, const char *>> units;
  } wants[] = {
      {"pl",
       {{"N#one", "file"},
        {"N#few", "files"},
        {"N#many", "files"},
        {"N#other", "files"}}},
      {"ar",
       {{"N#zero", "files"},
        {"N#one", "file"},
        {"N#two", "files"},
        {"N#few", "files"},
        {"N#many", "files"},
        {"N#other", "files"}}},
      {"ja", {{"N#other", "files"}}},
  };
  for (const char *format : kXliffFormats)
    for (const Want &want : wants) {
      SCOPED_TRACE(std::string(format) + " " + want.language);
      Result d = Run({"dump", absolute, "--format", format, "--target-language",
                      want.language, "-o", "new.xlf"});
      ASSERT_EQ(d.code, 0) << d.err;
      const std::string xlf = Read("new.xlf");
      // The exporter's folders are none of the translator's business.
      EXPECT_CONTAINS(xlf, "original=\"en.skdb\"");
      std::size_t at = 0; // the units come in CLDR order
      for (const auto &[id, text] : want.units) {
        const std::size_t unit = xlf.find("\"" + std::string(id) + "\"", at);
        ASSERT_NE(unit, std::string::npos) << id << "\n" << xlf;
        const std::string line = xlf.substr(unit, xlf.find('\n', unit) - unit);
        EXPECT_CONTAINS(line, " " + std::string(text) + "</source>");
        at = unit;
      }
      if (want.units.size() == 1) {
        EXPECT_EQ(xlf.find("N#one"), std::string::npos) << xlf;
      }
      // Nothing is translated yet: the build gives only the language.
      Result b = Run({"build", "new.xlf", "-o", "new.skdb"});
      ASSERT_EQ(b.code, 0) << b.err;
      EXPECT_EQ(Run({"dump", "new.skdb"}).out, "id,value,voice\n@locale," +
                                                   std::string(want.language) +
                                                   ",\n");
    }
  Result po = Run({"dump", "en.skdb", "--target-language", "pl"});
  EXPECT_EQ(po.code, 2);
  EXPECT_CONTAINS(po.err, "--target-language is for the xliff12 and xliff20");
}

// Notes reach the database and every dump that can write them; a note the
// export copied from the source stays the source's.
TEST_F(Cli, XliffNotesAreKept) {
  Write("n12.xlf",
        "<?xml version=\"1.0\"?>\n"
        "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\" "
        "version=\"1.2\"><file original=\"x\" datatype=\"plaintext\" "
        "source-language=\"en\" target-language=\"de\"><body>\n"
        "<trans-unit id=\"OK\"><source>OK</source><target>OK</target>"
        "<note from=\"developer\">A button</note><note>Keep it short &amp; "
        "plain</note></trans-unit>\n"
        "<trans-unit id=\"N#one\"><source>%1!d! file</source><target>%1!d! "
        "Datei</target><note>Count of files</note></trans-unit>\n"
        "<trans-unit id=\"N#other\"><source>%1!d! files</source><target>%1!d! "
        "Dateien</target><note>Count of files</note></trans-unit>\n"
        "</body></file></xliff>\n");
  ASSERT_EQ(Run({"build", "n12.xlf", "-o", "de.skdb"}).code, 0);
  ExpectRoundTrips("de.skdb");
  EXPECT_CONTAINS(Run({"dump", "de.skdb"}).out,
                  "OK,OK,,\"A button\nKeep it short & plain\"\n");
  EXPECT_CONTAINS(Run({"dump", "de.skdb", "--format", "po"}).out,
                  "#. A button\n#. Keep it short & plain\n");
  Write("n20.xlf",
        "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" "
        "version=\"2.0\" srcLang=\"en\" trgLang=\"de\"><file id=\"f\">\n"
        "<unit id=\"u1\" name=\"OK\"><notes><note category=\"x\">A "
        "button</note></notes><segment state=\"translated\"><source>OK"
        "</source><target>OK</target></segment></unit>\n"
        "</file></xliff>\n");
  ASSERT_EQ(Run({"build", "n20.xlf", "-o", "d2.skdb"}).code, 0);
  EXPECT_CONTAINS(Run({"dump", "d2.skdb", "--format", "json"}).out,
                  "\"note\": \"A button\"");
  EXPECT_CONTAINS(Run({"dump", "d2.skdb", "--format", "android"}).out,
                  "<!-- A button -->");
  Result dict = Run({"dump", "d2.skdb", "--format", "stringsdict"});
  EXPECT_CONTAINS(dict.err, "cannot hold notes to translators; 1 entries");

  // The source's note is written for the translator, marked as the
  // source's: the translation built from the file does not take it.
  Write("fr.csv", "id,value\n@locale,fr\nOK,D'accord\n");
  ASSERT_EQ(Run({"build", "fr.csv", "-o", "fr.skdb"}).code, 0);
  for (const char *format : kXliffFormats) {
    SCOPED_TRACE(format);
    ASSERT_EQ(Run({"dump", "fr.skdb", "--format", format, "--source", "de.skdb",
                   "-o", "fr.xlf"})
                  .code,
              0);
    EXPECT_CONTAINS(Read("fr.xlf"), "<note phr:from=\"source\">A button\n");
    ASSERT_EQ(Run({"build", "fr.xlf", "-o", "rt.skdb"}).code, 0);
    EXPECT_EQ(Read("rt.skdb"), Read("fr.skdb"));
  }
}

// Segments and what lies between them are joined in order, white space at
// either end kept; the "new" state some tools write in 2.0 is read as
// "initial" and said once.
TEST_F(Cli, XliffSegmentsJoinAndNewStateIsInitial) {
  Write("s.xlf",
        "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" "
        "version=\"2.0\" srcLang=\"en\" trgLang=\"de\"><file id=\"f\">\n"
        "<unit id=\"A\"><segment state=\"final\"><source>One.</source>"
        "<target>Eins. </target></segment><ignorable><source> </source>"
        "</ignorable><segment state=\"reviewed\"><source>Two. </source>"
        "<target>Zwei.  </target></segment></unit>\n"
        "<unit id=\"B\"><segment state=\"new\"><source>Bee</source>"
        "</segment></unit>\n"
        "<unit id=\"C\"><segment state=\"new\"><source>Sea</source>"
        "</segment></unit>\n"
        "</file></xliff>\n");
  Result b = Run({"build", "s.xlf", "-o", "s.skdb"});
  ASSERT_EQ(b.code, 0) << b.err;
  EXPECT_CONTAINS(b.err, "warning: s.xlf:3: 2 segments have state \"new\", "
                         "which XLIFF 2.0 does not define; read as "
                         "\"initial\"");
  EXPECT_EQ(Run({"get", "s.skdb", "A"}).out, "Eins.  Zwei.  \n");
  Result filled = Run({"build", "s.xlf", "--fill-empty", "-o", "f.skdb"});
  EXPECT_EQ(Run({"get", "f.skdb", "B"}).out, "Bee\n");
}

// Review states travel through the database in both versions' words.
TEST_F(Cli, XliffReviewStatesAreKept) {
  Write("st.xlf",
        "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\" "
        "version=\"1.2\"><file original=\"x\" datatype=\"plaintext\" "
        "source-language=\"en\" target-language=\"de\"><body>\n"
        "<trans-unit id=\"A\"><source>A</source><target "
        "state=\"final\">Ah</target></trans-unit>\n"
        "<trans-unit id=\"B\"><source>B</source><target "
        "state=\"signed-off\">Beh</target></trans-unit>\n"
        "<trans-unit id=\"C\"><source>C</source><target "
        "state=\"needs-review-translation\">Ceh</target></trans-unit>\n"
        "<trans-unit id=\"D\"><source>D</source><target "
        "state=\"translated\">Deh</target></trans-unit>\n"
        "</body></file></xliff>\n");
  ASSERT_EQ(Run({"build", "st.xlf", "--include-fuzzy", "-o", "st.skdb"}).code,
            0);
  const char *written[][4] = {
      {"final", "signed-off", "needs-review-translation", "translated"},
      {"final", "reviewed", "initial", "translated"}};
  for (int two = 0; two < 2; ++two) {
    SCOPED_TRACE(kXliffFormats[two]);
    ASSERT_EQ(
        Run({"dump", "st.skdb", "--format", kXliffFormats[two], "-o", "rt.xlf"})
            .code,
        0);
    const std::string xlf = Read("rt.xlf");
    std::size_t at = 0;
    for (const char *state : written[two]) {
      at = xlf.find("state=\"" + std::string(state) + "\"", at);
      EXPECT_NE(at, std::string::npos) << state << "\n" << xlf;
    }
    ASSERT_EQ(Run({"build", "rt.xlf", "--include-fuzzy", "-o", "rt.skdb"}).code,
              0);
    EXPECT_EQ(Read("rt.skdb"), Read("st.skdb"));
    // Without --include-fuzzy the entry still to be reviewed stays out.
    ASSERT_EQ(Run({"build", "rt.xlf", "-o", "out.skdb"}).code, 0);
    EXPECT_EQ(Run({"get", "out.skdb", "C"}).code, 1);
  }
  Result csv = Run({"dump", "st.skdb"});
  EXPECT_CONTAINS(csv.err, "csv cannot hold review states; 3 entries");

  // A 2.0 unit is as far along as its least reviewed segment.
  Write("seg.xlf",
        "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" "
        "version=\"2.0\" srcLang=\"en\" trgLang=\"de\"><file id=\"f\">\n"
        "<unit id=\"A\"><segment state=\"final\"><source>One.</source>"
        "<target>Eins.</target></segment><segment state=\"reviewed\">"
        "<source>Two.</source><target>Zwei.</target></segment></unit>\n"
        "</file></xliff>\n");
  ASSERT_EQ(Run({"build", "seg.xlf", "-o", "seg.skdb"}).code, 0);
  ASSERT_EQ(
      Run({"dump", "seg.skdb", "--format", "xliff20", "-o", "s2.xlf"}).code, 0);
  EXPECT_CONTAINS(Read("s2.xlf"), "<segment state=\"reviewed\">");
}

} // namespace
