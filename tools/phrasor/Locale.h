//===- Locale.h - The language a database is written in ---------*- C++ -*-===//
//
// A database names its language in the metadata entry @locale as a BCP 47
// tag ("fr-CA"). PO files name it gettext's way ("fr_CA", "sr@latin"); the
// tool converts between the two so that a dump writes back what it read.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_LOCALE_H
#define PHRASOR_TOOL_LOCALE_H

#include <string>
#include <string_view>

namespace phrasor::tool {

/// True when \p tag is a well-formed BCP 47 language tag.
bool IsWellFormedTag(std::string_view tag);

/// The BCP 47 tag of a PO Language field, read as the C++ layer reads a
/// locale name (readLocaleName): "pt_BR" is "pt-BR", "sr_RS@latin" is
/// "sr-Latn-RS". A modifier no subtag says is dropped and, when \p dropped
/// is given, stored there. Aliases are
/// resolved as ICU resolves them: "rus" is "ru", "iw" is "he".
std::string TagFromPoLanguage(std::string_view language,
                              std::string *dropped = nullptr);

/// The PO Language field for \p tag; TagFromPoLanguage reads it back.
std::string PoLanguage(std::string_view tag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_LOCALE_H
