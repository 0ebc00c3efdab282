//===- Plural.h - CLDR plural categories of one locale ----------*- C++ -*-===//
//
// The plural rules of every language are compiled into the layer
// (PluralTable.cpp, generated from ICU's data), so hosts need no ICU and get
// the same answers on every platform. A locale's rules are parsed once, into
// fixed arrays; choosing a category then allocates nothing and cannot fail.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_PLURAL_H
#define PHRASOR_CPP_PLURAL_H

#include <cstdint>
#include <optional>
#include <string_view>

namespace phrasor {

/// A count as the text shows it: an integer scaled by its visible fraction
/// digits. 1.50 is {150, 2}; 1 ({1, 0}) and 1.0 ({10, 1}) are different
/// counts, as "1 mile" and "1.0 miles" are.
struct PluralDecimal {
  std::int64_t scaled = 0;
  int fractionDigits = 0; ///< 0..18; outside that, clamped
  /// Compact notation's exponent, else 0: "1.2M" shown as 1.2c6 is
  /// {1200000, 0, 6}. French says "1,2 million de" but "1 200 000".
  int exponent = 0;
};

/// Reads "-12", "1.50" or "1.2c6" (also "1.2e6"); nullopt for anything else,
/// or for a value of more than 18 digits.
std::optional<PluralDecimal> parsePluralDecimal(std::string_view text);

/// One kind of rules (cardinal or ordinal) of one locale, parsed from the
/// rule syntax:
///
///   rules      ::= rule (';' rule)*
///   rule       ::= keyword ':' condition? samples?
///   condition  ::= and ('or' and)*
///   and        ::= relation ('and' relation)*
///   relation   ::= operand (('mod' | '%') value)? op range (',' range)*
///   op         ::= 'in' | 'not' 'in' | 'within' | 'not' 'within' | '=' |
///                  '!=' | 'is' | 'is' 'not'
///   range      ::= value ('..' value)?
///   operand    ::= 'n' | 'i' | 'v' | 'w' | 'f' | 't' | 'c' | 'e'
///   samples    ::= '@' ...   (ignored up to the next ';')
///
/// The first rule whose condition holds names the category; a rule without
/// a condition always holds; when none holds the category is "other".
class PluralRuleSet {
public:
  /// False, leaving no rules (everything "other"), for a text that does not
  /// parse or does not fit the fixed capacity.
  bool parse(std::string_view text);
  /// 0..5 for zero, one, two, few, many, other.
  int select(PluralDecimal count) const;
  /// The categories some rule names, and "other", as bits 0..5.
  unsigned categories() const;

private:
  static constexpr int kMaxRules = 6, kMaxRelations = 32, kMaxRanges = 64;
  struct Range {
    std::uint32_t low, high;
  };
  struct Relation {
    std::uint32_t mod;    ///< 0: none
    std::uint8_t operand; ///< index into "nivwfte" (c read as e)
    bool negated;         ///< not in, !=, is not
    bool within;          ///< within: a fractional n may match too
    bool lastOfAnd;       ///< the next relation follows an 'or'
    std::uint8_t firstRange, rangeCount;
  };
  struct Rule {
    std::uint8_t category, firstRelation, relationCount;
  };
  Rule rules[kMaxRules];
  Relation relations[kMaxRelations];
  Range ranges[kMaxRanges];
  std::uint8_t ruleCount = 0, relationCount = 0, rangeCount = 0;

  struct Cursor;
  struct Operands;
  bool parseRelation(Cursor &c);
  bool holds(const Relation &r, const Operands &o) const;
};

class PluralRules {
public:
  /// The rules of \p locale: a BCP 47 tag or a POSIX locale name, matched
  /// ignoring case, '_' read as '-', a codeset or modifier ignored
  /// ("pt_BR.UTF-8@euro"), falling back by dropping subtags ("fr-CA" to
  /// "fr", "zh-Hant-TW" to "zh"). A tag with no rules gives "other" for
  /// every count.
  explicit PluralRules(std::string_view locale);

  /// True when the locale has rules of its own (even if, as Japanese, they
  /// give "other" for everything); false for an empty or unknown tag.
  bool hasRules() const { return found != nullptr; }
  /// The table entry used ("fr" for "fr_CA.UTF-8"); empty when none.
  std::string_view rulesLocale() const;

  /// "zero", "one", "two", "few", "many" or "other". Safe to call from many
  /// threads at once.
  std::string_view category(std::int64_t count) const;
  std::string_view category(PluralDecimal count) const;
  /// The ordinal category: English 1 "one" (1st), 2 "two" (2nd), 3 "few"
  /// (3rd), 4 "other" (4th).
  std::string_view ordinal(std::int64_t count) const;
  std::string_view ordinal(PluralDecimal count) const;

  /// Whether the language has \p category among its cardinal (or, with
  /// \p ordinal, its ordinal) categories; "other" it always has.
  bool hasCategory(std::string_view category, bool ordinal) const;
  /// The rules as the table holds them ("one: i in 1..1 and v in 0..0;
  /// other:"); "other:" for a tag with no rules.
  std::string_view rulesText(bool ordinal) const;

private:
  PluralRuleSet cardinalRules, ordinalRules;
  const char *found = nullptr;
  const char *cardinalText = "other:", *ordinalText = "other:";
};

} // namespace phrasor

#endif // PHRASOR_CPP_PLURAL_H
