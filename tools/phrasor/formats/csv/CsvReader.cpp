//===- CsvReader.cpp - RFC 4180 CSV input, as spreadsheets export it ------===//
//
//   file   := [BOM] record { eol record } [eol]
//   record := field { SEP field }
//   field  := quoted | bare
//   quoted := '"' { any char but '"' | '""' } '"'      (may span lines)
//   bare   := { any char but SEP '"' CR LF }
//   eol    := CRLF | LF | CR
//   SEP    := ',' | ';' | TAB
//
// SEP is --delimiter, else the one a first line "sep=;" names (as spreadsheet
// programs write and read it; the line is no record), else the first of the
// three that the header line holds outside quotes: spreadsheets in languages
// whose decimal mark is a comma export with ';', and "text" exports use tabs. A
// file that starts with a UTF-16 byte order mark is converted to UTF-8 first.
//
// The first non-blank record names the columns (CsvColumns.h). A bare empty
// field means "absent" and a quoted empty field ("") the empty string, so an
// entry without a value and an entry whose value is empty both survive a
// dump and a rebuild.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/csv/Csv.h"
#include "tools/phrasor/formats/csv/CsvColumns.h"

#include <algorithm>
#include <utility>

namespace phrasor::tool {
namespace {

struct CsvField {
  std::string text;
  bool quoted = false;
};

struct CsvRecord {
  std::vector<CsvField> fields;
  std::size_t line = 0;
};

class CsvParser {
public:
  CsvParser(const std::string &file, std::string_view text, char separator,
            std::size_t firstLine, Diagnostics &diag)
      : path(file), input(text), delimiter(separator), diagnostics(diag),
        line(firstLine) {}

  /// The next record; false at the end of the input or after a syntax
  /// error (reported), since nothing after a broken quote can be trusted.
  bool Next(CsvRecord &record) {
    record.fields.clear();
    if (pos >= input.size() || broken)
      return false;
    record.line = line;
    for (;;) {
      CsvField field;
      if (!ReadField(field))
        return false;
      record.fields.push_back(std::move(field));
      if (pos >= input.size())
        return true;
      if (input[pos] == delimiter) {
        ++pos;
        continue;
      }
      EndOfLine();
      return true;
    }
  }

private:
  void EndOfLine() {
    if (input[pos] == '\r' && pos + 1 < input.size() && input[pos + 1] == '\n')
      ++pos;
    ++pos;
    ++line;
  }

  bool Fail(std::size_t where, const std::string &message) {
    diagnostics.Error(SourcePos{path, where}, message);
    broken = true;
    return false;
  }

  bool ReadField(CsvField &field) {
    if (pos < input.size() && input[pos] == '"')
      return ReadQuoted(field);
    std::size_t start = pos;
    while (pos < input.size()) {
      char c = input[pos];
      if (c == delimiter || c == '\n' || c == '\r')
        break;
      if (c == '"')
        return Fail(line, "quote inside an unquoted field (quote the whole "
                          "field and double the quote: \"\")");
      ++pos;
    }
    field.text.assign(input.substr(start, pos - start));
    return true;
  }

  bool ReadQuoted(CsvField &field) {
    const std::size_t openLine = line;
    field.quoted = true;
    ++pos; // the opening quote
    for (;;) {
      std::size_t quote = input.find('"', pos);
      if (quote == std::string_view::npos)
        return Fail(openLine, "quoted field is never closed");
      std::string_view run = input.substr(pos, quote - pos);
      CountLines(run);
      field.text.append(run);
      pos = quote + 1;
      if (pos < input.size() && input[pos] == '"') {
        field.text.push_back('"');
        ++pos;
        continue;
      }
      break;
    }
    if (pos < input.size() && input[pos] != delimiter && input[pos] != '\n' &&
        input[pos] != '\r')
      return Fail(line, "text after the closing quote of a field (a quote "
                        "inside a quoted field must be doubled: \"\")");
    return true;
  }

