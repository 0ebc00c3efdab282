//===- Xliff.h - XLIFF 1.2 and 2.0 in and out -------------------*- C++ -*-===//
//
// XLIFF is how translation tools exchange text: one unit per entry, with
// the source text, the translation (target) and a state saying how far the
// translation has come. The tool writes a bilingual file for a translator
// and reads back what the translator's tool returns.
//
// What a database holds beyond the texts travels in attributes of the
// tool's own namespace, urn:phrasor:xliff:1, which translation tools keep
// but do not show (notes would be shown, and are dropped on the way back):
//
//   phr:voice="vo/en/ok.ogg"  the entry's voice path
//   phr:kind="text"           a kind that inference would not give back
//   phr:context="menu"        the context of a gettext-style ID
//                             (context U+0004 text), which XML cannot carry
//   phr:missing="yes"         the entry was not in the translation; it is
//                             read back only once it has been translated
//   <x phr:cp="1F"/>          (1.2) a character XML cannot carry
//   phr:escaped="yes"         the unit's name, id, resname, context and
//                             voice path are written with C escapes
//                             (Escapes.h; \xHH for each byte of U+FFFE and
//                             U+FFFF): one of them holds what no XML
//                             attribute can
//   phr:locale="und"          beside the target language: the database's
//                             language is "und" itself, which otherwise
//                             stands for a language not named
//   phr:protect="..."         (on <file>) the project's own patterns of
//                             protected spans, one per line
//   <g phr:open="&lt;b&gt;" phr:close="&lt;/b&gt;">  (1.2) a pair of
//                             tags: the text of both ends
//
// Markup (tags, {placeholders}, the project's codes) is written as inline
// codes like inserts: a pair of tags as 2.0 <pc> or 1.2 <g> around the
// text it marks, anything else as 2.0 <ph> or 1.2 <x/>, each showing its
// text in disp or equiv-text. Length limits travel as 1.2 maxwidth with
// size-unit="char" and 2.0's size restriction (slr:sizeRestriction,
// general profile xliff:codepoints).
//
// The namespace may be declared on any element, under any prefix.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_XLIFF_H
#define PHRASOR_TOOL_XLIFF_H

#include "tools/phrasor/formats/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

inline constexpr const char *kXliffOwnNamespace = "urn:phrasor:xliff:1";
inline constexpr std::string_view kSizeRestrictionNamespace =
    "urn:oasis:names:tc:xliff:sizerestriction:2.0";

/// Reads an XLIFF 1.x or 2.x file: one entry per unit, named by its
/// resname (1.2) or name (2.0) where it has one, else by its id.
/// Untranslated units and units that need review follow the rules of PO's
/// empty and fuzzy entries; the target language gives the @locale entry.
void ReadXliff(const std::string &file, std::string_view text,
               const InputOptions &options, Diagnostics &diag,
               std::vector<SourceEntry> &out);

/// Writes \p target as XLIFF 1.2 or 2.0. The source
/// text of each unit comes from \p source when it has entries, else from
/// \p target itself. Entries of the source that the target lacks are
/// written untranslated; entries that cannot be written are reported under
/// \p where and left out.
std::string WriteXliff12(const DumpSide &target, const DumpSide &source,
                         const std::string &where, Diagnostics &diag);
std::string WriteXliff20(const DumpSide &target, const DumpSide &source,
                         const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_XLIFF_H
