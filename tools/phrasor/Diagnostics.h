//===- Diagnostics.h - Errors and warnings of the phrasor tool --*- C++ -*-===//
//
// Every problem the tool finds is reported the same way, on stderr, in lower
// case, naming the file and the place:
//
//   error: menu.csv:14: duplicate ID 'UI_OK' (first defined at menu.csv:3)
//
// Problems in the user's data are counted and turn into exit code 1 at the
// end; a usage or I/O failure stops the command at once (exit code 2).
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_DIAGNOSTICS_H
#define PHRASOR_TOOL_DIAGNOSTICS_H

#include <cstddef>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Exit codes of every subcommand.
enum ExitCode : int { kExitOk = 0, kExitProblems = 1, kExitUsage = 2 };

/// The name of an input, held once for the whole run: every entry keeps
/// where it came from, and a copy of the path in each of a million entries
/// was an allocation (and a free) per entry.
class FileName {
public:
  FileName() : text(&Kept("")) {}
  FileName(const std::string &name) : text(&Kept(name)) {}
  FileName(const char *name) : text(&Kept(name)) {}

  const std::string &str() const { return *text; }
  operator const std::string &() const { return *text; }
  bool empty() const { return text->empty(); }

private:
  /// The one copy of \p name, made the first time it is asked for.
  static const std::string &Kept(std::string_view name);
  const std::string *text;
};

/// A place in an input: a file and a 1-based line (0 when unknown).
struct SourcePos {
  FileName file;
  std::size_t line = 0;

  /// "file:line", or "file" alone when the line is not known.
  std::string Text() const;
};

/// Thrown for failures that stop a command: unreadable files, unwritable
/// output, wrong arguments. main turns it into exit code 2.
class FatalError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

/// A problem kept rather than printed (Diagnostics::KeepIn).
struct KeptProblem {
  bool error = false;
  std::string where, message;
};

/// Counts and prints the problems found in the user's data.
class Diagnostics {
public:
  explicit Diagnostics(bool strict = false) : strictMode(strict) {}

  /// From now on, errors and warnings go to \p sink instead of stderr,
  /// for a command that shows them otherwise (report); still counted.
  void KeepIn(std::vector<KeptProblem> *sink) { kept = sink; }

  void Error(const std::string &where, const std::string &message);
  void Error(const SourcePos &pos, const std::string &message) {
    Error(pos.Text(), message);
  }
  /// A warning; counted as an error under --strict.
  void Warning(const std::string &where, const std::string &message);
  void Warning(const SourcePos &pos, const std::string &message) {
    Warning(pos.Text(), message);
  }

  /// Records that the arguments of the message at \p where were found not
  /// to match its own source text (a PO msgstr's against its msgid), so a
  /// comparison with a template's text there would report it again.
  void MarkArgumentsReported(const std::string &where) {
    argumentsReported.insert(where);
  }
  bool ArgumentsReported(const std::string &where) const {
    return argumentsReported.count(where) != 0;
  }

  /// Information that is no problem (what a reader skipped); not counted.
  void Note(const std::string &where, const std::string &message);

  std::size_t Errors() const { return errorCount; }
  std::size_t Warnings() const { return warningCount; }
  bool Failed() const { return errorCount != 0; }
  int ExitStatus() const { return Failed() ? kExitProblems : kExitOk; }

private:
  bool strictMode;
  std::vector<KeptProblem> *kept = nullptr;
  std::size_t errorCount = 0;
  std::size_t warningCount = 0;
  std::set<std::string> argumentsReported;
};

/// "can't read 'x': reason" style text for the last failed system call.
std::string SystemReason();

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_DIAGNOSTICS_H
