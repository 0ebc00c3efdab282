//===- Registry.h - Every file format the tool reads and writes -*- C++ -*-===//
//
// One row per format: the word --format takes, the extensions its files
// are read by, its reader and writer, what it can hold, and how a text in
// it says that a '%' is meant as text. Everything that walks the formats
// walks this table: reading and dump dispatch, the command line's choices
// and help, HowToMarkText, the tests' round trips and the fuzz list.
//
// Adding a format: a folder formats/<name>/ with its reader and writer, a
// row in Formats() (Registry.cpp), a fuzz target fuzz/<fuzzer>_fuzz.cpp
// with seeds and a dictionary, and a round-trip test.
//
// What a format cannot hold: a dump still writes every entry it can and
// exits 0 when nothing else went wrong, but says once, in one warning per
// kind of loss, how many entries lost what (a voice path, a value that is
// absent rather than empty, a recorded kind); never one line per entry,
// which on a large database would bury every other message.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_REGISTRY_H
#define PHRASOR_TOOL_REGISTRY_H

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/formats/Inputs.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// One side of a dump: a database's entries (metadata split off) and its
/// metadata. A side without entries is absent.
struct DumpSide {
  const std::vector<authoring::Entry> *entries = nullptr;
  const Metadata *meta = nullptr;
  /// Texts are written in ICU MessageFormat (Format::icuSyntax).
  bool icuSyntax = false;
};

/// Reads one file's text; \p file is the name used in messages.
using FormatReader = void (*)(const std::string &file, std::string_view text,
                              const InputOptions &options, Diagnostics &diag,
                              std::vector<SourceEntry> &out);

/// Writes \p target, taking source texts from \p source where the format
/// is bilingual. Entries it cannot write are reported under \p where.
using FormatWriter = std::string (*)(const DumpSide &target,
                                     const DumpSide &source,
                                     const std::string &where,
                                     Diagnostics &diag);

/// Puts the dump \p written into the file \p existing it is written over,
/// for a format whose one file holds what several databases do; empty,
/// with \p problem set, when \p existing is not such a file.
using FormatMerger = std::string (*)(std::string_view existing,
                                     std::string_view written,
                                     std::string &problem);

/// What a database holds that a format's files can carry too.
struct FormatHolds {
  bool voicePaths = true;
  bool absentValues = true; ///< an entry without a value, told from ""
  bool kinds = true;        ///< a kind that inference would not give back
  bool plurals = true;      ///< plural forms kept together as one text
  bool limits = true;       ///< length limits and the @protect patterns
  bool notes = false;       ///< notes to translators (@notes)
  bool states = false;      ///< review states beyond translated (@states)
  /// IDs other than names of letters, digits, '_' and '.' (and their
  /// plural forms): a context, a space, an ordinal or exact-value form
  bool anyIds = true;
  /// The language, which a file of some formats can only take from its
  /// folder's name.
  bool locale = true;
  /// Message inserts of any type; false: only %N!s! and %N!d!.
  bool anyInserts = true;
};

struct Format {
  std::string_view name;  ///< the word --format takes
  std::string_view title; ///< the family's name in help text, "XLIFF"
  /// Lower case, with the dot; the first is the one help names.
  std::vector<std::string_view> extensions;
  FormatReader read = nullptr;
  FormatWriter write = nullptr;
  bool bilingual = false; ///< dump --source gives the source texts
  FormatHolds holds;
  /// A dump built again gives the same database byte for byte for every
  /// database; when false, lossNote says what does not come back.
  bool lossless = true;
  std::string_view lossNote;
  std::string_view markText; ///< how to say a '%' in a text is meant
  std::string_view fuzzer;   ///< fuzz/<fuzzer>_fuzz.cpp reads this format
  /// Its texts may be ICU MessageFormat texts (--syntax icu).
  bool icuSyntax = false;
  /// Set: a dump over an existing file merges into it instead.
  FormatMerger merge = nullptr;
};

/// Every format, the default dump format first.
const std::vector<Format> &Formats();

/// What \p side holds that a format may not: a field is set when some
/// entry has it.
FormatHolds HeldBy(const DumpSide &side);

/// True when \p format holds everything \p held has set.
bool CanHold(const Format &format, const FormatHolds &held);

/// The format --format calls \p name, or null.
const Format *FormatNamed(std::string_view name);
/// The format whose files end in the extension of \p path (ASCII case
/// ignored), or null.
const Format *FormatOfFile(const std::string &path);

/// The --format words, in registry order.
std::vector<std::string> FormatNames();
/// Every extension the readers take, each once: ".csv, .json, ...".
std::string InputExtensionList(std::string_view lastJoin = ", ");
/// One word per family, each once, as help text lists them.
std::string FormatTitleList(std::string_view lastJoin);
/// The first extension of each family: ".csv, .json, .po and .xlf".
std::string FamilyExtensionList(std::string_view lastJoin);
/// The names of the formats that take --source, joined by \p lastJoin.
std::string BilingualNameList(std::string_view lastJoin);
/// The names of the formats that take --syntax icu.
std::string IcuFormatNameList(std::string_view lastJoin);
/// The fuzz targets of the readers, each once.
std::vector<std::string> FormatFuzzers();

/// Words joined by ", " with \p lastJoin before the last: "a, b or c".
std::string JoinWords(const std::vector<std::string> &words,
                      std::string_view lastJoin);

/// How to say that the '%' in a text of \p file is meant as text, for the
/// format of the file's extension.
std::string HowToMarkText(const std::string &file);

/// Writes \p target (and \p source, for a bilingual format) as \p format,
/// after warning once about what the format cannot hold.
std::string WriteDump(const Format &format, const DumpSide &target,
                      const DumpSide &source, const std::string &where,
                      Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_REGISTRY_H
