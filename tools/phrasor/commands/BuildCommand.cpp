//===- BuildCommand.cpp - phrasor build -----------------------------------===//
//
// Reads every input, checks each entry (SourceSet.h), and writes the
// database only when nothing is wrong. The authoring library sorts and
// deduplicates, so the same inputs always give the same bytes.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/Commands.h"

#include "tools/phrasor/Progress.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/sets/SourceSet.h"

#include <iostream>

namespace phrasor::tool {

int RunBuild(const BuildOptions &options) {
  RefuseOutputAmongInputs(options.inputs, options.output);
  RefuseRepeatedInputs(options.inputs);
  Diagnostics diag(options.strict);
  Progress progress;
  progress.CountReading();
  const SourceSet sources = ReadSources(options.inputs, options.input, diag);
  if (diag.Failed()) {
    ClearProgressLine();
    std::cerr << "phrasor: " << diag.Errors() << " error"
              << (diag.Errors() == 1 ? "" : "s") << "; '" << options.output
              << "' not written\n";
    return kExitProblems;
  }
  progress.Step("writing", sources.entries.size());
  const std::vector<uint8_t> bytes =
      authoring::Serialize(sources.compiled.database);
  WriteFileAtomically(options.output, std::string(bytes.begin(), bytes.end()));
  return kExitOk;
}

} // namespace phrasor::tool
