//===- TypedCommands.h - Commands for compile-time checked IDs --*- C++ -*-===//
//
// header writes the source catalog as C++ so the compiler checks each call;
// usage scans a program's sources for the IDs they name.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_TYPEDCOMMANDS_H
#define PHRASOR_TOOL_TYPEDCOMMANDS_H

#include "tools/phrasor/formats/Inputs.h"

#include <string>
#include <vector>

namespace phrasor::tool {

struct HeaderOptions {
  std::string source;            ///< a source file or a database
  std::string output;            ///< the header to write
  std::string nameSpace = "msg"; ///< "game::msg" for a nested one
  InputOptions input;            ///< how the source is read
  /// Each ID's source text as its comment, for an editor to show: then an
  /// edit of any text rewrites the header, so it is asked for.
  bool texts = false;
};
int RunHeader(const HeaderOptions &options);

struct UsageOptions {
  std::string database;             ///< the source database (or source)
  std::vector<std::string> sources; ///< C and C++ files or directories
  std::string nameSpace;            ///< the generated names' namespace
  bool strict = false;              ///< IDs never used are errors too
  InputOptions input;
};
int RunUsage(const UsageOptions &options);

/// The C++ name the header gives \p id: each run of characters other than
/// ASCII letters, digits and '_' becomes one '_', and a leading digit gets
/// a '_' before it. "menu.title" is menu_title, "2P-START" is _2P_START.
std::string CppNameOf(const std::string &id);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_TYPEDCOMMANDS_H
