//===- gettext_printf_test.cpp - A gettext project's C formats -----------===//
//
// C formats as gettext projects write them: check gives msgfmt -c's verdict
// on each (compared with the installed msgfmt where there is one), and a
// build stores numbered arguments and <inttypes.h> macros so that the tool
// and the C++ layer render them alike and a dump gives them back.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "phrasor/Catalog.h"

#include "PhrasorRuntime.h"

#include <cstdlib>
#include <cstring>

namespace phrasor::clitest {
namespace {

bool HaveMsgfmt() {
  return std::system("msgfmt --version >/dev/null 2>&1") == 0;
}

int Shell(const fs::path &dir, const std::string &command) {
  const std::string line =
      "cd " + Quote(dir.string()) + " && " + command + " >/dev/null 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Po(const std::string &language, const std::string &pluralForms,
               const std::string &entry) {
  return "msgid \"\"\nmsgstr \"\"\n"
         "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
         "\"Language: " +
         language + "\\n\"\n\"Plural-Forms: " + pluralForms + "\\n\"\n\n" +
         entry + "\n";
}

/// Serves a file's bytes to the runtime.
class BytesStream : public IReadStream {
public:
  explicit BytesStream(std::string content) : bytes(std::move(content)) {}
  virtual ~BytesStream() = default;
  int32_t Read(void *buffer, uint32_t size) override {
    if (size > bytes.size() - at)
      return 1;
    std::memcpy(buffer, bytes.data() + at, size);
    at += size;
    return 0;
  }

private:
  std::string bytes;
  std::size_t at = 0;
};

/// Runtime wide text as UTF-8 (the texts here are ASCII and Latin-1).
std::string Narrow(const PhrasorWChar *wide) {
  std::u16string units;
  for (; *wide; ++wide)
    units.push_back(static_cast<char16_t>(*wide));
  std::string out;
  for (char16_t u : units)
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  return out;
}

constexpr const char *kTwoForms = "nplurals=2; plural=(n != 1);";
constexpr const char *kRussian =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
    "(n%100<10 || n%100>=20) ? 1 : 2);";

struct Case {
  const char *language, *pluralForms, *entry;
  bool accepted;
  bool likeMsgfmt = true; ///< false for the documented differences
};

TEST_F(Cli, GettextPrintfChecksGiveMsgfmtsVerdict) {
  const Case cases[] = {
      // <inttypes.h> macros: one type each, flags and width allowed.
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%<PRIu64> B\"\nmsgstr \"%<PRIu64> B\"", true},
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%<PRIxMAX>\"\nmsgstr \"%<PRIXMAX>\"", true},
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%5.2<PRId64>\"\nmsgstr \"%-5<PRIi64>\"", true},
      {"de", kTwoForms, "#, c-format\nmsgid \"%<PRIu64> B\"\nmsgstr \"%d B\"",
       false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%<PRIu64> B\"\nmsgstr \"%llu B\"",
       false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%<PRId32>\"\nmsgstr \"%d\"",
       false},
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%<PRId64>\"\nmsgstr \"%<PRIu64>\"", false},
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%<PRIxMAX>\"\nmsgstr \"%<PRIx64>\"", false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%d\"\nmsgstr \"%<PRIFOO>\"",
       false},
      // Conversions alike but for what follows a shared beginning, and
      // alike but for the "%%" between them.
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%-5<PRId64>\"\nmsgstr \"%-5<PRId32>\"", false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%d%%\"\nmsgstr \"%%%d\"", true},
      // Size synonyms; %m takes nothing.
      {"de", kTwoForms, "#, c-format\nmsgid \"%lld\"\nmsgstr \"%Ld\"", true},
      {"de", kTwoForms, "#, c-format\nmsgid \"%lLd\"\nmsgstr \"%qd\"", true},
      {"de", kTwoForms, "#, c-format\nmsgid \"%lLd\"\nmsgstr \"%d\"", false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%Lf\"\nmsgstr \"%llf\"", true},
      {"de", kTwoForms, "#, c-format\nmsgid \"%llf\"\nmsgstr \"%f\"", false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%m: %s\"\nmsgstr \"%s\"", true},
      // %I64d is the runtime's 64-bit size, where msgfmt reads glibc's I
      // flag and a width of 64.
      {"de", kTwoForms, "#, c-format\nmsgid \"%I64d\"\nmsgstr \"%I64d\"", true},
      {"de", kTwoForms, "#, c-format\nmsgid \"%I64d\"\nmsgstr \"%d\"", false,
       false},
      // possible-c-format is compared as c-format.
      {"de", kTwoForms, "#, possible-c-format\nmsgid \"%d\"\nmsgstr \"%s\"",
       false},
      {"de", kTwoForms, "#, possible-c-format\nmsgid \"%d %s\"\nmsgstr \"%d\"",
       false},
      // Numbered arguments, all or none.
      {"de", kTwoForms, "#, c-format\nmsgid \"%s %d\"\nmsgstr \"%2$d %1$s\"",
       true},
      {"de", kTwoForms, "#, c-format\nmsgid \"%s %d\"\nmsgstr \"%2$s %1$d\"",
       false},
      {"de", kTwoForms, "#, c-format\nmsgid \"%s %d\"\nmsgstr \"%2$d %s\"",
       false},
      // Every form against msgid_plural; only a form for a few numbers
      // may drop the count, and no form may be empty.
      {"ja", "nplurals=1; plural=0;",
       "#, c-format\nmsgid \"One file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"%d ファイル\"",
       true},
      {"ja", "nplurals=1; plural=0;",
       "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"ファイル\"",
       false},
      {"ru", kRussian,
       "#, c-format\nmsgid \"One file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"%d файл\"\nmsgstr[1] \"%d файла\"\nmsgstr[2] \"%d файлов\"",
       true},
      {"ru", kRussian,
       "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"один файл\"\nmsgstr[1] \"%d файла\"\n"
       "msgstr[2] \"%d файлов\"",
       false},
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"eine Datei\"\nmsgstr[1] \"%d Dateien\"",
       true},
      {"de", "nplurals=2; plural=(n>=1 && n<=5 ? 0 : 1);",
       "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"Dateien\"\nmsgstr[1] \"%d Dateien\"",
       false},
      {"de", kTwoForms,
       "#, c-format\nmsgid \"%d file\"\nmsgid_plural \"%d files\"\n"
       "msgstr[0] \"%d Datei\"\nmsgstr[1] \"\"",
       false},
  };
  const bool msgfmt = HaveMsgfmt();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.entry);
    Write("c.po", Po(c.language, c.pluralForms, c.entry));
    Result r = Run({"check", "c.po"});
    EXPECT_EQ(r.code, c.accepted ? 0 : 1) << r.err;
    if (msgfmt && c.likeMsgfmt) {
      EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null c.po") == 0, c.accepted);
    } else if (msgfmt) {
      EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null c.po"), 0);
    }
  }
}

