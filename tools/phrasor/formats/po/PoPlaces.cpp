//===- PoPlaces.cpp - Where a PO file's messages begin --------------------===//

#include "tools/phrasor/formats/po/PoPlaces.h"

#include "phrasor/Key.h"
#include "tools/phrasor/files/SafeBuild.h"

#include <algorithm>

namespace phrasor::tool {
namespace {

/// The lines of \p all that remain once the library dropped \p duplicates:
/// a start is a dropped duplicate when a duplicate's line falls between it
/// and the next start of \p bounds (where every message, live or obsolete,
/// begins, in file order).
template <typename Start, typename LineOf>
std::vector<Start> KeptStarts(const std::vector<Start> &all,
                              const std::vector<std::size_t> &bounds,
                              const std::vector<Duplicate> &duplicates,
                              LineOf lineOf) {
  std::vector<Start> kept;
  for (const Start &start : all) {
    const std::size_t from = lineOf(start);
    auto next = std::upper_bound(bounds.begin(), bounds.end(), from);
    const std::size_t to =
        next == bounds.end() ? static_cast<std::size_t>(-1) : *next;
    const bool dropped = std::any_of(
        duplicates.begin(), duplicates.end(),
        [&](const Duplicate &d) { return d.line >= from && d.line < to; });
    if (!dropped)
      kept.push_back(start);
  }
  return kept;
}

} // namespace

const std::vector<MessageStart> *
KeptLive(const DomainStarts &scanned, const std::vector<Duplicate> &duplicates,
         std::vector<MessageStart> &kept) {
  if (!scanned.live || duplicates.empty())
    return scanned.live;
  kept = KeptStarts(*scanned.live, scanned.Bounds(), duplicates,
                    [](const MessageStart &m) { return m.line; });
  return &kept;
}

void PlaceObsolete(const std::string &file, const DomainStarts &scanned,
                   const std::vector<Duplicate> &duplicates,
                   const std::vector<po_message_t> &obsolete,
                   std::map<po_message_t, SourcePos> &placedAt) {
  if (duplicates.empty() || !scanned.obsolete)
    return;
  const std::vector<std::size_t> lines =
      KeptStarts(*scanned.obsolete, scanned.Bounds(), duplicates,
                 [](std::size_t line) { return line; });
  if (lines.size() != obsolete.size())
    return;
  for (std::size_t i = 0; i < lines.size(); ++i)
    placedAt[obsolete[i]] = SourcePos{file, lines[i]};
}

bool StartsMatch(const std::vector<MessageStart> *starts,
                 const std::vector<po_message_t> &live) {
  bool placed = starts && starts->size() == live.size();
  for (std::size_t i = 0; placed && i < live.size(); ++i)
    placed = (*starts)[i].context == (po_message_msgctxt(live[i]) != nullptr);
  return placed;
}

std::size_t MessagesOf(const PoScan &scan) {
  std::size_t messages = 0;
  for (const auto &[domain, starts] : scan.domains)
    messages += starts.size();
  for (const auto &[domain, starts] : scan.obsolete)
    messages += starts.size();
  return messages;
}

void ReportDuplicates(const std::string &file, const PoScan &scan,
                      const std::vector<Duplicate> &duplicates,
                      const std::map<po_message_t, SourcePos> &placedAt,
                      Diagnostics &diag) {
  for (const Duplicate &d : duplicates) {
    const char *context = po_message_msgctxt(d.first);
    std::string key = po_message_msgid(d.first);
    if (context)
      key = Key::inContextOf(context, key).print();
    auto first = placedAt.find(d.first);
    // Named by where the message begins, as the first one is: its msgctxt
    // line when it has one, where the library names its msgid.
    std::size_t line = 0;
    for (const auto &[domain, starts] : scan.domains)
      for (const MessageStart &start : starts)
        if (start.line <= d.line && start.line > line)
          line = start.line;
    for (const auto &[domain, starts] : scan.obsolete)
      for (std::size_t start : starts)
        if (start <= d.line && start > line)
          line = start;
    diag.Error(SourcePos{file, line ? line : d.line},
               "duplicate message '" + ShownId(key) + "' (first defined at " +
                   (first == placedAt.end() ? file : first->second.Text()) +
                   ")");
  }
}

} // namespace phrasor::tool
