//===- PoPrinter.cpp - PO text of a dump's messages -----------------------===//
//
// libgettextpo's po_file_write is most of a PO dump's time: for every
// string it opens an iconv converter, passes each character through it,
// runs libunistring's line breaking and writes in small pieces. The fast
// printer does what it does for UTF-8 text, in the same order and with the
// same library for line breaking, into one buffer.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/PoPrinter.h"

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"

#include <gettext-po.h>
#include <unilbrk.h>
#include <utf8.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <map>

namespace phrasor::tool {
namespace {

// The line of a flag given as a comment (kFlagComment), and the flag's
// line it becomes, in both printers. Only a line's start matches: in the
// library's text no string begins a line with "# ".
constexpr std::string_view kFlagMarker = "\n# phrasor-flag: ";
constexpr std::string_view kFlagLine = "\n#, ";

// Writing a temporary file only fails for reasons of the system; the
// library demands that a fatal report never returns. Jumping back to
// PoText (no C++ frame with anything to destroy lies between) turns it into
// a FatalError, so the scratch file is removed and the caller decides.
std::jmp_buf WriteFatalJump;
std::string WriteFatalText;

void WriteFailed(int severity, po_message_t, const char *, size_t, size_t, int,
                 const char *text) {
  if (severity != PO_SEVERITY_FATAL_ERROR)
    return;
  WriteFatalText = text ? text : "";
  std::longjmp(WriteFatalJump, 1);
}
void WriteFailed2(int severity, po_message_t, const char *, size_t, size_t, int,
                  const char *text, po_message_t, const char *, size_t, size_t,
                  int, const char *) {
  WriteFailed(severity, nullptr, nullptr, 0, 0, 0, text);
}

/// Appends \p text to \p out with every \p from replaced by \p to.
void AppendReplacing(std::string &out, std::string_view text,
                     std::string_view from, std::string_view to) {
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos;
       at = text.find(from, done)) {
    out.append(text, done, at - done);
    out += to;
    done = at + from.size();
  }
  out.append(text, done);
}

/// The scratch file libgettextpo writes to, under $TMPDIR. It is removed
/// on every way out, a fatal report of the library included.
class TempFile {
public:
  TempFile() : file(ScratchDirectory(), "phrasor-dump") { file.Close(); }
  const char *Path() const { return file.Path().c_str(); }

private:
  TemporaryFile file;
};

/// The library's writing of \p file to \p path; nothing when it gave up
/// on a fatal error, whose text WriteFatalText holds.
po_file_t WriteLibraryFile(po_file_t file, const char *path) {
  static const po_xerror_handler handler = {WriteFailed, WriteFailed2};
  if (setjmp(WriteFatalJump) != 0)
    return nullptr;
  return po_file_write(file, path, &handler);
}

/// libgettextpo writes only to a named file: \p file is written to
/// \p temp and read back, then freed.
std::string PoText(po_file_t file, const TempFile &temp) {
  WriteFatalText.clear();
  po_file_t written = WriteLibraryFile(file, temp.Path());
  if (!written && !WriteFatalText.empty())
    throw FatalError("cannot write the PO text: " + WriteFatalText);
  po_file_free(file);
  if (!written)
    throw FatalError("cannot write the PO text");
  // The library's text of a whole database, which may be larger than any
  // source: read whatever its size.
  return ReadFileBytes(temp.Path(), UINTMAX_MAX);
}

/// Writes the messages of a PO file a bounded number at a time. The
/// library keeps every message of a file in memory until the file is
/// written; in slices it holds a few thousand, which takes a fifth off the
/// peak memory of a dump of a million entries. Each slice is a file of its
/// own with the same header, and the library writes each message on its
/// own, so the slices joined without their repeated headers are the text
/// the whole file would have been.
class LibraryPrinter final : public PoPrinter {
public:
  LibraryPrinter(std::string headerFields, std::string headerComments)
      : fields(std::move(headerFields)), comments(std::move(headerComments)) {
    Start(); // a file with only the header gives the header's text
    po_message_iterator_free(it);
    header = PoText(file, temp);
    Start();
  }

