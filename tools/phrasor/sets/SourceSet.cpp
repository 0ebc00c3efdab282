//===- SourceSet.cpp - Sources read, checked and compiled -----------------===//

#include "tools/phrasor/sets/SourceSet.h"

#include "cpp/Plural.h"

#include "tools/phrasor/Progress.h"
#include "tools/phrasor/formats/csv/CsvColumns.h"

#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/checks/Markup.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/checks/PoChecks.h"
#include "tools/phrasor/formats/Registry.h"
#include "tools/phrasor/formats/shared/IcuMessage.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace phrasor::tool {

namespace {

/// Checks every entry under its kind and returns the kinds a rebuild of a
/// dump could not infer: an explicit kind that differs from inference, or
/// that silences inference's doubt about a '%'.
/// Without \p diag it only records.
std::map<std::string, TextKind>
CheckEntries(const std::vector<SourceEntry> &entries,
             const InputOptions &options, Diagnostics *diag) {
  std::map<std::string, TextKind> recorded;
  for (const SourceEntry &s : entries) {
    const authoring::Entry &e = s.entry;
    if (e.id == kLocaleId || e.id == kPoId || e.id == kPluralFormsId ||
        e.id == kIcuArgsId || e.id == kArbId)
      continue;
    if (e.id == kProtectId) {
      // Patterns, not a text: each must compile.
      ProtectRules rules;
      std::string problem;
      for (const std::string &p : ProtectPatterns(e.value.value_or(u"")))
        if (!rules.Add(p, problem) && diag)
          diag->Error(s.pos, "@protect: " + problem);
      continue;
    }
    bool ascii = true;
    for (unsigned char c : e.id)
      ascii = ascii && c < 0x80;
    // A source text is asked for as it is written, so case folding is
    // no concern of its own.
    if (!ascii && diag && s.origin == IdOrigin::Name)
      diag->Warning(s.pos, "ID '" + ShownId(e.id) +
                               "' is not ASCII; lookups fold only ASCII "
                               "letters, so other case forms will not match");
    if (!e.value)
      continue;
    const KindReading inferred = InferKind(*e.value);
    const TextKind kind = s.kind.value_or(inferred.kind);
    if (s.kind && (*s.kind != inferred.kind || !inferred.doubt.empty()))
      recorded[e.id] = *s.kind;
    if (!diag)
      continue;
    if (!s.kind && !inferred.doubt.empty() &&
        !(options.textInSource && options.textInSource(e.id)))
      diag->Warning(s.pos, "ID '" + ShownId(e.id) + "': " + inferred.doubt +
                               "; " + HowToMarkText(s.pos.file));
    ValueReport report = CheckValueAs(*e.value, kind);
    for (const std::string &error : report.errors)
      diag->Error(s.pos, "ID '" + ShownId(e.id) + "': " + error);
    for (const std::string &warning : report.warnings)
      diag->Warning(s.pos, "ID '" + ShownId(e.id) + "': " + warning);
  }
  return recorded;
}

/// Stores each printf text whose arguments are all numbered (%2$s), which
/// the runtime's printf does not read, as the message of the same inserts
/// (%2!s!), which renders the same arguments in the same places.
void StoreNumberedPrintf(std::vector<SourceEntry> &sources) {
  for (SourceEntry &s : sources) {
    if (s.kind != TextKind::Printf || !s.entry.value ||
        s.entry.value->find(u'$') == std::u16string::npos)
      continue;
    const std::optional<std::string> text = Utf16ToUtf8(*s.entry.value);
    if (!text || !NumbersArguments(*text) || !ReadCFormat(*text).ok)
      continue;
    const StoredCFormat stored = StoreCFormat(*text, true);
    std::optional<std::u16string> message = Utf8ToUtf16(stored.text);
    if (!stored.problem.empty() || !message)
      continue; // the printf check says what is wrong with it
    s.entry.value = std::move(*message);
    s.kind = TextKind::Message;
  }
}

/// Takes the @locale entries out of \p sources and puts back one: the
/// --locale tag, else the first input's. Every tag must be well formed, and
/// inputs that name different languages are probably not meant together.
void MergeLocales(std::vector<SourceEntry> &sources, const std::string &forced,
                  Diagnostics &diag) {
  std::optional<SourceEntry> first;
  // The entries kept move down in place: a second vector of every entry
  // would be the largest block a build allocates.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    SourceEntry &s = sources[i];
    if (!EqualsAsciiCase(s.entry.id, kLocaleId)) {
      if (kept != i)
        sources[kept] = std::move(s);
      ++kept;
      continue;
    }
    const std::string tag =
        s.entry.value ? Utf16ToUtf8Lossy(*s.entry.value) : std::string();
    if (!IsWellFormedTag(tag)) {
      diag.Error(s.pos, "locale '" + tag +
                            "' is not a well-formed BCP 47 language tag "
                            "(such as fr or fr-CA)");
      continue;
    }
    if (!first) {
      first = std::move(s);
      continue;
    }
    const std::string chosen = Utf16ToUtf8Lossy(*first->entry.value);
    if (!EqualsAsciiCase(tag, chosen))
      diag.Warning(s.pos, "locale '" + tag + "' differs from '" + chosen +
                              "' (" + first->pos.Text() + ")");
  }
  sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(kept),
                sources.end());
  if (!forced.empty()) {
    SourceEntry s;
    s.entry.id = kLocaleId;
    s.entry.value = Utf8ToUtf16(forced);
    s.pos = SourcePos{"--locale", 0};
    first = std::move(s);
  }
  if (first) {
    first->entry.id = kLocaleId;
    first->kind.reset();
    sources.push_back(std::move(*first));
  }
}

