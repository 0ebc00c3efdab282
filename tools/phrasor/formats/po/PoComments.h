//===- PoComments.h - What PO comments carry for the tool -------*- C++ -*-===//
//
// The flags and extracted comments of a message, read and written.
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

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/KindNames.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

constexpr std::string_view kQuotedVoiceKey = "voice-quoted:";

/// The comment line that holds \p voice, plain when that reads back.
std::string PoVoiceComment(std::string_view voice);

/// The path of a quoted comment's text (after its key, trimmed); nothing
/// when it is not one quoted string with known escapes.
std::optional<std::string> UnquoteVoicePath(std::string_view quoted);

/// The kind the flags give: c-format is printf, no-c-format text, and
/// phrasor-message a message; two of them contradict each other, which is
/// reported at \p pos.
std::optional<TextKind> KindOfFlags(const std::vector<std::string> &flags,
                                    const SourcePos &pos, Diagnostics &diag);

/// Reads the "key: text" lines of the extracted comments: the voice path,
/// "value: empty" and the length limit. A voice path that a comment line
/// could not hold as it is comes quoted, with C escapes (see
/// PoVoiceComment); false when such a line is malformed.
/// Lines that are none of these are the note to translators, joined in
/// \p note by newlines.
bool ReadComments(const char *comments, std::optional<std::string> &voice,
                  bool &emptyValue, std::string &max, std::string &note);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POCOMMENTS_H
