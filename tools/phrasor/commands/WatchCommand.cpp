//===- WatchCommand.cpp - phrasor watch -----------------------------------===//
//
// Rebuilds a database whenever its source is saved, so that a running game
// with a watching Localizer shows a translator's edit within a second. Each
// rebuild is a whole `phrasor build`: the same checks, the same atomic
// write, its problems printed; a source that fails leaves the last good
// database in place.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/commands/Commands.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <thread>

namespace phrasor::tool {
namespace {

struct Seen {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written{};
  bool exists = false;
  bool operator==(const Seen &o) const {
    return size == o.size && written == o.written && exists == o.exists;
  }
};

Seen Look(const std::string &file) {
  Seen seen;
  std::error_code ec;
  seen.size = std::filesystem::file_size(file, ec);
  seen.exists = !ec;
  seen.written = std::filesystem::last_write_time(file, ec);
  return seen;
}

/// One source's database: OUT/<the source's name without extension>.skdb.
std::string OutputFor(const WatchOptions &options, const std::string &source) {
  return (std::filesystem::path(options.outputDir) /
          std::filesystem::path(source).stem())
             .string() +
         ".skdb";
}

/// Builds one source, reporting instead of stopping: a watch outlives a
/// broken save.
int BuildOne(const WatchOptions &options, const std::string &source) {
  BuildOptions build;
  build.inputs = {source};
  build.output = OutputFor(options, source);
  build.input = options.input;
  build.strict = options.strict;
  int status;
  try {
    status = RunBuild(build);
  } catch (const std::exception &e) {
    std::cerr << "error: " << e.what() << '\n';
    status = kExitUsage;
  }
  std::cout << (status == kExitOk ? "built " : "not rebuilt: ") << build.output
            << std::endl;
  return status;
}

} // namespace

int RunWatch(const WatchOptions &options) {
  std::error_code ec;
  if (!std::filesystem::is_directory(options.outputDir, ec))
    throw FatalError("'" + options.outputDir + "' is not a directory");
  const auto interval = std::chrono::milliseconds(options.intervalMs);
  std::vector<Seen> seen;
  unsigned builds = 0;
  int status = kExitOk;
  for (const std::string &source : options.sources) {
    seen.push_back(Look(source));
    status = std::max(status, BuildOne(options, source));
    ++builds;
  }
  while (!options.maxBuilds || builds < options.maxBuilds) {
    std::this_thread::sleep_for(interval);
    for (std::size_t i = 0; i < options.sources.size(); ++i) {
      Seen now = Look(options.sources[i]);
      if (now == seen[i] || !now.exists)
        continue;
      // An editor may still be writing: wait until the file holds still.
      do {
        seen[i] = now;
        std::this_thread::sleep_for(interval / 2);
        now = Look(options.sources[i]);
      } while (!(now == seen[i]));
      status = BuildOne(options, options.sources[i]);
      ++builds;
    }
  }
  return status;
}

} // namespace phrasor::tool
