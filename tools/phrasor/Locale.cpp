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
  return read.tag;
}

std::string PoLanguage(std::string_view tag) {
  std::string language(tag);
  for (char &c : language)
    if (c == '-')
      c = '_';
  return language;
}

} // namespace phrasor::tool
