//===- CatalogWriter.cpp - One language of a string catalog out -----------===//
//
// A dump writes a catalog of the database's one language, which is also
// its source language; plural forms become plural variations, the form
// for exactly 0 Apple's "zero". Written over an existing catalog, it is
// merged in: that language's texts replaced, every other one kept as it
// was, byte for byte. A note is the key's comment, which a merge updates
// and otherwise keeps with every other field of the key (extractionState).
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/apple/Apple.h"

#include "phrasor/Key.h"
#include "tools/phrasor/formats/apple/AppleText.h"
#include "tools/phrasor/formats/apple/CatalogJson.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <set>

namespace phrasor::tool {
namespace {

CatalogJson UnitOf(const TextEntry &e) {
  CatalogJson unit = CatalogJson::object();
  unit["stringUnit"]["state"] = "translated";
  unit["stringUnit"]["value"] = WriteAppleFormat(e).text;
  return unit;
}

/// Apple's name of a plural form's category, or empty when it has none.
std::string AppleCategory(std::string_view category) {
  if (category == "=0")
    return "zero";
  // Apple's zero means exactly 0, which CLDR's zero (Arabic, Latvian)
  // does not: a key of its own keeps that form.
  if (category == "zero" || selectors::isExactMatch(category))
    return {};
  return std::string(category);
}

/// The plural variations of \p group and its form for exactly 0, if any,
/// or null when a form has no Apple category. Xcode orders the
/// categories by name.
CatalogJson PluralOf(const PluralGroup &group, const TextEntry *none) {
  std::map<std::string, CatalogJson> forms;
  if (none)
    forms["zero"] = UnitOf(*none);
  for (const TextEntry *form : group.forms) {
    const std::string category = AppleCategory(Key::parse(form->id).category);
    if (category.empty())
      return nullptr;
    forms[category] = UnitOf(*form);
  }
  CatalogJson plural = CatalogJson::object();
  for (auto &[category, unit] : forms)
    plural[category] = std::move(unit);
  return plural;
}

/// The key \p id of \p strings, its comment \p note when there is one:
/// Xcode writes a key's comment before its localizations.
CatalogJson &KeyOf(std::map<std::string, CatalogJson> &strings,
                   const std::string &id,
                   const std::optional<std::string> &note) {
  CatalogJson &entry = strings[id];
  if (note && !entry.contains("comment"))
    entry["comment"] = *note;
  return entry;
}

/// Inserts \p value under \p name keeping the object's names in order, as
/// Xcode keeps a key's languages.
void InsertSorted(CatalogJson &object, const std::string &name,
                  CatalogJson value) {
  CatalogJson sorted = CatalogJson::object();
  bool placed = false;
  for (auto &item : object.items()) {
    if (!placed && name < item.key()) {
      sorted[name] = std::move(value);
      placed = true;
    }
    sorted[item.key()] = std::move(item.value());
  }
  if (!placed)
    sorted[name] = std::move(value);
  object = std::move(sorted);
}

/// What a build reads from a localization, to tell whether a merge
/// changes it: its texts as stored, by plural category.
nlohmann::json Served(const CatalogJson &node, int depth) {
  if (depth > 8 || !node.is_object())
    return nullptr;
  if (node.contains("stringUnit")) {
    const CatalogJson &unit = node["stringUnit"];
    if (!unit.is_object() || !unit.contains("value") ||
        !unit["value"].is_string())
      return nullptr;
    return ReadAppleFormat(unit["value"].get<std::string>()).text;
  }
  if (!node.contains("variations") || !node["variations"].is_object())
    return nullptr;
  const CatalogJson &v = node["variations"];
  if (v.contains("plural") && v["plural"].is_object()) {
    nlohmann::json forms = nlohmann::json::object();
    for (const auto &item : v["plural"].items())
      forms[item.key()] = Served(item.value(), depth + 1);
    return forms;
  }
  if (v.contains("device") && v["device"].is_object() && !v["device"].empty())
    return Served(v["device"].contains("other") ? v["device"]["other"]
                                                : v["device"].begin().value(),
                  depth + 1);
  return nullptr;
}

/// The database's note replaces a key's comment; a key it has no note for
/// keeps the comment it has, which a database built from a format without
/// notes never had the chance to read.
void MergeComment(CatalogJson &entry, const CatalogJson &written) {
  const auto said = written.find("comment");
  if (said == written.end())
    return;
  if (entry.contains("comment"))
    entry["comment"] = *said;
  else
    InsertSorted(entry, "comment", *said);
}

} // namespace

std::string WriteXcstrings(const DumpSide &target, const DumpSide &,
                           const std::string &where, Diagnostics &diag) {
  const std::string language = target.meta->locale.value_or("");
  const std::vector<TextEntry> entries =
      ToText(*target.entries, *target.meta, where, diag);
  const std::map<std::string, PluralGroup> groups = FindPluralGroups(entries);
  CatalogJson doc = CatalogJson::object();
  doc["sourceLanguage"] = language;
  // Collected by key (Xcode's order too): an ordered object looks each
  // name up from its start, which would make a large dump take N² steps.
  std::map<std::string, CatalogJson> strings;
  // The form for exactly 0 is Apple's zero, written with the others.
  std::map<std::string, const TextEntry *> none;
  for (const TextEntry &e : entries)
    if (const Key key = Key::parse(e.id); key.is(kPluralSelector) &&
                                          key.category == "=0" &&
                                          groups.count(std::string(key.stem)))
      none[std::string(key.stem)] = &e;
  std::set<std::string> written;
  for (const TextEntry &e : entries) {
    const Key key = Key::parse(e.id);
    const std::string stem(key.stem);
    if (none.count(stem) && key.is(kPluralSelector) && key.category == "=0")
      continue;
    if (key.is(kPluralSelector) && !selectors::isExactMatch(key.category) &&
        groups.count(stem)) {
      if (!written.insert(stem).second)
        continue;
      const auto zero = none.find(stem);
      CatalogJson plural = PluralOf(
          groups.at(stem), zero == none.end() ? nullptr : zero->second);
      if (!plural.is_null()) {
        KeyOf(strings, stem, groups.at(stem).note)["localizations"][language]
                                                  ["variations"]["plural"] =
                                                      std::move(plural);
        continue;
      }
      if (zero != none.end())
        KeyOf(strings, zero->second->id,
              zero->second->note)["localizations"][language] =
            UnitOf(*zero->second);
      for (const TextEntry *form : groups.at(stem).forms)
        KeyOf(strings, form->id, form->note)["localizations"][language] =
            UnitOf(*form);
      continue;
    }
    KeyOf(strings, e.id, e.note)["localizations"][language] = UnitOf(e);
  }
  CatalogJson &object = doc["strings"] = CatalogJson::object();
  auto &items =
      static_cast<std::vector<std::pair<const std::string, CatalogJson>> &>(
          object.get_ref<CatalogJson::object_t &>());
  for (auto &[key, entry] : strings)
    items.emplace_back(key, std::move(entry));
  doc["version"] = "1.0";
  return PrintCatalog(doc);
}

std::string MergeXcstrings(std::string_view existing, std::string_view written,
                           std::string &problem) {
  std::size_t line = 0;
  CatalogJson into = ParseCatalog(existing, problem, line);
  if (!problem.empty()) {
    problem = "line " + std::to_string(line) + ": " + problem;
    return {};
  }
  CatalogJson from = ParseCatalog(written, problem, line);
  if (!problem.empty())
    return {};
  const std::string language = from["sourceLanguage"].get<std::string>();
  const bool source = into["sourceLanguage"] == language;
  CatalogJson &strings = into["strings"];
  // Texts the database lacks stay: a build leaves out those needing
  // review and those not yet translated, which a dump must not delete.
  for (auto &item : from["strings"].items()) {
    CatalogJson &entry = strings[item.key()];
    if (!entry.is_object())
      entry = CatalogJson::object();
    MergeComment(entry, item.value());
    if (entry.value("shouldTranslate", true) == false)
      continue; // the source text stands for every language
    CatalogJson &localizations = entry["localizations"];
    if (!localizations.is_object())
      localizations = CatalogJson::object();
    CatalogJson text = std::move(item.value()["localizations"][language]);
    if (localizations.contains(language)) {
      // A localization that reads as the same texts keeps its state and
      // its device variations.
      if (Served(localizations[language], 0) != Served(text, 0))
        localizations[language] = std::move(text);
      continue;
    }
    // Xcode gives the development language no text where the key is it.
    if (source &&
        Served(text, 0) == nlohmann::json(ReadAppleFormat(item.key()).text))
      continue;
    InsertSorted(localizations, language, std::move(text));
  }
  return PrintCatalog(into);
}

} // namespace phrasor::tool
