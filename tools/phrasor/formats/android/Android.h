//===- Android.h - Android string resources (strings.xml) -------*- C++ -*-===//
//
// An app's res/values*/strings.xml, read as Android reads it:
//
//   <string name="ID">             the entry ID
//   <plurals name="ID"><item quantity="one">
//                                  the plural forms ID#one, ID#other...
//   <string-array name="ID"><item> the entries ID[0], ID[1]... in order
//   formatted="false"              the text's '%' is text (kind text)
//   formatted="true"               a printf text, even with no conversion
//   %1$s, %2$d                     numbered arguments: stored as the
//                                  message inserts %1!s!, %2!d!, and
//                                  written back as they were
//   %s, %d                         printf conversions, kept
//   <b>, <i>, <font ...>           markup, kept in the text
//   <xliff:g>                      dropped; its content stays
//
// A comment on the lines just above a <string>, <plurals>, <string-array>
// or one of their <item>s is its note to translators (an item's own over
// its container's); a blank line between them, or other markup before it
// on its line, makes it no note. A dump writes notes the same way; XML
// cannot spell "--" in a comment, which is written "- -" with a warning.
//
// translatable="false" strings are kept as the source text of every
// language (@untranslatable): translations need not have them, and a dump
// says it again. tools: attributes are ignored, except the
// <resources> element's tools:locale, which names the file's language
// before a folder name (values-pl, values-pt-rBR, values-b+sr+Latn) does.
// Strings for another product than the default one are left out. A message
// whose inserts %1$s cannot spell (one with none) says its kind in the
// tool's own attribute, phr:kind="message" (xmlns:phr="urn:phrasor:android:1"),
// which Android ignores.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ANDROID_H
#define PHRASOR_TOOL_ANDROID_H

#include "tools/phrasor/formats/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

inline constexpr const char *kAndroidOwnNamespace = "urn:phrasor:android:1";

/// Reads an Android string resource file.
void ReadAndroid(const std::string &file, std::string_view text,
                 const InputOptions &options, Diagnostics &diag,
                 std::vector<SourceEntry> &out);

/// Writes a database as an Android string resource file. IDs that are not
/// resource names, and forms Android has no element for, are reported and
/// left out.
std::string WriteAndroid(const DumpSide &target, const DumpSide &source,
                         const std::string &where, Diagnostics &diag);

/// The language a resource folder's name gives as a BCP 47 tag: "pl" of
/// values-pl, "pt-BR" of values-pt-rBR, "sr-Latn" of values-b+sr+Latn,
/// "de" of values-de-land; empty when the name gives none.
std::string AndroidFolderLocale(std::string_view folder);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_ANDROID_H
