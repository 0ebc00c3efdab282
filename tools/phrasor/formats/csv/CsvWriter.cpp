//===- CsvWriter.cpp - CSV output -----------------------------------------===//

#include "tools/phrasor/formats/csv/Csv.h"
#include "tools/phrasor/formats/shared/Escapes.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <cstdio>

namespace phrasor::tool {
namespace {

// A field is quoted when it holds a separator, a quote or a line break, or
// when it is present but empty ("" reads back as the empty string, a bare
// empty field as absent).
void CsvField(std::string &out, const std::optional<std::string> &field) {
  if (!field)
    return;
  const std::string &s = *field;
  if (!s.empty() && s.find_first_of(",\"\r\n") == std::string::npos) {
    out += s;
    return;
  }
  out.push_back('"');
  for (char c : s) {
    if (c == '"')
      out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

} // namespace

std::string EscapeCsvKey(std::string_view id) { return EscapeControls(id); }

std::optional<std::string> UnescapeCsvKey(std::string_view cell) {
  return UnescapeControls(cell);
}

namespace {

// The kind, max and note columns appear only when some entry needs them,
// so the dump of a database without recorded kinds, limits or notes reads
// as it always has.
std::string CsvText(const std::vector<TextEntry> &entries,
                    const Metadata &meta) {
  bool kinds = false, limits = false, notes = false;
  for (const TextEntry &e : entries) {
    kinds = kinds || e.kind;
    limits = limits || e.max;
    notes = notes || e.note;
  }
  std::string out = kinds ? "id,value,voice,kind" : "id,value,voice";
  out += limits ? ",max" : "";
  out += notes ? ",note\n" : "\n";
  // Source-text keys hold line breaks, tabs and U+0004, which a cell would
  // show raw or not at all: the file says first that its IDs are escaped.
  bool escaped = false;
  for (const TextEntry &e : entries)
    escaped = escaped || NeedsSourceTextRules(e.id);
  if (escaped) {
    out += kKeysId;
    out += ',';
    out += kSourceTextKeys;
    out += ',';
    if (kinds)
      out += ',';
    if (limits)
      out += ',';
    if (notes)
      out += ',';
    out += '\n';
  }
  auto row = [&](const TextEntry &e) {
    CsvField(out, escaped ? EscapeCsvKey(e.id) : e.id);
    out.push_back(',');
    CsvField(out, e.value);
    out.push_back(',');
    CsvField(out, e.voice);
    if (kinds) {
      out.push_back(',');
      if (e.kind)
        out += KindName(*e.kind);
    }
    if (limits) {
      out.push_back(',');
      if (e.max)
        out += std::to_string(*e.max);
    }
    if (notes) {
      out.push_back(',');
      CsvField(out, e.note);
    }
    out.push_back('\n');
  };
  if (meta.locale)
    row(TextEntry{kLocaleId, meta.locale, std::nullopt, std::nullopt,
                  std::nullopt});
  if (meta.protect)
    row(TextEntry{kProtectId, Utf16ToUtf8Lossy(*meta.protect), std::nullopt,
                  std::nullopt, std::nullopt});
  for (const TextEntry &e : entries)
    row(e);
  return out;
}

} // namespace

std::string WriteCsv(const DumpSide &target, const DumpSide &,
                     const std::string &where, Diagnostics &diag) {
  return CsvText(ToText(*target.entries, *target.meta, where, diag),
                 *target.meta);
}

} // namespace phrasor::tool
