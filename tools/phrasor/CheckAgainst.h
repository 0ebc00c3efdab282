//===- CheckAgainst.h - Checking a translation against its source -*- C++
//-*-===//
//
// A translation must take the arguments its source takes, read the way the
// program reads the source: under the source's kind. Plural texts are
// compared form by form with the source's "other" form, since a language
// has its own set of categories. What is missing, extra or untranslated
// is measured as Coverage.h counts it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CHECKAGAINST_H
#define PHRASOR_TOOL_CHECKAGAINST_H

#include "tools/phrasor/CheckedSet.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Metadata.h"

#include <string>
#include <vector>

namespace phrasor::tool {

/// The kind of \p e: as recorded in the database, else inferred; with
/// \p diag, inference's doubts are reported as warnings at \p where.
ValueKind KindOf(const authoring::Entry &e, const Metadata &meta,
                 const std::string &where, Diagnostics *diag);

/// Compares \p translation with \p source: every shared text must take
/// the source's arguments (an error where not); a text of the source that
/// is missing or untranslated, and an extra one, are warnings, which
/// --strict makes errors.
void CheckAgainst(const CheckedSet &translation, const CheckedSet &source,
                  Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CHECKAGAINST_H
