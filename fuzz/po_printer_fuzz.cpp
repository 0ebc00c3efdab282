//===- po_printer_fuzz.cpp - The fast PO printer against libgettextpo's ---===//
//
// A PO dump prints through a fast printer of its own that must write
// exactly the bytes libgettextpo's po_file_write writes. The input is cut
// into fields at 0xFF bytes (which valid UTF-8 never holds): the header's
// extra fields, then per message a control field and the texts it asks
// for. Both printers are given the messages; where the fast one takes the
// header, the two texts must be the same.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/PoPrinter.h"

#include <utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// libgettextpo keeps a few blocks for the life of the process, and its
// printer loses a few of its own on text that is not valid UTF-8 (no code
// of this project runs inside po_file_write); the slow unwinder sees the
// library's functions that allocate them.
extern "C" const char *__lsan_default_options();
extern "C" const char *__lsan_default_suppressions();
extern "C" const char *__lsan_default_options() {
  return "fast_unwind_on_malloc=0:print_suppressions=0";
}
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libgettextpo_catalog_reader_parse\n"
         "leak:po_message_set_msgctxt\n"
         "leak:libgettextpo_xasprintf\n"
         "leak:po_file_write\n";
}

namespace {

using phrasor::tool::PoOutMessage;
using phrasor::tool::PoPrinter;

/// The fields of the input, in order; an empty one past the end.
class Fields {
public:
  Fields(const uint8_t *data, size_t size)
      : rest(reinterpret_cast<const char *>(data), size) {}

  bool Done() const { return done; }

  std::string_view Next() {
    if (done)
      return {};
    const std::size_t end = rest.find('\xFF');
    const std::string_view field = rest.substr(0, end);
    if (end == std::string_view::npos)
      done = true;
    else
      rest.remove_prefix(end + 1);
    return field;
  }

private:
  std::string_view rest;
  bool done = false;
};

/// Byte \p i of \p s, 0 past its end.
unsigned At(std::string_view s, std::size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u;
}

const char *const kFormats[] = {"c-format",
                                "python-format",
                                "python-brace-format",
                                "sh-format",
                                "qt-format",
                                "java-format",
                                "javascript-format",
                                "lisp-format",
                                "perl-format",
                                "php-format",
                                "boost-format",
                                "kde-format",
                                "objc-format",
                                "awk-format",
                                "tcl-format",
                                "gcc-internal-format",
                                "elisp-format",
                                "c++-format",
                                "unknown-format",
                                "no-wrap",
                                "fuzzy",
                                "format",
                                "-format",
                                ""};

/// True when libgettextpo 0.21 aborts on \p s: it ends in the middle of a
/// multibyte character (taken here as: invalid UTF-8 with a non-ASCII
/// byte near the end). The dump never gives it one (its texts are valid
/// UTF-8), so such inputs are skipped; invalid UTF-8 elsewhere is kept.
bool EndsCut(std::string_view s) {
  s = s.substr(0, s.find('\0')); // the library's C string
  const std::size_t tail = std::min<std::size_t>(s.size(), 4);
  for (std::size_t i = s.size() - tail; i < s.size(); ++i)
    if (static_cast<unsigned char>(s[i]) >= 0x80)
      return !utf8::is_valid(s.begin(), s.end());
  return false;
}

[[noreturn]] void Mismatch(const std::string &library,
                           const std::string &fast) {
  std::size_t at = 0;
  while (at < library.size() && at < fast.size() && library[at] == fast[at])
    ++at;
  const std::size_t line = library.rfind('\n', at);
  const std::size_t from = line == std::string::npos ? 0 : line + 1;
  std::fprintf(
      stderr, "po printer fuzz: the texts differ\nlibrary: %s\nfast:    %s\n",
      library.substr(from, 200).c_str(), fast.substr(from, 200).c_str());
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Fields in(data, size);
  // The header: a UTF-8 one with extra fields, unless the first byte asks
  // for the fields alone.
  const std::string_view extra = in.Next();
  std::string header;
  if (!extra.empty() && extra[0] == '!')
    header = std::string(extra.substr(1));
  else
    header = "Content-Type: text/plain; charset=UTF-8\n"
             "Content-Transfer-Encoding: 8bit\n" +
             std::string(extra);

  std::vector<PoOutMessage> messages;
  while (!in.Done() && messages.size() < 64) {
    const std::string_view control = in.Next();
    const unsigned bits = At(control, 0);
    PoOutMessage m;
    if (bits & 1)
      m.context = in.Next();
    m.msgid = in.Next();
    if (bits & 2)
      m.plural = in.Next();
    std::size_t next = 1;
    for (unsigned n = (bits >> 2) & 3; n > 0; --n) {
      // Mostly small indices, now and then a far one.
      const unsigned byte = At(control, next++);
      const unsigned index = byte & 0x80 ? byte & 0x7F : byte & 3;
      m.msgstr.emplace_back(index, in.Next());
    }
    if (bits & 16)
      m.comments = std::string(in.Next());
    if (bits & 32)
      m.extracted = std::string(in.Next());
    for (unsigned n = bits >> 6; n > 0; --n) {
      const unsigned byte = At(control, next++);
      m.formats.emplace_back(kFormats[(byte & 0x7F) % std::size(kFormats)],
                             (byte & 0x80) == 0);
    }
    bool cut = EndsCut(m.msgid) || (m.context && EndsCut(*m.context)) ||
               (m.plural && EndsCut(*m.plural));
    for (const auto &form : m.msgstr)
      cut = cut || EndsCut(form.second);
    if (cut)
      return 0;
    messages.push_back(std::move(m));
  }

  std::unique_ptr<PoPrinter> fast = phrasor::tool::FastPoPrinter(header);
  if (!fast)
    return 0; // the whole file is the library's
  std::unique_ptr<PoPrinter> library = phrasor::tool::LibraryPoPrinter(header);
  for (const PoOutMessage &m : messages) {
    library->Add(m);
    fast->Add(m);
  }
  const std::string expected = library->Finish();
  const std::string got = fast->Finish();
  if (got != expected)
    Mismatch(expected, got);
  return 0;
}
