//===- ValueKind.h - How the program reads a stored value -------*- C++ -*-===//
//
// Every room speaks of a value's kind: the metadata keeps it (@kinds), the
// checks apply its rules, the formats read and write it, the commands
// report it. The names are what @kinds and every format's kind column or
// flag hold.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_VALUEKIND_H
#define PHRASOR_TOOL_VALUEKIND_H

#include <cstdint>
#include <optional>
#include <string_view>

namespace phrasor::tool {

/// How a value is read: as plain text, a message or a printf format.
enum class ValueKind : uint8_t { Text, Message, Printf };

/// "text", "message" or "printf".
const char *KindName(ValueKind kind);

/// The kind named \p name (ASCII case ignored); nothing for other names.
std::optional<ValueKind> ParseKind(std::string_view name);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_VALUEKIND_H
