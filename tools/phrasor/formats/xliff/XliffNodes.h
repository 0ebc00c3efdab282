//===- XliffNodes.h - XLIFF's names and references --------------*- C++ -*-===//
//
// What the reader asks of the document before it reads a unit: whether an
// element is XLIFF's (its namespace, or none), its children by local name,
// and whether the text holds a reference the parser would take wrongly.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_XLIFFNODES_H
#define PHRASOR_TOOL_XLIFFNODES_H

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace phrasor::tool {

/// Every version's namespace begins so; a file may also use none.
constexpr std::string_view kXliffNamespaces = "urn:oasis:names:tc:xliff:";

/// \p name without its namespace prefix.
std::string_view LocalName(const char *name);

/// The namespace \p qualified's prefix stands for where \p node is: the
/// nearest declaration on it or an ancestor. Empty when none is declared.
std::string_view NamespaceOf(pugi::xml_node node, std::string_view qualified);

/// An element of XLIFF's namespace, or of none: another vocabulary's
/// <source> or <unit> is no part of a unit.
bool InXliff(const pugi::xml_node &node);

/// An XLIFF element named \p local.
bool Is(const pugi::xml_node &node, std::string_view local);

/// The offset of the first reference in \p text that is not well formed
/// or names what an entry cannot hold, and why; pugixml would keep an
/// unknown one as literal text and cut a string at &#0;.
std::optional<std::pair<std::size_t, std::string>>
FirstBadReference(std::string_view text);

/// The first child of \p node that Is \p local; empty when none is.
pugi::xml_node Child(const pugi::xml_node &node, std::string_view local);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_XLIFFNODES_H
