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

/// Where an ID comes from, which decides what it may hold.
enum class IdOrigin {
  /// Written by hand as a name (CSV, JSON, spreadsheets, XLIFF): the
  /// strict rules below, which catch the typos a name picks up.
  Name,
  /// A gettext key, msgctxt U+0004 msgid or a msgid alone: a source text,
  /// which holds line breaks, tabs, spaces at its ends and '#'.
  SourceText,
};

/// The longest ID in bytes; a longer one is refused. The runtime's IDs have
/// no limit of their own, but a key this long is a whole document pasted
/// where a name belongs, and every lookup of it would compare it in full.
inline constexpr std::size_t kIdByteLimit = 65535;
/// Above this many bytes an ID is warned about: longer than any help text
/// a program would look up by its source text.
inline constexpr std::size_t kIdByteWarning = 4096;

/// Why \p id cannot be an ID, or nothing when it can. Every ID must be
/// valid UTF-8, not empty, without NUL, at most kIdByteLimit bytes, and not
/// "<none>". A name must also have no white space at either end, no control
/// characters (one U+0004 between a gettext context and its msgid aside),
/// and hold '#' only as the plural suffix NAME#category of an ID that is
/// not the tool's own ('@...'). A source text may hold any other character,
/// and U+0004 once, as the separator after its context.
std::optional<std::string> IdProblem(std::string_view id,
                                     IdOrigin origin = IdOrigin::Name);

/// Why \p id, a valid one, is likely a mistake, or nothing: it is longer
/// than kIdByteWarning, or it begins or ends with a character no editor
/// shows (U+200B, U+FEFF and the like), so that it differs unseen from the
/// ID a program asks for.
std::optional<std::string> IdWarning(std::string_view id);

/// True when \p id is a valid source text but no valid name: the writers
/// of formats without such keys of their own spell it with escapes.
bool NeedsSourceTextRules(std::string_view id);

/// \p id as diagnostics show it: control characters escaped, so that the
/// message stays on one line, and invisible ones made visible.
std::string ShownId(std::string_view id);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_SAFEBUILD_H
