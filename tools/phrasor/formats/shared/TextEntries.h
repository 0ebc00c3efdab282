//===- TextEntries.h - Entries as the writers see them ---------*- C++ -*-===//
//
// What every writer shares: the entries converted to UTF-8 text (entries
// that cannot be are reported and left out), and the plural texts that can
// be written as one value and read back as the same entries.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_TEXTENTRIES_H
#define PHRASOR_TOOL_TEXTENTRIES_H

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/checks/Kinds.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace phrasor::tool {

/// An entry converted to UTF-8, or nothing when it cannot be.
struct TextEntry {
  std::string id;
  std::optional<std::string> value;
  std::optional<std::string> voice;
  std::optional<TextKind> kind; ///< written only when recorded
  std::optional<unsigned> max;  ///< the length limit, if any
  std::optional<std::string> note = std::nullopt; ///< to translators
};

/// The entries (without the metadata entries, which \p meta holds) as
/// UTF-8, each with the kind \p meta records for it. Entries whose text is
/// not valid UTF-8 or UTF-16 are reported to \p diag under the name
/// \p where and left out.
std::vector<TextEntry> ToText(const std::vector<authoring::Entry> &entries,
                              const Metadata &meta, const std::string &where,
                              Diagnostics &diag);

/// The forms of one plural text, in CLDR order, that a format may write
/// as one plural value.
struct PluralGroup {
  std::string base;
  std::vector<const TextEntry *> forms;
  std::optional<TextKind> kind; ///< written once for every form
  std::optional<unsigned> max;  ///< likewise
  std::optional<std::string> note = std::nullopt; ///< likewise
};

/// The plural texts that can be written as one value and read back as the
/// same entries: no form has a voice path, every form has a value and
/// the same length limit and note, no entry is named like the group itself, and
/// one kind written for all forms would be recorded again exactly where it is
/// now. Keyed by base.
std::map<std::string, PluralGroup>
FindPluralGroups(const std::vector<TextEntry> &entries);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_TEXTENTRIES_H
