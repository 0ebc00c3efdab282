//===- PoScan.h - Where PO messages begin, read from the text ---*- C++ -*-===//
//
// libgettextpo does not say where a message stands in the file, nor hand
// out the flags it does not act on (no-c-format, phrasor-message), nor
// keep a NUL in a string; the scan finds all three in the text itself.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_POSCAN_H
#define PHRASOR_TOOL_POSCAN_H

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Where a message begins and the flags written above it.
struct MessageStart {
  std::size_t line = 0;
  bool context = false; ///< it has a msgctxt
  std::vector<std::string> flags;
};

/// The messages of each domain in file order, and the lines whose strings
/// hold a NUL character.
struct PoScan {
  std::map<std::string, std::vector<MessageStart>> domains;
  /// Where the obsolete "#~" messages of each domain begin, in file order.
  std::map<std::string, std::vector<std::size_t>> obsolete;
  std::vector<std::size_t> nulLines;
  std::size_t forms = 0; ///< msgstr lines, at most one entry each
};

/// The messages of \p text in file order, per domain (see PoScan.cpp).
PoScan ScanPo(std::string_view text);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POSCAN_H
