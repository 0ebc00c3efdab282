//===- Utf.h - UTF-8 and UTF-16 conversions for the tool -------*- C++ -*-===//
//
// Authors edit UTF-8; databases hold UTF-16. The runtime's wide character
// type is char16_t on POSIX and a 16-bit wchar_t on Windows, so the tool
// keeps text as std::u16string and converts at the runtime's boundary.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_UTF_H
#define PHRASOR_TOOL_UTF_H

#include "PhrasorRuntime.h"

#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

using RuntimeString = std::basic_string<PhrasorWChar>;

/// UTF-8 to UTF-16; empty optional when \p text is not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

/// UTF-16 to UTF-8; empty optional when \p text holds a lone surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

/// UTF-16 to UTF-8 for display: lone surrogates become U+FFFD.
std::string Utf16ToUtf8Lossy(std::u16string_view text);

/// True when \p text is valid UTF-8.
bool IsValidUtf8(std::string_view text);

/// \p text with its ASCII letters in lower case and every other byte kept:
/// how lookups compare IDs, and how names of columns and extensions match.
std::string AsciiLower(std::string_view text);

/// \p text without the characters of \p space at either end.
std::string Trimmed(std::string_view text, std::string_view space = " \t\r\n");

/// Appends the code point \p c (below U+110000, no surrogate) as UTF-8:
/// the tool's one encoder.
void AppendUtf8(std::string &out, char32_t c);

/// True when \p a and \p b are equal but for the case of ASCII letters.
bool EqualsAsciiCase(std::string_view a, std::string_view b);

/// The runtime's wide text as char16_t units, and back.
std::u16string FromRuntime(const PhrasorWChar *text);
RuntimeString ToRuntime(std::u16string_view text);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_UTF_H
