//===- Help.h - phrasor help, and the end of every --help -------*- C++ -*-===//
//
// Each subcommand's help ends the same way: an example to copy and what its
// exit codes mean. `phrasor help COMMAND` prints the text `COMMAND --help`
// prints, for every subcommand the app has, whoever added it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_HELP_H
#define PHRASOR_TOOL_HELP_H

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace phrasor::tool {

/// What most commands' exit codes mean.
inline constexpr const char *kExitCodesText =
    "0 success, 1 problems found in the data, 2 wrong arguments or a file "
    "that cannot be read or written";

/// Ends \p command's --help with \p example (one command line per line) and
/// \p exitCodes.
void AddFooter(CLI::App *command, const std::string &example,
               const std::string &exitCodes = kExitCodesText);

/// Adds `phrasor help [COMMAND]`; \p run is set to print the help when the
/// command line chose it.
void AddHelp(CLI::App &app, std::function<int()> &run);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_HELP_H
