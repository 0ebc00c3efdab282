//===- Plural.cpp - CLDR plural categories of one locale ------------------===//

#include "Plural.h"

#include <string>

#if PHRASOR_HAVE_ICU
#include <unicode/locid.h>
#include <unicode/plurrule.h>
#include <unicode/unistr.h>
#endif

namespace phrasor {
namespace {
constexpr std::string_view kCategories[] = {"zero", "one",  "two",
                                            "few",  "many", "other"};
} // namespace

#if PHRASOR_HAVE_ICU

struct PluralRules::State {
  std::unique_ptr<icu::PluralRules> rules;
};

PluralRules::PluralRules(std::string_view locale) : state(new State) {
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale loc = icu::Locale::forLanguageTag(
      icu::StringPiece(locale.data(), static_cast<int32_t>(locale.size())),
      status);
  if (U_FAILURE(status)) {
    status = U_ZERO_ERROR;
    loc = icu::Locale::getRoot();
  }
  state->rules.reset(icu::PluralRules::forLocale(loc, status));
  if (U_FAILURE(status))
    state->rules.reset();
}

PluralRules::~PluralRules() = default;

std::string_view PluralRules::category(std::int64_t count) const {
  if (!state->rules)
    return kCategories[5];
  // Counts are whole numbers; a double holds them exactly up to 2^53,
  // far past any count a text shows.
  icu::UnicodeString keyword = state->rules->select(static_cast<double>(count));
  for (std::string_view c : kCategories)
    if (keyword ==
        icu::UnicodeString(c.data(), static_cast<int32_t>(c.size()), US_INV))
      return c;
  return kCategories[5];
}

#else

struct PluralRules::State {};

PluralRules::PluralRules(std::string_view) {}
PluralRules::~PluralRules() = default;
std::string_view PluralRules::category(std::int64_t) const {
  return kCategories[5];
}

#endif

} // namespace phrasor
