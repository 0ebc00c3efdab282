//===- CsvReader.cpp - RFC 4180 CSV input ---------------------------------===//
//
//   file   := [BOM] record { eol record } [eol]
//   record := field { "," field }
//   field  := quoted | bare
//   quoted := '"' { any char but '"' | '""' } '"'      (may span lines)
//   bare   := { any char but ',' '"' CR LF }
//   eol    := CRLF | LF | CR
//
// The first non-blank record names the columns: id, value and optionally
// voice and kind, in any order. A bare empty field means "absent" and a quoted
// empty field ("") the empty string, so an entry without a value and an entry
// whose value is empty both survive a dump and a rebuild.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Inputs.h"

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
  CsvParser(const std::string &file, std::string_view text, Diagnostics &diag)
      : path(file), input(text), diagnostics(diag) {
    if (input.substr(0, 3) == "\xEF\xBB\xBF")
      pos = 3;
  }

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
      char c = input[pos];
      if (c == ',') {
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
      if (c == ',' || c == '\n' || c == '\r')
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
    if (pos < input.size() && input[pos] != ',' && input[pos] != '\n' &&
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
  Diagnostics &diagnostics;
  std::size_t pos = 0;
  std::size_t line = 1;
  bool broken = false;
};

bool IsBlank(const CsvRecord &record) {
  return record.fields.size() == 1 && !record.fields[0].quoted &&
         record.fields[0].text.empty();
}

std::string Lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return s;
}

} // namespace

void ReadCsv(const std::string &file, std::string_view text, Diagnostics &diag,
             std::vector<SourceEntry> &out) {
  CsvParser parser(file, text, diag);
  CsvRecord record;
  bool haveHeader = false;
  int idColumn = -1, valueColumn = -1, voiceColumn = -1, kindColumn = -1;
  while (parser.Next(record)) {
    if (IsBlank(record))
      continue;
    if (!haveHeader) {
      haveHeader = true;
      bool good = true;
      for (std::size_t i = 0; i < record.fields.size(); ++i) {
        const std::string name = Lower(record.fields[i].text);
        int *slot = name == "id"      ? &idColumn
                    : name == "value" ? &valueColumn
                    : name == "voice" ? &voiceColumn
                    : name == "kind"  ? &kindColumn
                                      : nullptr;
        if (!slot) {
          diag.Error(SourcePos{file, record.line},
                     "unknown column '" + record.fields[i].text +
                         "' (expected id, value, voice, kind)");
          good = false;
        } else if (*slot >= 0) {
          diag.Error(SourcePos{file, record.line},
                     "column '" + name + "' appears twice");
          good = false;
        } else {
          *slot = static_cast<int>(i);
        }
      }
      if (good && (idColumn < 0 || valueColumn < 0)) {
        diag.Error(SourcePos{file, record.line},
                   "header row must name the columns id,value[,voice]");
        good = false;
      }
      if (!good)
        return;
      continue;
    }
    const SourcePos pos{file, record.line};
    const std::size_t columns = record.fields.size();
    std::size_t expected =
        2 + (voiceColumn >= 0 ? 1 : 0) + (kindColumn >= 0 ? 1 : 0);
    if (columns > expected) {
      diag.Error(pos, "expected " + std::to_string(expected) +
                          " fields, found " + std::to_string(columns));
      continue;
    }
    // Rows may stop early: missing trailing columns are absent.
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
    const CsvField *id = field(idColumn);
    const CsvField *kind = field(kindColumn);
    AddEntry(pos, id ? id->text : std::string(), present(valueColumn),
             present(voiceColumn), diag, out,
             ReadKindName(pos, kind ? kind->text : std::string(), diag));
  }
}

} // namespace phrasor::tool
