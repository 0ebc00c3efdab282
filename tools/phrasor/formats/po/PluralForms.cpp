//===- PluralForms.cpp - gettext's Plural-Forms expressions ---------------===//
//
// The header is parsed and evaluated by the C++ layer's reading of it
// (cpp/GettextPlural.h), which a catalog built from the file evaluates at
// run time too; this side ties its forms to categories when building.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/PluralForms.h"

#include "tools/phrasor/Utf.h"

#include "tools/phrasor/checks/Plurals.h"

#include "cpp/Plural.h"

#include <algorithm>
#include <map>

namespace phrasor::tool {

std::optional<PluralForms> PluralForms::Parse(std::string_view text,
                                              std::string &error) {
  PluralForms forms;
  forms.source = Trimmed(text);
  if (!forms.forms.parse(forms.source, error))
    return std::nullopt;
  return forms;
}

namespace {

/// The form \p forms gives \p n, in \p index; false, with \p error
/// saying why, when it gives none a file could hold.
bool FormOf(const PluralForms &forms, unsigned long n, unsigned long &index,
            std::string &error) {
  if (!forms.Evaluate(n, index)) {
    error = "divides by zero for n = " + std::to_string(n);
    return false;
  }
  if (index >= forms.Count()) {
    error = "gives form " + std::to_string(index) +
            " for n = " + std::to_string(n) + " but nplurals is " +
            std::to_string(forms.Count());
    return false;
  }
  return true;
}

// A language CLDR has no rules for (Occitan, Maithili) keeps its forms
// under fixed names, which its catalog's own expression chooses among.
std::optional<PluralMapping> MapPositionally(const PluralForms &forms,
                                             std::string &error) {
  const std::vector<std::string_view> names =
      positionalCategories(forms.Count());
  if (names.empty()) {
    error = "more than six forms";
    return std::nullopt;
  }
  for (unsigned long n = 0; n <= 1000; ++n) {
    unsigned long index = 0;
    if (!FormOf(forms, n, index, error))
      return std::nullopt;
  }
  PluralMapping mapping;
  for (unsigned long i = 0; i < forms.Count(); ++i)
    mapping.forms.emplace_back(std::string(names[i]), i);
  return mapping;
}

} // namespace

std::optional<PluralMapping> MapPluralForms(const PluralForms &forms,
                                            const std::string &tag,
                                            std::string &error) {
  if (!PluralRules(tag).hasRules())
    return MapPositionally(forms, error);
  const std::vector<std::string> categories = SelectSamples(tag);
  std::map<std::size_t, std::map<unsigned long, unsigned long>> taken;
  std::vector<bool> reached(forms.Count(), false);
  for (std::size_t s = 0; s < PluralSamples().size(); ++s) {
    const unsigned long n = PluralSamples()[s];
    unsigned long index = 0;
    if (!FormOf(forms, n, index, error))
      return std::nullopt;
    reached[index] = true;
    taken[kPluralSelector.rank(categories[s])].emplace(index, n);
  }
  for (const auto &[rank, indices] : taken) {
    if (indices.size() > 1) {
      auto first = indices.begin(), second = std::next(first);
      error = "category '" + std::string(kPluralSelector.categories[rank]) +
              "' takes form " + std::to_string(first->first) +
              " (n = " + std::to_string(first->second) + ") and form " +
              std::to_string(second->first) +
              " (n = " + std::to_string(second->second) + ")";
      return std::nullopt;
    }
  }
  // Exports for some languages add a form for fractions, which the
  // expression cannot select (n is whole). One such form is tied to the
  // category the language gives fractions, when that is a single category
  // no whole number takes (Russian "other", Czech "many").
  std::optional<std::size_t> fractionForm;
  for (unsigned long i = 0; i < forms.Count(); ++i) {
    if (reached[i])
      continue;
    const std::vector<std::string> fractions = FractionOnlyCategories(tag);
    if (fractionForm || fractions.size() != 1) {
      error = "no number selects form " + std::to_string(i);
      return std::nullopt;
    }
    fractionForm = kPluralSelector.rank(fractions.front());
    taken[*fractionForm].emplace(i, 0);
  }
  PluralMapping mapping;
  for (const auto &[rank, indices] : taken)
    mapping.forms.emplace_back(kPluralSelector.categories[rank],
                               indices.begin()->first);
  return mapping;
}

std::string PluralFormsEntry(const PluralForms &forms,
                             const PluralMapping &mapping) {
  std::vector<std::string> byForm(forms.Count());
  for (const auto &[category, index] : mapping.forms)
    if (index < byForm.size())
      byForm[index] = category;
  std::string value = forms.Text();
  for (std::size_t i = 0; i < byForm.size(); ++i)
    value.append(i == 0 ? "\n" : " ").append(byForm[i]);
  return value;
}

std::optional<std::string> UsualPluralForms(const std::string &tag) {
  // gettext's table of the usual expressions, by language subtag.
  static const std::map<std::string, const char *> usual = {
      {"ja", "nplurals=1; plural=0;"},
      {"zh", "nplurals=1; plural=0;"},
      {"ko", "nplurals=1; plural=0;"},
      {"vi", "nplurals=1; plural=0;"},
      {"th", "nplurals=1; plural=0;"},
      {"id", "nplurals=1; plural=0;"},
      {"en", "nplurals=2; plural=(n != 1);"},
      {"de", "nplurals=2; plural=(n != 1);"},
      {"nl", "nplurals=2; plural=(n != 1);"},
      {"sv", "nplurals=2; plural=(n != 1);"},
      {"da", "nplurals=2; plural=(n != 1);"},
      {"nb", "nplurals=2; plural=(n != 1);"},
      {"fi", "nplurals=2; plural=(n != 1);"},
      {"el", "nplurals=2; plural=(n != 1);"},
      {"hu", "nplurals=2; plural=(n != 1);"},
      {"tr", "nplurals=2; plural=(n != 1);"},
      {"bg", "nplurals=2; plural=(n != 1);"},
      {"es", "nplurals=2; plural=(n != 1);"},
      {"it", "nplurals=2; plural=(n != 1);"},
      {"pt", "nplurals=2; plural=(n != 1);"},
      {"fr", "nplurals=2; plural=(n > 1);"},
      {"ru", "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && "
             "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);"},
      {"uk", "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && "
             "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);"},
      {"pl", "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && "
             "(n%100<10 || n%100>=20) ? 1 : 2);"},
      {"cs", "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;"},
      {"sk", "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;"},
      {"ar", "nplurals=6; plural=(n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : "
             "n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5);"},
  };
  const std::string language = tag.substr(0, tag.find('-'));
  auto it = usual.find(language);
  if (it == usual.end())
    return std::nullopt;
  return std::string(it->second);
}

} // namespace phrasor::tool
