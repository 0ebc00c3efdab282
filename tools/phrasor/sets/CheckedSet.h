//===- CheckedSet.h - A database or sources, as check sees them -*- C++ -*-===//
//
// check and stats take databases and sources alike. Either becomes the same
// set: entries without the tool's metadata, the metadata, and, for sources,
// the line each entry was written on, so a problem is reported at file:line
// where there is one and at the database's name where there is none.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CHECKEDSET_H
#define PHRASOR_TOOL_CHECKEDSET_H

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/sets/SourceSet.h"

#include <optional>
#include <string>
#include <vector>

namespace phrasor::tool {

struct CheckedSet {
  std::string path;                      ///< the file as the user named it
  std::vector<authoring::Entry> entries; ///< metadata taken out
  std::vector<SourcePos> positions;      ///< per entry; empty for a database
  Metadata meta;

  /// Where a problem of entries[i] is: its file:line, else the path.
  std::string Where(std::size_t i) const {
    return positions.empty() ? path : positions[i].Text();
  }
  /// The kind the program uses entries[i] as: recorded, else inferred.
  TextKind KindAt(std::size_t i) const;
};

/// True when \p path is a database rather than a source: its extension is
/// .skdb, or it begins with a database's magic bytes whatever its name.
bool IsDatabasePath(const std::string &path);

/// Opens \p path as a database or reads it as a source, reporting to
/// \p diag. With SourceChecks::Build a source gets every check build runs,
/// and a database every check of its loaded values (formats under their
/// kinds, plural texts); with ReadOnly only what stops either from loading.
/// Empty when a database does not load. Throws FatalError for an unusable
/// path.
std::optional<CheckedSet> LoadChecked(const std::string &path,
                                      const InputOptions &options,
                                      Diagnostics &diag, SourceChecks checks);

/// Reads \p path as the source-language texts a translation read with
/// \p translation is measured by: read only, in its own language whatever
/// --locale says of the translation, and from a sheet's \p column (the
/// --against-column) rather than the translation's --column.
std::optional<CheckedSet> LoadAgainst(const std::string &path,
                                      const InputOptions &translation,
                                      const std::string &column,
                                      Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CHECKEDSET_H
