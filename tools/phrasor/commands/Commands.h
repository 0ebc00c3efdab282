//===- Commands.h - The subcommands of the phrasor tool ---------*- C++ -*-===//
//
// Each subcommand is a function from its options to an exit code; main
// only parses the command line. Results go to stdout, diagnostics to
// stderr; a FatalError thrown from here becomes exit code 2.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_COMMANDS_H
#define PHRASOR_TOOL_COMMANDS_H

#include "tools/phrasor/formats/Inputs.h"
#include "tools/phrasor/formats/Registry.h"

#include <optional>
#include <string>
#include <vector>

namespace phrasor::tool {

struct BuildOptions {
  std::vector<std::string> inputs;
  std::string output;
  InputOptions input;
  bool strict = false;
  /// A master sheet: one database per language column, each
  /// <output>/<column>.skdb.
  bool everyColumn = false;
};
int RunBuild(const BuildOptions &options);

struct WatchOptions {
  std::vector<std::string> sources; ///< each gives OUT/<its stem>.skdb
  std::string outputDir;
  InputOptions input;
  bool strict = false;
  unsigned intervalMs = 200; ///< how often the sources are looked at
  unsigned maxBuilds = 0;    ///< stop after this many builds; 0: never
};
int RunWatch(const WatchOptions &options);

struct DumpOptions {
  std::string database;
  std::string format{Formats().front().name}; ///< a --format word
  std::string output;                         ///< empty: stdout
  /// XLIFF: the source-language database whose texts are the sources.
  std::string source;
  /// XLIFF: the language of a new translation of the database, whose
  /// texts are then the sources of units with no target yet.
  std::string targetLanguage;
  std::string syntax = "phrasor"; ///< JSON: "icu" writes ICU texts
};
int RunDump(const DumpOptions &options);

struct CheckOptions {
  std::string database; ///< a database, or a source read as build reads it
  std::string against;  ///< the source (database or source file), if any
  /// CSV: the column of the source's texts in a sheet (default: value).
  std::string againstColumn;
  bool strict = false;
  bool quiet = false;               ///< no summary line when nothing is wrong
  InputOptions input;               ///< how sources are read
  std::vector<std::string> protect; ///< patterns of protected spans
};
int RunCheck(const CheckOptions &options);

struct StatsOptions {
  std::vector<std::string> files; ///< databases or sources, one row each
  std::string against;            ///< the source to measure coverage by
  /// CSV: the column of the source's texts in a sheet (default: value).
  std::string againstColumn;
  bool json = false;
  InputOptions input; ///< how sources are read
};
int RunStats(const StatsOptions &options);

struct GetOptions {
  std::string database;
  std::string id;
  bool voice = false;
};
int RunGet(const GetOptions &options);

struct ListOptions {
  std::string database;
  std::string prefix;
};
int RunList(const ListOptions &options);

struct InfoOptions {
  std::string database;
};
int RunInfo(const InfoOptions &options);

struct FormatOptions {
  std::string database;
  std::string id;
  std::vector<std::string> args;
  std::string count;    ///< a plural's count ("3", "1.50"); empty: none
  bool ordinal = false; ///< the count picks an ordinal form
  std::string gender;   ///< a gender's name ("feminine"); empty: none
  std::string select;   ///< an open select's word ("knight"); empty: none
};
int RunFormat(const FormatOptions &options);

struct PseudoOptions {
  std::string source;
  std::string output;
  unsigned expand = 40;             ///< percent the literal text grows by
  bool brackets = true;             ///< '[' and ']' around each text
  bool ids = false;                 ///< each text begins with its ID
  std::string locale;               ///< empty: derived from the source's
  std::vector<std::string> protect; ///< patterns of protected spans
};
int RunPseudo(const PseudoOptions &options);

struct ReportOptions {
  std::vector<std::string> files; ///< the translations, one column each
  std::string against;            ///< their source
  std::string againstColumn;
  std::string output;
  InputOptions input;
  std::vector<std::string> protect;
};
int RunReport(const ReportOptions &options);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_COMMANDS_H
