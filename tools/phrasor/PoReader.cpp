//===- PoReader.cpp - gettext PO input ------------------------------------===//
//
// The ID is the msgctxt when there is one, else the msgid; the value is the
// msgstr. An empty msgstr means "not translated yet": the entry keeps no
// value, or takes its msgid under --fill-empty. Fuzzy entries are skipped
// unless --include-fuzzy, obsolete ones always. Extracted comments carry
// what PO has no field for:
//
//   #. voice: vo/en/ui_ok.ogg       the entry's voice path
//   #. value: empty                 the value is the empty string
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Inputs.h"

#include <gettext-po.h>

#include <cstdio>
#include <iostream>

namespace phrasor::tool {
namespace {

// libgettextpo's handler has no user data, so the reader in progress is
// reached through this pointer; reading is single-threaded.
Diagnostics *CurrentDiag = nullptr;

std::string Trimmed(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos)
    return "";
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

void Report(int severity, const char *filename, size_t lineno,
            const char *text) {
  std::string where = filename ? filename : "";
  if (filename && lineno != static_cast<size_t>(-1)) {
    // Appended piecewise: gcc 12 misreads "x" + std::string as overlapping.
    where += ':';
    where += std::to_string(lineno);
  }
  std::string message = Trimmed(text ? text : "");
  if (severity == PO_SEVERITY_WARNING)
    CurrentDiag->Warning(where, message);
  else
    CurrentDiag->Error(where, message);
  if (severity == PO_SEVERITY_FATAL_ERROR) {
    // The library demands that a fatal report never returns. Every
    // problem of the file has been printed by now.
    std::cout.flush();
    std::cerr.flush();
    std::exit(kExitProblems);
  }
}

void XError(int severity, po_message_t, const char *filename, size_t lineno,
            size_t, int, const char *text) {
  Report(severity, filename, lineno, text);
}

void XError2(int severity, po_message_t, const char *filename1, size_t lineno1,
             size_t, int, const char *text1, po_message_t,
             const char *filename2, size_t lineno2, size_t, int,
             const char *text2) {
  Report(severity == PO_SEVERITY_FATAL_ERROR ? PO_SEVERITY_ERROR : severity,
         filename1, lineno1, text1);
  Report(severity, filename2, lineno2, text2);
}

const po_xerror_handler kErrorHandler = {XError, XError2};

// libgettextpo does not say where a message stands in the file, so the
// lines on which messages begin are found here, in file order: a message
// begins at its msgctxt, or at a msgid that follows no msgctxt. Comment
// lines (obsolete "#~" entries among them) are passed over, just as the
// library's list of live messages passes them over.
std::vector<std::size_t> MessageLines(std::string_view text) {
  std::vector<std::size_t> lines;
  bool afterContext = false;
  std::size_t line = 1;
  for (std::size_t pos = 0; pos < text.size(); ++line) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view l = text.substr(pos, end - pos);
    std::size_t b = l.find_first_not_of(" \t");
    if (b != std::string_view::npos)
      l.remove_prefix(b);
    auto keyword = [&](std::string_view k) {
      return l.substr(0, k.size()) == k &&
             (l.size() == k.size() || l[k.size()] == ' ' ||
              l[k.size()] == '\t');
    };
    if (keyword("msgctxt")) {
      lines.push_back(line);
      afterContext = true;
    } else if (keyword("msgid")) {
      if (!afterContext)
        lines.push_back(line);
      afterContext = false;
    } else if (l.substr(0, 6) == "msgstr") {
      afterContext = false;
    }
    pos = end + 1;
  }
  return lines;
}

/// Reads the "key: text" lines of the extracted comments.
void ReadComments(const char *comments, std::optional<std::string> &voice,
                  bool &emptyValue) {
  std::string_view rest = comments ? comments : "";
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string line = Trimmed(rest.substr(0, end));
    rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
    if (line.rfind("voice:", 0) == 0)
      voice = Trimmed(std::string_view(line).substr(6));
    else if (line == "value: empty")
      emptyValue = true;
  }
}

} // namespace

void ReadPo(const std::string &file, std::string_view text,
            const InputOptions &options, Diagnostics &diag,
            std::vector<SourceEntry> &out) {
  CurrentDiag = &diag;
  po_file_t po = po_file_read(file.c_str(), &kErrorHandler);
  if (!po) {
    CurrentDiag = nullptr;
    return;
  }
  const std::vector<std::size_t> lines = MessageLines(text);
  std::vector<po_message_t> messages;
  po_message_iterator_t it = po_message_iterator(po, nullptr);
  while (po_message_t message = po_next_message(it))
    if (!po_message_is_obsolete(message))
      messages.push_back(message);
  po_message_iterator_free(it);
  const bool haveLines = lines.size() == messages.size();

  for (std::size_t i = 0; i < messages.size(); ++i) {
    po_message_t message = messages[i];
    const SourcePos pos{file, haveLines ? lines[i] : 0};
    const char *context = po_message_msgctxt(message);
    const char *msgid = po_message_msgid(message);
    if (!context && msgid[0] == '\0')
      continue; // the header entry
    if (po_message_is_fuzzy(message) && !options.includeFuzzy)
      continue;
    std::string id = context ? context : msgid;
    std::string msgstr = po_message_msgstr(message);
    if (po_message_msgid_plural(message)) {
      diag.Warning(pos,
                   "'" + id + "' has plural forms; only the first is used");
      const char *first = po_message_msgstr_plural(message, 0);
      msgstr = first ? first : "";
    }
    std::optional<std::string> voice;
    bool emptyValue = false;
    ReadComments(po_message_extracted_comments(message), voice, emptyValue);
    std::optional<std::string> value;
    if (!msgstr.empty())
      value = msgstr;
    else if (emptyValue)
      value = std::string();
    else if (options.fillEmpty)
      value = msgid;
    AddEntry(pos, std::move(id), value, std::move(voice), diag, out);
  }
  po_file_free(po);
  CurrentDiag = nullptr;
}

} // namespace phrasor::tool