  // line breaks inside a quoted value still move the line count, so later
  // records are reported where an editor shows them.
  void CountLines(std::string_view run) {
    for (std::size_t i = 0; i < run.size(); ++i) {
      if (run[i] == '\n')
        ++line;
      else if (run[i] == '\r' && (i + 1 >= run.size() || run[i + 1] != '\n'))
        ++line;
    }
  }

  const std::string &path;
  std::string_view input;
  char delimiter;
  Diagnostics &diagnostics;
  std::size_t pos = 0;
  std::size_t line;
  bool broken = false;
};

/// A row of bare empty fields: a blank line, or the ",,," a spreadsheet
/// writes for a row that only has formatting.
bool IsBlank(const CsvRecord &record) {
  for (const CsvField &field : record.fields)
    if (field.quoted || !field.text.empty())
      return false;
  return true;
}

/// The first ',', ';' or tab outside quotes on the first non-blank line;
/// ',' when that line has none (a file of one column).
char DetectDelimiter(std::string_view text) {
  bool quoted = false, begun = false;
  for (char c : text) {
    if (c == '"')
      quoted = !quoted;
    else if (quoted)
      continue;
    else if (c == ',' || c == ';' || c == '\t')
      return c;
    else if (c == '\n' || c == '\r') {
      if (begun)
        break;
      continue;
    }
    begun = true;
  }
  return ',';
}

/// Takes a first line "sep=;", as spreadsheets write it, off \p text: the
/// separator it names, or 0 without one. \p startLine is the line the
/// rest begins at.
char TakeSeparatorLine(std::string_view &text, std::size_t &startLine) {
  const std::size_t eol = std::min(text.find_first_of("\r\n"), text.size());
  if (eol != 5 || text.substr(0, 4) != "sep=" || text[4] == '"')
    return 0;
  const char named = text[4];
  text.remove_prefix(text.substr(eol, 2) == "\r\n" ? eol + 2
                     : eol < text.size()           ? eol + 1
                                                   : eol);
  startLine = 2;
  return named;
}

/// One data row as an entry; rows may stop early, their missing trailing
/// columns being absent.
void AddRow(const SourcePos &pos, const CsvRecord &record,
            const CsvLayout &layout, bool sourceKeys, Diagnostics &diag,
            std::vector<SourceEntry> &out) {
  const std::size_t columns = record.fields.size();
  if (columns > layout.width) {
    diag.Error(pos, "expected " + std::to_string(layout.width) +
                        " fields, found " + std::to_string(columns));
    return;
  }
  auto field = [&](int column) -> const CsvField * {
    if (column < 0 || static_cast<std::size_t>(column) >= columns)
      return nullptr;
    return &record.fields[static_cast<std::size_t>(column)];
  };
  auto present = [&](int column) -> std::optional<std::string> {
    const CsvField *f = field(column);
    if (!f || (f->text.empty() && !f->quoted))
      return std::nullopt;
    return f->text;
  };
  const CsvField *id = field(layout.id);
  const CsvField *kind = field(layout.kind);
  std::string key = id ? id->text : std::string();
  if (sourceKeys) {
    std::optional<std::string> unescaped = UnescapeCsvKey(key);
    if (!unescaped) {
      diag.Error(pos, "ID '" + ShownId(key) +
                          "': malformed escape (the file's IDs are escaped: "
                          "\\\\, \\n, \\t, \\r or \\xHH)");
      return;
    }
    key = std::move(*unescaped);
  }
  const CsvField *max = field(layout.max);
  const std::size_t before = out.size();
  AddEntry(pos, std::move(key), present(layout.value), present(layout.voice),
           diag, out,
           ReadKindName(pos, kind ? kind->text : std::string(), diag),
           sourceKeys ? IdOrigin::SourceText : IdOrigin::Name);
  if (max && out.size() > before)
    out.back().max = ReadLimit(pos, max->text, diag);
  if (const CsvField *note = field(layout.note);
      note && !note->text.empty() && out.size() > before)
    out.back().note = note->text;
}

/// True when \p record is the "@keys" line; it must come before every
/// entry and say source-text.
bool IsKeysRow(const SourcePos &pos, const CsvRecord &record,
               const CsvLayout &layout, bool first, Diagnostics &diag) {
  const std::size_t id = static_cast<std::size_t>(layout.id);
  if (layout.id < 0 || id >= record.fields.size() ||
      !EqualsAsciiCase(record.fields[id].text, kKeysId))
    return false;
  const std::size_t value = static_cast<std::size_t>(layout.value);
  const bool says = layout.value >= 0 && value < record.fields.size() &&
                    record.fields[value].text == kSourceTextKeys;
  if (!first || !says)
    diag.Error(pos, std::string("'") + kKeysId +
                        "' must be the first row and say '" + kSourceTextKeys +
                        "'");
  return true;
}

} // namespace

void ReadCsv(const std::string &file, std::string_view bytes,
             const InputOptions &options, Diagnostics &diag,
             std::vector<SourceEntry> &out) {
  Utf8Input decoded;
  ReadAsUtf8(bytes, decoded);
  if (decoded.badLine != 0) {
    diag.Error(SourcePos{file, decoded.badLine},
               std::string("invalid ") + decoded.encoding +
                   " (a lone surrogate or a character cut short)");
    return;
  }
  std::string_view text = decoded.text;
  std::size_t startLine = 1;
  const char named = TakeSeparatorLine(text, startLine);
  const std::size_t firstLine = text.find_first_of("\r\n");
  if (text.substr(0, firstLine).find('\0') != std::string_view::npos) {
    diag.Error(SourcePos{file, 1},
               "the header row holds NUL bytes: save the file as UTF-8, or "
               "as UTF-16 with a byte order mark");
    return;
  }
  const char delimiter = options.delimiter ? options.delimiter
                         : named           ? named
                                           : DetectDelimiter(text);
  CsvParser parser(file, text, delimiter, startLine, diag);
  CsvRecord record;
  std::optional<CsvLayout> layout;
  bool firstRow = true, sourceKeys = false;
  while (parser.Next(record)) {
    if (IsBlank(record))
      continue;
    const SourcePos pos{file, record.line};
    if (layout) {
      const bool first = std::exchange(firstRow, false);
      if (IsKeysRow(pos, record, *layout, first, diag))
        sourceKeys = first;
      else
        AddRow(pos, record, *layout, sourceKeys, diag, out);
      continue;
    }
    std::vector<std::string> names;
    for (const CsvField &f : record.fields)
      names.push_back(f.text);
    layout =
        ReadCsvHeader(pos, names, options.column, options.columnOption, diag);
    if (!layout)
      return;
  }
}

std::vector<std::string> CsvLanguageColumns(const std::string &file,
                                            std::string_view bytes,
                                            const InputOptions &options) {
  Utf8Input decoded;
  ReadAsUtf8(bytes, decoded);
  if (decoded.badLine != 0)
    return {};
  std::string_view text = decoded.text;
  std::size_t startLine = 1;
  const char named = TakeSeparatorLine(text, startLine);
  const std::string ext = Extension(file);
  const char delimiter = options.delimiter ? options.delimiter
                         : named           ? named
                         : ext == ".tsv" || ext == ".txt"
                             ? '\t'
                             : DetectDelimiter(text);
  Diagnostics quiet;
  CsvParser parser(file, text, delimiter, startLine, quiet);
  CsvRecord record;
  while (parser.Next(record)) {
    if (IsBlank(record))
      continue;
    std::vector<std::string> names;
    for (const CsvField &f : record.fields)
      names.push_back(f.text);
    return LanguageColumnsOf(names);
  }
  return {};
}

void ReadCsv(const std::string &file, std::string_view text, Diagnostics &diag,
             std::vector<SourceEntry> &out) {
  ReadCsv(file, text, InputOptions(), diag, out);
}

} // namespace phrasor::tool
