//===- I18next.h - i18next JSON (v4) translation files ----------*- C++ -*-===//
//
// A web app's locales/<lng>/<namespace>.json, read as i18next reads it:
//
//   {"menu": {"open": "Open"}}     the entry menu.open: nested objects are
//                                  joined by '.', i18next's key separator
//   "files_one", "files_other"     plural forms files#one, files#other
//   "files_zero"                   files#=0, the text i18next shows for a
//                                  count of exactly 0; files#zero in a
//                                  language whose CLDR rules have a zero
//                                  category (Arabic, Latvian), which
//                                  i18next also gives that suffix
//   "place_ordinal_two"            place#ordinal-two
//   "friend_male", "friend_female" friend#gender-masculine, -feminine, with
//                                  "friend" itself as friend#gender-other
//   "title_knight"                 title#select-knight, "title" being
//                                  title#select-other
//   "friend_male_one"              friend#gender-masculine#one
//   {{name}}, {{- name}}           numbered message inserts %1!s!; the
//                                  insert named count is %N!d!
//
// A key is a context form only when the key without its last '_word' is
// there too (as a text or a plural), as i18next falls back to it: a lone
// "sign_in" is the entry sign_in. Contexts that are all male and female
// are a gender; any other word makes every context of that key a select.
//
// Inserts are numbered by name, not by where they come first, so that a
// translation that puts them in another order keeps their numbers: a name
// of digits is that number, the others take the numbers left, in the
// order of their names and count last (a form for one number may leave
// the count out, and a message only its last inserts), over every form
// and context of the key. Their
// names are kept in the entry @i18next ({"key": ["count", "- name"]}, the
// name of %1 first, written as the file wrote it) so a dump writes them
// back; a database holds one, so a build reads one namespace.
//
// Refused at file:line: $t() nesting (the runtime looks up one entry per
// text), {{name, format}} formatting, arrays, numbers and booleans.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_I18NEXT_H
#define PHRASOR_TOOL_I18NEXT_H

#include "tools/phrasor/formats/Registry.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

inline constexpr const char *kI18nextId = "@i18next";

/// Reads an i18next JSON v4 file.
void ReadI18next(const std::string &file, std::string_view text,
                 const InputOptions &options, Diagnostics &diag,
                 std::vector<SourceEntry> &out);

/// Writes a database as an i18next JSON v4 file; entries it cannot spell
/// are reported and left out.
std::string WriteI18next(const DumpSide &target, const DumpSide &source,
                         const std::string &where, Diagnostics &diag);

/// The insert names of each key, as the @i18next entry holds them.
using I18nextNames = std::map<std::string, std::vector<std::string>>;
std::string EncodeI18nextNames(const I18nextNames &names);
I18nextNames DecodeI18nextNames(std::string_view json);

/// The language of locales/<lng>/file.json: the folder's name when it is
/// shaped like a language tag ("pt-BR", "pt_BR" as "pt-BR"), else empty.
std::string I18nextFolderLocale(std::string_view folder);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_I18NEXT_H
