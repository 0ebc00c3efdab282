//===- CsvWriter.cpp - CSV output -----------------------------------------===//

#include "tools/phrasor/formats/csv/Csv.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

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

// The kind and max columns appear only when some entry needs them, so the
// dump of a database without recorded kinds or limits reads as it always
// has.
std::string CsvText(const std::vector<TextEntry> &entries,
                    const Metadata &meta) {
  bool kinds = false, limits = false;
  for (const TextEntry &e : entries) {
    kinds = kinds || e.kind;
    limits = limits || e.max;
  }
  std::string out = kinds ? "id,value,voice,kind" : "id,value,voice";
  out += limits ? ",max\n" : "\n";
  auto row = [&](const TextEntry &e) {
    CsvField(out, e.id);
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
