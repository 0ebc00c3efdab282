//===- AndroidText.h - The text of an Android string resource ---*- C++ -*-===//
//
// Android does not take a <string>'s content as XML gives it. Outside double
// quotes, runs of white space are one space and the text's ends are trimmed;
// the quotes themselves are not part of the text; a backslash escapes
// (\n, \t, \', \", \\, \@, \?, \uXXXX); an unescaped apostrophe outside
// quotes is an error; a text beginning with '@' or '?' names another
// resource. Inline elements (<b>, <i>, <font color="...">, <a href="...">)
// stay in the text as markup, except <xliff:g>, whose content Android shows
// without it.
//
// The writer escapes instead of quoting, so that what it writes reads back
// as the same text, and checks that it does.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ANDROIDTEXT_H
#define PHRASOR_TOOL_ANDROIDTEXT_H

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace phrasor::tool {

/// How every Android file and text is parsed: white space between inline
/// elements is text too.
inline constexpr unsigned kAndroidParse =
    pugi::parse_default | pugi::parse_ws_pcdata;

/// The text of a string resource's content, or why it has none.
struct AndroidText {
  std::string text;
  std::string problem; ///< empty when the content was read
};

/// The text Android gives the content of \p element (a <string> or an
/// <item>). Nesting deeper than \p maxDepth is a problem, so that no file
/// can exhaust the stack.
AndroidText ReadAndroidText(const pugi::xml_node &element, int maxDepth);

/// The content of an element that reads back as \p text: its markup
/// written as markup where it is well-formed XML, everything else escaped.
/// Empty with \p ok false when no content reads back as \p text.
std::string WriteAndroidText(std::string_view text, bool &ok);

/// True when \p name can name an Android resource: a letter or '_', then
/// letters, digits, '_' and '.'.
bool IsAndroidName(std::string_view name);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_ANDROIDTEXT_H
