//===- SafeBuild.h - What a build refuses before it reads -------*- C++ -*-===//
//
// A build must never destroy what it reads, nor accept an ID that no lookup
// would ever ask for.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_SAFEBUILD_H
#define PHRASOR_TOOL_SAFEBUILD_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Throws FatalError when \p output is one of \p inputs through any path
/// (another spelling, a symbolic link, a hard link). \p command names what
/// would write it in the message.
void RefuseOutputAmongInputs(const std::vector<std::string> &inputs,
                             const std::string &output,
                             const std::string &command = "build");

/// Throws FatalError when one file is given twice among \p inputs, through
/// any spelling or symbolic link: read twice, every one of its IDs would be a
/// duplicate.
void RefuseRepeatedInputs(const std::vector<std::string> &inputs);

/// Why \p id cannot be an ID, or nothing when it can: it must be valid
/// UTF-8, not empty, without white space at either end, without control
/// characters (one U+0004 between a gettext context and its msgid aside),
/// not "<none>", and hold '#' only as the plural suffix NAME#category of
/// an ID that is not the tool's own ('@...').
std::optional<std::string> IdProblem(std::string_view id);

/// Why \p id, a valid one, is likely a mistake, or nothing: it begins or
/// ends with a character no editor shows (U+200B, U+FEFF and the like),
/// so that it differs unseen from the ID a program asks for.
std::optional<std::string> IdWarning(std::string_view id);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_SAFEBUILD_H
