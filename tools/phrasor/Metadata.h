//===- Metadata.h - The tool's own entries in a database --------*- C++ -*-===//
//
// A database holds only IDs, values and voice paths, and its format stays
// that way. What the tool must remember beyond that lives in entries whose
// IDs begin with '@', which no game text uses:
//
//   @locale   the language of the texts, a BCP 47 tag such as "fr-CA"
//   @kinds    the kinds that inference would not give back, as a JSON
//             object {"ID": "text", ...}; absent when there are none
//   @limits   the length limits of entries, as a JSON object {"ID": 12}
//   @notes    what the source tells translators about an entry (an XLIFF
//             <note>, a comment above an entry), as a JSON object
//             {"ID": "text"}; several notes of one entry are joined by
//             newlines. Games never read them; dumps give them back
//   @states   how far review of a translation has come where a
//             translation tool said more than "translated", as a JSON
//             object {"ID": "final" | "reviewed" | "needs-review"}; an
//             entry absent from it is translated. XLIFF reads and writes it
//   @untranslatable
//             the IDs whose source text is every language's (Android's
//             translatable="false": a name, a URL), as a JSON array
//             ["ID", ...]; translations need not have them
//   @protect  the project's own patterns of protected spans (Markup.h),
//             one ICU regular expression per line; written by the author
//             in the source like @locale
//
//   @po       what a PO dump needs to give a gettext project back, as JSON:
//             {"header": "Project-Id-Version: ...\n...", "plural-forms":
//             "nplurals=...", "messages": {"ID": {"plural": "%d files",
//             "flags": ["c-format"], "comments": "..."}}}; the header
//             holds the fields a dump does not write itself. Kept for PO
//             files keyed by source, as gettext keys them ("key":
//             "context" and a message's "msgid" are read, for records of
//             files keyed by context, which builds do not write yet).
//             Translators' state goes in fields
//             written only when there is some: "header-comments" (the
//             header's comment block), a message's "fuzzy": true and
//             "obsolete": true, the msgctxt, msgid and msgid_plural a
//             fuzzy one had before ("prev-msgctxt", "prev-msgid",
//             "prev-msgid-plural", the "#|" lines); a message that has no entry
//             (fuzzy ones read without --include-fuzzy, obsolete ones) keeps
//             its texts in "msgstr": ["...", ...], one per msgstr[N]. Unlike
//             the ones above, dumps in other formats write it as an entry.
//
//   @plural-forms  a PO file's Plural-Forms header and the category each
//             of its forms is stored under, as two lines:
//             "nplurals=3; plural=...;\none few many"; the C++ layer and
//             `format` choose by it where CLDR gives no form (Russian 1.5,
//             a language without CLDR rules). Written only for a PO file
//             with plural messages and a Plural-Forms header, not for a
//             dump keyed by context or source
//
//   @icu-args  per ID built from an ICU MessageFormat text, the names of
//             its arguments by insert number and the arguments its select
//             and plural choose by, as JSON: {"ID": {"names": ["name",
//             "count"], "select": "gender", "plural": "count"}}; a dump
//             with --syntax icu names the arguments by it. Like @po, other
//             dumps write it as an entry
//
// and one line that a CSV or JSON file says before its entries and that no
// database holds:
//
//   @keys     "source-text": the IDs of this file are gettext keys (see
//             IdOrigin), read by their rules; in CSV they are written
//             with C escapes (\\, \n, \t, \r, \xHH)
//
// The runtime serves them like any entry; the tool reads them back for
// check, info and dump, and never shows @kinds as an entry.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_METADATA_H
#define PHRASOR_TOOL_METADATA_H

#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/KindNames.h"

#include "cpp/GettextPlural.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

inline constexpr const char *kLocaleId = "@locale";
inline constexpr const char *kKindsId = "@kinds";
inline constexpr const char *kKeysId = "@keys";
inline constexpr const char *kPoId = "@po";
inline constexpr const char *kIcuArgsId = "@icu-args";
/// What an ARB file holds beyond its messages (ArbRecord.h).
inline constexpr const char *kArbId = "@arb";
using phrasor::kPluralFormsId;

