//===- I18nextWriter.cpp - i18next JSON (v4) out --------------------------===//
//
// Written so that reading the file gives the same entries: IDs split at
// '.' into nested objects, forms as i18next's suffixes, inserts as the
// {{name}} the @i18next entry names them by. What i18next cannot spell
// (an ID whose '.' parts clash with a text, exact matches other than 0,
// the neuter gender, printf conversions) is reported once and left out.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/i18next/I18next.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/i18next/I18nextText.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace phrasor::tool {
namespace {

using Json = nlohmann::json;

/// The i18next key of the stored \p id, or empty when it has none.
/// "_zero" reads as the zero category in a language that has one
/// (\p zeroCategory), else as exactly 0, so only that one is written.
std::string KeyOf(const std::string &id, bool zeroCategory) {
  const std::size_t hash = id.find('#');
  std::string key = id.substr(0, hash);
  if (hash == std::string::npos)
    return key;
  std::string_view rest = std::string_view(id).substr(hash + 1);
  auto take = [&](std::string_view head) {
    if (rest.substr(0, head.size()) != head)
      return false;
    rest.remove_prefix(head.size());
    return true;
  };
  std::string_view word;
  if (take("gender-") || take("select-")) {
    word = rest.substr(0, rest.find('#'));
    if (word == "masculine" && id.compare(hash, 8, "#gender-") == 0)
      key += "_male";
    else if (word == "feminine" && id.compare(hash, 8, "#gender-") == 0)
      key += "_female";
    else if (word != "other" && id.compare(hash, 8, "#select-") == 0)
      key += "_" + std::string(word);
    else if (word != "other")
      return {};
    rest.remove_prefix(word.size());
    if (rest.empty())
      return key;
    rest.remove_prefix(1);
  }
  const bool ordinal = take("ordinal-");
  if (ordinal)
    key += "_ordinal";
  if (rest == "=0" && !ordinal && !zeroCategory)
    return key + "_zero";
  if (rest == "zero" && !ordinal && !zeroCategory)
    return {};
  if (kPluralSelector.rank(rest) == kPluralSelector.categoryCount)
    return {};
  return key + "_" + std::string(rest);
}

/// An object of the file being written, its keys in the order written,
/// with an index so that a large flat file is placed in linear time.
struct Node {
  std::string text;
  bool isText = false;
  std::vector<std::pair<std::string, std::unique_ptr<Node>>> children;
  std::unordered_map<std::string, std::size_t> index;

  Node &Child(const std::string &name) {
    const auto found = index.emplace(name, children.size());
    if (found.second)
      children.emplace_back(name, std::make_unique<Node>());
    return *children[found.first->second].second;
  }
};

/// As deep as the reader reads.
constexpr std::size_t kMaxParts = 64;

/// Puts \p text at the '.' parts of \p key; false when a part is a text
/// already, the key is there, or it has more parts than a file may nest.
bool Place(Node &root, const std::string &key, const std::string &text) {
  if (static_cast<std::size_t>(std::count(key.begin(), key.end(), '.')) >=
      kMaxParts)
    return false;
  Node *at = &root;
  std::size_t from = 0;
  for (;;) {
    const std::size_t dot = key.find('.', from);
    const bool fresh = !at->index.count(key.substr(from, dot - from));
    Node &next = at->Child(key.substr(from, dot - from));
    if (dot == std::string::npos) {
      if (!fresh)
        return false;
      next.isText = true;
      next.text = text;
      return true;
    }
    if (next.isText)
      return false;
    at = &next;
    from = dot + 1;
  }
}

std::string Quoted(const std::string &s) {
  return Json(s).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Print(const Node &node, std::size_t indent, std::string &out) {
  if (node.isText) {
    out += Quoted(node.text);
    return;
  }
  if (node.children.empty()) {
    out += "{}";
    return;
  }
  out += "{\n";
  for (std::size_t i = 0; i < node.children.size(); ++i) {
    out.append(indent + 2, ' ');
    out += Quoted(node.children[i].first) + ": ";
    Print(*node.children[i].second, indent + 2, out);
    out += i + 1 < node.children.size() ? ",\n" : "\n";
  }
  out.append(indent, ' ');
  out += "}";
}

std::string Examples(const std::vector<std::string> &ids) {
  std::string out;
  for (std::size_t i = 0; i < ids.size() && i < 3; ++i)
    out += (i ? ", '" : "'") + ShownId(ids[i]) + "'";
  return out + (ids.size() > 3 ? ", ..." : "");
}

/// \p e's text as i18next writes it into \p written; false when it has
/// inserts that no {{name}} gives back.
bool ToI18next(const TextEntry &e, const I18nextNames &names,
               std::string &written) {
  const std::string text = e.value.value_or("");
  std::optional<std::u16string> wide = Utf8ToUtf16(text);
  const TextKind kind = e.kind ? *e.kind
                        : wide ? InferKind(*wide).kind
                               : TextKind::Plain;
  if (kind == TextKind::Message) {
    const auto found = names.find(e.id.substr(0, e.id.find('#')));
    return MessageToI18next(
        text, found == names.end() ? std::vector<std::string>() : found->second,
        written);
  }
  written = text;
  const I18nextPieces split = SplitI18next(text);
  return !split.HasInserts() && split.problem.empty();
}

} // namespace

std::string WriteI18next(const DumpSide &target, const DumpSide &,
                         const std::string &where, Diagnostics &diag) {
  const std::vector<TextEntry> entries =
      ToText(*target.entries, *target.meta, where, diag);
  bool zeroCategory = false;
  if (target.meta->locale) {
    const std::vector<std::string> all = CategoriesOf(*target.meta->locale).all;
    zeroCategory = std::find(all.begin(), all.end(), "zero") != all.end();
  }
  I18nextNames names;
  for (const TextEntry &e : entries)
    if (e.id == kI18nextId && e.value)
      names = DecodeI18nextNames(*e.value);
  Node root;
  std::vector<std::string> unspelled, unwritable;
  for (const TextEntry &e : entries) {
    if (e.id == kI18nextId)
      continue;
    const std::string key = KeyOf(e.id, zeroCategory);
    if (key.empty()) {
      unspelled.push_back(e.id);
      continue;
    }
    std::string written;
    const bool ok = ToI18next(e, names, written);
    // A text no {{name}} gives back is still written, as stored, so a
    // dump keeps every entry it has a key for.
    if (!ok)
      unwritable.push_back(e.id);
    if (!Place(root, key, ok ? written : e.value.value_or("")))
      unspelled.push_back(e.id);
  }
  if (!unspelled.empty())
    diag.Error(where, std::to_string(unspelled.size()) +
                          " entries with IDs i18next has no key for (" +
                          Examples(unspelled) + "); left out");
  if (!unwritable.empty())
    diag.Warning(where, std::to_string(unwritable.size()) +
                            " entries with text i18next cannot carry (" +
                            Examples(unwritable) +
                            "); written as stored, which reads back as "
                            "text");
  std::string out;
  Print(root, 0, out);
  return out + "\n";
}

} // namespace phrasor::tool
