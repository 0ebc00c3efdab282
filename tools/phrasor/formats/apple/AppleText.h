//===- AppleText.h - Format strings as Apple's platforms write them -*- C++
//-*-===//
//
// Foundation's format strings are C's with one more conversion: %@, an
// object's description, which a localized text uses for every string
// argument. The runtime has no such conversion, so a text with %@ or with
// numbered arguments (%1$@, %2$d) is stored as a message, each conversion
// the insert of its argument (%1!s!, %2!d!); a text of plain C
// conversions stays a printf text, as the other readers keep them. A
// writer turns message inserts back into numbered conversions, text
// inserts spelled %N$@.
//
// A kind the spelling cannot say (a '%' meant as text, a message the
// conversions cannot spell) travels in a comment of the tool's own,
// "phr:kind=text", which Apple's tools read as a translator's comment.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_APPLETEXT_H
#define PHRASOR_TOOL_APPLETEXT_H

#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// A text read from an Apple file, in the runtime's terms.
struct AppleRead {
  std::string text;
  std::optional<TextKind> kind; ///< message when converted; else unsaid
  std::string problem;          ///< why it cannot be stored
};

/// \p text as the database stores it.
AppleRead ReadAppleFormat(std::string text);

/// A text as an Apple file spells it.
struct AppleWritten {
  std::string text;
  /// The kind to say in a phr:kind comment; empty when the spelling says it.
  std::string sayKind;
};

/// \p e's text in Apple's spelling, given its recorded kind.
AppleWritten WriteAppleFormat(const TextEntry &e);

/// The kind a comment of the tool's own names ("phr:kind=text"), or empty.
std::string_view KindInComment(std::string_view comment);
/// The locale a comment of the tool's own names ("phr:locale=de"), or empty.
std::string_view LocaleInComment(std::string_view comment);

/// The language of an .lproj folder's name ("de" of de.lproj, "pt-BR" of
/// pt-BR.lproj or pt_BR.lproj); empty for Base.lproj, which holds the
/// development language's texts without naming it, and for other folders.
std::string LprojLocale(std::string_view folder);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_APPLETEXT_H
