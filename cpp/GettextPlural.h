//===- GettextPlural.h - gettext's Plural-Forms expressions -----*- C++ -*-===//
//
// A PO file numbers its plural forms by a C expression in its Plural-Forms
// header ("nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : ...);"). The
// tool reads it to tie forms to CLDR categories; a catalog built from such a
// file keeps it in its @plural-forms entry, so that a count whose category
// has no form, or a language CLDR has no rules for, is answered as gettext
// answers it instead of by another language's text.
//
// The expression is parsed once into a flat list of nodes naming their
// operands by index; evaluating it allocates nothing, recurses at most
// kMaxDepth levels whatever the text holds, and gives no form (false) for a
// division or remainder by zero. n is unsigned long, as in gettext.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_GETTEXTPLURAL_H
#define PHRASOR_CPP_GETTEXTPLURAL_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor {

class PluralRules;
struct Selector;
struct SelectorValue;

/// The ID of a catalog's gettext plural expression, as two lines: the
/// Plural-Forms text, then the category each form is stored under, in form
/// order ("one few many").
inline constexpr std::string_view kPluralFormsId = "@plural-forms";

/// "nplurals=N; plural=EXPRESSION;", parsed.
class GettextPluralForms {
public:
  // Longer or deeper than any expression gettext's tables hold (Arabic's,
  // the longest, is under 200 characters and 12 levels).
  static constexpr std::size_t kMaxLength = 1000;
  static constexpr int kMaxDepth = 64;
  static constexpr unsigned long kMaxForms = 100;

  /// False, with \p problem set, when \p header does not follow gettext's
  /// grammar or is beyond the limits above.
  bool parse(std::string_view header, std::string &problem);
  unsigned long count() const { return nPlurals; }
  /// The form index for \p n; false for a division by zero or before a
  /// successful parse.
  bool evaluate(unsigned long n, unsigned long &index) const;

  struct Node {
    std::uint8_t op = 0;
    unsigned long value = 0;
    std::uint16_t a = 0, b = 0, c = 0;
  };

private:
  bool evaluate(std::size_t at, unsigned long n, unsigned long &out) const;
  unsigned long nPlurals = 0;
  std::vector<Node> nodes;
};

/// A catalog's @plural-forms entry, read.
class GettextPlural {
public:
  /// False, leaving nothing loaded, for a value that is not two lines of a
  /// valid expression and one known category per form.
  bool read(std::string_view value);
  bool loaded() const { return formCount > 0; }
  /// The category of the form the expression gives the whole part of
  /// \p value's magnitude; empty when nothing is loaded, the expression
  /// divides by zero or it names a form beyond nplurals.
  std::string_view category(const SelectorValue &value) const;
  /// The category \p value chooses for a text of \p row: the CLDR one,
  /// except that a plural text of a language CLDR has no rules for is
  /// chosen by the expression when one is loaded.
  std::string_view choose(const Selector &row, const PluralRules &rules,
                          const SelectorValue &value) const;

private:
  GettextPluralForms forms;
  static constexpr std::size_t kMaxStored = 6;
  std::uint8_t categoryOf[kMaxStored] = {};
  std::size_t formCount = 0;
};

/// The categories the forms of an \p nplurals expression are stored under
/// when the language has no CLDR rules to tie them to: in form order, one,
/// other (2); one, few, other (3); one, two, few, other (4); one, two, few,
/// many, other (5); zero, one, two, few, many, other (6); other (1). Empty
/// beyond six forms.
std::vector<std::string_view> positionalCategories(unsigned long nplurals);

} // namespace phrasor

#endif // PHRASOR_CPP_GETTEXTPLURAL_H
