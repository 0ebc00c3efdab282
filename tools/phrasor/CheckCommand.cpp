//===- CheckCommand.cpp - phrasor check -----------------------------------===//
//
// A database is checked the way the game will use it: loaded by the
// runtime, every value read as a format, and, against its source, every
// entry made to take the same arguments, because a translation that reads
// another argument than the caller passes shows garbage or crashes.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Commands.h"

#include "tools/phrasor/DatabaseFile.h"
#include "tools/phrasor/TextChecks.h"

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
  const std::vector<authoring::Entry> entries = db.Entries();
  std::map<std::string, ValueReport> reports;
  for (const authoring::Entry &e : entries) {
    ValueReport report = CheckValue(e.value.value_or(u""));
    for (const std::string &error : report.errors)
      diag.Error(where, "ID '" + e.id + "': " + error);
    for (const std::string &warning : report.warnings)
      diag.Warning(where, "ID '" + e.id + "': " + warning);
    if (source)
      reports.emplace(e.id, std::move(report));
  }

  if (source) {
    IPhrasorMgr *mgr = GetIPhrasorMgr();
    for (const authoring::Entry &s : source->Entries()) {
      // Looked up the way the game looks it up: case-insensitively.
      const int32_t index = mgr->GetStringIndex(db.Keeper(), s.id.c_str());
      if (index < 0) {
        diag.Error(where, "ID '" + s.id + "' of the source is missing");
        continue;
      }
      const std::string ours = mgr->GetStringID(db.Keeper(), index);
      const ValueReport &translation = reports[ours];
      const ValueReport original = CheckValue(s.value.value_or(u""));
      for (const std::string &problem :
           CompareWithSource(original, translation))
        diag.Error(where, "ID '" + s.id + "': " + problem);
    }
    for (const authoring::Entry &e : entries)
      if (!source->Keeper() ||
          GetIPhrasorMgr()->GetStringIndex(source->Keeper(), e.id.c_str()) < 0)
        diag.Warning(where, "ID '" + e.id + "' is not in the source");
  }
  if (diag.Failed())
    return kExitProblems;
  std::cerr << "phrasor: " << where << ": " << entries.size() << " entries, "
            << diag.Warnings() << " warning"
            << (diag.Warnings() == 1 ? "" : "s") << "\n";
  return kExitOk;
}

} // namespace phrasor::tool
