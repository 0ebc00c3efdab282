//===- ValueKind.cpp - How the program reads a stored value ---------------===//

#include "tools/phrasor/ValueKind.h"

#include "tools/phrasor/Utf.h"

#include <iterator>

namespace phrasor::tool {

namespace {

// Indexed by ValueKind.
constexpr const char *kKindNames[] = {"text", "message", "printf"};

} // namespace

const char *KindName(ValueKind kind) {
  const auto k = static_cast<std::size_t>(kind);
  return k < std::size(kKindNames) ? kKindNames[k] : kKindNames[0];
}

std::optional<ValueKind> ParseKind(std::string_view name) {
  for (ValueKind k : {ValueKind::Text, ValueKind::Message, ValueKind::Printf})
    if (EqualsAsciiCase(name, KindName(k)))
      return k;
  return std::nullopt;
}

} // namespace phrasor::tool
