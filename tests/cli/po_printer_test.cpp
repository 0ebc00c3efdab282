//===- po_printer_test.cpp - The fast PO printer against libgettextpo's ---===//
//
// The dump prints PO itself and must write exactly what libgettextpo's
// po_file_write writes for the same messages: both printers are given the
// messages of real PO files and of generated ones (wrapping at and around
// the page width, escapes, wide and combining characters, long words,
// contexts, plurals, comments, flags) and their texts compared.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/PoPrinter.h"

#include <gettext-po.h>
#include <gtest/gtest.h>

#include <csetjmp>
#include <filesystem>
#include <random>

// These tests call libgettextpo in this process: LeakSanitizer is told of
// the blocks the library never frees, as the tool's runs are (lsan.supp),
// and needs the slow unwinder to see the library's functions.
extern "C" const char *__lsan_default_options();
extern "C" const char *__lsan_default_suppressions();
extern "C" const char *__lsan_default_options() {
  return "fast_unwind_on_malloc=0:print_suppressions=0";
}
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libgettextpo_catalog_reader_parse\n"
         "leak:po_message_set_msgctxt\n"
         "leak:libgettextpo_xasprintf\n";
}

namespace phrasor::tool {
namespace {

namespace fs = std::filesystem;

const std::string kUtf8 = "Content-Type: text/plain; charset=UTF-8\n"
                          "Content-Transfer-Encoding: 8bit\n";

/// Both printers' texts of \p messages under \p fields; the fast one's is
/// empty when it declined the header or a message.
struct Printed {
  std::string library, fast;
  bool declined = false;
};

Printed PrintBoth(const std::string &fields,
                  const std::vector<PoOutMessage> &messages) {
  Printed p;
  std::unique_ptr<PoPrinter> library = LibraryPoPrinter(fields);
  std::unique_ptr<PoPrinter> fast = FastPoPrinter(fields);
  p.declined = !fast;
  for (const PoOutMessage &m : messages) {
    library->Add(m);
    if (fast && !fast->Add(m))
      p.declined = true;
  }
  p.library = library->Finish();
  if (!p.declined)
    p.fast = fast->Finish();
  return p;
}

/// The first line where \p a and \p b differ, to show in a failure.
std::string FirstDifference(const std::string &a, const std::string &b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at])
    ++at;
  const std::size_t line = a.rfind('\n', at);
  const std::size_t from = line == std::string::npos ? 0 : line + 1;
  return "library: " + a.substr(from, 160) +
         "\nfast:    " + b.substr(from, 160);
}

// --- Messages of real files ------------------------------------------------

std::jmp_buf ReadFatal;
void Quiet(int severity, po_message_t, const char *, size_t, size_t, int,
           const char *) {
  if (severity == PO_SEVERITY_FATAL_ERROR)
    std::longjmp(ReadFatal, 1);
}
void Quiet2(int severity, po_message_t, const char *, size_t, size_t, int,
            const char *, po_message_t, const char *, size_t, size_t, int,
            const char *) {
  Quiet(severity, nullptr, nullptr, 0, 0, 0, nullptr);
}

po_file_t ReadQuietly(const char *path) {
  static const po_xerror_handler handler = {Quiet, Quiet2};
  if (setjmp(ReadFatal) != 0)
    return nullptr;
  return po_file_read(path, &handler);
}

/// The strings the messages point into.
struct FileMessages {
  std::string header;
  std::vector<std::unique_ptr<std::string>> strings;
  std::vector<PoOutMessage> messages;

  std::string_view Keep(const char *s) {
    strings.push_back(std::make_unique<std::string>(s));
    return *strings.back();
  }
};

