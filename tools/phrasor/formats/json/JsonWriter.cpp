//===- JsonWriter.cpp - JSON output ---------------------------------------===//

#include "tools/phrasor/formats/json/Json.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/shared/IcuEntries.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <nlohmann/json.hpp>

#include <unordered_map>

namespace phrasor::tool {
namespace {

/// A JSON object that keeps its keys in the order written and takes each
/// key in constant time. nlohmann's ordered object finds a key by walking
/// every key before it, which made a dump of N entries take N² steps. A
/// key written again replaces its value where it stands, as the ordered
/// object's operator[] does.
class JsonObjectWriter {
public:
  explicit JsonObjectWriter(std::size_t expected) {
    items().reserve(expected);
    positions.reserve(expected);
  }

  void Set(const std::string &key, nlohmann::ordered_json value) {
    auto [at, fresh] = positions.emplace(key, items().size());
    if (fresh)
      items().emplace_back(key, std::move(value));
    else
      items()[at->second].second = std::move(value);
  }

  const nlohmann::ordered_json &Json() const { return root; }

private:
  // The ordered object is a vector of pairs underneath; appending to it
  // directly skips the search its own insertion makes.
  nlohmann::ordered_json::object_t::Container &items() {
    return root.get_ref<nlohmann::ordered_json::object_t &>();
  }

  nlohmann::ordered_json root = nlohmann::ordered_json::object();
  std::unordered_map<std::string, std::size_t> positions;
};

std::string JsonText(const std::vector<TextEntry> &entries,
                     const Metadata &meta) {
  JsonObjectWriter root(entries.size() + 2);
  // JSON strings carry every character; the file need only say that its
  // IDs are read as source texts.
  for (const TextEntry &e : entries)
    if (NeedsSourceTextRules(e.id)) {
      root.Set(kKeysId, kSourceTextKeys);
      break;
    }
  if (meta.locale)
    root.Set(kLocaleId, *meta.locale);
  if (meta.protect)
    root.Set(kProtectId, Utf16ToUtf8Lossy(*meta.protect));
  const std::map<std::string, PluralGroup> groups = FindPluralGroups(entries);
  for (const TextEntry &e : entries) {
    // An exact match ("FILES#=0") is no category of the group's object: it
    // is written under its stored ID, as a plain entry is.
    if (const Key k = Key::parse(e.id);
        k.is(kPluralSelector) && !selectors::isExactMatch(k.category)) {
      auto group = groups.find(std::string(k.stem));
      if (group != groups.end()) {
        const PluralGroup &g = group->second;
        if (g.forms.front() != &e)
          continue; // written with the group's first form
        nlohmann::ordered_json forms = nlohmann::ordered_json::object();
        for (const TextEntry *form : g.forms)
          forms[std::string(Key::parse(form->id).category)] = *form->value;
        if (g.kind)
          forms["kind"] = KindName(*g.kind);
        if (g.max)
          forms["max"] = *g.max;
        if (g.note)
          forms["note"] = *g.note;
        root.Set(g.base, std::move(forms));
        continue;
      }
    }
    if (e.value && !e.voice && !e.kind && !e.max && !e.note) {
      root.Set(e.id, *e.value);
      continue;
    }
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    object["value"] = e.value ? nlohmann::ordered_json(*e.value) : nullptr;
    if (e.voice)
      object["voice"] = *e.voice;
    if (e.kind)
      object["kind"] = KindName(*e.kind);
    if (e.max)
      object["max"] = *e.max;
    if (e.note)
      object["note"] = *e.note;
    root.Set(e.id, std::move(object));
  }
  return root.Json().dump(2, ' ', false) + "\n";
}

/// One ICU text per ID; the tool's own entries, which are no ICU texts,
/// as they are stored.
std::string IcuJsonText(const std::vector<TextEntry> &entries,
                        const Metadata &meta, const std::string &where,
                        Diagnostics &diag) {
  JsonObjectWriter root(entries.size() + 1);
  if (meta.locale)
    root.Set(kLocaleId, *meta.locale);
  std::vector<TextEntry> texts;
  std::size_t lost = 0;
  for (const TextEntry &e : entries) {
    if (!e.id.empty() && e.id[0] == '@' && e.id != kIcuArgsId) {
      if (e.value)
        root.Set(e.id, *e.value);
      continue;
    }
    lost += e.voice || e.max || !e.value;
    texts.push_back(e);
  }
  for (const IcuText &t : ToIcuTexts(texts, where, diag))
    root.Set(t.id, t.text);
  if (lost)
    diag.Warning(where, "ICU texts hold no voice paths, length limits or "
                        "absent values; " +
                            std::to_string(lost) +
                            " entries are written without them");
  return root.Json().dump(2, ' ', false) + "\n";
}

} // namespace

std::string WriteJson(const DumpSide &target, const DumpSide &,
                      const std::string &where, Diagnostics &diag) {
  std::vector<TextEntry> entries =
      ToText(*target.entries, *target.meta, where, diag);
  if (target.icuSyntax)
    return IcuJsonText(entries, *target.meta, where, diag);
  return JsonText(entries, *target.meta);
}

} // namespace phrasor::tool
