//===- KindNames.h - The names of a stored text's kinds --------*- C++ -*-===//
//
// Every room speaks of a value's kind: the metadata keeps it (@kinds), the
// checks apply its rules, the formats read and write it, the commands
// report it. The kind is the one the C++ layer formats by (TextKind); the
// names here are what @kinds and every format's kind column or flag hold.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_KINDNAMES_H
#define PHRASOR_TOOL_KINDNAMES_H

#include "format/TextKind.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace phrasor::tool {

/// "text" (for Plain), "message" or "printf".
const char *KindName(TextKind kind);

/// The kind named \p name (ASCII case ignored); nothing for other names.
std::optional<TextKind> ParseKind(std::string_view name);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_KINDNAMES_H
