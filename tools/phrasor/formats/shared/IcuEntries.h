//===- IcuEntries.h - ICU texts as entries, entries as ICU texts -*- C++
//-*-===//
//
// What the readers and writers of formats that carry ICU MessageFormat
// texts share: a text read becomes the entries of its forms and a line of
// the @icu-args record; the entries of a database become one ICU text per
// ID again.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ICUENTRIES_H
#define PHRASOR_TOOL_ICUENTRIES_H

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/formats/Inputs.h"
#include "tools/phrasor/formats/shared/IcuMessage.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace phrasor::tool {

/// Compiles the ICU text \p text of \p id and appends an entry per form,
/// noting its argument names in \p record. A text that is no valid ICU
/// text is reported at \p pos with the character, and gives no entry.
bool AddIcuForms(const SourcePos &pos, const std::string &id,
                 const std::string &text,
                 const std::optional<std::string> &voice, Diagnostics &diag,
                 std::vector<SourceEntry> &out,
                 std::map<std::string, IcuArgs> &record);

/// One ID's ICU text, and the first of its entries (for what a writer
/// keeps beside the text).
struct IcuText {
  std::string id;
  std::string text;
  const TextEntry *first = nullptr;
  std::vector<const TextEntry *> forms; ///< all of them, first first
};

/// The entries (metadata left out) as ICU texts, in the order of each
/// ID's first entry, named by the @icu-args record among them (which is
/// no text itself). IDs that ICU cannot say are left out, with one
/// warning under \p where for each reason.
std::vector<IcuText> ToIcuTexts(const std::vector<TextEntry> &entries,
                                const std::string &where, Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_ICUENTRIES_H
