//===- Xml.h - Writing XML text and attributes by hand ---------*- C++ -*-===//
//
// The XML writers write as they go rather than through a document tree (a
// tree of a million elements costs far more than the text), so escaping is
// theirs to do; these are the pieces every XML format shares.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_XML_H
#define PHRASOR_TOOL_XML_H

#include <cstdint>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// True when XML 1.0 can carry \p c at all, escaped or not.
bool IsXmlChar(uint32_t c);

/// The reference or entity \p c is written as, or null when it is written
/// as itself. A CR is written as a reference, which XML does not fold into a
/// line feed as it does a literal one; in an attribute, whose white space
/// XML normalizes, tab and line feed likewise.
const char *XmlEscape(uint32_t c, bool attribute);

/// True when \p utf8 is valid UTF-8 and XML can carry each of its
/// characters.
bool XmlCanCarry(std::string_view utf8);

/// Appends ` name="value"` from UTF-8 text; false when it cannot be
/// written (invalid UTF-8, or a character XML cannot carry).
bool AppendXmlAttribute(std::string &out, const char *name,
                        std::string_view utf8);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_XML_H
