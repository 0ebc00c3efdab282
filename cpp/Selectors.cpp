//===- Selectors.cpp - The choosers of the counting selectors -------------===//
//
// Plural and ordinal forms are chosen by the CLDR rules compiled into the
// layer, so the tool and every host choose the same form for a count.
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

} // namespace phrasor::selectors
