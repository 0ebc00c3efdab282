//===- CheckAgainst.cpp - Checking a translation against its source -------===//

#include "tools/phrasor/CheckAgainst.h"

#include "tools/phrasor/Plurals.h"

#include <set>

namespace phrasor::tool {

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

namespace {

/// Reads \p translation as the program reads \p original (under the
/// source's kind) and reports what would take other arguments. In a plural
/// form that holds a single number, a dropped insert is only a warning:
/// the form may write its number in words ("one file").
void CompareOne(const std::string &where, const std::string &id,
                const std::u16string &original, ValueKind kind,
                const std::u16string &translation, bool ownKindDiffers,
                bool lenientDrops, Diagnostics &diag) {
  const ValueReport source = CheckValueAs(original, kind);
  if (!source.errors.empty())
    return; // the source's own check reports it
  const ValueReport read = CheckValueAs(translation, kind);
  if (ownKindDiffers)
    for (const std::string &error : read.errors)
      diag.Error(where, "ID '" + id + "': read as a " + KindName(kind) +
                            " like its source: " + error);
  for (const std::string &problem : CompareWithSource(source, read)) {
    if (lenientDrops && problem.rfind("drops insert", 0) == 0)
      diag.Warning(where, "ID '" + id + "': " + problem);
    else
      diag.Error(where, "ID '" + id + "': " + problem);
  }
}

std::set<std::string> PluralBases(const std::vector<authoring::Entry> &es) {
  std::set<std::string> bases;
  for (const authoring::Entry &e : es) {
    std::string_view base, category;
    if (SplitPluralId(e.id, base, category))
      bases.emplace(base);
  }
  return bases;
}

} // namespace

void CheckAgainst(const OpenDatabase &db,
                  const std::vector<authoring::Entry> &entries,
                  const Metadata &meta,
                  const std::map<std::string, ValueKind> &kinds,
                  const OpenDatabase &source, Diagnostics &diag) {
  const std::string &where = db.Path();
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  std::vector<authoring::Entry> originals = source.Entries();
  const Metadata sourceMeta = SplitMetadata(originals);
  std::map<std::string, const authoring::Entry *> ourById, theirById;
  for (const authoring::Entry &e : entries)
    ourById.emplace(e.id, &e);
  for (const authoring::Entry &e : originals)
    theirById.emplace(e.id, &e);
  const std::set<std::string> ourPlurals = PluralBases(entries);
  const std::set<std::string> theirPlurals = PluralBases(originals);
  auto ownKindDiffers = [&](const std::string &id, ValueKind kind) {
    auto own = kinds.find(id);
    return own == kinds.end() || own->second != kind;
  };

  std::set<std::string> missingPlurals;
  for (const authoring::Entry &s : originals) {
    std::string_view base, category;
    if (SplitPluralId(s.id, base, category)) {
      // Each language has its own categories; the plural check of the
      // translation says which of its own it lacks.
      if (!ourPlurals.count(std::string(base)) &&
          missingPlurals.emplace(base).second)
        diag.Error(where, "plural text '" + std::string(base) +
                              "' of the source is missing");
      continue;
    }
    // Looked up the way the game looks it up: case-insensitively.
    const int32_t index = mgr->GetStringIndex(db.Keeper(), s.id.c_str());
    if (index < 0) {
      diag.Error(where, "ID '" + s.id + "' of the source is missing");
      continue;
    }
    const std::string ours = mgr->GetStringID(db.Keeper(), index);
    auto translation = ourById.find(ours);
    if (!s.value || translation == ourById.end())
      continue;
    // The program uses the translation as it uses the source.
    const ValueKind kind = KindOf(s, sourceMeta, "", nullptr);
    CompareOne(where, s.id, *s.value, kind,
               translation->second->value.value_or(u""),
               ownKindDiffers(ours, kind), false, diag);
  }

  for (const authoring::Entry &e : entries) {
    std::string_view base, category;
    if (SplitPluralId(e.id, base, category) &&
        theirPlurals.count(std::string(base))) {
      auto other = theirById.find(std::string(base) + "#other");
      if (other == theirById.end() || !other->second->value)
        continue;
      const ValueKind kind = KindOf(*other->second, sourceMeta, "", nullptr);
      CompareOne(where, e.id, *other->second->value, kind,
                 e.value.value_or(u""), ownKindDiffers(e.id, kind),
                 meta.locale &&
                     CategoryIsOneNumber(*meta.locale, std::string(category)),
                 diag);
      continue;
    }
    if (GetIPhrasorMgr()->GetStringIndex(source.Keeper(), e.id.c_str()) < 0)
      diag.Warning(where, "ID '" + e.id + "' is not in the source");
  }
}

} // namespace phrasor::tool
