//===- CheckCommand.cpp - phrasor check -----------------------------------===//
//
// A database is checked the way the game will use it: loaded by the
// runtime, every value read as a format, and, against its source, every
// entry made to take the same arguments, because a translation that reads
// another argument than the caller passes shows garbage or crashes. A
// source gets the checks build gives it, at file:line, and nothing is
// written.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/Commands.h"

#include "tools/phrasor/sets/CheckAgainst.h"
#include "tools/phrasor/sets/CheckedSet.h"

#include <iostream>

namespace phrasor::tool {

int RunCheck(const CheckOptions &options) {
  Diagnostics diag(options.strict);
  // The source is read first: it says how the program uses each text, and
  // so how the translation's are read.
  std::optional<CheckedSet> source;
  if (!options.against.empty()) {
    // The source's values were checked when it was built.
    source = LoadAgainst(options.against, options.input, options.againstColumn,
                         diag);
  }
  std::optional<CheckedSet> checked = LoadChecked(
      options.database,
      source ? ReadingAgainst(options.input, *source) : options.input, diag,
      SourceChecks::Build);
  if (!checked || (!options.against.empty() && !source))
    return kExitProblems;
  if (source) {
    // The source's patterns, else the translation's own; a problem with
    // one is reported at the file that holds it.
    const CheckedSet &patterns = source->meta.protect ? *source : *checked;
    CheckAgainst(*checked, *source, diag,
                 ProjectRules(patterns.meta.protect, options.protect,
                              patterns.path, diag));
  }
  if (diag.Failed())
    return kExitProblems;
  if (options.quiet)
    return kExitOk;
  const std::size_t entries = checked->entries.size();
  std::cerr << "phrasor: " << checked->path << ": " << entries
            << (entries == 1 ? " entry, " : " entries, ") << diag.Warnings()
            << " warning" << (diag.Warnings() == 1 ? "" : "s") << "\n";
  return kExitOk;
}

} // namespace phrasor::tool
