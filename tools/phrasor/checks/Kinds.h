//===- Kinds.h - What a stored value is: text, message or printf -*- C++
//-*-===//
//
// The database keeps only the text of a value; how the program uses it is a
// fact about the source. Authors may say it (a kind column, a "kind" key, a
// PO flag); otherwise the tool infers it from the value. Checks then apply
// the rules of that one kind instead of guessing between two readings, so
// "Volume 100%" is a plain text and "100%%" is no longer needed.
//
// Kinds that inference would not give back are kept in the database in the
// metadata entry "@kinds" (see Metadata.h), so that a dump can write them
// and a rebuild of the dump keeps them.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_KINDS_H
#define PHRASOR_TOOL_KINDS_H

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/checks/TextChecks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// What inference makes of a value. \p doubt is set when the value holds a
/// '%' that makes neither an insert nor a plausible printf conversion: it
/// is then taken as text, and the author should be told.
struct KindReading {
  TextKind kind = TextKind::Plain;
  std::string doubt;
};

/// Infers the kind of \p value with the format layer's InferTextKind, the
/// one inference the C++ layer uses too: a value with an insert ("%1!s!",
/// or the start of one that is broken) is a message; one with a printf
/// conversion that reads as one ("%d", but not the "% d" of "50% done") is
/// printf; anything else is text. The doubt is put in words here.
KindReading InferKind(std::u16string_view value);

/// Reads \p value under the rules of \p kind: a message must parse and
/// each insert must be accepted by the printf engine, a printf format must
/// pass the engine's checker, a text is shown as written.
ValueReport CheckValueAs(std::u16string_view value, TextKind kind);

/// \p value without its grouping flags (%'d, %1!'d!), read as \p kind, or
/// nothing when it has none: the text the runtime's checks read.
std::optional<std::u16string> WithoutGroupingFlags(std::u16string_view value,
                                                   TextKind kind);

/// \p value without the marks only the C++ layer reads (grouping flags and
/// Korean particle pairs such as %1!(은/는)s!), read as \p kind, or nothing
/// when it has none: the text the runtime's checks read.
std::optional<std::u16string> WithoutLayerMarks(std::u16string_view value,
                                                TextKind kind);

/// The kind the program uses \p e as: recorded in \p meta, else inferred.
TextKind KindOf(const authoring::Entry &e, const Metadata &meta);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_KINDS_H
