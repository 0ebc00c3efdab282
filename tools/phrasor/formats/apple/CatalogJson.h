//===- CatalogJson.h - String catalogs as Xcode writes them -----*- C++ -*-===//
//
// Xcode writes a string catalog with two-space indents, " : " between a
// name and its value and "{\n\n}" for an empty object, keeping its fields
// in the order it put them in. Printing a parsed catalog the same way
// gives back Xcode's own bytes, so a merge changes only what it replaces.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CATALOGJSON_H
#define PHRASOR_TOOL_CATALOGJSON_H

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace phrasor::tool {

using CatalogJson = nlohmann::ordered_json;

/// \p value printed as Xcode prints a catalog, with a final newline.
std::string PrintCatalog(const CatalogJson &value);

/// The parsed catalog, or a null value with \p problem set ("not valid
/// JSON at line 3: ...", "no strings object") and \p line its line.
CatalogJson ParseCatalog(std::string_view text, std::string &problem,
                         std::size_t &line);

/// The line on which the name \p key ("\"Cancel\"") is first written in
/// \p text at or after the line \p from; \p from when it is not found.
std::size_t LineOfName(std::string_view text, const std::string &key,
                       std::size_t from = 1);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CATALOGJSON_H
