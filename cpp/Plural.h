//===- Plural.h - CLDR plural categories of one locale ----------*- C++ -*-===//
//
// ICU knows the plural rules of every language; it is used here and only
// here. A build without ICU answers "other" for every count, so plural()
// still finds the ID#other text.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_PLURAL_H
#define PHRASOR_CPP_PLURAL_H

#include <cstdint>
#include <memory>
#include <string_view>

namespace phrasor {

class PluralRules {
public:
  /// The rules of \p locale (a BCP 47 tag); the root rules ("other" for
  /// everything) when the tag is empty or unknown.
  explicit PluralRules(std::string_view locale);
  ~PluralRules();
  PluralRules(const PluralRules &) = delete;
  PluralRules &operator=(const PluralRules &) = delete;

  /// "zero", "one", "two", "few", "many" or "other". Safe to call from many
  /// threads at once.
  std::string_view category(std::int64_t count) const;

private:
  struct State;
  std::unique_ptr<State> state;
};

} // namespace phrasor

#endif // PHRASOR_CPP_PLURAL_H
