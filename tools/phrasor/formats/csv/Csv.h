//===- Csv.h - CSV in and out ----------------------------------------*- C++
//-*-===//
//
// A header line names the columns (id, value, voice, kind, or language
// columns of a sheet); one row per entry. A bare empty field is absent,
// "" the empty string.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CSV_H
#define PHRASOR_TOOL_CSV_H

#include "tools/phrasor/formats/Registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Reads a CSV file; \p file is the name used in messages.
void ReadCsv(const std::string &file, std::string_view text,
             const InputOptions &options, Diagnostics &diag,
             std::vector<SourceEntry> &out);
/// With the default options: a "value" column, the separator detected.
void ReadCsv(const std::string &file, std::string_view text, Diagnostics &diag,
             std::vector<SourceEntry> &out);

/// The columns of a sheet's header row that are named as languages
/// ("en", "pt-BR"), in their order; none when it cannot be read. The
/// separator is found as ReadCsv finds it (a tab in .tsv and .txt files).
std::vector<std::string> CsvLanguageColumns(const std::string &file,
                                            std::string_view text,
                                            const InputOptions &options);

/// \p id with C escapes: backslash, line feed, tab, carriage return and
/// the other control characters (\xHH), so that a CSV cell shows it on one
/// line and every byte reads back.
std::string EscapeCsvKey(std::string_view id);
/// The ID an escaped cell spells; nothing when an escape is malformed.
std::optional<std::string> UnescapeCsvKey(std::string_view cell);

/// Writes id,value,voice rows, and a kind column when some entry needs it.
std::string WriteCsv(const DumpSide &target, const DumpSide &source,
                     const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CSV_H