/// The live messages of the first domain of \p path, or nothing when the
/// library cannot read it.
std::optional<FileMessages> MessagesOf(const fs::path &path) {
  po_file_t po = ReadQuietly(path.c_str());
  if (!po)
    return std::nullopt;
  FileMessages f;
  const char *const *domains = po_file_domains(po);
  const char *header = po_file_domain_header(po, domains[0]);
  f.header = header ? header : "";
  std::free(const_cast<char *>(header));
  po_message_iterator_t it = po_message_iterator(po, domains[0]);
  while (po_message_t message = po_next_message(it)) {
    if (po_message_is_obsolete(message) ||
        (!po_message_msgctxt(message) && !*po_message_msgid(message)))
      continue;
    PoOutMessage m;
    if (const char *c = po_message_msgctxt(message))
      m.context = f.Keep(c);
    m.msgid = f.Keep(po_message_msgid(message));
    if (const char *plural = po_message_msgid_plural(message)) {
      m.plural = f.Keep(plural);
      for (int i = 0; const char *form = po_message_msgstr_plural(message, i);
           ++i)
        m.msgstr.emplace_back(i, f.Keep(form));
    } else {
      m.msgstr.emplace_back(0, f.Keep(po_message_msgstr(message)));
    }
    for (const char *name : {"c-format", "python-format", "sh-format"})
      if (po_message_is_format(message, name))
        m.formats.emplace_back(name, true);
    const char *comments = po_message_comments(message);
    m.comments = comments;
    const char *extracted = po_message_extracted_comments(message);
    m.extracted = extracted;
    // The library hands both out as new blocks, or as a constant "".
    if (*comments)
      std::free(const_cast<char *>(comments));
    if (*extracted)
      std::free(const_cast<char *>(extracted));
    f.messages.push_back(std::move(m));
  }
  po_message_iterator_free(it);
  po_file_free(po);
  return f;
}

TEST(PoPrinter, WritesTheLibrarysBytesForEverySamplePo) {
  std::size_t compared = 0;
  for (const char *dir : {PHRASOR_TEST_DATA "/gettext", PHRASOR_EXAMPLES,
                          PHRASOR_FUZZ_DIR "/corpus/po"})
    for (const auto &entry : fs::directory_iterator(dir)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".po" && ext != ".pot")
        continue;
      std::optional<FileMessages> f = MessagesOf(entry.path());
      if (!f)
        continue;
      // Files in other charsets are left to the library.
      const Printed p = PrintBoth(f->header, f->messages);
      if (f->header.find("charset=UTF-8") != std::string::npos) {
        EXPECT_FALSE(p.declined) << entry.path();
      }
      if (p.declined)
        continue;
      EXPECT_EQ(p.fast, p.library) << entry.path() << "\n"
                                   << FirstDifference(p.library, p.fast);
      ++compared;
    }
  EXPECT_GE(compared, 10u);
}

// --- Generated messages ------------------------------------------------------

/// Text made of pieces that wrap, escape and measure differently.
std::string Generated(std::mt19937 &rng, std::size_t pieces) {
  static const char *const kPieces[] = {
      "the",        "sword",
      "of",         "dawn",
      " ",          " ",
      " ",          "  ",
      "Élodie",     "Straße",
      "東京都庁",   "日本語のテキスト",
      "한국어",     "😀",
      "e\xCC\x81",  "\xE2\x80\x8B",
      "\xC2\xA0",   "-",
      "—",          "/",
      "%1!s!",      "%d",
      "%%",         "{name}",
      "\n",         "\t",
      "\"",         "\\",
      "\r",         "\a",
      "\v",         "\f",
      ",",          ".",
      "!",          "?",
      "(",          ")",
      "\"quoted\"", "http://example.com/a/long/path?query=value&other=1",
      "x\x01y",     "\xE2\x80\xA8",
      "\xC2\x85",   "ـ",
      "עברית",      "العربية"};
  std::string s;
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
  for (std::size_t i = 0; i < pieces; ++i)
    s += kPieces[pick(rng)];
  if (rng() % 7 == 0)
    s += std::string(rng() % 120 + 1, 'w'); // a word longer than a line
  return s;
}

