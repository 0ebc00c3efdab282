//===- Arb.h - Application Resource Bundle (.arb) files --------*- C++ -*-===//
//
// A Flutter app's lib/l10n/app_<lang>.arb: one JSON object whose keys are
// message names, each an ICU MessageFormat text, beside metadata:
//
//   "@@locale": "de"              the database's language
//   "@@last_modified": "..."      any other "@@" key: kept for the dump
//   "inbox": "{count, plural, one {# message} other {# messages}}"
//   "@inbox": {"description": "...", "placeholders": {...}}
//                                 the description is the entry's note to
//                                 translators; the whole object is kept so
//                                 a dump writes it back as it was
//
// Texts are compiled by the shared ICU compiler (IcuEntries.h): plurals,
// selectordinals and selects become forms (inbox#one, who#gender-feminine)
// and arguments numbered inserts. The insert types are those the text
// says ({n} a string, {n, number} and a plural's '#' a number), not the
// placeholders' declared types: a translation file carries no
// placeholders, and must number and type its inserts as its template
// does for `check --against` to compare them.
//
// What the file holds beyond the entries (the order of its keys, the
// "@@" keys, each message's metadata object, and a text that the ICU
// writer would spell otherwise) is kept in the record @arb, from which a
// dump gives the file back byte for byte while its messages are
// unchanged. Its ID, kArbId, is in Metadata.h with the other records.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ARB_H
#define PHRASOR_TOOL_ARB_H

#include "tools/phrasor/formats/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Reads an ARB file; errors are reported at the line of their key.
void ReadArb(const std::string &file, std::string_view text,
             const InputOptions &options, Diagnostics &diag,
             std::vector<SourceEntry> &out);

/// Writes a database as an ARB file, one ICU text per message, each
/// followed by its metadata; entries without a value are left out.
std::string WriteArb(const DumpSide &target, const DumpSide &source,
                     const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_ARB_H
