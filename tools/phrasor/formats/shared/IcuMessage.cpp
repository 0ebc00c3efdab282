//===- IcuMessage.cpp - ICU MessageFormat texts into forms ----------------===//
//
// A text chooses by at most one select argument and one plural (or
// selectordinal) argument, the two a stored form can name; each may appear
// several times (in sequence or nested), always with the same keys. Every
// combination of their keys is one form, whose text is the ICU text with
// each choice replaced by that key's branch.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/shared/IcuMessage.h"

#include "tools/phrasor/formats/shared/IcuParse.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

namespace phrasor::tool {
namespace {

using icu::Branch;
using icu::Message;
using icu::Node;
using icu::NodeKind;

/// More forms than any text needs; a text of many keys in both choices
/// would otherwise take a form for each pair.
constexpr std::size_t kMaxForms = 1024;

/// One argument a text chooses by, and the keys it chooses among.
struct Choice {
  const Node *first = nullptr;
  std::vector<std::string> keys; ///< in the order first written
};

bool IsChoice(NodeKind k) {
  return k == NodeKind::Plural || k == NodeKind::Ordinal ||
         k == NodeKind::Select;
}

std::set<std::string> KeySet(const Node &n) {
  std::set<std::string> keys;
  for (const Branch &b : n.branches)
    keys.insert(b.key);
  return keys;
}

class Flattener {
public:
  explicit Flattener(IcuError &error) : err(error) {}

  std::optional<IcuCompiled> Run(const Message &m) {
    if (!FindChoices(m) || !Number(m, std::string()))
      return std::nullopt;
    std::sort(names.begin(), names.end(),
              [&](const std::string &a, const std::string &b) {
                return InsertOrder(a) < InsertOrder(b);
              });
    IcuCompiled out;
    out.args.names = names;
    out.args.select = select.first ? select.first->text : std::string();
    out.args.plural = plural.first ? plural.first->text : std::string();
    const std::vector<std::string> none{std::string()};
    for (const std::string &s : select.first ? select.keys : none) {
      std::optional<std::set<std::string>> keySet;
      std::vector<std::string> counts;
      if (!CountKeys(m, s, keySet, counts))
        return std::nullopt;
      // A select's value that shows no count still needs the count's
      // fallback form: a lookup with a count never takes the value alone.
      if (plural.first && counts.empty())
        counts.push_back("other");
      if (out.forms.size() + counts.size() > kMaxForms) {
        Fail(0,
             "the text has more than " + std::to_string(kMaxForms) + " forms");
        return std::nullopt;
      }
      for (const std::string &p : plural.first ? counts : none) {
        IcuForm form{Suffix(s, p), std::string()};
        if (!Render(m, s, p, form.text) || !FillGaps(form))
          return std::nullopt;
        out.forms.push_back(std::move(form));
      }
    }
    return out;
  }

private:
  bool Fail(std::size_t at, std::string message) {
    err.offset = at;
    err.message = std::move(message);
    return false;
  }

  /// Notes \p n as the text's select or plural, whose argument it must
  /// share, and adds its keys to those the text chooses among.
  bool Note(const Node &n) {
    const bool isSelect = n.kind == NodeKind::Select;
    Choice &c = isSelect ? select : plural;
    const Choice &otherDimension = isSelect ? plural : select;
    if (otherDimension.first && otherDimension.first->text == n.text)
      return Fail(n.offset,
                  "the argument '" + n.text + "' is both selected and counted");
    if (!c.first)
      c.first = &n;
    if (c.first->text != n.text)
      return Fail(n.offset, std::string("a text may choose by one ") +
                                (isSelect ? "select" : "plural") +
                                " argument; '" + c.first->text + "' and '" +
                                n.text + "' both choose");
    if (c.first->kind != n.kind)
      return Fail(n.offset, "the argument '" + n.text +
                                "' is counted both as a plural and as an "
                                "ordinal");
    for (const Branch &b : n.branches)
      if (std::find(c.keys.begin(), c.keys.end(), b.key) == c.keys.end())
        c.keys.push_back(b.key);
    return true;
  }

