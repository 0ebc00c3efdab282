//===- Environment.h - The user's languages and where we are -*- C++ -*-===//
//
// The two things a program asks its environment before it loads its texts:
// which languages the user wants, and where its own databases lie (the
// build puts them beside the executable). With them, loading is one line:
//
//   auto lang = phrasor::Localizer::loadPreferred(
//       phrasor::executableDirectory().value_or("."),
//       phrasor::preferredLanguages());
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_ENVIRONMENT_H
#define PHRASOR_CPP_ENVIRONMENT_H

#include "phrasor/Error.h"

#include <filesystem>
#include <string>
#include <vector>

namespace phrasor {

/// The languages the user asked for, most wanted first, as language tags
/// ("fr-CA"). On Windows, the user's preferred display languages. Elsewhere
/// the locale is the first of LC_ALL, LC_MESSAGES and LANG that is set, and
/// as gettext reads them, LANGUAGE's list ("de_AT:fr") stands in its place
/// unless that locale is C or POSIX. Empty when the user chose no language
/// (unset, C or POSIX), which loadPreferred reads as the program's own
/// language. Codesets and modifiers are dropped; names that are no
/// language tag are left out.
std::vector<std::string> preferredLanguages();

/// The directory that holds the running program's executable, with links
/// resolved. FileNotFound when the system does not say.
Expected<std::filesystem::path> executableDirectory();

} // namespace phrasor

#endif // PHRASOR_CPP_ENVIRONMENT_H
