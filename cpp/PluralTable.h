//===- PluralTable.h - The plural rules of every language -------*- C++ -*-===//
//
// Generated data (cpp/PluralTable.cpp): the rule texts, each kept once, and
// the locales that have rules, sorted by tag for a binary search.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_PLURALTABLE_H
#define PHRASOR_CPP_PLURALTABLE_H

#include <cstddef>

namespace phrasor::plural {

struct LocaleRules {
  const char *tag;         ///< lower case, subtags joined by '-'
  unsigned short cardinal; ///< index into kRuleTexts
  unsigned short ordinal;  ///< index into kRuleTexts
};

/// "keyword: condition; ...; other:" as the rule parser reads them.
extern const char *const kRuleTexts[];
extern const std::size_t kRuleTextCount;
extern const LocaleRules kLocales[];
extern const std::size_t kLocaleCount;

} // namespace phrasor::plural

#endif // PHRASOR_CPP_PLURALTABLE_H
