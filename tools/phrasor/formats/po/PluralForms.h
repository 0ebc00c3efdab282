//===- PluralForms.h - gettext's Plural-Forms expressions -------*- C++ -*-===//
//
// PO files number their plural forms by a C expression in the Plural-Forms
// header. The tool evaluates it, and ties each form number to the CLDR
// category of the same numbers, so plural texts become ID#category entries.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PLURALFORMS_H
#define PHRASOR_TOOL_PLURALFORMS_H

#include "cpp/GettextPlural.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// A Plural-Forms header, parsed.
class PluralForms {
public:
  /// Parses "nplurals=N; plural=EXPR;"; nothing, with \p error set, when
  /// it does not follow gettext's grammar.
  static std::optional<PluralForms> Parse(std::string_view text,
                                          std::string &error);

  unsigned long Count() const { return forms.count(); }
  const std::string &Text() const { return source; }
  /// The form index for \p n; false on division by zero.
  bool Evaluate(unsigned long n, unsigned long &index) const {
    return forms.evaluate(n, index);
  }

private:
  PluralForms() = default;
  std::string source;
  GettextPluralForms forms; ///< the C++ layer's, which hosts evaluate by
};

/// Which gettext form holds each category of a language.
struct PluralMapping {
  std::vector<std::pair<std::string, unsigned long>> forms; ///< CLDR order
};

/// Ties \p forms to the categories of \p tag: every category a whole number
/// selects must take exactly one form index, and every index must be
/// taken. A language without CLDR rules takes positionalCategories()
/// instead. Nothing, with \p error set, when they do not fit.
std::optional<PluralMapping> MapPluralForms(const PluralForms &forms,
                                            const std::string &tag,
                                            std::string &error);

/// The value of a database's @plural-forms entry for \p forms stored as
/// \p mapping: the expression, then each form's category in form order.
std::string PluralFormsEntry(const PluralForms &forms,
                             const PluralMapping &mapping);

/// gettext's usual Plural-Forms for the language of \p tag, if known.
std::optional<std::string> UsualPluralForms(const std::string &tag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PLURALFORMS_H
