//===- IcuParse.h - An ICU MessageFormat text as a tree ---------*- C++ -*-===//
//
// The parser IcuMessage.cpp compiles from. It reads apostrophes as ICU's
// default mode does: '' is one apostrophe, an apostrophe before a brace
// (or before '#' in a plural's form) quotes up to the next lone
// apostrophe, and any other apostrophe is shown as written.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ICUPARSE_H
#define PHRASOR_TOOL_ICUPARSE_H

#include "tools/phrasor/formats/shared/IcuMessage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool::icu {

struct Node;
using Message = std::vector<Node>;

struct Branch {
  std::string key; ///< "one", "=0", "feminine"
  Message message;
};

enum class NodeKind {
  Text,    ///< literal text
  Arg,     ///< {name}
  Number,  ///< {name, number}
  Pound,   ///< '#' in a plural's form: the plural's number
  Plural,  ///< {name, plural, ...}
  Ordinal, ///< {name, selectordinal, ...}
  Select,  ///< {name, select, ...}
};

struct Node {
  NodeKind kind = NodeKind::Text;
  std::string text;       ///< Text: the text; others: the argument name
  std::size_t offset = 0; ///< where it begins in the ICU text
  std::vector<Branch> branches;
};

/// \p text as a tree, or nothing and \p error.
std::optional<Message> Parse(std::string_view text, IcuError &error);

} // namespace phrasor::tool::icu

#endif // PHRASOR_TOOL_ICUPARSE_H