/// One @po record for the database: the first input's header, the
/// messages of every input (an ID in two is a duplicate reported anyway).
void MergePoRecords(std::vector<SourceEntry> &sources) {
  std::size_t first = sources.size(), count = 0;
  for (std::size_t i = 0; i < sources.size(); ++i)
    if (sources[i].entry.id == kPoId && sources[i].entry.value) {
      first = count++ == 0 ? i : first;
    }
  if (count < 2)
    return;
  PoRecord merged;
  bool any = false;
  std::vector<SourceEntry> kept;
  kept.reserve(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    SourceEntry &s = sources[i];
    if (s.entry.id != kPoId || !s.entry.value) {
      kept.push_back(std::move(s));
      continue;
    }
    std::optional<PoRecord> r =
        DecodePoRecord(Utf16ToUtf8Lossy(*s.entry.value));
    if (!r)
      continue;
    if (!any) {
      merged = std::move(*r);
      any = true;
    } else {
      merged.messages.insert(r->messages.begin(), r->messages.end());
    }
    if (i == first)
      kept.push_back(std::move(s));
  }
  for (SourceEntry &s : kept)
    if (s.entry.id == kPoId)
      s.entry.value = Utf8ToUtf16(EncodePoRecord(merged));
  sources = std::move(kept);
}

/// One @icu-args record for the database, where each ICU input wrote its
/// own (an ID in two is a duplicate reported anyway).
void MergeIcuArgs(std::vector<SourceEntry> &sources) {
  std::map<std::string, IcuArgs> merged;
  std::size_t count = 0;
  for (const SourceEntry &s : sources)
    if (s.entry.id == kIcuArgsId && s.entry.value) {
      ++count;
      const std::map<std::string, IcuArgs> one =
          DecodeIcuArgs(Utf16ToUtf8Lossy(*s.entry.value));
      merged.insert(one.begin(), one.end());
    }
  if (count < 2)
    return;
  bool first = true;
  auto drop =
      std::remove_if(sources.begin(), sources.end(), [&](SourceEntry &s) {
        if (s.entry.id != kIcuArgsId)
          return false;
        if (!std::exchange(first, false))
          return true;
        s.entry.value = Utf8ToUtf16(EncodeIcuArgs(merged));
        return false;
      });
  sources.erase(drop, sources.end());
}