  /// The count's keys of the plurals a text shows for the select's key
  /// \p s; every such plural must have the same ones, as an exact match
  /// missing from one of them could only be resolved by the language.
  bool CountKeys(const Message &m, const std::string &s,
                 std::optional<std::set<std::string>> &keys,
                 std::vector<std::string> &ordered) {
    for (const Node &n : m) {
      if (!IsChoice(n.kind))
        continue;
      if (n.kind != NodeKind::Select) {
        if (keys && *keys != KeySet(n))
          return Fail(n.offset, "the argument '" + n.text +
                                    "' is counted again with other forms "
                                    "than before");
        keys = KeySet(n);
        if (ordered.empty())
          for (const Branch &b : n.branches)
            ordered.push_back(b.key);
      }
      for (const Branch &b : n.branches)
        if ((n.kind != NodeKind::Select || b.key == Chosen(n, s)) &&
            !CountKeys(b.message, s, keys, ordered))
          return false;
    }
    return true;
  }

  /// The branch of \p n a key takes: its own, else 'other', as ICU
  /// chooses.
  static std::string Chosen(const Node &n, const std::string &key) {
    for (const Branch &b : n.branches)
      if (b.key == key)
        return key;
    return "other";
  }

  bool FindChoices(const Message &m) {
    for (const Node &n : m) {
      if (!IsChoice(n.kind))
        continue;
      if (!Note(n))
        return false;
      for (const Branch &b : n.branches)
        if (!FindChoices(b.message))
          return false;
    }
    if (select.first && plural.first && plural.first->kind == NodeKind::Ordinal)
      return Fail(plural.first->offset,
                  "a select with an ordinal inside is not supported; write "
                  "the ordinal texts under IDs of their own");
    return true;
  }

