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

/// A language name read once: the one reading of the names the
/// environment, gettext files and file names give, for the layer and the
/// tool alike.
struct LocaleName {
  /// The BCP 47 tag, '-' between subtags, case as written: "fr_CA.UTF-8"
  /// is "fr-CA", "sr_RS@latin" is "sr-Latn-RS". Empty when the name is no
  /// language tag or POSIX locale name, so that no name leads out of a
  /// directory.
  std::string tag;
  /// The tag without what a modifier added ("sr-RS" for "sr_RS@latin"):
  /// a catalog named so is still the user's language. Equal to tag when
  /// the name has no modifier that says a script or variant.
  std::string plainTag;
  /// A modifier that no subtag can say ("quot" of "en@quot"), dropped.
  /// Modifiers that say nothing of the language ("euro") are not kept.
  std::string dropped;
};

/// Reads \p name: a BCP 47 tag, or, with \p posix, a POSIX or gettext
/// name language[_territory][.codeset][@modifier]. The codeset is dropped;
/// the modifiers latin and cyrillic become the scripts Latn and Cyrl, and
/// valencia, ijekavian and tarask the variants valencia, ijekavsk and
/// tarask. With \p posix false (a file name) there is no codeset or
/// modifier to read.
LocaleName readLocaleName(std::string_view name, bool posix = true);

/// readLocaleName(name, posix).tag.
std::string languageTag(std::string_view name, bool posix = true);

/// languageTag in lower case, the form names are compared in.
std::string normalTag(std::string_view name, bool posix = true);

/// Whether \p name says the user chose no language: empty, or the C or
/// POSIX locale ("C", "C.UTF-8", "POSIX"), which mean the program's own
/// texts.
bool choosesNoLanguage(std::string_view name);

/// Whether the language tag \p tag is written right to left: by its
/// script subtag when it has one (Arab, Hebr, Thaa, Syrc, Nkoo, Adlm, Rohg,
/// Mand, Samr), else by the script its language is usually written in
/// (ar, he, fa, ur, ps, sd, ug, yi, dv, ckb and others).
bool writtenRightToLeft(std::string_view tag);

} // namespace phrasor

#endif // PHRASOR_CPP_LOCALENAME_H
