//===- KindNames.cpp - The names of a stored text's kinds ----------------===//

#include "tools/phrasor/KindNames.h"

#include "tools/phrasor/Utf.h"

#include <iterator>

namespace phrasor::tool {

namespace {

// Indexed by TextKind: Plain, Message, Printf.
constexpr const char *kKindNames[] = {"text", "message", "printf"};

} // namespace

const char *KindName(TextKind kind) {
  const auto k = static_cast<std::size_t>(kind);
  return k < std::size(kKindNames) ? kKindNames[k] : kKindNames[0];
}

std::optional<TextKind> ParseKind(std::string_view name) {
  for (TextKind k : {TextKind::Plain, TextKind::Message, TextKind::Printf})
    if (EqualsAsciiCase(name, KindName(k)))
      return k;
  return std::nullopt;
}

} // namespace phrasor::tool
