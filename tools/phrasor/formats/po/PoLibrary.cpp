//===- PoLibrary.cpp - A PO file as libgettextpo reads it -----------------===//

#include "tools/phrasor/formats/po/PoLibrary.h"

#include "tools/phrasor/Utf.h"

#include <utf8.h>

#include <cctype>
#include <csetjmp>
#include <cstdlib>

namespace phrasor::tool {
namespace {

// libgettextpo's handler has no user data, so the reader in progress is
// reached through these; reading is single-threaded.
Diagnostics *CurrentDiag = nullptr;
const std::string *CurrentFile = nullptr;
// The library sends a fatal report when it cannot go on (it has run out of
// memory) and demands that the handler never returns. Jumping back to
// ReadPo keeps the process, and the files read after this one, alive.
std::jmp_buf FatalJump;

void Say(int severity, const char *filename, size_t lineno, const char *text) {
  // A report without a place is about the file being read.
  std::string where = filename ? filename : *CurrentFile;
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
}

// Set while a file is read on trial (see ReadLibraryFile): reports are
// only noted, and the file is read again the usual way if there were any.
bool Trial = false;
bool TrialHeard = false;

void Report(int severity, const char *filename, size_t lineno,
            const char *text) {
  if (Trial)
    TrialHeard = true;
  else
    Say(severity, filename, lineno, text); // its strings are gone after it
  if (severity == PO_SEVERITY_FATAL_ERROR)
    std::longjmp(FatalJump, 1);
}

void XError(int severity, po_message_t, const char *filename, size_t lineno,
            size_t, int, const char *text) {
  Report(severity, filename, lineno, text);
}

std::vector<Duplicate> *Duplicates = nullptr;

void XError2(int severity, po_message_t, const char *filename1, size_t lineno1,
             size_t, int, const char *text1, po_message_t message2,
             const char *filename2, size_t lineno2, size_t, int,
             const char *text2) {
  if (!Trial && Duplicates && message2 && !filename2 && filename1 &&
      lineno1 != static_cast<size_t>(-1) &&
      severity != PO_SEVERITY_FATAL_ERROR) {
    Duplicates->push_back({lineno1, message2});
    return;
  }
  Report(severity == PO_SEVERITY_FATAL_ERROR ? PO_SEVERITY_ERROR : severity,
         filename1, lineno1, text1);
  Report(severity, filename2, lineno2, text2);
}

const po_xerror_handler kErrorHandler = {XError, XError2};

/// The library's reading of \p path; nothing when it gave up on a fatal
/// error, which has been reported. Nothing here needs destroying when the
/// handler jumps back.
po_file_t ReadLibraryFile(const char *path) {
  if (setjmp(FatalJump) != 0)
    return nullptr;
  return po_file_read(path, &kErrorHandler);
}

/// True when every domain's header names UTF-8 as the charset.
bool AllHeadersUtf8(po_file_t po) {
  const char *const *domains = po_file_domains(po);
  for (std::size_t d = 0; domains && domains[d]; ++d) {
    const char *header = po_file_domain_header(po, domains[d]);
    std::string charset = CharsetOf(HeaderField(header, "Content-Type"));
    std::free(const_cast<char *>(header));
    for (char &c : charset)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (charset != "UTF-8" && charset != "UTF8")
      return false;
  }
  return true;
}

/// Reads \p path as ReadLibraryFile does, faster when \p text is UTF-8.
/// The library's lexer passes every non-ASCII character of a file through
/// iconv to find where it ends, which is a fifth of a build from PO; in
/// valid UTF-8 no byte of a character can be taken for a quote, backslash
/// or line end, so reading it byte by byte (the lexer's mode for old-style
/// files, chosen by OLD_PO_FILE_INPUT) gives the same messages. That
/// holds only for a file that declares UTF-8 and reads without a report,
/// so the trial read is kept only then; otherwise the file is read again
/// the usual way, and its reports come from that reading.
po_file_t ReadLibraryFileFast(const char *path, std::string_view text) {
  const char *const kOldInput = "OLD_PO_FILE_INPUT";
  const char *preset = std::getenv(kOldInput);
  if ((preset && *preset) || !utf8::is_valid(text.begin(), text.end()))
    return ReadLibraryFile(path);
  setenv(kOldInput, "1", 1);
  Trial = true;
  TrialHeard = false;
  po_file_t po = ReadLibraryFile(path);
  Trial = false;
  if (preset) // set, and empty
    setenv(kOldInput, "", 1);
  else
    unsetenv(kOldInput);
  if (po && !TrialHeard && AllHeadersUtf8(po))
    return po;
  if (po)
    po_file_free(po);
  return ReadLibraryFile(path);
}

/// Frees \p po, or keeps it to the end of the process. Freeing the
/// library's file means freeing a few small blocks per message, which
/// was a tenth of a large build, and left the allocator slower for the
/// rest of it; the system takes the whole back at exit at no cost. Only
/// large files are kept, and only up to a bound, so a process reading
/// many files (small ones especially: each kept file costs kilobytes
/// whatever its size) frees them as it goes.
void ReleaseKept(po_file_t po, std::size_t textSize) {
  constexpr std::size_t kKeptText = 64 * 1024 * 1024;
  constexpr std::size_t kSmallFile = 1024 * 1024;
  // Never destroyed, so leak checkers see the files as still reachable.
  static auto *kept = new std::vector<po_file_t>;
  static std::size_t keptText = 0;
  if (textSize < kSmallFile || keptText + textSize > kKeptText) {
    po_file_free(po);
    return;
  }
  keptText += textSize;
  kept->push_back(po);
}

} // namespace

po_file_t ReadLibraryPo(const std::string &file, std::string_view text,
                        Diagnostics &diag, std::vector<Duplicate> &duplicates) {
  CurrentDiag = &diag;
  CurrentFile = &file;
  Duplicates = &duplicates;
  po_file_t po = ReadLibraryFileFast(file.c_str(), text);
  CurrentDiag = nullptr;
  CurrentFile = nullptr;
  Duplicates = nullptr;
  return po;
}

void ReleasePo(po_file_t po, std::size_t textSize) {
  ReleaseKept(po, textSize);
}

std::optional<std::string> HeaderField(const char *header, const char *name) {
  if (!header)
    return std::nullopt;
  char *value = po_header_field(header, name);
  if (!value)
    return std::nullopt;
  std::string out = value;
  std::free(value);
  return Trimmed(out);
}

std::string CharsetOf(const std::optional<std::string> &contentType) {
  if (!contentType)
    return "";
  const std::size_t at = contentType->find("charset=");
  if (at == std::string::npos)
    return "";
  std::string name = contentType->substr(at + 8);
  const std::size_t end = name.find_first_of("; \t");
  return end == std::string::npos ? name : name.substr(0, end);
}

} // namespace phrasor::tool
