//===- LocaleName.h - Language tags from the names people write -*- C++ -*-===//
//
// The environment writes "fr_CA.UTF-8", Windows "fr-CA", a file is named
// "fr_CA.skdb": all one language. These read such names once, so that the
// loader and the environment agree on what names a language and on what
// names none.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_LOCALENAME_H
#define PHRASOR_CPP_LOCALENAME_H

#include <string>
#include <string_view>

namespace phrasor {

/// \p name as a language tag with '-' between subtags, its case kept:
/// "fr_CA.UTF-8" and "fr_CA@euro" are "fr-CA". With \p posix false (a file
/// name) there is no codeset or modifier to drop. Empty when \p name is no
/// language tag or POSIX locale name, so that no name leads out of a
/// directory.
std::string languageTag(std::string_view name, bool posix = true);

/// languageTag in lower case, the form names are compared in.
std::string normalTag(std::string_view name, bool posix = true);

/// Whether \p name says the user chose no language: empty, or the C or
/// POSIX locale ("C", "C.UTF-8", "POSIX"), which mean the program's own
/// texts.
bool choosesNoLanguage(std::string_view name);

} // namespace phrasor

#endif // PHRASOR_CPP_LOCALENAME_H