  bool Add(const PoOutMessage &o) override {
    auto c = [](std::string_view s) { return std::string(s); };
    po_message_t m = po_message_create();
    if (o.context)
      po_message_set_msgctxt(m, c(*o.context).c_str());
    po_message_set_msgid(m, c(o.msgid).c_str());
    if (o.plural) {
      po_message_set_msgid_plural(m, c(*o.plural).c_str());
      for (const auto &[index, form] : o.msgstr)
        po_message_set_msgstr_plural(m, static_cast<int>(index),
                                     c(form).c_str());
    } else {
      po_message_set_msgstr(
          m, o.msgstr.empty() ? "" : c(o.msgstr[0].second).c_str());
    }
    if (!o.extracted.empty())
      po_message_set_extracted_comments(m, o.extracted.c_str());
    for (const auto &[name, on] : o.formats)
      po_message_set_format(m, name.c_str(), on);
    if (!o.comments.empty())
      po_message_set_comments(m, o.comments.c_str());
    po_message_set_fuzzy(m, o.fuzzy);
    if (o.prevContext)
      po_message_set_prev_msgctxt(m, c(*o.prevContext).c_str());
    if (o.prevMsgid)
      po_message_set_prev_msgid(m, c(*o.prevMsgid).c_str());
    if (o.prevPlural)
      po_message_set_prev_msgid_plural(m, c(*o.prevPlural).c_str());
    po_message_set_obsolete(m, o.obsolete);
    po_message_insert(it, m);
    if (++count == kSliceSize)
      Flush();
    return true;
  }

  std::string Finish() override {
    if (count || text.empty())
      Flush();
    po_message_iterator_free(it);
    po_file_free(file);
    file = nullptr;
    return std::move(text);
  }

  ~LibraryPrinter() override {
    if (file) {
      po_message_iterator_free(it);
      po_file_free(file);
    }
  }

private:
  static constexpr std::size_t kSliceSize = 4096;

  void Start() {
    file = po_file_create();
    it = po_message_iterator(file, nullptr);
    po_message_t m = po_message_create();
    po_message_set_msgid(m, "");
    po_message_set_msgstr(m, fields.c_str());
    if (!comments.empty())
      po_message_set_comments(m, comments.c_str());
    po_message_insert(it, m);
  }

  void Flush() {
    po_message_iterator_free(it);
    const std::string slice = PoText(file, temp);
    file = nullptr;
    if (slice.compare(0, header.size(), header) != 0)
      throw FatalError("cannot write the PO text: its header changed");
    AppendReplacing(
        text, std::string_view(slice).substr(text.empty() ? 0 : header.size()),
        kFlagMarker, kFlagLine);
    count = 0;
    Start();
  }

  std::string fields, comments, header, text;
  TempFile temp;
  po_file_t file = nullptr;
  po_message_iterator_t it = nullptr;
  std::size_t count = 0;
};

/// True when \p s is text the fast printer takes as the library does:
/// valid UTF-8 (the library reports anything else and skips bytes), and no
/// NUL (a C string ends there).
bool Plain(std::string_view s) {
  return s.find('\0') == std::string_view::npos &&
         utf8::is_valid(s.begin(), s.end());
}

/// True when libgettextpo knows \p name as a format flag ("c-format"); it
/// ignores the others. Asked of the library once per name.
bool KnownFormat(const std::string &name) {
  static std::map<std::string, bool> known;
  auto at = known.find(name);
  if (at != known.end())
    return at->second;
  // A message is freed with the file it is in.
  po_file_t file = po_file_create();
  po_message_iterator_t it = po_message_iterator(file, nullptr);
  po_message_t probe = po_message_create();
  po_message_insert(it, probe);
  po_message_iterator_free(it);
  po_message_set_format(probe, name.c_str(), 1);
  const bool yes = po_message_is_format(probe, name.c_str()) != 0;
  po_file_free(file);
  return known[name] = yes;
}

class FastPrinter final : public PoPrinter {
public:
  FastPrinter(std::string headerFields, std::string headerComments)
      : fields(std::move(headerFields)), comments(std::move(headerComments)) {
    Comments("#", comments);
    Wrap("msgid", "");
    Wrap("msgstr", fields);
    headerSize = text.size();
  }

  bool Add(const PoOutMessage &m) override {
    const std::size_t before = text.size();
    if (!Print(m)) {
      // The library prints this one, and its text is put in its place.
      text.resize(before);
      if (!library)
        library = std::make_unique<LibraryPrinter>(fields, comments);
      library->Add(m);
      slots.push_back(before);
    }
    return true;
  }