/// What a PO message had beyond its key and texts.
struct PoMessageRecord {
  std::optional<std::string> plural; ///< msgid_plural
  std::vector<std::string> flags;    ///< its format flags, "c-format"
  std::string comments;              ///< translator comments, joined
  std::optional<std::string> msgid;  ///< keyed by context: its msgid
  bool fuzzy = false, obsolete = false;
  /// The "#|" lines: what a fuzzy message's source was before.
  std::optional<std::string> prevContext, prevMsgid, prevPlural;
  /// The msgstr[N] of a message the database holds no entry for (a fuzzy
  /// one left out, an obsolete one), which only a PO dump gives back.
  std::optional<std::vector<std::string>> msgstr;
};

/// The @po record.
struct PoRecord {
  std::string header; ///< "Name: value\n" lines
  std::optional<std::string> pluralForms;
  std::string headerComments; ///< the header's translator comments
  bool contextKey = false;    ///< the IDs are the file's contexts
  std::map<std::string, PoMessageRecord> messages; ///< by ID (plural: base)
};

/// The messages of a @po record as a reader collects them: each one's
/// JSON object written at once, one after another in one text. A file of a
/// million messages then holds a few bytes for each instead of its whole
/// record, and memory, not work, was most of what such a build took.
struct PoMessageTexts {
  struct Item {
    std::string id;
    std::size_t at = 0, size = 0; ///< its object in text
  };
  std::vector<Item> items; ///< in the order added, or sorted by ID
  std::string text;

  /// Adds the object of \p m as the message \p id.
  void Add(std::string id, const PoMessageRecord &m);
};

/// The @po value for \p record, as UTF-8 JSON.
std::string EncodePoRecord(const PoRecord &record);
/// The same with \p messages, in the order given, in place of the
/// record's own.
std::string EncodePoRecord(const PoRecord &record,
                           const PoMessageTexts &messages);
/// \p json read as a @po value; nothing when it is not one.
std::optional<PoRecord> DecodePoRecord(const std::string &json);
inline constexpr const char *kSourceTextKeys = "source-text";
inline constexpr const char *kLimitsId = "@limits";
inline constexpr const char *kProtectId = "@protect";
inline constexpr const char *kNotesId = "@notes";
inline constexpr const char *kStatesId = "@states";
inline constexpr const char *kUntranslatableId = "@untranslatable";

/// True for the IDs of the tool's own entries (those above, @po and @keys).
bool IsMetadataId(std::string_view id);

struct Metadata {
  std::optional<std::string> locale;
  std::map<std::string, TextKind> kinds;     ///< by ID as stored
  std::map<std::string, unsigned> limits;    ///< by ID as stored
  std::map<std::string, std::string> notes;  ///< by ID as stored, UTF-8
  std::map<std::string, std::string> states; ///< by ID as stored
  std::set<std::string> untranslatable;      ///< by ID as stored
  /// The @protect value as stored, if any (ProtectPatterns splits it).
  std::optional<std::u16string> protect;
  std::string problem;        ///< why @kinds could not be read, if it could not
  std::optional<PoRecord> po; ///< read from the @po entry, which stays
  /// The @plural-forms value, whose entry stays too.
  std::optional<std::string> pluralForms;
  /// The @icu-args value as stored (DecodeIcuArgs reads it); its entry
  /// stays too.
  std::optional<std::string> icuArgs;
};

/// Takes the metadata entries out of \p entries and reads them.
Metadata SplitMetadata(std::vector<authoring::Entry> &entries);

/// The value of @kinds for \p kinds.
std::u16string EncodeKinds(const std::map<std::string, TextKind> &kinds);

/// The value of @limits for \p limits.
std::u16string EncodeLimits(const std::map<std::string, unsigned> &limits);

/// The value of @untranslatable for \p ids, a JSON array of strings.
std::u16string EncodeIds(const std::set<std::string> &ids);

/// The value of @notes or @states for \p texts, a JSON object of strings.
std::u16string EncodeTexts(const std::map<std::string, std::string> &texts);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_METADATA_H
