//===- CFormatStore.h - gettext C formats as the runtime renders them -*- C++
//-*-===//
//
// A gettext project's C formats use what C has and the runtime's printf
// does not: <inttypes.h> macros (%<PRIu64>), the size spellings L, q and
// lL, and numbered arguments (%2$s) that let a translation reorder them.
// A build stores each such text in the runtime's own terms, and a dump
// writes it back in the translator's.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CFORMATSTORE_H
#define PHRASOR_TOOL_CFORMATSTORE_H

#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// A C format rewritten for the runtime.
struct StoredCFormat {
  std::string text;
  bool message = false; ///< the text is a message with numbered inserts
  std::string problem;  ///< why it cannot be stored; empty when it can
};

/// True when \p text numbers its arguments (%1$s), which the runtime's
/// printf does not read: it is stored as a message instead.
bool NumbersArguments(std::string_view text);

/// Whether a conversion of \p text has a macro or a size, the only parts
/// StoreCFormat may spell otherwise when no argument is numbered; false
/// means it gives \p text back as it is. Some sizes it spells as they are
/// (l, hh), which only makes this a longer way round.
bool MaySpellSizeOtherwise(std::string_view text);

/// \p text, a valid C format, in the runtime's terms. A macro takes the
/// runtime's size for its width: 8 and 16 bits hh and h, 32 bits none, 64
/// bits (MAX too) I64, PTR the runtime's pointer width I. \p asMessage
/// writes every conversion as the message insert of its argument
/// (%2$-5d as %2!-5d!), %% kept.
StoredCFormat StoreCFormat(std::string_view text, bool asMessage);

/// The message with the inserts that the stored printf format \p text
/// takes, in their order; none when it is no valid format or cannot be one.
std::optional<std::u16string> PrintfAsMessage(std::u16string_view text);

/// The stored \p text of a C format back in the form of its source \p
/// source: message inserts as numbered conversions when \p message, and
/// each argument that \p source passes through a macro through that macro.
std::string RestoreCFormat(std::string_view text, std::string_view source,
                           bool message);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CFORMATSTORE_H