/// Whether \p s is a gettext message whose msgid merely ends in what
/// reads as a plural form ("Channel #few"): the PO record lists the
/// messages that were plural, and this was not one of them. The record is
/// read from \p sources the first time an ID needs it: the reader marks
/// the forms of plural messages, so only a msgid that ends in a selector
/// asks it, and reading it was a tenth of a build.
bool IsLiteralGettextKey(const SourceEntry &s,
                         const std::vector<SourceEntry> &sources,
                         std::optional<std::optional<PoRecord>> &po) {
  if (s.origin != IdOrigin::SourceText || s.pluralForm)
    return false;
  const Key key = Key::parse(s.entry.id);
  if (!key.selector)
    return false;
  if (!po) {
    po.emplace();
    for (const SourceEntry &r : sources)
      if (r.entry.id == kPoId && r.entry.value)
        *po = DecodePoRecord(Utf16ToUtf8Lossy(*r.entry.value));
  }
  if (!*po)
    return false;
  if (!key.is(kPluralSelector))
    return true; // gettext has only plural messages
  auto record = (*po)->messages.find(std::string(key.stem));
  return record == (*po)->messages.end() || !record->second.plural;
}

void CheckPlurals(const std::vector<SourceEntry> &sources, Diagnostics &diag) {
  std::optional<std::optional<PoRecord>> po; // read when first needed
  std::vector<std::string_view> ids;
  ids.reserve(sources.size());
  std::optional<std::string> locale, forms;
  const SourceEntry *localeEntry = nullptr;
  for (const SourceEntry &s : sources) {
    if (!IsLiteralGettextKey(s, sources, po))
      ids.push_back(s.entry.id);
    if (s.entry.id == kLocaleId && s.entry.value) {
      locale = Utf16ToUtf8Lossy(*s.entry.value);
      localeEntry = &s;
    }
    if (s.entry.id == kPluralFormsId && s.entry.value)
      forms = Utf16ToUtf8Lossy(*s.entry.value);
  }
  // Judged by the C++ layer's own table: a tag it does not know (often a
  // misspelt one) would give every count the fallback form, unless a PO
  // file's expression chooses instead.
  if (locale && !PluralRules(*locale).hasRules() && forms)
    diag.Note(localeEntry->pos.Text(),
              "@locale '" + *locale +
                  "' has no CLDR plural rules; its Plural-Forms expression "
                  "chooses the form");
  else if (locale && !PluralRules(*locale).hasRules())
    diag.Warning(localeEntry->pos,
                 "@locale '" + *locale +
                     "' has no plural rules; every count will use " +
                     std::string(kPluralSelector.mark) +
                     std::string(kPluralSelector.fallback));
  const std::vector<PluralProblem> problems =
      CheckPluralTexts(ids, locale, forms);
  if (problems.empty())
    return;
  // Where each ID was first written, for the few entries with a problem.
  std::unordered_map<std::string_view, const SourceEntry *> byId;
  byId.reserve(sources.size());
  for (const SourceEntry &s : sources)
    byId.emplace(s.entry.id, &s);
  for (const PluralProblem &p : problems)
    diag.Warning(byId.at(p.id)->pos, p.message);
}

const char *IssueText(authoring::CompileIssue::Kind kind) {
  switch (kind) {
  case authoring::CompileIssue::NulInId:
    return "ID contains a NUL character";
  case authoring::CompileIssue::NulInValue:
    return "value contains a NUL character";
  case authoring::CompileIssue::NulInVoicePath:
    return "voice path contains a NUL character";
  case authoring::CompileIssue::TooLarge:
    return "the database's strings exceed 4 GiB from this entry on";
  case authoring::CompileIssue::DuplicateId:
    break;
  }
  return "";
}

// An entry the tool keeps for itself, placed at the first input.
void AppendRecord(std::vector<SourceEntry> &sources, const char *id,
                  std::u16string value,
                  const std::vector<std::string> &inputs) {
  SourceEntry record;
  record.entry.id = id;
  record.entry.value = std::move(value);
  record.pos = SourcePos{inputs.empty() ? "" : inputs[0], 0};
  sources.push_back(std::move(record));
}

/// The records the tool keeps of the entries' length limits, notes,
/// review states and untranslatable IDs.
struct KeptRecords {
  std::map<std::string, unsigned> limits;
  std::map<std::string, std::string> notes, states;
  std::set<std::string> untranslatable;
};

