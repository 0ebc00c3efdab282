//===- BuildCommand.cpp - phrasor build -----------------------------------===//
//
// Reads every input, checks each entry, and writes the database only when
// nothing is wrong. The authoring library sorts and deduplicates, so the
// same inputs always give the same bytes.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Commands.h"

#include "tools/phrasor/CsvColumns.h"
#include "tools/phrasor/FileIo.h"
#include "tools/phrasor/Kinds.h"
#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Plurals.h"
#include "tools/phrasor/Progress.h"
#include "tools/phrasor/SafeBuild.h"
#include "tools/phrasor/Utf.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <map>

namespace phrasor::tool {

namespace {

/// Checks every entry under its kind and returns the kinds a rebuild of a
/// dump could not infer: an explicit kind that differs from inference, or
/// that silences inference's doubt about a '%'.
std::map<std::string, ValueKind>
CheckEntries(const std::vector<SourceEntry> &entries, Diagnostics &diag) {
  std::map<std::string, ValueKind> recorded;
  for (const SourceEntry &s : entries) {
    const authoring::Entry &e = s.entry;
    if (e.id == kLocaleId)
      continue;
    bool ascii = true;
    for (unsigned char c : e.id)
      ascii = ascii && c < 0x80;
    if (!ascii)
      diag.Warning(s.pos, "ID '" + e.id +
                              "' is not ASCII; lookups fold only ASCII "
                              "letters, so other case forms will not match");
    if (!e.value)
      continue;
    const KindReading inferred = InferKind(*e.value);
    const ValueKind kind = s.kind.value_or(inferred.kind);
    if (s.kind && (*s.kind != inferred.kind || !inferred.doubt.empty()))
      recorded[e.id] = *s.kind;
    if (!s.kind && !inferred.doubt.empty())
      diag.Warning(s.pos, "ID '" + e.id + "': " + inferred.doubt + "; " +
                              HowToMarkText(s.pos.file));
    ValueReport report = CheckValueAs(*e.value, kind);
    for (const std::string &error : report.errors)
      diag.Error(s.pos, "ID '" + e.id + "': " + error);
    for (const std::string &warning : report.warnings)
      diag.Warning(s.pos, "ID '" + e.id + "': " + warning);
  }
  return recorded;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i]))
      return false;
  return true;
}

/// Takes the @locale entries out of \p sources and puts back one: the
/// --locale tag, else the first input's. Every tag must be well formed, and
/// inputs that name different languages are probably not meant together.
void MergeLocales(std::vector<SourceEntry> &sources, const std::string &forced,
                  Diagnostics &diag) {
  std::optional<SourceEntry> first;
  std::vector<SourceEntry> kept;
  kept.reserve(sources.size());
  for (SourceEntry &s : sources) {
    if (!EqualsIgnoringCase(s.entry.id, kLocaleId)) {
      kept.push_back(std::move(s));
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
    if (!EqualsIgnoringCase(tag, chosen))
      diag.Warning(s.pos, "locale '" + tag + "' differs from '" + chosen +
                              "' (" + first->pos.Text() + ")");
  }
  sources = std::move(kept);
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

void CheckPlurals(const std::vector<SourceEntry> &sources, Diagnostics &diag) {
  std::vector<std::string> ids;
  std::map<std::string, const SourceEntry *> byId;
  std::optional<std::string> locale;
  for (const SourceEntry &s : sources) {
    ids.push_back(s.entry.id);
    byId.emplace(s.entry.id, &s);
    if (s.entry.id == kLocaleId && s.entry.value)
      locale = Utf16ToUtf8Lossy(*s.entry.value);
  }
  for (const PluralProblem &p : CheckPluralTexts(ids, locale))
    diag.Warning(byId[p.id]->pos, p.message);
}

const char *IssueText(authoring::CompileIssue::Kind kind) {
  switch (kind) {
  case authoring::CompileIssue::NulInId:
    return "ID contains a NUL character";
  case authoring::CompileIssue::NulInValue:
    return "value contains a NUL character";
  case authoring::CompileIssue::NulInVoicePath:
    return "voice path contains a NUL character";
  case authoring::CompileIssue::DuplicateId:
    break;
  }
  return "";
}

} // namespace

int RunBuild(const BuildOptions &options) {
  if (!options.input.locale.empty() && !IsWellFormedTag(options.input.locale))
    throw FatalError("--locale '" + options.input.locale +
                     "' is not a well-formed BCP 47 language tag");
  RefuseOutputAmongInputs(options.inputs, options.output);
  Diagnostics diag(options.strict);
  std::vector<SourceEntry> sources;
  Progress progress;
  progress.CountReading();
  for (const std::string &input : options.inputs)
    ReadInput(input, options.input, diag, sources);
  AddColumnLocale(options.inputs, options.input, sources);
  progress.Step("checking", sources.size());
  MergeLocales(sources, options.input.locale, diag);
  for (const SourceEntry &s : sources)
    if (EqualsIgnoringCase(s.entry.id, kKindsId))
      diag.Error(s.pos, "ID '@kinds' is reserved for the kinds the tool "
                        "keeps; write kinds in the source instead");
  const std::map<std::string, ValueKind> kinds = CheckEntries(sources, diag);
  CheckPlurals(sources, diag);
  if (!kinds.empty()) {
    SourceEntry record;
    record.entry.id = kKindsId;
    record.entry.value = EncodeKinds(kinds);
    record.pos = SourcePos{options.inputs.empty() ? "" : options.inputs[0], 0};
    sources.push_back(std::move(record));
  }

  std::vector<authoring::Entry> entries;
  entries.reserve(sources.size());
  for (SourceEntry &s : sources)
    entries.push_back(std::move(s.entry));
  authoring::CompileResult compiled = authoring::Compile(entries);
  for (const authoring::CompileIssue &issue : compiled.issues) {
    const SourceEntry &here = sources[issue.entry];
    if (issue.kind == authoring::CompileIssue::DuplicateId)
      diag.Error(here.pos, "duplicate ID '" + entries[issue.entry].id +
                               "' (first defined at " +
                               sources[issue.other].pos.Text() + ")");
    else
      diag.Error(here.pos, IssueText(issue.kind));
  }
  if (diag.Failed()) {
    ClearProgressLine();
    std::cerr << "phrasor: " << diag.Errors() << " error"
              << (diag.Errors() == 1 ? "" : "s") << "; '" << options.output
              << "' not written\n";
    return kExitProblems;
  }
  progress.Step("writing", entries.size());
  const std::vector<uint8_t> bytes = authoring::Serialize(compiled.database);
  WriteFileAtomically(options.output, std::string(bytes.begin(), bytes.end()));
  return kExitOk;
}

} // namespace phrasor::tool
