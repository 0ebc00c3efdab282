//===- IcuWriter.cpp - The forms of one ID as an ICU text -----------------===//
//
// The way back from CompileIcu: the forms become a select (if they vary
// by one) whose every branch is a plural (if they vary by a count), and
// each form's inserts are the names recorded for the ID. The text is not
// the one read, which may have shared words outside its choices, but it
// says the same for every value and count.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/shared/IcuMessage.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace phrasor::tool {
namespace {

constexpr std::array<std::string_view, 6> kCategories = {
    "zero", "one", "two", "few", "many", "other"};

/// What a form's suffix chooses: the select's key and the count's key.
struct FormKeys {
  std::string selectKind; ///< "gender", "select" or empty
  std::string select;
  bool ordinal = false;
  std::string count; ///< "one", "=0" or empty
};

std::optional<FormKeys> ReadSuffix(std::string_view suffix) {
  FormKeys k;
  while (!suffix.empty()) {
    if (suffix[0] != '#')
      return std::nullopt;
    suffix.remove_prefix(1);
    const std::size_t end = std::min(suffix.find('#'), suffix.size());
    std::string part(suffix.substr(0, end));
    suffix.remove_prefix(end);
    for (std::string_view kind : {"gender-", "select-"})
      if (part.rfind(kind, 0) == 0 && k.selectKind.empty() && k.count.empty()) {
        k.selectKind = std::string(kind.substr(0, kind.size() - 1));
        k.select = part.substr(kind.size());
        part.clear();
      }
    if (part.empty())
      continue;
    if (!k.count.empty())
      return std::nullopt;
    if (part.rfind("ordinal-", 0) == 0) {
      k.ordinal = true;
      part = part.substr(8);
    }
    k.count = part;
  }
  return k;
}

/// Where a plural key stands: exact counts first, then CLDR's order.
/// Exact numbers compare by length, then digits: they have no leading
/// zeros, and may be longer than any integer type.
std::tuple<int, std::size_t, std::string> CountRank(const std::string &key) {
  if (!key.empty() && key[0] == '=')
    return {0, key.size(), key};
  return {1,
          static_cast<std::size_t>(
              std::find(kCategories.begin(), kCategories.end(), key) -
              kCategories.begin()),
          key};
}

bool QuotedInIcu(char c, bool inPlural) {
  return c == '{' || c == '}' || (c == '#' && inPlural);
}

class TextWriter {
public:
  TextWriter(const IcuArgs &a, std::string &why) : args(a), problem(why) {}

  /// \p text (message syntax) in ICU syntax; inserts of the count become
  /// '#' in a plural's form.
  std::optional<std::string> Convert(const std::string &text, bool inPlural) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
        Literal(out, quoted, '%', inPlural);
        ++i;
      } else if (c == '%') {
        if (quoted)
          out += '\'';
        quoted = false;
        if (!Insert(text, i, inPlural, out))
          return std::nullopt;
      } else {
        Literal(out, quoted, c, inPlural);
      }
    }
    if (quoted)
      out += '\'';
    return out;
  }

private:
  void Literal(std::string &out, bool &quoted, char c, bool inPlural) {
    if (c == '\'') {
      out += "''"; // one apostrophe both inside quotes and outside
    } else if (QuotedInIcu(c, inPlural)) {
      if (!quoted)
        out += '\'';
      quoted = true;
      out += c;
    } else {
      if (quoted)
        out += '\'';
      quoted = false;
      out += c;
    }
  }

  /// The insert at text[i] ("%2!s!"), leaving i on its last character.
  bool Insert(const std::string &text, std::size_t &i, bool inPlural,
              std::string &out) {
    std::size_t end = i + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
      ++end;
    const std::size_t bang = text.find('!', end + 1);
    if (end == i + 1 || end > i + 3 || end >= text.size() || text[end] != '!' ||
        bang == std::string::npos) {
      problem = "a printf conversion or a '%' that is no insert";
      return false;
    }
    const std::size_t n = std::stoul(text.substr(i + 1, end - i - 1));
    const std::string spec = text.substr(end + 1, bang - end - 1);
    i = bang;
    if (n == 0 || n > args.names.size()) {
      problem = "an insert that names no recorded argument";
      return false;
    }
    const std::string &name = args.names[n - 1];
    if (spec == ".0s")
      return true; // read only, so that later arguments are found
    if (spec == "s")
      out += "{" + name + "}";
    else if (spec == "'d" && inPlural && name == args.plural)
      out += "#";
    else if (spec == "'d")
      out += "{" + name + ", number}";
    else {
      problem = "an insert other than %N!s! and %N!'d!, which ICU cannot "
                "spell";
      return false;
    }
    return true;
  }

  const IcuArgs &args;
  std::string &problem;
};

