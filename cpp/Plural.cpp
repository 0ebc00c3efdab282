//===- Plural.cpp - CLDR plural categories of one locale ------------------===//

#include "cpp/Plural.h"

#include "cpp/LocaleName.h"
#include "cpp/PluralTable.h"

#include <cstring>

namespace phrasor {
namespace {

constexpr std::string_view kCategories[] = {"zero", "one",  "two",
                                            "few",  "many", "other"};
constexpr int kOther = 5;
constexpr int kMaxDigits = 18; // 10^18 still fits an int64

struct Powers {
  std::uint64_t of10[kMaxDigits + 1] = {};
  constexpr Powers() {
    std::uint64_t p = 1;
    for (std::uint64_t &x : of10) {
      x = p;
      p *= 10;
    }
  }
};
constexpr Powers kPow10;

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<PluralDecimal> parsePluralDecimal(std::string_view text) {
  PluralDecimal d;
  std::size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  pos += negative;
  std::uint64_t value = 0;
  int digits = 0;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char ch = text[pos];
    if (ch == '.' && !point) {
      point = true;
    } else if (isDigit(ch)) {
      if (++digits > kMaxDigits)
        return std::nullopt;
      value = value * 10 + static_cast<unsigned>(ch - '0');
      d.fractionDigits += point;
    } else {
      break;
    }
  }
  if (digits == 0 || (point && d.fractionDigits == 0))
    return std::nullopt;
  if (pos < text.size() && (text[pos] == 'c' || text[pos] == 'e')) {
    const std::size_t start = ++pos;
    for (; pos < text.size() && isDigit(text[pos]) && pos - start < 2; ++pos)
      d.exponent = d.exponent * 10 + (text[pos] - '0');
    if (pos == start)
      return std::nullopt;
    // 1.2c3 counts as 1200 and 1.2345c3 as 1234.5; only e remembers the
    // notation.
    const int shift = d.exponent - d.fractionDigits;
    d.fractionDigits = shift < 0 ? -shift : 0;
    for (int k = 0; k < shift; ++k)
      if ((value *= 10) >= kPow10.of10[kMaxDigits])
        return std::nullopt;
  }
  if (pos != text.size())
    return std::nullopt;
  d.scaled = negative ? -static_cast<std::int64_t>(value)
                      : static_cast<std::int64_t>(value);
  return d;
}

//===----------------------------------------------------------------------===//
// The rule parser
//===----------------------------------------------------------------------===//

struct PluralRuleSet::Cursor {
  std::string_view s;
  std::size_t pos = 0;

  void skipSpace() {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' ||
                              s[pos] == '\n' || s[pos] == '\r'))
      ++pos;
  }
  bool atEnd() {
    skipSpace();
    return pos == s.size();
  }
  char peek() { return atEnd() ? '\0' : s[pos]; }
  /// Takes \p token if it comes next; a word must not run on into a letter,
  /// so "i" is not taken from "in".
  bool eat(std::string_view token) {
    skipSpace();
    if (s.substr(pos, token.size()) != token)
      return false;
    const std::size_t end = pos + token.size();
    if (isLetter(token.back()) && end < s.size() && isLetter(s[end]))
      return false;
    pos = end;
    return true;
  }
  std::string_view word() {
    skipSpace();
    const std::size_t start = pos;
    while (pos < s.size() && isLetter(s[pos]))
      ++pos;
    return s.substr(start, pos - start);
  }
  bool number(std::uint32_t &out) {
    skipSpace();
    std::uint64_t v = 0;
    const std::size_t start = pos;
    for (; pos < s.size() && isDigit(s[pos]); ++pos)
      if ((v = v * 10 + static_cast<unsigned>(s[pos] - '0')) > 0xFFFFFFFFu)
        return false;
    out = static_cast<std::uint32_t>(v);
    return pos > start;
  }
};

