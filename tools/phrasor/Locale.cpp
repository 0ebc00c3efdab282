//===- Locale.cpp - The language a database is written in -----------------===//

#include "tools/phrasor/Locale.h"

#include "cpp/LocaleName.h"

#include <unicode/uloc.h>

#include <algorithm>

namespace phrasor::tool {

bool IsWellFormedTag(std::string_view tag) {
  // ICU's parser follows the BCP 47 grammar and stops at the first subtag
  // that does not fit; a tag is well formed when it reads to the end. It
  // also accepts "_" as a separator, which BCP 47 does not.
  if (tag.empty() || tag.size() > 255 ||
      tag.find_first_of("_@ ") != std::string_view::npos)
    return false;
  const std::string text(tag);
  char buffer[ULOC_FULLNAME_CAPACITY * 2];
  int32_t parsed = 0;
  UErrorCode status = U_ZERO_ERROR;
  uloc_forLanguageTag(text.c_str(), buffer, sizeof buffer, &parsed, &status);
  return U_SUCCESS(status) && parsed == static_cast<int32_t>(text.size());
}

namespace {

/// \p tag with ICU's aliases resolved, as ICU itself reads it: the
/// three-letter codes gettext also accepts ("rus", "deu") become the
/// two-letter ones ("ru", "de"), and retired ones their successors ("iw"
/// is "he"). A tag ICU cannot read stays as it is.
std::string CanonicalTag(const std::string &tag) {
  if (!IsWellFormedTag(tag))
    return tag;
  char id[ULOC_FULLNAME_CAPACITY * 2], canonical[ULOC_FULLNAME_CAPACITY * 2],
      bcp[ULOC_FULLNAME_CAPACITY * 2];
  int32_t parsed = 0;
  UErrorCode status = U_ZERO_ERROR;
  uloc_forLanguageTag(tag.c_str(), id, sizeof id, &parsed, &status);
  uloc_canonicalize(id, canonical, sizeof canonical, &status);
  uloc_toLanguageTag(canonical, bcp, sizeof bcp, /*strict=*/true, &status);
  if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING)
    return tag;
  const std::string resolved(bcp);
  return IsWellFormedTag(resolved) && resolved != "und" ? resolved : tag;
}

} // namespace

std::string TagFromPoLanguage(std::string_view language, std::string *dropped) {
  const LocaleName read = readLocaleName(language);
  if (read.tag.empty()) {
    // No name the layer could find a catalog by: kept as written, '_' as
    // '-', so that the build's check of the tag names it.
    std::string tag(language.substr(0, language.find_first_of(".@")));
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
  }
  if (dropped)
    *dropped = read.dropped;
  return CanonicalTag(read.tag);
}

std::string PoLanguage(std::string_view tag) {
  std::string language(tag);
  for (char &c : language)
    if (c == '-')
      c = '_';
  return language;
}

} // namespace phrasor::tool
