//===- Inputs.h - Reading the files authors edit ----------------*- C++ -*-===//
//
// Every reader turns its format into the same SourceEntry list, each entry
// remembering where it was written so that later checks (duplicate IDs, bad
// inserts) can point the user at the right line.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_INPUTS_H
#define PHRASOR_TOOL_INPUTS_H

#include "phrasor/Key.h"
#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/files/SafeBuild.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// An entry and the place it came from.
struct SourceEntry {
  authoring::Entry entry;
  SourcePos pos;
  std::optional<TextKind> kind; ///< as the source says; absent: inferred
  std::optional<unsigned> max;  ///< its length limit, if it has one
  IdOrigin origin = IdOrigin::Name;
  /// One form of a gettext plural message: its selector is no part of
  /// the msgid, which the plural check would otherwise ask the @po record.
  bool pluralForm = false;
  std::optional<std::string> note = std::nullopt; ///< to translators, UTF-8
  /// How far review has come, when further than translated (@states).
  std::optional<std::string> state = std::nullopt;
  /// Its source text is every language's: translations need not have it
  /// (@untranslatable).
  bool untranslatable = false;
};

/// How a PO file names its entries.
enum class PoKey {
  Detect,  ///< context when every message has a context of its own
  Context, ///< the msgctxt is the ID, the msgid the source text
  Source,  ///< the msgid is the ID, in its context if any (Key.h)
};

struct InputOptions {
  /// PO, XLIFF: an untranslated entry takes its source text as the value.
  bool fillEmpty = false;
  /// PO, XLIFF: entries marked fuzzy (needing review) are read instead of
  /// skipped.
  bool includeFuzzy = false;
  PoKey poKey = PoKey::Detect;
  /// --locale: the language of every input; PO plurals are mapped by it
  /// when a file does not name its own.
  std::string locale;
  /// CSV: the column that holds the texts, such as the language column
  /// "fr" of a "key,en,fr" sheet; empty: the column "value".
  std::string column;
  /// The option that chose column, as messages about it name it.
  std::string columnOption = "--column";
  /// CSV: the field separator (',', ';' or '\t'); 0: the first of them on
  /// the header line (a tab for .tsv and .txt).
  char delimiter = 0;
  /// --input-format: the --format word of the reader for every input;
  /// empty: by each file's extension.
  std::string inputFormat;
  /// --syntax icu: JSON and XLIFF texts are ICU MessageFormat texts.
  bool icuSyntax = false;
  /// check and report --against: true for an ID whose source the program
  /// shows as a plain text. The program shows a translation of it as text
  /// too, so a '%' the translation holds raises no doubt about its kind.
  std::function<bool(std::string_view id)> textInSource;
};

/// Reads one input, choosing the reader by --input-format or else by
/// extension (.csv, .tsv, .txt, .json, .po, .pot, .xlf or .xliff). Problems in
/// the file go to \p diag, and a file without entries is warned about; a
/// directory, an unreadable file or an unknown extension throws FatalError.
void ReadInput(const std::string &path, const InputOptions &options,
               Diagnostics &diag, std::vector<SourceEntry> &out);

/// Shared by the readers: checks the ID, converts the UTF-8 value and
/// appends the entry. Absent value or voice path stay absent.
void AddEntry(const SourcePos &pos, std::string id,
              const std::optional<std::string> &value,
              std::optional<std::string> voice, Diagnostics &diag,
              std::vector<SourceEntry> &out,
              std::optional<TextKind> kind = std::nullopt,
              IdOrigin origin = IdOrigin::Name);

/// Reads a length limit (a max column or key): empty means none, else a
/// whole number of characters; anything else is reported and read as none.
std::optional<unsigned> ReadLimit(const SourcePos &pos, std::string_view text,
                                  Diagnostics &diag);

/// Reads a kind column or key: empty means "infer", a kind name that one
/// kind; anything else is reported and also read as "infer".
std::optional<TextKind>
ReadKindName(const SourcePos &pos, const std::string &name, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_INPUTS_H