bool PluralRuleSet::parseRelation(Cursor &c) {
  if (relationCount == kMaxRelations)
    return false;
  Relation &r = relations[relationCount];
  const std::string_view name = c.word();
  const char *const kOperands = "nivwfte";
  if (name.size() != 1 || name[0] == '\0')
    return false;
  const char *operand = std::strchr(kOperands, name[0] == 'c' ? 'e' : name[0]);
  if (!operand)
    return false;
  r.operand = static_cast<std::uint8_t>(operand - kOperands);
  r.mod = 0;
  if ((c.eat("mod") || c.eat("%")) && (!c.number(r.mod) || r.mod == 0))
    return false;
  r.negated = r.within = false;
  if (c.eat("!=")) {
    r.negated = true;
  } else if (c.eat("is")) {
    r.negated = c.eat("not");
  } else if (!c.eat("=")) {
    r.negated = c.eat("not");
    r.within = c.eat("within");
    if (!r.within && !c.eat("in"))
      return false;
  }
  r.firstRange = rangeCount;
  do {
    if (rangeCount == kMaxRanges)
      return false;
    Range &g = ranges[rangeCount++];
    if (!c.number(g.low))
      return false;
    g.high = g.low;
    if (c.eat("..") && (!c.number(g.high) || g.high < g.low))
      return false;
  } while (c.eat(","));
  r.rangeCount = static_cast<std::uint8_t>(rangeCount - r.firstRange);
  r.lastOfAnd = true;
  ++relationCount;
  return true;
}

bool PluralRuleSet::parse(std::string_view text) {
  ruleCount = relationCount = rangeCount = 0;
  Cursor c{text};
  bool ok = true;
  while (ok && !c.atEnd()) {
    const std::string_view keyword = c.word();
    int category = 0;
    while (category <= kOther && kCategories[category] != keyword)
      ++category;
    if (category > kOther || ruleCount == kMaxRules || !c.eat(":")) {
      ok = false;
      break;
    }
    Rule &rule = rules[ruleCount++];
    rule.category = static_cast<std::uint8_t>(category);
    rule.firstRelation = relationCount;
    if (c.peek() != ';' && c.peek() != '@' && !c.atEnd()) {
      for (;;) {
        if (!parseRelation(c)) {
          ok = false;
          break;
        }
        if (c.eat("and"))
          relations[relationCount - 1].lastOfAnd = false;
        else if (!c.eat("or"))
          break;
      }
    }
    rule.relationCount =
        static_cast<std::uint8_t>(relationCount - rule.firstRelation);
    if (c.peek() == '@') // samples: for people, not for choosing
      while (c.pos < text.size() && text[c.pos] != ';')
        ++c.pos;
    ok = ok && (c.eat(";") || c.atEnd());
  }
  if (!ok)
    ruleCount = relationCount = rangeCount = 0;
  return ok;
}

//===----------------------------------------------------------------------===//
// Choosing a category
//===----------------------------------------------------------------------===//

/// The operands of a count, indexed as kOperands spells them: n, i its
/// integer digits, v and f its visible fraction digits as a count and as a
/// number, w and t the same without trailing zeros, e the compact exponent.
/// n is i plus a fraction; the rules compare it with whole numbers only, so
/// a flag stands for the fraction.
struct PluralRuleSet::Operands {
  enum { N, I, V, W, F, T, E };
  std::uint64_t value[7] = {};
  bool fraction = false;

  explicit Operands(PluralDecimal d) {
    const std::uint64_t magnitude =
        d.scaled < 0 ? 0 - static_cast<std::uint64_t>(d.scaled)
                     : static_cast<std::uint64_t>(d.scaled);
    const int v =
        d.fractionDigits < 0
            ? 0
            : (d.fractionDigits > kMaxDigits ? kMaxDigits : d.fractionDigits);
    value[E] = static_cast<std::uint64_t>(d.exponent < 0 ? 0 : d.exponent);
    if (v == 0) {
      value[N] = value[I] = magnitude;
      return;
    }
    // Counts mostly show one or two fraction digits; a constant divisor is a
    // multiply, a variable one a slow division.
    const std::uint64_t scale = v == 1 ? 10 : v == 2 ? 100 : kPow10.of10[v];
    value[N] = value[I] = v == 1   ? magnitude / 10
                          : v == 2 ? magnitude / 100
                                   : magnitude / scale;
    std::uint64_t f = magnitude - value[I] * scale, t = f;
    int w = f != 0 ? v : 0;
    for (; t != 0 && t % 10 == 0; --w)
      t /= 10;
    value[V] = static_cast<std::uint64_t>(v);
    value[W] = static_cast<std::uint64_t>(w);
    value[F] = f;
    value[T] = t;
    fraction = f != 0;
  }
};

