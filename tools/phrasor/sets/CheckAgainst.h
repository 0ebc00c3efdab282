//===- CheckAgainst.h - Checking a translation against its source -*- C++
//-*-===//
//
// A translation must take the arguments its source takes, read the way the
// program reads the source: under the source's kind. Plural texts are
// compared form by form with the source's "other" form, since a language
// has its own set of categories. What is missing, extra or untranslated
// is measured as Coverage.h counts it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CHECKAGAINST_H
#define PHRASOR_TOOL_CHECKAGAINST_H

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/checks/Markup.h"
#include "tools/phrasor/sets/CheckedSet.h"

#include <string>
#include <vector>

namespace phrasor::tool {

/// Compares \p translation with \p source: every shared text must take
/// the source's arguments (an error where not); a text of the source that
/// is missing or untranslated, and an extra one, are warnings, which
/// --strict makes errors. Markup that differs from the source's and texts
/// over their length limit (the source's, else the translation's own) are
/// warnings too; \p rules say what is markup.
void CheckAgainst(const CheckedSet &translation, const CheckedSet &source,
                  Diagnostics &diag, const ProtectRules &rules = {});

/// \p translation with its textInSource answered by \p source, as a
/// translation checked against it is read: an ID whose source entry is a
/// text (marked or inferred), matched as CheckAgainst matches it, is a text
/// in the translation too.
InputOptions ReadingAgainst(const InputOptions &translation,
                            const CheckedSet &source);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CHECKAGAINST_H
