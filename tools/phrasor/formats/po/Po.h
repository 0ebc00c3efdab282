//===- Po.h - gettext PO in and out ----------------------------------*- C++
//-*-===//
//
// Read and written through libgettextpo; what PO has no field for travels
// in extracted comments (PoComments.h).
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PO_H
#define PHRASOR_TOOL_PO_H

#include "tools/phrasor/formats/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Reads a PO file; \p file names it in messages, and libgettextpo reads
/// it from there.
void ReadPo(const std::string &file, std::string_view text,
            const InputOptions &options, Diagnostics &diag,
            std::vector<SourceEntry> &out);

/// Writes one message per entry, plural messages where the language's
/// usual Plural-Forms fits; texts holding U+0004 are reported and left out.
std::string WritePo(const DumpSide &target, const DumpSide &source,
                    const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PO_H