bool PluralRuleSet::holds(const Relation &r, const Operands &o) const {
  std::uint64_t value = o.value[r.operand];
  const bool fraction = r.operand == Operands::N && o.fraction;
  // The rules take only these moduli; a constant divisor is a multiply.
  // n mod 10 of 11.5 is 1.5: the fraction stays.
  switch (r.mod) {
  case 0:
    break;
  case 10:
    value %= 10;
    break;
  case 100:
    value %= 100;
    break;
  default:
    value %= r.mod;
    break;
  }
  bool in = false;
  for (const Range *g = ranges + r.firstRange, *end = g + r.rangeCount;
       g != end && !in; ++g)
    in = r.within ? value >= g->low &&
                        (value < g->high || (value == g->high && !fraction))
                  : !fraction && value >= g->low && value <= g->high;
  return in != r.negated;
}

unsigned PluralRuleSet::categories() const {
  unsigned bits = 1u << kOther;
  for (std::uint8_t r = 0; r < ruleCount; ++r)
    bits |= 1u << rules[r].category;
  return bits;
}

int PluralRuleSet::select(PluralDecimal count) const {
  const Operands o(count);
  for (const Rule *rule = rules, *end = rules + ruleCount; rule != end;
       ++rule) {
    if (rule->relationCount == 0)
      return rule->category;
    bool all = true; // every relation so far of the current 'and' group
    for (const Relation *r = relations + rule->firstRelation,
                        *last = r + rule->relationCount;
         r != last; ++r) {
      all = all && holds(*r, o);
      if (r->lastOfAnd) {
        if (all)
          return rule->category;
        all = true;
      }
    }
  }
  return kOther;
}

//===----------------------------------------------------------------------===//
// Locales
//===----------------------------------------------------------------------===//

namespace {

const plural::LocaleRules *findTag(const char *tag) {
  const plural::LocaleRules *low = plural::kLocales,
                            *high = plural::kLocales + plural::kLocaleCount;
  while (low < high) {
    const plural::LocaleRules *mid = low + (high - low) / 2;
    const int order = std::strcmp(mid->tag, tag);
    if (order == 0)
      return mid;
    if (order < 0)
      low = mid + 1;
    else
      high = mid;
  }
  return nullptr;
}

/// Tries \p tag, then each shorter tag by dropping the last subtag.
const plural::LocaleRules *findWithParents(char *tag, std::size_t length) {
  for (;;) {
    tag[length] = '\0';
    if (const plural::LocaleRules *found = findTag(tag))
      return found;
    while (length > 0 && tag[length] != '-')
      --length;
    if (length == 0)
      return nullptr;
  }
}

} // namespace

PluralRules::PluralRules(std::string_view locale) {
  // As every locale name is read: lower case, '-' between subtags, no
  // codeset; a modifier's script is a subtag that the parents drop.
  const std::string normal = normalTag(locale);
  char tag[64];
  const std::size_t length = normal.size();
  if (length == 0 || length >= sizeof tag)
    return;
  std::memcpy(tag, normal.data(), length);
  tag[length] = '\0';
  const plural::LocaleRules *entry = findWithParents(tag, length);
  if (!entry)
    return;
  found = entry->tag;
  cardinalText = plural::kRuleTexts[entry->cardinal];
  ordinalText = plural::kRuleTexts[entry->ordinal];
  cardinalRules.parse(cardinalText);
  ordinalRules.parse(ordinalText);
}

bool PluralRules::hasCategory(std::string_view category, bool ordinal) const {
  const unsigned bits = (ordinal ? ordinalRules : cardinalRules).categories();
  for (int i = 0; i <= kOther; ++i)
    if (kCategories[i] == category)
      return (bits >> i) & 1u;
  return false;
}

std::string_view PluralRules::rulesText(bool ordinal) const {
  return ordinal ? ordinalText : cardinalText;
}

std::string_view PluralRules::rulesLocale() const {
  return found ? std::string_view(found) : std::string_view();
}

std::string_view PluralRules::category(std::int64_t count) const {
  return kCategories[cardinalRules.select({count, 0, 0})];
}

std::string_view PluralRules::category(PluralDecimal count) const {
  return kCategories[cardinalRules.select(count)];
}

std::string_view PluralRules::ordinal(std::int64_t count) const {
  return kCategories[ordinalRules.select({count, 0, 0})];
}

std::string_view PluralRules::ordinal(PluralDecimal count) const {
  return kCategories[ordinalRules.select(count)];
}

} // namespace phrasor
