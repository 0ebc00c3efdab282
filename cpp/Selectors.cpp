//===- Selectors.cpp - The choosers of the selector rows ------------------===//
//
// Plural and ordinal forms are chosen by the CLDR rules compiled into the
// layer, so the tool and every host choose the same form for a count; a
// gender or a select is chosen by its word alone.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Selectors.h"

#include "cpp/Plural.h"

namespace phrasor::selectors {

namespace {

PluralDecimal decimalOf(const SelectorValue &value) {
  return PluralDecimal{value.scaled, value.fractionDigits, value.exponent};
}

} // namespace

std::string_view choosePlural(const PluralRules &rules,
                              const SelectorValue &value) {
  return rules.category(decimalOf(value));
}

std::string_view chooseOrdinal(const PluralRules &rules,
                               const SelectorValue &value) {
  return rules.ordinal(decimalOf(value));
}

bool hasPlural(const PluralRules &rules, std::string_view category) {
  return rules.hasCategory(category, false);
}

bool hasOrdinal(const PluralRules &rules, std::string_view category) {
  return rules.hasCategory(category, true);
}

// A word's forms are the same in every language: the rules play no part.
std::string_view chooseGender(const PluralRules &, const SelectorValue &value) {
  return wordForm(kGenderSelector, value.text);
}

std::string_view chooseSelect(const PluralRules &, const SelectorValue &value) {
  return wordForm(kSelectSelector, value.text);
}

bool hasGender(const PluralRules &, std::string_view category) {
  return kGenderSelector.isCategory(category);
}

bool hasSelect(const PluralRules &, std::string_view category) {
  return kSelectSelector.isCategory(category);
}

} // namespace phrasor::selectors
