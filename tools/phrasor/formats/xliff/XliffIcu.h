//===- XliffIcu.h - XLIFF units that hold ICU MessageFormat texts -*- C++ -*-=//
//
// Under --syntax icu a unit holds one ICU text, source and target alike,
// and a database holds one entry per form of it (IcuEntries.h). What the
// unit says beside its text belongs to the message, so it goes to every
// form: each form read takes the unit's limit, note and state. A dump
// writes one unit per message again, with the note and limit of its first
// form and the least reviewed state among its forms (needs-review, then
// translated, reviewed, final), so that no form is shown as further along
// than it is; forms that disagree are counted in one warning per kind.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_XLIFFICU_H
#define PHRASOR_TOOL_XLIFFICU_H

#include "tools/phrasor/formats/Registry.h"
#include "tools/phrasor/formats/shared/IcuMessage.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Appends the forms of the unit \p id whose translation (or, under
/// --fill-empty, source) is the ICU text \p value. \p source, the unit's
/// source text when \p value is not it, must be an ICU text too. Returns
/// false when a text is no ICU text (reported at \p pos).
bool AddXliffIcuForms(const SourcePos &pos, const std::string &id,
                      const std::string &value, const std::string *source,
                      const std::optional<std::string> &voice,
                      std::optional<TextKind> kind, Diagnostics &diag,
                      std::vector<SourceEntry> &out,
                      std::map<std::string, IcuArgs> &record);

/// Where the arguments of the ICU text \p text ({name}, {n, number})
/// begin, in UTF-16 code units, in order; none when it is no ICU text.
std::vector<std::size_t> IcuArgumentStarts(std::u16string_view text);

/// Both sides of a dump with their forms folded into one entry per ICU
/// message, keyed by the message's ID, as the XLIFF writer writes them.
class XliffIcuSides {
public:
  XliffIcuSides(const DumpSide &target, const DumpSide &source,
                const std::string &where, Diagnostics &diag);
  // Still marked ICU: the writer shows only the arguments as codes.
  DumpSide target() const { return {&targetEntries, &targetMeta, true}; }
  DumpSide source() const {
    return hasSource ? DumpSide{&sourceEntries, &sourceMeta, true} : DumpSide{};
  }

  /// How many messages lost what their forms held apart.
  struct Losses {
    std::size_t notes = 0, limits = 0, states = 0, voices = 0, absent = 0;
  };

private:
  void Fold(const DumpSide &side, const std::string &where, Diagnostics &diag,
            std::vector<authoring::Entry> &entries, Metadata &meta);
  void Warn(const std::string &where, Diagnostics &diag) const;

  std::vector<authoring::Entry> targetEntries, sourceEntries;
  Metadata targetMeta, sourceMeta;
  bool hasSource = false;
  Losses lost;
};

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_XLIFFICU_H
