//===- Locale.cpp - The language a database is written in -----------------===//

#include "tools/phrasor/Locale.h"

#include <unicode/uloc.h>

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
  // language[_territory][.codeset][@modifier]: the codeset says nothing of
  // the language, and a modifier is a script, a variant or nothing BCP 47
  // can say.
  std::string tag(language);
  std::string modifier;
  if (const std::size_t at = tag.find('@'); at != std::string::npos) {
    modifier = tag.substr(at + 1);
    tag.resize(at);
  }
  if (const std::size_t dot = tag.find('.'); dot != std::string::npos)
    tag.resize(dot);
  struct Known {
    const char *modifier, *script, *variant;
  };
  static const Known known[] = {
      {"latin", "Latn", ""},
      {"cyrillic", "Cyrl", ""},
      {"valencia", "", "valencia"},
      {"ijekavian", "", "ijekavsk"},
      {"ijekavianlatin", "Latn", "ijekavsk"},
      {"tarask", "", "tarask"},
      {"euro", "", ""},
  };
  std::string script, variant;
  if (!modifier.empty()) {
    const Known *found = nullptr;
    for (const Known &k : known)
      if (modifier == k.modifier)
        found = &k;
    if (found) {
      script = found->script;
      variant = found->variant;
    } else if (dropped) {
      *dropped = modifier;
    }
  }
  for (char &c : tag)
    if (c == '_')
      c = '-';
  if (!script.empty()) {
    const std::size_t dash = tag.find('-');
    tag.insert(dash == std::string::npos ? tag.size() : dash, "-" + script);
  }
  if (!variant.empty())
    tag += "-" + variant;
  return tag;
}

std::string PoLanguage(std::string_view tag) {
  std::string language(tag);
  for (char &c : language)
    if (c == '-')
      c = '_';
  return language;
}

} // namespace phrasor::tool