  std::string Finish() override {
    if (!library)
      return std::move(text);
    const std::string printed = library->Finish();
    // The library's file is the same header, then each message after a
    // blank line; no line of a message is empty.
    if (printed.compare(0, headerSize, text, 0, headerSize) != 0)
      throw FatalError("cannot write the PO text: its header changed");
    std::string joined;
    joined.reserve(text.size() + printed.size());
    std::size_t done = 0, at = headerSize;
    for (std::size_t slot : slots) {
      const std::size_t next = printed.find("\n\n", at + 1);
      const std::size_t end =
          next == std::string::npos ? printed.size() : next + 1;
      if (at >= printed.size() || printed[at] != '\n')
        throw FatalError("cannot write the PO text: a message went missing");
      joined.append(text, done, slot - done);
      joined.append(printed, at, end - at);
      done = slot;
      at = end;
    }
    joined.append(text, done);
    return joined;
  }

private:
  /// The library's page width, and the columns of a continued line's
  /// text: a quote either side.
  static constexpr int kWidth = 79 - 1 - 1;

  bool Print(const PoOutMessage &m) {
    // The flags: each name known to the library keeps its last setting,
    // and more than one would need the library's order of them.
    const std::pair<std::string, bool> *flag = nullptr;
    for (const auto &f : m.formats) {
      if (!KnownFormat(f.first))
        continue;
      if (flag && flag->first != f.first)
        return false;
      flag = &f;
    }
    // The library does not break a line inside a format directive of a
    // message with a format flag, and finds directives with a parser of
    // its own for each language. Where a text needs breaking, the message
    // is left to the library, unless no directive can be in it: a C one
    // starts at a '%'.
    marked = flag && flag->second;
    cFormat = marked && flag->first == "c-format";
    if (m.obsolete || m.prevContext || m.prevMsgid || m.prevPlural ||
        !Plain(m.comments) || !Plain(m.extracted) || !Plain(m.msgid) ||
        (m.context && !Plain(*m.context)) || (m.plural && !Plain(*m.plural)))
      return false;
    for (const auto &form : m.msgstr)
      if (!Plain(form.second) || form.first > 1000)
        return false;

    text += '\n';
    Comments("#", m.comments);
    Comments("#.", m.extracted);
    if (m.fuzzy || flag) {
      text += m.fuzzy ? "#, fuzzy" : "#";
      if (flag) {
        text += flag->second ? ", " : ", no-";
        text += flag->first;
      }
      text += '\n';
    }
    if (m.context && !Wrap("msgctxt", *m.context))
      return false;
    if (!Wrap("msgid", m.msgid))
      return false;
    if (!m.plural)
      return Wrap("msgstr", m.msgstr.empty() ? "" : m.msgstr[0].second);
    if (!Wrap("msgid_plural", *m.plural))
      return false;
    // A new message has one empty msgstr; setting a form past the end
    // adds empty ones before it.
    forms.assign(1, std::string_view());
    for (const auto &[index, form] : m.msgstr) {
      if (index >= forms.size())
        forms.resize(index + 1);
      forms[index] = form;
    }
    for (std::size_t i = 0; i < forms.size(); ++i)
      if (!Wrap("msgstr[" + std::to_string(i) + "]", forms[i]))
        return false;
    return true;
  }

  /// A comment line per line of \p lines ("a\n\nb" is three, a last line
  /// break ends the last), "#" alone for an empty one.
  void Comments(std::string_view mark, std::string_view lines) {
    while (!lines.empty()) {
      const std::size_t end = lines.find('\n');
      const std::string_view line = lines.substr(0, end);
      const std::size_t start = text.size();
      text += mark;
      if (!line.empty())
        text += ' ';
      text += line;
      text += '\n';
      // A flag's marker line becomes the flag, as the library's text is
      // rewritten.
      if (start > 0 && std::string_view(text).substr(
                           start - 1, kFlagMarker.size()) == kFlagMarker)
        text.replace(start, kFlagMarker.size() - 1, kFlagLine.substr(1));
      if (end == std::string_view::npos)
        break;
      lines.remove_prefix(end + 1);
    }
  }

  /// \p name and the quoted \p value, as the library's wrap() writes
  /// them: a string per line of the value, each broken where libunistring
  /// breaks it to fit; a value that takes more than one line starts with
  /// an empty string on the keyword's line. False when it would break a
  /// line where format directives may stand.
  bool Wrap(std::string_view name, std::string_view value) {
    const bool directives =
        marked && (!cFormat || value.find('%') != std::string_view::npos);
    bool first = true;
    std::size_t s = 0;
    do {
      std::size_t es = value.find('\n', s);
      es = es == std::string_view::npos ? value.size() : es + 1;
      Escape(value.substr(s, es - s));
      int startcol = first ? static_cast<int>(name.size()) + 1 : 0;
      if (directives && !Fits(startcol))
        return false;
      bool broken = Break(startcol);
      if (first && !portion.empty() &&
          (es < value.size() || startcol > kWidth || broken)) {
        text += name;
        text += " \"\"\n";
        first = false;
        startcol = 0;
        broken = Break(startcol);
      }
      if (first) {
        text += name;
        text += ' ';
        first = false;
      }
      Quoted(broken);
      s = es;
    } while (s < value.size());
    return true;
  }

