//===- PoCase.h - msgids that differ only in case, kept apart ----*- C++
//-*-===//
//
// gettext tells "Open" and "open" apart; the runtime's lookups fold ASCII
// case and would find one entry for both. A file's msgids that equal
// another of them but for case, and have capitals, are stored with their
// case marked (Key::markCase), so that each stays a message of its own.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_POCASE_H
#define PHRASOR_TOOL_POCASE_H

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/formats/Inputs.h"

#include <cstddef>
#include <vector>

namespace phrasor::tool {

/// Marks the case of the source-text keys of \p entries from \p from on,
/// and of the IDs of \p records (keyed by source unless \p contextKey),
/// whose text another of them equals but for ASCII case.
void KeepCaseApart(std::vector<SourceEntry> &entries, std::size_t from,
                   PoMessageTexts &records, bool contextKey);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POCASE_H
