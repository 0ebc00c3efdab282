//===- TextEntries.cpp - Entries as the writers see them ------------------===//

#include "tools/phrasor/formats/shared/TextEntries.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"

#include <algorithm>
#include <set>

namespace phrasor::tool {

std::vector<TextEntry> ToText(const std::vector<authoring::Entry> &entries,
                              const Metadata &meta, const std::string &where,
                              Diagnostics &diag) {
  std::vector<TextEntry> out;
  out.reserve(entries.size());
  for (const authoring::Entry &e : entries) {
    TextEntry t{e.id,         std::nullopt, e.voicePath,
                std::nullopt, std::nullopt, std::nullopt};
    auto kind = meta.kinds.find(e.id);
    if (kind != meta.kinds.end() && e.value)
      t.kind = kind->second;
    if (auto limit = meta.limits.find(e.id); limit != meta.limits.end())
      t.max = limit->second;
    if (auto note = meta.notes.find(e.id); note != meta.notes.end())
      t.note = note->second;
    if (!IsValidUtf8(e.id)) {
      diag.Error(where, "ID '" + e.id + "' is not valid UTF-8; left out");
      continue;
    }
    if (e.voicePath && !IsValidUtf8(*e.voicePath)) {
      diag.Error(where, "voice path of '" + e.id +
                            "' is not valid UTF-8; entry left out");
      continue;
    }
    if (e.value) {
      t.value = Utf16ToUtf8(*e.value);
      if (!t.value) {
        diag.Error(where, "value of '" + e.id +
                              "' holds a lone surrogate; entry left out");
        continue;
      }
    }
    out.push_back(std::move(t));
  }
  return out;
}

std::map<std::string, PluralGroup>
FindPluralGroups(const std::vector<TextEntry> &entries) {
  std::map<std::string, PluralGroup> groups;
  std::set<std::string> plain, broken;
  for (const TextEntry &e : entries) {
    const Key k = Key::parse(e.id);
    // An exact match ("FILES#=0") has no place among gettext's forms: it is
    // written as an entry of its own, under its stored ID.
    if (!k.is(kPluralSelector) || selectors::isExactMatch(k.category)) {
      plain.insert(e.id);
      continue;
    }
    PluralGroup &g = groups[std::string(k.stem)];
    g.base = k.stem;
    g.forms.push_back(&e);
    if (e.voice || !e.value)
      broken.insert(g.base);
    if (e.kind && g.kind && *g.kind != *e.kind)
      broken.insert(g.base);
    if (e.kind)
      g.kind = e.kind;
    if (g.forms.size() == 1) {
      g.max = e.max;
      g.note = e.note;
    } else if (g.max != e.max || g.note != e.note) {
      broken.insert(g.base);
    }
  }
  for (auto &[base, g] : groups) {
    std::sort(g.forms.begin(), g.forms.end(),
              [](const TextEntry *a, const TextEntry *b) {
                return kPluralSelector.rank(Key::parse(a->id).category) <
                       kPluralSelector.rank(Key::parse(b->id).category);
              });
    if (g.kind)
      for (const TextEntry *form : g.forms) {
        if (form->kind)
          continue;
        const KindReading inferred = InferKind(*Utf8ToUtf16(*form->value));
        if (inferred.kind != *g.kind || !inferred.doubt.empty())
          broken.insert(base);
      }
  }
  // An entry named like a group, even in another case, would collide with
  // it: as a JSON key, and as an ID once the PO file is read back.
  std::set<std::string> plainFolded;
  for (const std::string &id : plain)
    plainFolded.insert(AsciiLower(id));
  for (const auto &[base, g] : groups)
    if (plainFolded.count(AsciiLower(base)))
      broken.insert(base);
  for (const std::string &base : broken)
    groups.erase(base);
  return groups;
}

} // namespace phrasor::tool
