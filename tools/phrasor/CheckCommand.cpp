//===- CheckCommand.cpp - phrasor check -----------------------------------===//
//
// A database is checked the way the game will use it: loaded by the
// runtime, every value read as a format, and, against its source, every
// entry made to take the same arguments, because a translation that reads
// another argument than the caller passes shows garbage or crashes.
//
//===----------------------------------------------------------------------===//

#include "Commands.h"

#include "DatabaseFile.h"
#include "Kinds.h"
#include "Metadata.h"

#include <iostream>
#include <map>

namespace phrasor::tool {
namespace {

/// Reports why \p db did not load; false when it did not.
bool ReportLoad(const OpenDatabase &db, Diagnostics &diag) {
  if (db.Keeper()) {
    const DatabaseInspection &info = db.Inspection();
    for (const auto &[a, b] : info.caseTwins)
      diag.Warning(db.Path(), "IDs '" + a + "' and '" + b +
                                  "' differ only in case; lookups find "
                                  "only one of them");
    if (info.trailingBytes)
      diag.Warning(db.Path(), std::to_string(info.trailingBytes) +
                                  " bytes after the reference pairs are "
                                  "never read");
    return true;
  }
  diag.Error(db.Path(), "cannot load: " + db.LoadFailure());
  return false;
}

/// The kind of \p e: as recorded in the database, else inferred, when
/// \p diag is given with a warning for inference's doubts.
ValueKind KindOf(const authoring::Entry &e, const Metadata &meta,
                 const std::string &where, Diagnostics *diag) {
  auto recorded = meta.kinds.find(e.id);
  if (recorded != meta.kinds.end())
    return recorded->second;
  const KindReading inferred = InferKind(e.value.value_or(u""));
  if (diag && !inferred.doubt.empty())
    diag->Warning(where, "ID '" + e.id + "': " + inferred.doubt + "; " +
                             HowToMarkText(where));
  return inferred.kind;
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
  std::map<std::string, const authoring::Entry *> byId;
  std::map<std::string, ValueKind> kinds;
  for (const authoring::Entry &e : entries) {
    byId.emplace(e.id, &e);
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

  if (source) {
    IPhrasorMgr *mgr = GetIPhrasorMgr();
    std::vector<authoring::Entry> originals = source->Entries();
    const Metadata sourceMeta = SplitMetadata(originals);
    for (const authoring::Entry &s : originals) {
      // Looked up the way the game looks it up: case-insensitively.
      const int32_t index = mgr->GetStringIndex(db.Keeper(), s.id.c_str());
      if (index < 0) {
        diag.Error(where, "ID '" + s.id + "' of the source is missing");
        continue;
      }
      const std::string ours = mgr->GetStringID(db.Keeper(), index);
      const authoring::Entry *translation = byId[ours];
      if (!s.value || !translation)
        continue;
      // The program uses the translation as it uses the source.
      const ValueKind kind = KindOf(s, sourceMeta, "", nullptr);
      const ValueReport original = CheckValueAs(*s.value, kind);
      if (!original.errors.empty())
        continue; // the source's own check reports it
      const ValueReport read =
          CheckValueAs(translation->value.value_or(u""), kind);
      auto own = kinds.find(ours);
      if (own == kinds.end() || own->second != kind)
        for (const std::string &error : read.errors)
          diag.Error(where, "ID '" + s.id + "': read as a " + KindName(kind) +
                                " like its source: " + error);
      for (const std::string &problem : CompareWithSource(original, read))
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
