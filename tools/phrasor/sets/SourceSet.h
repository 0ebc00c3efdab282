//===- SourceSet.h - Sources read, checked and compiled ---------*- C++ -*-===//
//
// build, check and stats read sources the same way: every input through its
// reader, the languages merged into one @locale, each entry checked under
// its kind, the plural texts checked against the language, and the whole
// compiled, which finds duplicate IDs. One pipeline keeps them agreeing on
// what a source holds and on where each problem is.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_SOURCESET_H
#define PHRASOR_TOOL_SOURCESET_H

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/formats/Inputs.h"

#include <string>
#include <vector>

namespace phrasor::tool {

/// How much of build's checking a read runs.
enum class SourceChecks {
  Build,   ///< everything build reports
  ReadOnly ///< only what stops a build from having entries at all: reader
           ///< errors, locales, reserved and duplicate IDs
};

/// Sources as build would write them.
struct SourceSet {
  /// Every entry, with @locale and the @kinds record the database would
  /// hold; positions[i] is where entries[i] was written.
  std::vector<authoring::Entry> entries;
  std::vector<SourcePos> positions;
  /// The database's layout, as positions in entries (Serialize writes it).
  authoring::LayoutResult compiled;
};

/// Reads \p inputs and checks them as \p checks says, reporting to \p diag.
/// Throws FatalError for an unreadable input or a malformed --locale.
SourceSet ReadSources(const std::vector<std::string> &inputs,
                      const InputOptions &options, Diagnostics &diag,
                      SourceChecks checks = SourceChecks::Build);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_SOURCESET_H