TEST(PoPrinter, WritesTheLibrarysBytesForGeneratedMessages) {
  std::mt19937 rng(26);
  std::vector<std::string> texts;
  // Plain text ending at every column around the width, after each
  // keyword's width, with and without a space to break at.
  for (std::size_t n = 55; n < 90; ++n) {
    texts.push_back(std::string(n, 'a'));
    texts.push_back(std::string(n / 2, 'b') + " " +
                    std::string(n - n / 2, 'c'));
    texts.push_back("word " + std::string(n - 5, 'd'));
    texts.push_back(std::string(n - 2, 'e') + "\n");
    texts.push_back(std::string(n - 3, 'f') + " \"g");
    texts.push_back(std::string(n - 10, 'h') + " 東京 東京");
    texts.push_back(std::string(n - 4, 'i') + "\\ j");
  }
  for (int i = 0; i < 3000; ++i)
    texts.push_back(Generated(rng, rng() % 40));
  texts.push_back("");
  texts.push_back("\n");
  texts.push_back("\n\n");

  std::vector<PoOutMessage> messages;
  const std::vector<std::string> comments = {"",
                                             "a note",
                                             "two\nlines",
                                             "blank\n\nbetween",
                                             "ends\n",
                                             "phrasor-message-flag",
                                             "note\nphrasor-message-flag",
                                             "x # phrasor-message-flag"};
  const std::vector<std::vector<std::pair<std::string, bool>>> flags = {
      {},
      {{"c-format", true}},
      {{"c-format", false}},
      {{"python-format", true}},
      {{"unknown-format", true}},
      {{"c-format", true}, {"c-format", false}},
      {{"c-format", true}, {"python-format", true}}};
  for (std::size_t i = 0; i + 3 < texts.size(); i += 3) {
    PoOutMessage m;
    if (i % 2)
      m.context = texts[i + 2];
    m.msgid = texts[i];
    if (i % 5 == 0) {
      m.plural = texts[i + 2];
      m.msgstr = {{0, texts[i + 1]}, {1, texts[i]}};
      if (i % 3 == 0)
        m.msgstr = {{2, texts[i + 1]}, {0, texts[i]}, {2, texts[i + 2]}};
    } else {
      m.msgstr.emplace_back(0, texts[i + 1]);
    }
    m.comments = comments[i % comments.size()];
    m.extracted = comments[(i / 2) % comments.size()];
    m.formats = flags[i % flags.size()];
    messages.push_back(std::move(m));
  }
  std::size_t compared = 0;
  for (std::size_t from = 0; from < messages.size(); from += 40) {
    const std::vector<PoOutMessage> some(
        messages.begin() + from,
        messages.begin() + std::min(messages.size(), from + 40));
    const Printed p = PrintBoth(
        kUtf8 + "Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 "
                ": n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\n",
        some);
    ASSERT_FALSE(p.declined);
    EXPECT_EQ(p.fast, p.library) << FirstDifference(p.library, p.fast);
    compared += some.size();
  }
  EXPECT_GT(compared, 800u);
}

TEST(PoPrinter, LeavesToTheLibraryWhatItPrintsOtherwise) {
  // Another charset is the library's whole file; invalid UTF-8, a NUL
  // and two format flags are its messages, put in their places.
  EXPECT_FALSE(FastPoPrinter("Content-Type: text/plain; charset=EUC-JP\n"));
  EXPECT_FALSE(FastPoPrinter("X-Note: charset=latin1\n" + kUtf8));
  const std::string nul("a\0b", 3);
  std::vector<PoOutMessage> messages(7);
  messages[0].msgid = "first";
  messages[1].msgid = "caf\xC3 au lait";
  messages[2].msgid = "between";
  messages[3].msgid = nul;
  messages[3].msgstr.emplace_back(0, nul);
  messages[4].msgid = "two flags";
  messages[4].formats = {{"python-format", true}, {"c-format", false}};
  messages[5].msgid = std::string_view(
      "a long C format that the library does not break inside its directives "
      "%1$-*2$.*3$lld or %% when it wraps the line");
  messages[5].formats = {{"c-format", true}};
  messages[6].msgid = "last";
  const Printed p = PrintBoth(kUtf8, messages);
  ASSERT_FALSE(p.declined);
  EXPECT_EQ(p.fast, p.library) << FirstDifference(p.library, p.fast);
  EXPECT_NE(p.fast.find("#, no-c-format, python-format"), std::string::npos)
      << p.fast;
}

} // namespace
} // namespace phrasor::tool
