//===- BuildCommand.cpp - phrasor build -----------------------------------===//
//
// Reads every input, checks each entry, and writes the database only when
// nothing is wrong. The authoring library sorts and deduplicates, so the
// same inputs always give the same bytes.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Commands.h"

#include "tools/phrasor/FileIo.h"
#include "tools/phrasor/TextChecks.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

namespace phrasor::tool {

namespace {

void CheckEntries(const std::vector<SourceEntry> &entries, Diagnostics &diag) {
  for (const SourceEntry &s : entries) {
    const authoring::Entry &e = s.entry;
    bool ascii = true;
    for (unsigned char c : e.id)
      ascii = ascii && c < 0x80;
    if (!ascii)
      diag.Warning(s.pos, "ID '" + e.id +
                              "' is not ASCII; lookups fold only ASCII "
                              "letters, so other case forms will not match");
    if (!e.value)
      continue;
    ValueReport report = CheckValue(*e.value);
    for (const std::string &error : report.errors)
      diag.Error(s.pos, "ID '" + e.id + "': " + error);
    for (const std::string &warning : report.warnings)
      diag.Warning(s.pos, "ID '" + e.id + "': " + warning);
  }
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
  Diagnostics diag(options.strict);
  std::vector<SourceEntry> sources;
  for (const std::string &input : options.inputs)
    ReadInput(input, options.input, diag, sources);
  CheckEntries(sources, diag);

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
    std::cerr << "phrasor: " << diag.Errors() << " error"
              << (diag.Errors() == 1 ? "" : "s") << "; '" << options.output
              << "' not written\n";
    return kExitProblems;
  }
  const std::vector<uint8_t> bytes = authoring::Serialize(compiled.database);
  WriteFileAtomically(options.output, std::string(bytes.begin(), bytes.end()));
  return kExitOk;
}

} // namespace phrasor::tool
