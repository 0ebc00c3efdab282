//===- XliffRows.h - The units an XLIFF dump writes -------------*- C++ -*-===//
//
// A bilingual dump pairs each source entry with the translation's entry of
// the same ID. A translation needs the plural forms of its own language,
// not the source's: an export for Polish from English carries `few` and
// `many` units too, each with the English text that a count of that form
// would show, and leaves out English forms Polish has no use for.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_XLIFFROWS_H
#define PHRASOR_TOOL_XLIFFROWS_H

#include "tools/phrasor/formats/Registry.h"

#include <deque>
#include <vector>

namespace phrasor::tool {

/// A unit to write: the entry of the translation (null when it lacks one)
/// and the entry whose value is the source text (null for an extra).
struct XliffRow {
  const authoring::Entry *target;
  const authoring::Entry *source;
};

/// The source's entries, each with the translation's entry of the same ID
/// (lookups ignore ASCII case, so matching does too), and the translation's
/// entries the source lacks where they fall in the translation's order, so
/// that a plural form only the translation has stays beside its others.
/// With a source, each plural text also gets a unit for every category of
/// the translation's language that neither side has, its source text held
/// in \p standIns; source forms of categories that language lacks, which
/// the translation does not have either, are left out.
std::vector<XliffRow> PairUp(const DumpSide &target, const DumpSide &source,
                             std::deque<authoring::Entry> &standIns);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_XLIFFROWS_H