/// Refuses \p s when its ID is one the tool keeps a record under.
void RefuseKeptId(const SourceEntry &s, Diagnostics &diag) {
  static const std::pair<const char *, const char *> kKept[] = {
      {kKindsId, "ID '@kinds' is reserved for the kinds the tool keeps; "
                 "write kinds in the source instead"},
      {kKeysId, "ID '@keys' is reserved: CSV and JSON files say with it how "
                "their IDs are written"},
      {kLimitsId, "ID '@limits' is reserved for the length limits the tool "
                  "keeps; write them in a max column or key"},
      {kNotesId, "ID '@notes' is reserved for the notes to translators the "
                 "tool keeps; write them in the source's own notes"},
      {kStatesId, "ID '@states' is reserved for the review states the tool "
                  "keeps"},
      {kUntranslatableId, "ID '@untranslatable' is reserved for the IDs the "
                          "tool keeps as not to be translated; mark them in "
                          "the source instead"},
  };
  for (const auto &[id, message] : kKept)
    if (EqualsAsciiCase(s.entry.id, id))
      diag.Error(s.pos, message);
}

KeptRecords CollectRecords(const std::vector<SourceEntry> &sources,
                           Diagnostics &diag) {
  KeptRecords r;
  for (const SourceEntry &s : sources) {
    // Every reserved ID begins with '@', which no case folds to.
    if (!s.entry.id.empty() && s.entry.id[0] == '@')
      RefuseKeptId(s, diag);
    if (s.max)
      r.limits[s.entry.id] = *s.max;
    if (s.note && !s.note->empty())
      r.notes[s.entry.id] = *s.note;
    if (s.state)
      r.states[s.entry.id] = *s.state;
    if (s.untranslatable)
      r.untranslatable.insert(s.entry.id);
  }
  return r;
}

void AppendRecords(std::vector<SourceEntry> &sources,
                   const std::map<std::string, TextKind> &kinds,
                   const KeptRecords &r,
                   const std::vector<std::string> &inputs) {
  if (!kinds.empty())
    AppendRecord(sources, kKindsId, EncodeKinds(kinds), inputs);
  if (!r.limits.empty())
    AppendRecord(sources, kLimitsId, EncodeLimits(r.limits), inputs);
  if (!r.notes.empty())
    AppendRecord(sources, kNotesId, EncodeTexts(r.notes), inputs);
  if (!r.states.empty())
    AppendRecord(sources, kStatesId, EncodeTexts(r.states), inputs);
  if (!r.untranslatable.empty())
    AppendRecord(sources, kUntranslatableId, EncodeIds(r.untranslatable),
                 inputs);
}

// The entries compiled, each problem the compiler finds reported at its
// entry's place.
SourceSet Compiled(std::vector<SourceEntry> sources, Diagnostics &diag) {
  SourceSet set;
  set.entries.reserve(sources.size());
  set.positions.reserve(sources.size());
  for (SourceEntry &s : sources) {
    set.entries.push_back(std::move(s.entry));
    set.positions.push_back(std::move(s.pos));
  }
  set.compiled = authoring::Lay(set.entries);
  for (const authoring::CompileIssue &issue : set.compiled.issues) {
    const SourcePos &here = set.positions[issue.entry];
    if (issue.kind == authoring::CompileIssue::DuplicateId)
      diag.Error(here, "duplicate ID '" + ShownId(set.entries[issue.entry].id) +
                           "' (first defined at " +
                           set.positions[issue.other].Text() + ")");
    else
      diag.Error(here, IssueText(issue.kind));
  }
  return set;
}

} // namespace

SourceSet ReadSources(const std::vector<std::string> &inputs,
                      const InputOptions &options, Diagnostics &diag,
                      SourceChecks checks) {
  if (!options.locale.empty() && !IsWellFormedTag(options.locale))
    throw FatalError("--locale '" + options.locale +
                     "' is not a well-formed BCP 47 language tag");
  const bool full = checks == SourceChecks::Build;
  std::vector<SourceEntry> sources;
  for (const std::string &input : inputs)
    ReadInput(input, options, diag, sources);
  AddColumnLocale(inputs, options, sources);
  if (Progress *progress = Progress::Reading())
    progress->Step("checking", sources.size());
  MergeLocales(sources, options.locale, diag);
  MergePoRecords(sources);
  MergeIcuArgs(sources);
  StoreNumberedPrintf(sources);
  const KeptRecords records = CollectRecords(sources, diag);
  const std::map<std::string, TextKind> kinds =
      CheckEntries(sources, options, full ? &diag : nullptr);
  if (full)
    CheckPlurals(sources, diag);
  AppendRecords(sources, kinds, records, inputs);
  return Compiled(std::move(sources), diag);
}

} // namespace phrasor::tool
