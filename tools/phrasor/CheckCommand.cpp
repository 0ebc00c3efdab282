//===- CheckCommand.cpp - phrasor check -----------------------------------===//
//
// A database is checked the way the game will use it: loaded by the
// runtime, every value read as a format, and, against its source, every
// entry made to take the same arguments, because a translation that reads
// another argument than the caller passes shows garbage or crashes.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Commands.h"

#include "tools/phrasor/CheckAgainst.h"
#include "tools/phrasor/DatabaseFile.h"
#include "tools/phrasor/Kinds.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Plurals.h"

#include <iostream>
#include <map>

namespace phrasor::tool {
namespace {

/// Reports why \p db did not load; false when it did not.
bool ReportLoad(const OpenDatabase &db, Diagnostics &diag) {
  if (db.Keeper()) {
    for (const auto &[a, b] : db.CaseTwins())
      diag.Warning(db.Path(), "IDs '" + a + "' and '" + b +
                                  "' differ only in case; lookups find "
                                  "only one of them");
    if (const std::size_t trailing = db.TrailingBytes())
      diag.Warning(db.Path(), std::to_string(trailing) +
                                  " bytes after the reference pairs are "
                                  "never read");
    return true;
  }
  diag.Error(db.Path(), "cannot load: " + db.LoadFailure());
  return false;
}

} // namespace

int RunCheck(const CheckOptions &options) {
  Diagnostics diag(options.strict);
  OpenDatabase db(options.database);
  std::optional<OpenDatabase> source;
  if (!options.against.empty())
    source.emplace(options.against);
  const bool loaded = ReportLoad(db, diag);
  const bool sourceLoaded = !source || ReportLoad(*source, diag);
  if (!loaded || !sourceLoaded)
    return kExitProblems;

  const std::string &where = db.Path();
  std::vector<authoring::Entry> entries = db.Entries();
  const Metadata meta = SplitMetadata(entries);
  if (!meta.problem.empty())
    diag.Error(where, meta.problem);
  std::map<std::string, ValueKind> kinds;
  for (const authoring::Entry &e : entries) {
    if (!e.value)
      continue;
    const ValueKind kind = KindOf(e, meta, where, &diag);
    kinds.emplace(e.id, kind);
    ValueReport report = CheckValueAs(*e.value, kind);
    for (const std::string &error : report.errors)
      diag.Error(where, "ID '" + e.id + "': " + error);
    for (const std::string &warning : report.warnings)
      diag.Warning(where, "ID '" + e.id + "': " + warning);
  }

  std::vector<std::string> ids;
  for (const authoring::Entry &e : entries)
    ids.push_back(e.id);
  for (const PluralProblem &p : CheckPluralTexts(ids, meta.locale))
    diag.Warning(where, "ID '" + p.id + "': " + p.message);

  if (source)
    CheckAgainst(db, entries, meta, kinds, *source, diag);
  if (diag.Failed())
    return kExitProblems;
  std::cerr << "phrasor: " << where << ": " << entries.size() << " entries, "
            << diag.Warnings() << " warning"
            << (diag.Warnings() == 1 ? "" : "s") << "\n";
  return kExitOk;
}

} // namespace phrasor::tool
