//===- Escapes.h - C-style escapes for texts kept on one line ---*- C++ -*-===//
//
// A CSV cell holding a source-text ID and a PO comment holding a voice path
// both need every byte to come back while the text stays on one line, so
// both write the same C escapes and read them back the same way.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ESCAPES_H
#define PHRASOR_TOOL_ESCAPES_H

#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// \p text with backslash, line feed, tab and carriage return escaped as in
/// C, the other control characters as \xHH, and each character of \p also
/// (such as a quote) after a backslash.
std::string EscapeControls(std::string_view text, std::string_view also = {});

/// The text \p escaped spells; nothing when an escape is malformed or a
/// character of \p also stands unescaped.
std::optional<std::string> UnescapeControls(std::string_view escaped,
                                            std::string_view also = {});

} // namespace phrasor::tool

#endif