  void Use(const std::string &name, bool number) {
    if (std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
    if (number)
      numeric.insert(name);
  }

  /// Where an argument's insert stands: strings before numbers, each by
  /// name (names of digits alone by value, so ICU's {0} {1} stay in
  /// order). Never by where a text shows it: a translation that reorders
  /// its arguments must still number them as its source does.
  std::tuple<bool, bool, std::size_t, std::string>
  InsertOrder(const std::string &name) const {
    const bool digits =
        name.size() < 10 && std::all_of(name.begin(), name.end(), [](char c) {
          return c >= '0' && c <= '9';
        });
    return {numeric.count(name) > 0, !digits,
            digits ? std::stoul(name) : std::size_t(0), name};
  }

  /// Collects the arguments the text shows; one only chosen by is no
  /// insert. \p count: the plural whose '#' stands in \p m.
  bool Number(const Message &m, const std::string &count) {
    for (const Node &n : m) {
      if (n.kind == NodeKind::Arg || n.kind == NodeKind::Number)
        Use(n.text, n.kind == NodeKind::Number);
      else if (n.kind == NodeKind::Pound)
        Use(count, true);
      if (n.kind == NodeKind::Plural || n.kind == NodeKind::Ordinal)
        numeric.insert(n.text);
      for (const Branch &b : n.branches)
        Number(b.message, n.kind == NodeKind::Select ? std::string() : n.text);
    }
    return true;
  }

  std::string Suffix(const std::string &s, const std::string &p) const {
    std::string suffix;
    if (!s.empty()) {
      std::set<std::string> gender{"masculine", "feminine", "neuter", "other"};
      const bool isGender =
          std::all_of(select.keys.begin(), select.keys.end(),
                      [&](const std::string &k) { return gender.count(k); }) &&
          select.keys.size() > 1;
      suffix += (isGender ? "#gender-" : "#select-") + s;
    }
    if (!p.empty())
      suffix +=
          (plural.first->kind == NodeKind::Ordinal ? "#ordinal-" : "#") + p;
    return suffix;
  }

  std::string Insert(const std::string &name) const {
    const std::size_t n =
        std::find(names.begin(), names.end(), name) - names.begin() + 1;
    return "%" + std::to_string(n) + (numeric.count(name) ? "!'d!" : "!s!");
  }

  bool Render(const Message &m, const std::string &s, const std::string &p,
              std::string &out, const std::string &count = std::string()) {
    for (const Node &n : m) {
      switch (n.kind) {
      case NodeKind::Text:
        for (char c : n.text)
          out += c == '%' ? std::string("%%") : std::string(1, c);
        break;
      case NodeKind::Arg:
      case NodeKind::Number:
        out += Insert(n.text);
        break;
      case NodeKind::Pound:
        out += Insert(count);
        break;
      default: {
        const std::string key = Chosen(n, n.kind == NodeKind::Select ? s : p);
        for (const Branch &b : n.branches)
          if (b.key == key &&
              !Render(b.message, s, p, out,
                      n.kind == NodeKind::Select ? std::string() : n.text))
            return false;
      }
      }
    }
    return true;
  }

  /// Every argument a form skips before one it shows must still be read
  /// from the arguments the program passes, or the later ones would be
  /// read from the wrong place. A string argument is read without being
  /// shown by an insert of no characters; a number has no such insert.
  bool FillGaps(IcuForm &f) {
    std::set<std::size_t> used;
    std::size_t highest = 0;
    for (std::size_t i = 0; i + 1 < f.text.size(); ++i) {
      if (f.text[i] != '%')
        continue;
      if (f.text[i + 1] != '%') {
        const std::size_t n = std::strtoul(f.text.c_str() + i + 1, nullptr, 10);
        used.insert(n);
        highest = std::max(highest, n);
      }
      ++i;
    }
    std::string hidden;
    for (std::size_t n = 1; n < highest; ++n) {
      const std::string &name = names[n - 1];
      if (used.count(n))
        continue;
      if (numeric.count(name))
        return Fail(0, "the form '" + f.suffix.substr(1) +
                           "' shows a later argument but not the number '" +
                           name + "', which is read before it; show '" + name +
                           "' there too");
      hidden += "%" + std::to_string(n) + "!.0s!";
    }
    f.text = hidden + f.text;
    return true;
  }

  IcuError &err;
  Choice select, plural;
  std::vector<std::string> names;
  std::set<std::string> numeric;
};

} // namespace

std::optional<IcuCompiled> CompileIcu(std::string_view text, IcuError &error) {
  std::optional<Message> tree = icu::Parse(text, error);
  if (!tree)
    return std::nullopt;
  return Flattener(error).Run(*tree);
}

std::string IcuErrorPlace(std::string_view text, std::size_t offset) {
  if (offset >= text.size())
    return "at the end";
  std::size_t n = 1;
  for (std::size_t i = 0; i < offset; ++i)
    n += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
  std::size_t len = 1;
  while (offset + len < text.size() &&
         (static_cast<unsigned char>(text[offset + len]) & 0xC0) == 0x80)
    ++len;
  return "at character " + std::to_string(n) + " ('" +
         std::string(text.substr(offset, len)) + "')";
}

std::string EncodeIcuArgs(const std::map<std::string, IcuArgs> &record) {
  nlohmann::ordered_json root = nlohmann::ordered_json::object();
  for (const auto &[id, a] : record) {
    nlohmann::ordered_json one = nlohmann::ordered_json::object();
    if (!a.names.empty())
      one["names"] = a.names;
    if (!a.select.empty())
      one["select"] = a.select;
    if (!a.plural.empty())
      one["plural"] = a.plural;
    root[id] = std::move(one);
  }
  return root.dump();
}

std::map<std::string, IcuArgs> DecodeIcuArgs(std::string_view json) {
  std::map<std::string, IcuArgs> out;
  const nlohmann::json root = nlohmann::json::parse(json, nullptr, false);
  if (!root.is_object())
    return out;
  for (const auto &[id, one] : root.items()) {
    if (!one.is_object())
      continue;
    IcuArgs a;
    bool ok = true;
    if (auto names = one.find("names"); names != one.end()) {
      ok = names->is_array();
      for (const auto &n : ok ? *names : nlohmann::json::array())
        if (n.is_string())
          a.names.push_back(n.get<std::string>());
        else
          ok = false;
    }
    if (auto s = one.find("select"); s != one.end() && s->is_string())
      a.select = s->get<std::string>();
    if (auto p = one.find("plural"); p != one.end() && p->is_string())
      a.plural = p->get<std::string>();
    if (ok)
      out.emplace(id, std::move(a));
  }
  return out;
}

} // namespace phrasor::tool
