//===- Json.h - JSON in and out --------------------------------------*- C++
//-*-===//
//
// One object whose keys are IDs: a string value, or an object with value,
// voice and kind, or an object of plural forms.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_JSON_H
#define PHRASOR_TOOL_JSON_H

#include "tools/phrasor/formats/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Reads a JSON file; \p file is the name used in messages. With \p icu
/// its texts are ICU MessageFormat texts.
void ReadJson(const std::string &file, std::string_view text, Diagnostics &diag,
              std::vector<SourceEntry> &out, bool icu = false);

/// Writes one key per entry, in the database's order.
std::string WriteJson(const DumpSide &target, const DumpSide &source,
                      const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_JSON_H
