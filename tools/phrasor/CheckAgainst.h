//===- CheckAgainst.h - Checking a translation against its source -*- C++
//-*-===//
//
// A translation must take the arguments its source takes, read the way the
// program reads the source: under the source's kind. Plural texts are
// compared form by form with the source's "other" form, since a language
// has its own set of categories.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CHECKAGAINST_H
#define PHRASOR_TOOL_CHECKAGAINST_H

#include "tools/phrasor/DatabaseFile.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Metadata.h"

#include <map>
#include <string>
#include <vector>

namespace phrasor::tool {

/// The kind of \p e: as recorded in the database, else inferred; with
/// \p diag, inference's doubts are reported as warnings at \p where.
ValueKind KindOf(const authoring::Entry &e, const Metadata &meta,
                 const std::string &where, Diagnostics *diag);

/// Compares the entries of \p db (metadata \p meta taken out; \p kinds
/// by ID) with those of \p source.
void CheckAgainst(const OpenDatabase &db,
                  const std::vector<authoring::Entry> &entries,
                  const Metadata &meta,
                  const std::map<std::string, ValueKind> &kinds,
                  const OpenDatabase &source, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CHECKAGAINST_H
