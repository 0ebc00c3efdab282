//===- android_test.cpp - Android string resources in and out -------------===//
//
// Files as apps hold them, read as Android reads them; dumps that build
// back as the same database; refusals at file:line.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Key.h"
#include "tests/cli/CliTest.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/formats/android/Android.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <map>

using namespace phrasor::clitest;

namespace {

using phrasor::TextKind;

struct AndroidRead {
  std::map<std::string, std::string> values;
  std::map<std::string, TextKind> kinds;
  std::map<std::string, std::string> notes;
  std::string errors;
};

AndroidRead ReadAndroidText(const std::string &file, const std::string &text) {
  phrasor::tool::Diagnostics diag;
  std::vector<phrasor::tool::KeptProblem> kept;
  diag.KeepIn(&kept);
  std::vector<phrasor::tool::SourceEntry> out;
  phrasor::tool::ReadAndroid(file, text, {}, diag, out);
  AndroidRead r;
  for (const phrasor::tool::SourceEntry &s : out) {
    r.values[s.entry.id] =
        phrasor::tool::Utf16ToUtf8Lossy(s.entry.value.value_or(u""));
    if (s.kind)
      r.kinds[s.entry.id] = *s.kind;
    if (s.note)
      r.notes[s.entry.id] = *s.note;
  }
  for (const phrasor::tool::KeptProblem &p : kept)
    r.errors += p.where + ": " + p.message + "\n";
  return r;
}

TEST(Android, TextsReadAsAndroidShowsThem) {
  const AndroidRead r = ReadAndroidText(
      "res/values/strings.xml",
      "<resources xmlns:tools=\"http://schemas.android.com/tools\"\n"
      "    xmlns:x=\"urn:oasis:names:tc:xliff:document:1.2\" "
      "tools:locale=\"en\">\n"
      "  <string name=\"ws\">  one \n\t two  </string>\n"
      "  <string name=\"quoted\">\"  kept  'as is' \"  then  </string>\n"
      "  <string name=\"esc\">Don\\'t \\\"go\\\"\\n\\tnow \\\\ \\@ \\? "
      "\\u00e9\\uD83D\\uDE00</string>\n"
      "  <string name=\"at\">\\@home</string>\n"
      "  <string name=\"markup\">Press <b>Start</b> <font "
      "color='red'>now</font><br/></string>\n"
      "  <string name=\"span\">Hi <x:g id=\"n\" example=\"Bob\">%1$s</x:g>, "
      "%2$d new</string>\n"
      "  <string name=\"cdata\"><![CDATA[<i>A</i> & B]]></string>\n"
      "  <string name=\"pct\" formatted=\"false\">100% sure</string>\n"
      "  <string name=\"printf\">%d of %s</string>\n"
      "  <string name=\"fixed\" translatable=\"false\" "
      "tools:ignore=\"x\">Logo</string>\n"
      "  <string name=\"tab\" product=\"tablet\">Tablet</string>\n"
      "  <string name=\"tab\" product=\"default\">Phone</string>\n"
      "  <plurals name=\"files\"><item quantity=\"one\">%d file</item>"
      "<item quantity=\"other\">%d files</item></plurals>\n"
      "  <string-array "
      "name=\"days\"><item>Mon</item><item>Tue</item></string-array>\n"
      "  <color name=\"red\">#f00</color>\n"
      "</resources>\n");
  EXPECT_EQ(r.errors, "res/values/strings.xml: 1 string for products other "
                      "than the default one left out\n");
  const std::map<std::string, std::string> expected = {
      {"@locale", "en"},
      {"ws", "one two"},
      {"quoted", "  kept  'as is'  then"},
      {"esc", "Don't \"go\"\n\tnow \\ @ ? \xC3\xA9\xF0\x9F\x98\x80"},
      {"at", "@home"},
      {"markup", "Press <b>Start</b> <font color=\"red\">now</font><br/>"},
      {"span", "Hi %1!s!, %2!d! new"},
      {"cdata", "<i>A</i> & B"},
      {"pct", "100% sure"},
      {"printf", "%d of %s"},
      {"fixed", "Logo"},
      {"tab", "Phone"},
      {"files#one", "%d file"},
      {"files#other", "%d files"},
      {"days[0]", "Mon"},
      {"days[1]", "Tue"}};
  EXPECT_EQ(r.values, expected);
  EXPECT_EQ(r.kinds,
            (std::map<std::string, TextKind>{{"span", TextKind::Message},
                                             {"pct", TextKind::Plain}}));
}

TEST(Android, FolderNamesGiveTheLanguage) {
  using phrasor::tool::AndroidFolderLocale;
  EXPECT_EQ(AndroidFolderLocale("values"), "");
  EXPECT_EQ(AndroidFolderLocale("values-pl"), "pl");
  EXPECT_EQ(AndroidFolderLocale("values-pt-rBR"), "pt-BR");
  EXPECT_EQ(AndroidFolderLocale("values-es-r419"), "es-419");
  EXPECT_EQ(AndroidFolderLocale("values-b+sr+Latn"), "sr-Latn");
  EXPECT_EQ(AndroidFolderLocale("values-b+sr+Latn+RS"), "sr-Latn-RS");
  EXPECT_EQ(AndroidFolderLocale("values-mcc310-mnc004-en-rUS"), "en-US");
  EXPECT_EQ(AndroidFolderLocale("values-de-land"), "de");
  EXPECT_EQ(AndroidFolderLocale("values-land"), "");
  EXPECT_EQ(AndroidFolderLocale("values-v21"), "");
  EXPECT_EQ(AndroidFolderLocale("drawable-pl"), "");
  // The folder speaks where the file does not.
  EXPECT_EQ(ReadAndroidText("app/res/values-b+sr+Latn/strings.xml",
                            "<resources><string name=\"a\">x</string>"
                            "</resources>")
                .values.at("@locale"),
            "sr-Latn");
}

TEST(Android, RefusalsNameTheLine) {
  const AndroidRead r = ReadAndroidText(
      "s.xml",
      "<resources>\n"
      "<string name=\"a\">Don't</string>\n"
      "<string name=\"b\">@string/app_name</string>\n"
      "<string name=\"c\">%1$s and %s</string>\n"
      "<plurals name=\"d\"><item quantity=\"lots\">x</item></plurals>\n"
      "<string>x</string>\n"
      "<string name=\"e\">\\u12 x</string>\n"
      "<string name=\"f\">x \\</string>\n"
      "<string name=\"ok\">fine</string>\n"
      "</resources>\n");
  EXPECT_EQ(r.values.size(), 1u);
  EXPECT_CONTAINS(r.errors, "s.xml:2: 'a': unescaped apostrophe");
  EXPECT_CONTAINS(r.errors, "s.xml:3: 'b': a text beginning with '@'");
  EXPECT_CONTAINS(r.errors, "s.xml:4: 'c': numbered and unnumbered");
  EXPECT_CONTAINS(r.errors, "s.xml:5: 'd': quantity 'lots'");
  EXPECT_CONTAINS(r.errors, "s.xml:6: <string> has no name");
  EXPECT_CONTAINS(r.errors, "s.xml:7: 'e': \\u must be");
  EXPECT_CONTAINS(r.errors, "s.xml:8: 'f': a backslash ends");
  EXPECT_CONTAINS(ReadAndroidText("s.xml", "<resources>\n<string>\n").errors,
                  "s.xml:2: not well-formed XML");
  EXPECT_CONTAINS(ReadAndroidText("s.xml", "<xliff/>").errors,
                  "the root is <xliff>, not <resources>");
}

// Texts that need every escape the writer has: spaces Android would fold
// or trim, quotes, backslashes, a leading '@' or '?', controls, markup
// beside text that is not markup, a message and a '%' meant as text.
TEST_F(Cli, AndroidDumpsBuildTheSameDatabase) {
  Write("e.csv", "id,value,kind\n"
                 "lead,\"  two  spaces   \",\n"
                 "quotes,\"'single' \"\"double\"\" \\ back\",\n"
                 "at,@home,\n"
                 "ask,?what,\n"
                 "lines,\"a\nb\tc\x01\",\n"
                 "mark,\"<b>bold</b> & a < b\",\n"
                 "tags,\"Press <b>Start</b>\",\n"
                 "msg,\"%2!s! before %1!d!\",\n"
                 "wide,%1!I64d! items,\n"
                 "types,%1!hc! %2!S!,\n"
                 "pct,100% sure,text\n"
                 "bare,No inserts,message\n"
                 "fmt,No conversions,printf\n"
                 "files#one,%d file,\n"
                 "files#other,%d files,\n"
                 "days[0],Mon,\n"
                 "days[1],Tue,\n"
                 "@locale,pt-BR,\n");
  ASSERT_EQ(Run({"build", "e.csv", "-o", "e.skdb"}).code, 0);
  ExpectRoundTrips("e.skdb", {"android"});
  ASSERT_EQ(Run({"dump", "e.skdb", "--format", "android", "-o", "e.xml"}).code,
            0);
  const std::string xml = Read("e.xml");
  EXPECT_CONTAINS(xml, "tools:locale=\"pt-BR\"");
  EXPECT_CONTAINS(xml, "<string name=\"msg\">%2$s before %1$d</string>");
  // Inserts C has no conversion for stay as stored: %1$hc reads back as
  // no format at all.
  EXPECT_CONTAINS(xml, "<string name=\"wide\">%1$I64d items</string>");
  EXPECT_CONTAINS(xml, "<string name=\"types\" phr:kind=\"message\">"
                       "%1!hc! %2!S!</string>");
  EXPECT_CONTAINS(xml, "<string name=\"pct\" formatted=\"false\">");
  EXPECT_CONTAINS(xml, "<string name=\"tags\">Press <b>Start</b></string>");
  EXPECT_CONTAINS(xml, "<string name=\"bare\" phr:kind=\"message\">");
  EXPECT_CONTAINS(xml, "<string name=\"fmt\" formatted=\"true\">");
  EXPECT_CONTAINS(xml, "<plurals name=\"files\">");
  EXPECT_CONTAINS(xml, "<string-array name=\"days\">");
}

// The comment just above an element is its note; a header comment, a
// comment a blank line separates and one after other markup on its line
// (another element, another comment) are not.
TEST(Android, CommentsJustAboveAreNotes) {
  const AndroidRead r = ReadAndroidText(
      "res/values/strings.xml",
      "<?xml version=\"1.0\"?>\n<!-- Copyright header -->\n<resources>\n"
      "  <!-- File section -->\n\n"
      "  <string name=\"a\">A</string> <!-- trailing, about a -->\n"
      "  <string name=\"b\">B</string>\n"
      "  <!--\r\n     Shown on the button\r\n     of the dialog  -->\r\n"
      "  <string name=\"c\">C</string>\n"
      "  <!-- first --><!-- second -->\n"
      "  <plurals name=\"p\"><!-- not read --><item quantity=\"one\">1"
      "</item>\n    <item quantity=\"other\">n</item></plurals>\n"
      "  <!-- Days -->\n  <string-array name=\"d\">\n"
      "    <item>Mon</item>\n    <!-- Short for Tuesday -->\n"
      "    <item>Tue</item>\n  </string-array>\n"
      "  <x-->text --></x-->\n  <string name=\"e\">E</string>\n"
      "</resources>\n");
  EXPECT_EQ(r.errors, "");
  EXPECT_EQ(r.notes, (std::map<std::string, std::string>{
                         {"c", "Shown on the button\n     of the dialog"},
                         {"d[0]", "Days"},
                         {"d[1]", "Short for Tuesday"}}));
}

// Notes come back from a dump: above a <plurals> or an array whose items
// share one, else above each item; what a comment cannot spell is warned of.
TEST_F(Cli, AndroidNotesComeBack) {
  Write("n.csv", "id,value,note\n"
                 "save,Save,\"On the toolbar\nof the editor\"\n"
                 "plain,Plain,\n"
                 "files#one,%d file,Count\nfiles#other,%d files,Count\n"
                 "days[0],Mon,Day\ndays[1],Tue,Day\n"
                 "short[0],M,First\nshort[1],T,\n"
                 "odd#one,one,A\nodd#other,many,B\n");
  ASSERT_EQ(Run({"build", "n.csv", "-o", "n.skdb"}).code, 0);
  ExpectRoundTrips("n.skdb");
  const std::string xml = Run({"dump", "n.skdb", "--format", "android"}).out;
  EXPECT_CONTAINS(xml, "    <!-- On the toolbar\nof the editor -->\n"
                       "    <string name=\"save\">");
  EXPECT_CONTAINS(xml, "    <!-- Count -->\n    <plurals name=\"files\">");
  EXPECT_CONTAINS(xml, "    <!-- Day -->\n    <string-array name=\"days\">");
  EXPECT_CONTAINS(xml, "        <!-- First -->\n        <item>M</item>\n"
                       "        <item>T</item>");

  Write("d.csv", "id,value,note\nx,X,a -- b\ny,Y,\" padded \"\n");
  ASSERT_EQ(Run({"build", "d.csv", "-o", "d.skdb"}).code, 0);
  const Result d = Run({"dump", "d.skdb", "--format", "android"});
  EXPECT_EQ(d.code, 0);
  EXPECT_CONTAINS(d.out, "<!-- a - - b -->");
  EXPECT_CONTAINS(d.err, "2 notes written changed");
}

// One error per kind of loss, however many entries lost it.
TEST_F(Cli, AndroidSaysWhatItCannotName) {
  std::string csv = "id,value,voice\n";
  for (int i = 0; i < 50; ++i)
    csv += "menu item " + std::to_string(i) + ",x,\n";
  csv += "FILES#=0,none,\nPLACE#ordinal-one,%d st,\nok,fine,v/ok.ogg\n";
  Write("n.csv", csv);
  ASSERT_EQ(Run({"build", "n.csv", "-o", "n.skdb"}).code, 0);
  const Result d = Run({"dump", "n.skdb", "--format", "android"});
  EXPECT_NE(d.code, 0);
  EXPECT_CONTAINS(d.err, "52 entries with IDs that are not Android resource "
                         "names");
  EXPECT_CONTAINS(d.err, "cannot hold voice paths; 1 entries");
  EXPECT_CONTAINS(d.out, "<string name=\"ok\">fine</string>");
}

const char *const kAppFolders[] = {"values", "values-pl", "values-de",
                                   "values-b+sr+Latn"};

std::string AppFile(const std::string &folder) {
  return std::string(PHRASOR_TEST_DATA) + "/android/res/" + folder +
         "/strings.xml";
}

// An app's tree: each language builds under its folder's name, checks
// against the source and dumps back as the same database.
TEST_F(Cli, AndroidAppTreeBuildsChecksAndComesBack) {
  ASSERT_EQ(Run({"build", AppFile("values"), "-o", "values.skdb"}).code, 0);
  for (const char *folder : kAppFolders) {
    SCOPED_TRACE(folder);
    const std::string db = std::string(folder) + ".skdb";
    const Result b = Run({"build", AppFile(folder), "-o", db});
    ASSERT_EQ(b.code, 0) << b.err;
    const Result c = Run({"check", db, "--against", "values.skdb"});
    EXPECT_EQ(c.code, 0) << c.err;
    ExpectRoundTrips(db, {"android"});
  }
  EXPECT_CONTAINS(
      Run({"dump", "values-b+sr+Latn.skdb", "--format", "json"}).out,
      "\"@locale\": \"sr-Latn\"");
  const std::string pl =
      Run({"dump", "values-pl.skdb", "--format", "json"}).out;
  EXPECT_CONTAINS(pl, "\"@locale\": \"pl\"");
  EXPECT_CONTAINS(pl, "\"few\": \"Zosta\u0142y %d pliki\"");
  EXPECT_CONTAINS(
      Run({"format", "values-pl.skdb", "new_messages", "3", "Ola"}).out,
      "Masz 3 nowych wiadomo\u015bci od Ola.");
}

// What the app shows alike in every language is not asked of translations,
// whichever element holds it, and a dump says it again.
TEST_F(Cli, AndroidUntranslatableStringsAreNoTranslatorsWork) {
  Write("en.xml",
        "<resources>\n"
        "    <string name=\"app\" translatable=\"false\">Skyfall</string>\n"
        "    <plurals name=\"files\" translatable=\"false\">\n"
        "        <item quantity=\"one\">%d file</item>\n"
        "        <item quantity=\"other\">%d files</item>\n"
        "    </plurals>\n"
        "    <string-array name=\"days\" translatable=\"false\">\n"
        "        <item>Mon</item>\n"
        "    </string-array>\n"
        "    <string name=\"hello\">Hello</string>\n"
        "</resources>\n");
  Write("de.xml", "<resources>\n"
                  "    <string name=\"hello\">Hallo</string>\n"
                  "    <string name=\"app\">Himmelssturz</string>\n"
                  "</resources>\n");
  ASSERT_EQ(Run({"build", "en.xml", "--locale", "en", "-o", "en.skdb"}).code,
            0);
  ASSERT_EQ(Run({"build", "de.xml", "--locale", "de", "-o", "de.skdb"}).code,
            0);
  const Result c = Run({"check", "de.skdb", "--against", "en.skdb"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_EQ(c.err.find("missing"), std::string::npos) << c.err;
  const Result s = Run({"stats", "de.skdb", "--against", "en.skdb"});
  EXPECT_CONTAINS(s.out, "against en.skdb (1 texts)");
  EXPECT_CONTAINS(s.out, "1 (100.0%)");
  const std::string xml = Run({"dump", "en.skdb", "--format", "android"}).out;
  EXPECT_CONTAINS(xml, "<string name=\"app\" translatable=\"false\">");
  EXPECT_CONTAINS(xml, "<plurals name=\"files\" translatable=\"false\">");
  EXPECT_CONTAINS(xml, "<string-array name=\"days\" translatable=\"false\">");
  EXPECT_CONTAINS(xml, "<string name=\"hello\">Hello</string>");
  ExpectRoundTrips("en.skdb", {"android"});
  // The record is the tool's own: a source cannot write it.
  Write("x.csv", "id,value\n@untranslatable,[]\n");
  EXPECT_CONTAINS(Run({"build", "x.csv", "-o", "x.skdb"}).err,
                  "'@untranslatable' is reserved");
}

/// What translate-toolkit reads from \p files, or null when it is missing.
std::optional<nlohmann::json>
ToolkitReading(const std::vector<std::string> &files) {
  std::string command =
      "/usr/bin/python3 " +
      Quote(std::string(PHRASOR_TEST_DATA) + "/../android_toolkit.py");
  for (const std::string &f : files)
    command += " " + Quote(f);
  std::FILE *pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe)
    return std::nullopt;
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  if (pclose(pipe) != 0)
    return std::nullopt;
  // The toolkit prints its own lines before ours.
  const std::size_t last = out.rfind("\n{");
  return nlohmann::json::parse(
      out.substr(last == std::string::npos ? 0 : last));
}

// The texts translate-toolkit reads from the app's files are the ones the
// build stores (numbered inserts turned back into %1$s), but for two
// differences of its own: it keeps <xliff:g> in the text, which Android
// drops, and it drops the quotes of an attribute inside CDATA. The notes
// are the same.
TEST(Android, TextsAgreeWithTranslateToolkit) {
  std::vector<std::string> files;
  for (const char *folder : kAppFolders)
    files.push_back(AppFile(folder));
  const std::optional<nlohmann::json> toolkit = ToolkitReading(files);
  if (!toolkit)
    GTEST_SKIP() << "translate-toolkit (Debian package translate-toolkit) is "
                    "missing";
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    const AndroidRead ours = ReadAndroidText(file, Slurp(fs::path(file)));
    std::size_t compared = 0;
    for (const auto &[name, theirs] : toolkit->at(file).items()) {
      if (name == "html_help")
        continue;
      if (theirs.is_array()) {
        // It reads the forms of the categories its rules for the language
        // have (for a name it does not know, one and other), each a form
        // the build stored.
        std::vector<std::string> forms;
        for (const char *c : {"zero", "one", "two", "few", "many", "other"})
          if (auto f = ours.values.find(name + "#" + c); f != ours.values.end())
            forms.push_back(f->second);
        ASSERT_LE(theirs.size(), forms.size()) << name;
        for (const nlohmann::json &form : theirs)
          EXPECT_NE(
              std::find(forms.begin(), forms.end(), form.get<std::string>()),
              forms.end())
              << name << ": " << form;
        ++compared;
        continue;
      }
      std::string text = theirs.get<std::string>();
      for (std::size_t at; (at = text.find("<xliff:g")) != std::string::npos;)
        text.erase(at, text.find('>', at) - at + 1);
      for (std::size_t at; (at = text.find("</xliff:g>")) != std::string::npos;)
        text.erase(at, 10);
      std::string stored = ours.values.at(name);
      if (ours.kinds.count(name) && ours.kinds.at(name) == TextKind::Message)
        stored = phrasor::tool::RestoreCFormat(stored, "", true);
      EXPECT_EQ(stored, text) << name;
      ++compared;
    }
    EXPECT_GE(compared, 2u);
    // Its notes are every comment above an element, a blank line between
    // or not; the files' comments are each just above theirs.
    const nlohmann::json &notes = toolkit->at("notes").at(file);
    std::map<std::string, std::string> ourNotes;
    for (const auto &[id, note] : ours.notes)
      if (toolkit->at(file).contains(std::string(phrasor::Key::parse(id).stem)))
        ourNotes[std::string(phrasor::Key::parse(id).stem)] = note;
    EXPECT_EQ((notes.get<std::map<std::string, std::string>>()), ourNotes);
  }
}

} // namespace
