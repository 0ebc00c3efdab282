//===- NumberTable.h - How every locale writes numbers ----------*- C++ -*-===//
//
// Generated data (cpp/NumberTable.cpp, by scripts/number-table/generate):
// the distinct ways of writing a number, each kept once, and the locales
// whose way differs from the one their shorter tag gives, sorted by tag for
// a binary search. Style 0 is the root locale's, for tags not listed.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_NUMBERTABLE_H
#define PHRASOR_CPP_NUMBERTABLE_H

#include <cstddef>

namespace phrasor::numbers {

struct NumberStyle {
  char32_t zero;                 ///< the digit zero; the others follow it
  unsigned char primary;         ///< digits in the group nearest the point
  unsigned char secondary;       ///< digits in each group before it
  unsigned char minimumGrouping; ///< digits before the first group, at least
  // Each terminated; a sign keeps the bidi mark the locale writes with it.
  char16_t decimal[5];
  char16_t group[5];
  char16_t minus[5];
  char16_t plus[5];
  char16_t percentBefore[5]; ///< what a percent writes before its digits
  char16_t percentAfter[5];  ///< and after them
};

struct LocaleNumbers {
  const char *tag;       ///< lower case, subtags joined by '-'
  unsigned short native; ///< index into kStyles: the locale's own digits
  unsigned short latin;  ///< the same locale in Latin digits (-u-nu-latn)
};

extern const NumberStyle kStyles[];
extern const std::size_t kStyleCount;
extern const LocaleNumbers kLocales[];
extern const std::size_t kLocaleCount;

} // namespace phrasor::numbers

#endif // PHRASOR_CPP_NUMBERTABLE_H
