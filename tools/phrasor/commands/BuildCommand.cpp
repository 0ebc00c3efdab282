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
#include "tools/phrasor/formats/Registry.h"
#include "tools/phrasor/formats/apple/Apple.h"
#include "tools/phrasor/formats/csv/Csv.h"
#include "tools/phrasor/sets/SourceSet.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace phrasor::tool {
namespace {

/// The language columns of the sheets among \p options' inputs, in the
/// order the first sheet names them, and the languages of the string
/// catalogs among them.
std::vector<std::string> SheetLanguages(const BuildOptions &options) {
  std::vector<std::string> languages;
  for (const std::string &input : options.inputs) {
    const Format *format = options.input.inputFormat.empty()
                               ? FormatOfFile(input)
                               : FormatNamed(options.input.inputFormat);
    if (!format || (format->name != "csv" && format->name != "xcstrings"))
      continue;
    const std::string bytes = ReadFileBytes(input);
    for (std::string &l : format->name == "csv"
                              ? CsvLanguageColumns(input, bytes, options.input)
                              : XcstringsLanguages(input, bytes))
      if (std::find(languages.begin(), languages.end(), l) == languages.end())
        languages.push_back(std::move(l));
  }
  if (languages.empty())
    throw FatalError("--every-column: no input is a sheet with language "
                     "columns (a header row such as key,en,de,pl) or a "
                     "string catalog");
  return languages;
}

// Each column is built as --column would build it, so a master sheet gives
// the databases one file per language gives; one column's problems do not
// keep the others from being written.
int RunBuildEveryColumn(const BuildOptions &options) {
  const std::vector<std::string> languages = SheetLanguages(options);
  std::filesystem::create_directories(options.output);
  int worst = kExitOk;
  for (const std::string &language : languages) {
    BuildOptions one = options;
    one.everyColumn = false;
    one.input.column = language;
    one.input.columnOption = "--every-column (" + language + ")";
    one.output =
        (std::filesystem::path(options.output) / (language + ".skdb")).string();
    worst = std::max(worst, RunBuild(one));
  }
  return worst;
}

// A build's sources are left to the process's exit, as compilers leave
// theirs: freeing the hundreds of thousands of strings of a large catalog
// one by one was a twentieth of a build, for memory the exit returns at
// once. Held from a global, leak checkers see it still in use; a watch,
// which builds again in the same process, frees the previous build's.
SourceSet *lastSources = nullptr;

const SourceSet &KeptToExit(SourceSet sources) {
  delete lastSources;
  lastSources = new SourceSet(std::move(sources));
  return *lastSources;
}

} // namespace

int RunBuild(const BuildOptions &options) {
  if (options.everyColumn)
    return RunBuildEveryColumn(options);
  RefuseOutputAmongInputs(options.inputs, options.output);
  RefuseRepeatedInputs(options.inputs);
  Diagnostics diag(options.strict);
  Progress progress;
  progress.CountReading();
  const SourceSet &sources =
      KeptToExit(ReadSources(options.inputs, options.input, diag));
  if (diag.Failed()) {
    ClearProgressLine();
    std::cerr << "phrasor: " << diag.Errors() << " error"
              << (diag.Errors() == 1 ? "" : "s") << "; '" << options.output
              << "' not written\n";
    return kExitProblems;
  }
  progress.Step("writing", sources.entries.size());
  // Written as it is laid out: the bytes of a database of a million
  // messages would be hundreds of megabytes more to allocate and fill.
  WriteFileAtomically(options.output, [&](const auto &write) {
    authoring::SerializeTo(
        sources.entries, sources.compiled.layout,
        [&](const uint8_t *bytes, std::size_t size) {
          write(std::string_view(reinterpret_cast<const char *>(bytes), size));
        });
  });
  return kExitOk;
}

} // namespace phrasor::tool
