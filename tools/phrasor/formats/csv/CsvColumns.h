//===- CsvColumns.h - What each column of a CSV file holds ------*- C++ -*-===//
//
// A CSV file names its columns in its first row. id (or key) holds the IDs,
// value the texts, voice the voice paths, kind the kinds and max the length
// limits; a sheet that holds several languages has one column per language
// instead of value
// ("key,en,fr,de"), and `build --column fr` picks one. Names are matched
// without regard to ASCII case or surrounding spaces.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CSVCOLUMNS_H
#define PHRASOR_TOOL_CSVCOLUMNS_H

#include "tools/phrasor/Diagnostics.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

struct SourceEntry;
struct InputOptions;

/// Where each part of an entry sits in the rows of one file; -1 when the
/// file has no such column.
struct CsvLayout {
  int id = -1;
  int value = -1;
  int voice = -1;
  int kind = -1;
  int max = -1;          ///< length limits
  int note = -1;         ///< notes to translators
  std::size_t width = 0; ///< fields in the header row
};

/// Reads the header row \p names of a file. \p column is --column (empty:
/// the column "value"). Problems go to \p diag: a header the rows cannot be
/// read by gives nothing, columns read by nothing get one warning. Throws
/// FatalError when \p column names no column of the file, or one that is
/// not a text column. Messages call the option \p columnOption.
std::optional<CsvLayout> ReadCsvHeader(const SourcePos &pos,
                                       const std::vector<std::string> &names,
                                       const std::string &column,
                                       const std::string &columnOption,
                                       Diagnostics &diag);

/// True when \p name is a well-formed language tag whose language ICU
/// knows ("fr", "pt-BR", "zh-Hant"), so that a column of that name is a
/// language of the sheet rather than a note the tool does not read.
bool IsLanguageName(std::string_view name);

/// The header cells \p names that name languages, each once, in order.
std::vector<std::string>
LanguageColumnsOf(const std::vector<std::string> &names);

/// When --column picked a language column of an input the CSV reader
/// reads (.csv, .tsv, .txt, or any under --input-format csv) and no input
/// nor --locale names the language, the column's name does: adds @locale.
void AddColumnLocale(const std::vector<std::string> &inputs,
                     const InputOptions &options,
                     std::vector<SourceEntry> &sources);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CSVCOLUMNS_H
