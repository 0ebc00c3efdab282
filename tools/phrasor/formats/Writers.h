//===- Writers.h - Writing entries back as CSV, JSON or PO ------*- C++ -*-===//
//
// The inverse of the readers: building what a writer produced gives the
// same database byte for byte, so absent and empty values, and voice paths,
// are written in the forms the readers tell apart.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_WRITERS_H
#define PHRASOR_TOOL_WRITERS_H

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Metadata.h"

#include <string>
#include <vector>

namespace phrasor::tool {

enum class DumpFormat { Csv, Json, Po, Xliff12, Xliff20 };

/// The entries (without the metadata entries, which \p meta holds) as a
/// file of \p format: the locale in the format's own place, and a kind
/// wherever \p meta records one. Entries that the format cannot hold (text
/// that is not valid UTF-8 or UTF-16) are reported to \p diag under the
/// name \p where and left out.
std::string WriteEntries(const std::vector<authoring::Entry> &entries,
                         const Metadata &meta, DumpFormat format,
                         const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_WRITERS_H
