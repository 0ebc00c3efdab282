//===- PseudoCommand.cpp - phrasor pseudo ---------------------------------===//
//
// Writes a pseudo-localized copy of a database: same IDs, voice paths and
// plural forms, every value made to look translated under the kind the
// program reads it as, so that the copy passes `check --against` its
// source and can be played in place of a translation.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/Commands.h"

#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/commands/Pseudo.h"
#include "tools/phrasor/files/DatabaseFile.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/sets/CheckedSet.h"
#include "tools/phrasor/sets/SourceSet.h"

#include <filesystem>
#include <iostream>
#include <map>

namespace phrasor::tool {
namespace {

/// Writing over the source would lose it: refused through any path that
/// names the same file.
void RefuseOverwritingSource(const std::string &source,
                             const std::string &output) {
  std::error_code error;
  if (std::filesystem::equivalent(source, output, error))
    throw FatalError("output '" + output + "' is the source '" + source +
                     "'; write the pseudo-localized database elsewhere");
}

/// True when \p pseudo takes the arguments \p original takes, both read
/// as \p kind: a guard on the pseudo text, which must never change them.
bool TakesSameArguments(const std::u16string &original,
                        const std::u16string &pseudo, TextKind kind) {
  const ValueReport before = CheckValueAs(original, kind);
  const ValueReport after = CheckValueAs(pseudo, kind);
  return after.errors.empty() && CompareWithSource(before, after).empty();
}

/// Pseudo-localizes every value of \p entries in place and returns the
/// kinds to record: those inference would not give back from the new text.
std::map<std::string, TextKind>
PseudolocalizeAll(std::vector<authoring::Entry> &entries, const Metadata &meta,
                  const PseudoStyle &style, const ProtectRules &rules,
                  const std::string &where, Diagnostics &diag) {
  std::map<std::string, TextKind> kinds;
  for (authoring::Entry &e : entries) {
    if (!e.value)
      continue;
    const TextKind kind = KindOf(e, meta);
    std::optional<std::u16string> pseudo =
        Pseudolocalize(*e.value, kind, style, rules);
    if (!pseudo) {
      diag.Warning(where, "ID '" + e.id + "': not a valid " + KindName(kind) +
                              "; copied unchanged");
      pseudo = *e.value;
    } else if (!TakesSameArguments(*e.value, *pseudo, kind)) {
      // A message longer than the formatter takes, once it has grown.
      diag.Warning(where, "ID '" + e.id + "': the pseudo-localized text " +
                              "would not read as a " + KindName(kind) +
                              " like the source; copied unchanged");
      pseudo = *e.value;
    }
    // Accents can turn what inference took for a conversion ("% d") into
    // text; the kind is then recorded, as build records a kind it is told.
    const KindReading again = InferKind(*pseudo);
    if (again.kind != kind || (meta.kinds.count(e.id) && !again.doubt.empty()))
      kinds.emplace(e.id, kind);
    // A text whose pseudo-localized form passes its limit will likely not
    // fit once translated either.
    if (auto limit = meta.limits.find(e.id); limit != meta.limits.end()) {
      const std::size_t length =
          VisibleLength(*pseudo, FindProtected(*pseudo, kind, rules));
      if (length > limit->second)
        diag.Warning(where, "ID '" + e.id + "': pseudo-localized text is " +
                                std::to_string(length) +
                                " characters, over its limit of " +
                                std::to_string(limit->second));
    }
    // The label comes last: a limit is the text's own, not the tester's.
    if (style.ids && !pseudo->empty()) {
      std::u16string labelled = IdLabel(e.id) + *pseudo;
      if (TakesSameArguments(*e.value, labelled, kind))
        pseudo = std::move(labelled);
    }
    e.value = std::move(*pseudo);
  }
  return kinds;
}

/// Reads the source, a database or a file read as build reads it (a .pot
/// template most often), into \p db; false when reading it failed.
bool ReadPseudoSource(const std::string &source, Diagnostics &diag,
                      DatabaseEntries &db) {
  if (IsDatabasePath(source)) {
    db = ReadDatabaseEntries(source);
    return true;
  }
  SourceSet read =
      ReadSources({source}, InputOptions(), diag, SourceChecks::ReadOnly);
  if (diag.Failed())
    return false;
  db.entries = std::move(read.entries);
  db.meta = SplitMetadata(db.entries);
  return true;
}

/// A locale without the source's plural categories would leave forms the
/// game never picks.
void WarnPluralGaps(const std::vector<authoring::Entry> &entries,
                    const std::string &locale, const std::string &output,
                    Diagnostics &diag) {
  std::vector<std::string> ids;
  for (const authoring::Entry &e : entries)
    ids.push_back(e.id);
  for (const PluralProblem &p : CheckPluralTexts(ids, locale))
    diag.Warning(output, "ID '" + p.id + "': " + p.message);
}

/// Puts the copy's metadata in place of any the entries hold.
void ReplaceMetadata(std::vector<authoring::Entry> &entries,
                     const Metadata &meta, const std::string &locale,
                     const std::map<std::string, TextKind> &kinds) {
  // A metadata ID without a value was left among the entries; the new
  // metadata replaces it.
  std::erase_if(entries,
                [](const authoring::Entry &e) { return IsMetadataId(e.id); });
  entries.push_back({kLocaleId, Utf8ToUtf16(locale), std::nullopt});
  if (!kinds.empty())
    entries.push_back({kKindsId, EncodeKinds(kinds), std::nullopt});
  // The copy keeps the source's limits and patterns, so that it is checked
  // against its source as a translation would be.
  if (!meta.limits.empty())
    entries.push_back({kLimitsId, EncodeLimits(meta.limits), std::nullopt});
  if (meta.protect)
    entries.push_back({kProtectId, meta.protect, std::nullopt});
}

} // namespace

int RunPseudo(const PseudoOptions &options) {
  if (!options.locale.empty() && !IsWellFormedTag(options.locale))
    throw FatalError("--locale '" + options.locale +
                     "' is not a well-formed BCP 47 language tag");
  RefuseOverwritingSource(options.source, options.output);
  RefuseOutputAmongInputs({options.source}, options.output, "pseudo");
  Diagnostics diag;
  DatabaseEntries db;
  if (!ReadPseudoSource(options.source, diag, db))
    return kExitProblems;
  std::vector<authoring::Entry> &entries = db.entries;
  const Metadata &meta = db.meta;
  // What a PO dump of the source would need says nothing of the copy.
  std::erase_if(entries, [](const authoring::Entry &e) {
    return e.id == kPoId || e.id == kPluralFormsId;
  });
  if (!meta.problem.empty())
    diag.Warning(options.source, meta.problem + "; kinds are inferred");

  const PseudoStyle style{options.expand, options.brackets, options.ids};
  const ProtectRules rules =
      ProjectRules(meta.protect, options.protect, options.source, diag);
  const std::map<std::string, TextKind> kinds =
      PseudolocalizeAll(entries, meta, style, rules, options.source, diag);
  const std::string locale =
      options.locale.empty() ? PseudoLocale(meta.locale) : options.locale;
  WarnPluralGaps(entries, locale, options.output, diag);
  ReplaceMetadata(entries, meta, locale, kinds);
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (!compiled.issues.empty()) {
    diag.Error(options.source,
               "holds entries that cannot be written again (run "
               "check on it); '" +
                   options.output + "' not written");
    return kExitProblems;
  }
  const std::vector<uint8_t> bytes = authoring::Serialize(compiled.database);
  WriteFileAtomically(options.output, std::string(bytes.begin(), bytes.end()));
  return diag.ExitStatus();
}

} // namespace phrasor::tool
