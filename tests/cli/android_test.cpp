//===- android_test.cpp - Android string resources in and out -------------===//
//
// Files as apps hold them, read as Android reads them; dumps that build
// back as the same database; refusals at file:line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/android/Android.h"

#include <map>

using namespace phrasor::clitest;

namespace {

using phrasor::TextKind;

struct AndroidRead {
  std::map<std::string, std::string> values;
  std::map<std::string, TextKind> kinds;
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
  EXPECT_CONTAINS(xml, "<string name=\"pct\" formatted=\"false\">");
  EXPECT_CONTAINS(xml, "<string name=\"tags\">Press <b>Start</b></string>");
  EXPECT_CONTAINS(xml, "<string name=\"bare\" phr:kind=\"message\">");
  EXPECT_CONTAINS(xml, "<string name=\"fmt\" formatted=\"true\">");
  EXPECT_CONTAINS(xml, "<plurals name=\"files\">");
  EXPECT_CONTAINS(xml, "<string-array name=\"days\">");
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

} // namespace
