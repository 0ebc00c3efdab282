//===- CsvColumns.cpp - What each column of a CSV file holds --------------===//

#include "tools/phrasor/formats/csv/CsvColumns.h"

#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/formats/Inputs.h"
#include "tools/phrasor/formats/Registry.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <set>

namespace phrasor::tool {
namespace {

/// A header cell as it is matched: spreadsheets keep stray spaces that no
/// one sees.
std::string TrimmedCell(std::string_view s) { return Trimmed(s, " \t"); }

std::string QuotedList(const std::vector<std::string> &names) {
  std::string out;
  for (const std::string &name : names)
    out += (out.empty() ? "'" : ", '") + name + "'";
  return out;
}

std::string PlainList(const std::vector<std::string> &names) {
  std::string out;
  for (const std::string &name : names)
    out += (out.empty() ? "" : ", ") + name;
  return out;
}

} // namespace

bool IsLanguageName(std::string_view name) {
  if (!IsWellFormedTag(name))
    return false;
  static const std::set<std::string> languages = [] {
    std::set<std::string> all;
    for (const char *const *code = uloc_getISOLanguages(); *code; ++code)
      all.insert(*code);
    return all;
  }();
  return languages.count(AsciiLower(name.substr(0, name.find('-')))) != 0;
}

namespace {

/// What reading a header line has found so far.
struct HeaderReading {
  CsvLayout layout;
  std::vector<std::string> written;   ///< each column's name as written
  std::vector<int> others;            ///< neither id, voice nor kind
  std::vector<std::string> languages; ///< other columns named as languages
  std::vector<std::string> unknown;   ///< other columns not read
  bool good = true;
};

// A --column that names the IDs, voice paths or kinds is a mistake the
// whole run would repeat: refused before any file is read further.
void RefuseNonTextColumn(const std::string &wanted, const std::string &column,
                         const std::string &columnOption) {
  if (wanted == "id" || wanted == "key" || wanted == "voice" ||
      wanted == "kind" || wanted == "max" || wanted == "note")
    throw FatalError(columnOption + " '" + column +
                     "' names the column of the " +
                     (wanted == "key" ? std::string("id") : wanted) +
                     "s; give the column that holds the texts");
}

/// Places the id, voice and kind columns; the rest are the others.
void PlaceFixedColumns(const SourcePos &pos,
                       const std::vector<std::string> &names, HeaderReading &r,
                       Diagnostics &diag) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string shown = TrimmedCell(names[i]);
    const std::string name = AsciiLower(shown);
    r.written.push_back(shown);
    int *slot = name == "id" || name == "key" ? &r.layout.id
                : name == "voice"             ? &r.layout.voice
                : name == "kind"              ? &r.layout.kind
                : name == "max"               ? &r.layout.max
                : name == "note"              ? &r.layout.note
                                              : nullptr;
    if (!slot) {
      r.others.push_back(static_cast<int>(i));
      continue;
    }
    if (*slot >= 0) {
      diag.Error(pos, "column '" + name + "' appears twice");
      r.good = false;
    }
    *slot = static_cast<int>(i);
  }
}

/// The texts: the column --column names, else the one named value.
void PlaceTextColumn(const SourcePos &pos, const std::string &wanted,
                     HeaderReading &r, Diagnostics &diag) {
  const std::string &textColumn = wanted.empty() ? "value" : wanted;
  for (int i : r.others) {
    const std::string &shown = r.written[static_cast<std::size_t>(i)];
    const std::string name = AsciiLower(shown);
    if (name == textColumn) {
      if (r.layout.value >= 0) {
        diag.Error(pos, "column '" + name + "' appears twice");
        r.good = false;
      }
      r.layout.value = i;
    } else if (IsLanguageName(shown)) {
      r.languages.push_back(shown);
    } else if (name != "value") {
      r.unknown.push_back(shown);
    }
  }
}

/// Reports the columns ignored, and the id or value column missing.
void ReportMissingColumns(const SourcePos &pos, const std::string &columnOption,
                          HeaderReading &r, Diagnostics &diag) {
  if (!r.unknown.empty())
    diag.Warning(pos,
                 std::string(r.unknown.size() == 1 ? "column " : "columns ") +
                     QuotedList(r.unknown) + " ignored");
  if (r.layout.id < 0) {
    diag.Error(pos, "no id column: the header row must name the columns "
                    "id (or key) and value, or a language chosen with " +
                        columnOption);
    r.good = false;
  } else if (r.layout.value < 0) {
    diag.Error(pos, r.languages.empty()
                        ? "no value column: the header row must name the "
                          "columns id (or key) and value"
                        : "no value column: choose the language to read "
                          "with " +
                              columnOption + " (" + PlainList(r.languages) +
                              ")");
    r.good = false;
  }
}

} // namespace

std::optional<CsvLayout> ReadCsvHeader(const SourcePos &pos,
                                       const std::vector<std::string> &names,
                                       const std::string &column,
                                       const std::string &columnOption,
                                       Diagnostics &diag) {
  const std::string wanted = AsciiLower(TrimmedCell(column));
  RefuseNonTextColumn(wanted, column, columnOption);
  HeaderReading r;
  r.layout.width = names.size();
  PlaceFixedColumns(pos, names, r, diag);
  PlaceTextColumn(pos, wanted, r, diag);
  if (r.layout.value < 0 && !wanted.empty())
    throw FatalError("'" + pos.file.str() + "' has no column '" + column +
                     "' (its columns: " + PlainList(r.written) + ")");
  ReportMissingColumns(pos, columnOption, r, diag);
  if (!r.good)
    return std::nullopt;
  return r.layout;
}

std::vector<std::string>
LanguageColumnsOf(const std::vector<std::string> &names) {
  std::vector<std::string> languages;
  for (const std::string &cell : names) {
    const std::string name = TrimmedCell(cell);
    if (IsLanguageName(name) &&
        std::find(languages.begin(), languages.end(), name) == languages.end())
      languages.push_back(name);
  }
  return languages;
}

void AddColumnLocale(const std::vector<std::string> &inputs,
                     const InputOptions &options,
                     std::vector<SourceEntry> &sources) {
  const std::string column = TrimmedCell(options.column);
  if (column.empty() || !options.locale.empty() || !IsLanguageName(column))
    return;
  // Every file the CSV reader reads is a sheet: .csv, the tab-separated
  // .tsv and .txt, and any file read under --input-format csv.
  const Format *forced =
      options.inputFormat.empty() ? nullptr : FormatNamed(options.inputFormat);
  const bool anyCsv = std::any_of(
      inputs.begin(), inputs.end(), [forced](const std::string &path) {
        const Format *format = forced ? forced : FormatOfFile(path);
        return format && format->name == "csv";
      });
  const bool named =
      std::any_of(sources.begin(), sources.end(), [](const SourceEntry &s) {
        return EqualsAsciiCase(s.entry.id, kLocaleId);
      });
  if (!anyCsv || named)
    return;
  SourceEntry locale;
  locale.entry.id = kLocaleId;
  locale.entry.value = Utf8ToUtf16(column);
  locale.pos = SourcePos{options.columnOption, 0};
  sources.push_back(std::move(locale));
}

} // namespace phrasor::tool
