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
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/i18next/I18nextText.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <nlohmann/json.hpp>

namespace phrasor::tool {
namespace {

using Json = nlohmann::ordered_json;

/// The i18next key of the stored \p id, or empty when it has none.
std::string KeyOf(const std::string &id) {
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
  std::string_view word = rest.substr(0, rest.find('#'));
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
  if (rest == "=0" && !ordinal)
    return key + "_zero";
  if (kPluralSelector.rank(rest) == kPluralSelector.categoryCount)
    return {};
  return key + "_" + std::string(rest);
}

/// Puts \p text at the '.' parts of \p key; false when a part is a text
/// already, or the key is there.
bool Place(Json &root, const std::string &key, const std::string &text) {
  Json *at = &root;
  std::size_t from = 0;
  for (;;) {
    const std::size_t dot = key.find('.', from);
    const std::string part = key.substr(from, dot - from);
    if (dot == std::string::npos) {
      if (at->contains(part))
        return false;
      (*at)[part] = text;
      return true;
    }
    Json &next = (*at)[part];
    if (next.is_null())
      next = Json::object();
    if (!next.is_object())
      return false;
    at = &next;
    from = dot + 1;
  }
}

std::string Examples(const std::vector<std::string> &ids) {
  std::string out;
  for (std::size_t i = 0; i < ids.size() && i < 3; ++i)
    out += (i ? ", '" : "'") + ShownId(ids[i]) + "'";
  return out + (ids.size() > 3 ? ", ..." : "");
}

} // namespace

std::string WriteI18next(const DumpSide &target, const DumpSide &,
                         const std::string &where, Diagnostics &diag) {
  const std::vector<TextEntry> entries =
      ToText(*target.entries, *target.meta, where, diag);
  I18nextNames names;
  for (const TextEntry &e : entries)
    if (e.id == kI18nextId && e.value)
      names = DecodeI18nextNames(*e.value);
  Json root = Json::object();
  std::vector<std::string> unspelled, unwritable;
  for (const TextEntry &e : entries) {
    if (e.id == kI18nextId)
      continue;
    const std::string key = KeyOf(e.id);
    if (key.empty()) {
      unspelled.push_back(e.id);
      continue;
    }
    const std::string text = e.value.value_or("");
    std::optional<std::u16string> wide = Utf8ToUtf16(text);
    const TextKind kind = e.kind ? *e.kind
                          : wide ? InferKind(*wide).kind
                                 : TextKind::Plain;
    std::string written;
    bool ok = true;
    if (kind == TextKind::Message) {
      const auto found = names.find(e.id.substr(0, e.id.find('#')));
      ok = MessageToI18next(text,
                            found == names.end() ? std::vector<std::string>()
                                                 : found->second,
                            written);
    } else {
      written = text;
      ok = !SplitI18next(text).HasInserts() &&
           SplitI18next(text).problem.empty();
    }
    if (!ok || !Place(root, key, written))
      (ok ? unspelled : unwritable).push_back(e.id);
  }
  if (!unspelled.empty())
    diag.Error(where, std::to_string(unspelled.size()) +
                          " entries with IDs i18next has no key for (" +
                          Examples(unspelled) + "); left out");
  if (!unwritable.empty())
    diag.Error(where, std::to_string(unwritable.size()) +
                          " entries with text i18next cannot carry (" +
                          Examples(unwritable) + "); left out");
  return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace phrasor::tool
