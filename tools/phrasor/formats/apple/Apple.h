//===- Apple.h - Apple's localization files ---------------------*- C++ -*-===//
//
//   Localizable.strings      "key" = "value"; pairs, one language per
//                            file, named by its folder (de.lproj)
//   Localizable.stringsdict  plural rules, one language per file
//   Localizable.xcstrings    a string catalog: every language of every
//                            key in one JSON file
//
// Texts of either take Foundation's conversions (AppleText.h): %@ and
// %1$@ are stored as text inserts %1!s!, %1$d as %1!d!, and written back
// as they were read.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_APPLE_H
#define PHRASOR_TOOL_APPLE_H

#include "tools/phrasor/formats/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Reads a .strings file (UTF-8, or UTF-16 with a byte order mark).
void ReadAppleStrings(const std::string &file, std::string_view text,
                      const InputOptions &options, Diagnostics &diag,
                      std::vector<SourceEntry> &out);

/// Writes a database as a UTF-8 .strings file.
std::string WriteAppleStrings(const DumpSide &target, const DumpSide &source,
                              const std::string &where, Diagnostics &diag);

/// Reads a .stringsdict property list of plural rules.
void ReadStringsdict(const std::string &file, std::string_view text,
                     const InputOptions &options, Diagnostics &diag,
                     std::vector<SourceEntry> &out);

/// Writes a database as a .stringsdict: plural texts as plural rules,
/// other entries as plain strings.
std::string WriteStringsdict(const DumpSide &target, const DumpSide &source,
                             const std::string &where, Diagnostics &diag);

/// Reads one language of a string catalog: options.column, else the
/// catalog's source language.
void ReadXcstrings(const std::string &file, std::string_view text,
                   const InputOptions &options, Diagnostics &diag,
                   std::vector<SourceEntry> &out);

/// Writes a database as a string catalog holding its one language.
std::string WriteXcstrings(const DumpSide &target, const DumpSide &source,
                           const std::string &where, Diagnostics &diag);

/// The languages a string catalog holds texts in, its source language
/// first. Throws FatalError when the file is no catalog.
std::vector<std::string> XcstringsLanguages(const std::string &file,
                                            std::string_view text);

/// \p existing, a catalog, with the one language \p written (a catalog
/// WriteXcstrings wrote) put in: that language's texts replaced, keys it
/// has added, every other language and field left as it was. Empty, with
/// \p problem set, when \p existing is no catalog.
std::string MergeXcstrings(std::string_view existing, std::string_view written,
                           std::string &problem);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_APPLE_H