/// The forms of one select branch (or of the whole text) keyed by count.
using CountForms = std::vector<std::pair<std::string, std::string>>;

std::optional<std::string> WritePlural(CountForms forms, bool ordinal,
                                       const IcuArgs &args,
                                       std::string &problem) {
  TextWriter writer(args, problem);
  std::sort(forms.begin(), forms.end(), [](const auto &a, const auto &b) {
    return CountRank(a.first) < CountRank(b.first);
  });
  if (forms.back().first != "other") {
    problem = "a count's forms lack 'other', which ICU requires";
    return std::nullopt;
  }
  std::string out = "{" + (args.plural.empty() ? "count" : args.plural) +
                    (ordinal ? ", selectordinal," : ", plural,");
  for (const auto &[key, text] : forms) {
    std::optional<std::string> icu = writer.Convert(text, true);
    if (!icu)
      return std::nullopt;
    out += " " + key + " {" + *icu + "}";
  }
  return out + "}";
}

} // namespace

std::optional<std::string> WriteIcu(const std::vector<IcuForm> &forms,
                                    const IcuArgs &args, std::string &problem) {
  std::vector<std::pair<std::string, CountForms>> selects; // in key order
  std::optional<bool> counted, selected, ordinal;
  for (const IcuForm &f : forms) {
    std::optional<FormKeys> k = ReadSuffix(f.suffix);
    if (!k || (counted && *counted != !k->count.empty()) ||
        (selected && *selected != !k->selectKind.empty()) ||
        (ordinal && !k->count.empty() && *ordinal != k->ordinal)) {
      problem = "its forms do not all vary by the same choices";
      return std::nullopt;
    }
    counted = !k->count.empty();
    selected = !k->selectKind.empty();
    if (*counted)
      ordinal = k->ordinal;
    auto at = std::find_if(selects.begin(), selects.end(),
                           [&](const auto &s) { return s.first == k->select; });
    if (at == selects.end())
      at = selects.insert(selects.end(), {k->select, CountForms()});
    at->second.emplace_back(k->count, f.text);
  }
  if (!selected || selects.empty()) {
    problem = "it has no forms";
    return std::nullopt;
  }
  // Every other key before 'other', as the forms are usually written.
  std::stable_sort(selects.begin(), selects.end(),
                   [](const auto &a, const auto &b) {
                     return a.first != "other" && b.first == "other";
                   });
  std::string out;
  for (const auto &[key, counts] : selects) {
    std::optional<std::string> text =
        *counted
            ? WritePlural(counts, ordinal.value_or(false), args, problem)
            : TextWriter(args, problem).Convert(counts.front().second, false);
    if (!text)
      return std::nullopt;
    if (!*selected)
      return text; // forms of one ID: only one text has no select
    out += " " + key + " {" + *text + "}";
  }
  if (selects.back().first != "other") {
    problem = "its select lacks 'other', which ICU requires";
    return std::nullopt;
  }
  return "{" + (args.select.empty() ? std::string("select") : args.select) +
         ", select," + out + "}";
}

} // namespace phrasor::tool
