//===- PoPlaces.h - Where a PO file's messages begin -------------*- C++
//-*-===//
//
// The library gives messages without lines; the scan finds where each
// begins. The two are matched up here, with the messages the library
// dropped as defined twice left out, so that every report names a line.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_POPLACES_H
#define PHRASOR_TOOL_POPLACES_H

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/formats/po/PoLibrary.h"
#include "tools/phrasor/formats/po/PoScan.h"

#include <gettext-po.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace phrasor::tool {

/// Where the messages of one domain begin, live and obsolete, as the scan
/// found them.
struct DomainStarts {
  const std::vector<MessageStart> *live = nullptr;
  const std::vector<std::size_t> *obsolete = nullptr;

  /// Every start line, in file order.
  std::vector<std::size_t> Bounds() const {
    std::vector<std::size_t> lines;
    if (live)
      for (const MessageStart &m : *live)
        lines.push_back(m.line);
    if (obsolete)
      lines.insert(lines.end(), obsolete->begin(), obsolete->end());
    std::sort(lines.begin(), lines.end());
    return lines;
  }
};

/// The live starts that remain after \p duplicates, in \p kept when any
/// was dropped.
const std::vector<MessageStart> *
KeptLive(const DomainStarts &scanned, const std::vector<Duplicate> &duplicates,
         std::vector<MessageStart> &kept);

/// Places the library's \p obsolete messages, which a duplicate's report
/// may name as the first definition, when the scan found as many.
void PlaceObsolete(const std::string &file, const DomainStarts &scanned,
                   const std::vector<Duplicate> &duplicates,
                   const std::vector<po_message_t> &obsolete,
                   std::map<po_message_t, SourcePos> &placedAt);

/// True when the scan found the library's messages, in the same order.
bool StartsMatch(const std::vector<MessageStart> *starts,
                 const std::vector<po_message_t> &live);

/// How many messages, live and obsolete, the scan found.
std::size_t MessagesOf(const PoScan &scan);

/// Reports each of \p duplicates at the line where its message begins,
/// with where the first one stands, both on one line.
void ReportDuplicates(const std::string &file, const PoScan &scan,
                      const std::vector<Duplicate> &duplicates,
                      const std::map<po_message_t, SourcePos> &placedAt,
                      Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POPLACES_H