  /// The C escape of \p c as PO writes it ('n' for a line break), or 0
  /// when it stands for itself.
  static char EscapeOf(char c) {
    switch (c) {
    case '\a':
      return 'a';
    case '\b':
      return 'b';
    case '\f':
      return 'f';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '\t':
      return 't';
    case '\v':
      return 'v';
    case '\\':
    case '"':
      return c;
    default:
      return 0;
    }
  }

  /// Makes \p line, one line of a value with its \n if it has one, the
  /// portion: escaped, with the break overrides that keep an escape whole.
  void Escape(std::string_view line) {
    portion.clear();
    overrides.clear();
    for (const char c : line) {
      if (const char escaped = EscapeOf(c)) {
        // A line may break before an escape, never inside it.
        portion += '\\';
        portion += escaped;
        overrides += static_cast<char>(UC_BREAK_UNDEFINED);
        overrides += static_cast<char>(UC_BREAK_PROHIBITED);
      } else {
        portion += c;
        overrides += static_cast<char>(UC_BREAK_UNDEFINED);
      }
    }
    // Never before the \n that ends a line of the value.
    if (!line.empty() && line.back() == '\n')
      overrides[portion.size() - 2] = static_cast<char>(UC_BREAK_PROHIBITED);
  }

  /// The portion in quotes, with a string ended and a new one begun at
  /// each break Break found when \p broken.
  void Quoted(bool broken) {
    text += '"';
    if (!broken) {
      text += portion;
    } else {
      for (std::size_t i = 0; i < portion.size(); ++i) {
        if (breaks[i] == UC_BREAK_POSSIBLE)
          text += "\"\n\"";
        text += portion[i];
      }
    }
    text += "\"\n";
  }

  /// True when the portion fits on its line from \p startcol, with no
  /// need to look for breaks: no character is wider than its bytes in
  /// UTF-8.
  bool Fits(int startcol) const {
    return startcol + static_cast<long>(portion.size()) <= kWidth;
  }

  /// Finds where the portion breaks when it starts at \p startcol; false
  /// when it does not.
  bool Break(int startcol) {
    if (Fits(startcol))
      return false;
    breaks.resize(portion.size());
    ulc_width_linebreaks(portion.data(), portion.size(), kWidth, startcol, 0,
                         overrides.data(), "UTF-8", breaks.data());
    return std::memchr(breaks.data(), UC_BREAK_POSSIBLE, breaks.size()) !=
           nullptr;
  }

  std::string fields, comments, text, portion, overrides, breaks;
  std::size_t headerSize = 0;
  std::vector<std::string_view> forms;
  bool marked = false, cFormat = false;
  std::unique_ptr<LibraryPrinter> library;
  std::vector<std::size_t> slots; ///< where the library's messages go
};

/// The charset the library takes from a header: what follows the first
/// "charset=" up to a space, tab or line end.
std::string_view HeaderCharset(std::string_view fields) {
  const std::size_t at = fields.find("charset=");
  if (at == std::string_view::npos)
    return "ASCII";
  const std::string_view rest = fields.substr(at + 8);
  return rest.substr(0, rest.find_first_of(" \t\n"));
}

} // namespace

std::unique_ptr<PoPrinter> LibraryPoPrinter(std::string headerFields,
                                            std::string headerComments) {
  return std::make_unique<LibraryPrinter>(std::move(headerFields),
                                          std::move(headerComments));
}

std::unique_ptr<PoPrinter> FastPoPrinter(const std::string &headerFields,
                                         const std::string &headerComments) {
  // The library's old output mode writes bytes as columns.
  const char *old = std::getenv("OLD_PO_FILE_OUTPUT");
  if ((old && *old) || !Plain(headerFields) ||
      HeaderCharset(headerFields) != "UTF-8" || !Plain(headerComments))
    return nullptr;
  return std::make_unique<FastPrinter>(headerFields, headerComments);
}

} // namespace phrasor::tool
