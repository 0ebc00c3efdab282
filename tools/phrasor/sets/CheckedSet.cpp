//===- CheckedSet.cpp - A database or sources, as check sees them ---------===//

#include "tools/phrasor/sets/CheckedSet.h"
#include "tools/phrasor/files/SafeBuild.h"

#include "keeper/DatabaseFormat.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/DatabaseFile.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/formats/Registry.h"
#include "tools/phrasor/sets/Coverage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace phrasor::tool {

TextKind CheckedSet::KindAt(std::size_t i) const {
  return KindOf(entries[i], meta);
}

bool IsDatabasePath(const std::string &path) {
  if (Extension(path) == ".skdb")
    return true;
  // A database keeps its magic under any name; a source never starts so.
  // Only a regular file is opened to look: a FIFO would block, and what is
  // not a regular file is refused when it is read.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return false;
  unsigned char magic[4] = {};
  std::ifstream in(path, std::ios::binary);
  return in.read(reinterpret_cast<char *>(magic), sizeof magic) &&
         DecodeWord(magic) == kDatabaseMagic;
}

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

/// The kind the program uses \p e as: recorded in \p meta, else inferred;
/// with \p diag, inference's doubts are reported as warnings at \p where.
TextKind KindWarned(const authoring::Entry &e, const Metadata &meta,
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

/// A database's values read as formats under their kinds, and its plural
/// texts against its language.
void CheckDatabaseValues(const CheckedSet &set, const InputOptions &options,
                         Diagnostics &diag) {
  const std::string &where = set.path;
  if (!set.meta.problem.empty())
    diag.Error(where, set.meta.problem);
  std::vector<std::string> ids;
  for (const authoring::Entry &e : set.entries) {
    ids.push_back(e.id);
    if (!e.value)
      continue;
    // Only a '%' raises a doubt about a kind.
    const bool text = options.textInSource &&
                      e.value->find(u'%') != std::u16string::npos &&
                      options.textInSource(e.id);
    ValueReport report = CheckValueAs(
        *e.value, KindWarned(e, set.meta, where, text ? nullptr : &diag));
    for (const std::string &error : report.errors)
      diag.Error(where, "ID '" + ShownId(e.id) + "': " + error);
    for (const std::string &warning : report.warnings)
      diag.Warning(where, "ID '" + ShownId(e.id) + "': " + warning);
  }
  for (const PluralProblem &p :
       CheckPluralTexts(ids, set.meta.locale, set.meta.pluralForms))
    diag.Warning(where, "ID '" + p.id + "': " + p.message);
  if (set.meta.locale)
    if (const std::string lacked = LackedCategories(
            ids, *set.meta.locale, set.meta.pluralForms.has_value());
        !lacked.empty())
      diag.Note(where, lacked);
}

/// The entries of \p sources with the metadata split off; the @kinds
/// record ReadSources adds gives the kinds the sources state.
CheckedSet FromSources(const std::string &path, SourceSet sources) {
  CheckedSet set;
  set.path = path;
  std::vector<authoring::Entry> metadata;
  for (std::size_t i = 0; i < sources.entries.size(); ++i) {
    authoring::Entry &e = sources.entries[i];
    // @po is what a PO dump needs, no text of the program: it goes with
    // the metadata.
    if (IsMetadataId(e.id) && e.value) {
      metadata.push_back(std::move(e));
      continue;
    }
    set.entries.push_back(std::move(e));
    set.positions.push_back(std::move(sources.positions[i]));
  }
  set.meta = SplitMetadata(metadata);
  return set;
}

} // namespace

std::optional<CheckedSet> LoadChecked(const std::string &path,
                                      const InputOptions &options,
                                      Diagnostics &diag, SourceChecks checks) {
  if (!IsDatabasePath(path))
    return FromSources(path, ReadSources({path}, options, diag, checks));
  OpenDatabase db(path);
  if (!ReportLoad(db, diag))
    return std::nullopt;
  CheckedSet set;
  set.path = path;
  set.entries = db.Entries();
  set.meta = SplitMetadata(set.entries);
  set.entries.erase(std::remove_if(set.entries.begin(), set.entries.end(),
                                   [](const authoring::Entry &e) {
                                     return e.id == kPoId ||
                                            e.id == kPluralFormsId ||
                                            e.id == kIcuArgsId ||
                                            e.id == kArbId;
                                   }),
                    set.entries.end());
  if (checks == SourceChecks::Build)
    CheckDatabaseValues(set, options, diag);
  return set;
}

std::optional<CheckedSet> LoadAgainst(const std::string &path,
                                      const InputOptions &translation,
                                      const std::string &column,
                                      Diagnostics &diag) {
  InputOptions options = translation;
  options.locale.clear();
  options.column = column;
  options.columnOption = "--against-column";
  return LoadChecked(path, options, diag, SourceChecks::ReadOnly);
}

} // namespace phrasor::tool
