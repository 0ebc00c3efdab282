//===- PoComments.h - What PO comments carry for the tool -------*- C++ -*-===//
//
// PO has no field for a voice path, so dumps write it as an extracted
// comment, "#. voice: vo/en/ok.ogg". A comment is one line whose ends the
// reader trims, and whose final backslash joins the next line, so a path
// that a line could not hold as it is comes quoted instead, with C escapes:
//
//   #. voice-quoted: " vo/en/ok.ogg\n"
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_POCOMMENTS_H
#define PHRASOR_TOOL_POCOMMENTS_H

#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

constexpr std::string_view kQuotedVoiceKey = "voice-quoted:";

/// The comment line that holds \p voice, plain when that reads back.
std::string PoVoiceComment(std::string_view voice);

/// The path of a quoted comment's text (after its key, trimmed); nothing
/// when it is not one quoted string with known escapes.
std::optional<std::string> UnquoteVoicePath(std::string_view quoted);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POCOMMENTS_H