// A translation that reorders its arguments, and one that passes a 64-bit
// count through a macro: built, rendered by the tool and by the C++ layer
// alike, and dumped back as the translator wrote them.
TEST_F(Cli, GettextNumberedArgumentsAndMacrosRenderAndComeBack) {
  const std::string po =
      Po("de", kTwoForms,
         "#, c-format\nmsgid \"%s has %d files\"\n"
         "msgstr \"%2$d Dateien hat %1$s\"\n\n"
         "#, c-format\nmsgid \"%s: %d file\"\nmsgid_plural \"%s: %d files\"\n"
         "msgstr[0] \"%2$d Datei in %1$s\"\n"
         "msgstr[1] \"%2$d Dateien in %1$s\"\n\n"
         "#, c-format\nmsgid \"Size: %<PRIu64> bytes\"\n"
         "msgstr \"Größe: %<PRIu64> Bytes\"\n\n"
         "#, c-format\nmsgid \"%lld of %Lf\"\nmsgstr \"%Ld von %llf\"");
  Write("de.po", po);
  Result build = Run({"build", "de.po", "-o", "de.skdb"});
  ASSERT_EQ(build.code, 0) << build.err;
  EXPECT_EQ(Run({"format", "de.skdb", "%s has %d files", "Ana", "12"}).out,
            "12 Dateien hat Ana\n");
  EXPECT_EQ(
      Run({"format", "de.skdb", "%s: %d file", "--count", "3", "Ana", "3"}).out,
      "3 Dateien in Ana\n");
  // 5000000000 does not fit 32 bits: the stored conversion takes 64.
  EXPECT_EQ(
      Run({"format", "de.skdb", "Size: %<PRIu64> bytes", "5000000000"}).out,
      "Größe: 5000000000 Bytes\n");
  EXPECT_EQ(Run({"format", "de.skdb", "%lld of %Lf", "5000000000", "1.5"}).out,
            "5000000000 von 1.500000\n");

  // The raw interface: a message for the reordered text, printf for the
  // macro, as the stored kinds say.
  BytesStream stream(Read("de.skdb"));
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
  ASSERT_NE(keeper, nullptr);
  PhrasorWChar buffer[64];
  const PhrasorWChar ana[] = {'A', 'n', 'a', 0};
  EXPECT_TRUE(
      mgr->FormatMessageByID(keeper, "%s has %d files", buffer, 64, ana, 12));
  EXPECT_EQ(Narrow(buffer), "12 Dateien hat Ana");
  EXPECT_GT(mgr->FormatStringByID(keeper, "Size: %<PRIu64> bytes", buffer, 64,
                                  std::uint64_t{5000000000}),
            0);
  EXPECT_EQ(Narrow(buffer), "Größe: 5000000000 Bytes");
  mgr->ReleaseKeeper(keeper);

  Expected<Catalog> catalog = Catalog::open(dir / "de.skdb");
  ASSERT_TRUE(catalog) << catalog.error().message();
  EXPECT_EQ(*catalog->formatUtf8("%s has %d files", "Ana", 12),
            "12 Dateien hat Ana");
  EXPECT_EQ(
      *catalog->formatUtf8("Size: %<PRIu64> bytes", std::uint64_t{5000000000}),
      "Größe: 5000000000 Bytes");

  Result dump = Run({"dump", "de.skdb", "--format", "po", "-o", "back.po"});
  ASSERT_EQ(dump.code, 0) << dump.err;
  const std::string back = Read("back.po");
  EXPECT_CONTAINS(back, "msgstr \"%2$d Dateien hat %1$s\"");
  EXPECT_CONTAINS(back, "msgstr[0] \"%2$d Datei in %1$s\"");
  EXPECT_CONTAINS(back, "msgstr \"Größe: %<PRIu64> Bytes\"");
  EXPECT_EQ(back.find("!d!"), std::string::npos) << back;
  if (HaveMsgfmt()) {
    EXPECT_EQ(Shell(dir, "msgfmt -c -o /dev/null back.po"), 0) << back;
  }
  ASSERT_EQ(Run({"build", "back.po", "-o", "again.skdb"}).code, 0);
  EXPECT_EQ(Read("again.skdb"), Read("de.skdb"));

  // Against the template, the reordered translation takes its source's
  // arguments; swapped types are still found.
  Write("t.pot", "msgid \"\"\nmsgstr \"\"\n"
                 "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                 "#, c-format\nmsgid \"%s has %d files\"\nmsgstr \"\"\n\n"
                 "#, c-format\nmsgid \"Size: %<PRIu64> bytes\"\nmsgstr \"\"\n");
  Result against = Run({"check", "de.po", "--against", "t.pot"});
  EXPECT_EQ(against.code, 0) << against.err;
  ASSERT_EQ(Run({"build", "t.pot", "-o", "en.skdb"}).code, 0);
  EXPECT_EQ(Run({"check", "de.skdb", "--against", "en.skdb"}).code, 0);

  // Numbered and unnumbered arguments in one text stay an error.
  Write("mixed.po", Po("de", kTwoForms,
                       "#, c-format\nmsgid \"%s %d\"\nmsgstr \"%2$d %s\""));
  EXPECT_EQ(Run({"build", "mixed.po", "-o", "m.skdb"}).code, 1);
  // Any printf text, not only a PO one.
  Write("s.csv", "id,value,kind\nSCORE,\"%2$d points for %1$s\",printf\n");
  ASSERT_EQ(Run({"build", "s.csv", "-o", "s.skdb"}).code, 0);
  EXPECT_EQ(Run({"format", "s.skdb", "SCORE", "Ana", "12"}).out,
            "12 points for Ana\n");
  ExpectRoundTrips("s.skdb");
  // A macro whose width differs between platforms has no one stored size.
  Write("fast.po",
        Po("de", kTwoForms,
           "#, c-format\nmsgid \"%<PRIdFAST16>\"\nmsgstr \"%<PRIdFAST16>\""));
  Result fast = Run({"build", "fast.po", "-o", "f.skdb"});
  EXPECT_EQ(fast.code, 1);
  EXPECT_CONTAINS(fast.err,
                  "'%<PRIdFAST16>' has no one size on every platform");
}

} // namespace
} // namespace phrasor::clitest
