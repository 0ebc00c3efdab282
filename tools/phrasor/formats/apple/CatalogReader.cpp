//===- CatalogReader.cpp - One language of a string catalog in ------------===//
//
// A catalog holds every language of every key. A build reads one: a key's
// localization in that language, its stringUnit's value when its state is
// "translated" (or "needs_review" under --include-fuzzy, as a fuzzy PO
// message), its plural variations as plural forms, Apple's "zero" as the
// form for exactly 0. Device variations are not kept: the text for other
// devices stands for all, and how many were dropped is said once. The
// source language's key is its own text where it has no localization, as
// Xcode shows it. A key's comment is its entries' note to translators.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/apple/Apple.h"

#include "phrasor/Key.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/apple/AppleText.h"
#include "tools/phrasor/formats/apple/CatalogJson.h"

#include <algorithm>
#include <set>

namespace phrasor::tool {
namespace {

/// Variations nested deeper are refused, so no file exhausts the stack.
constexpr int kMaxDepth = 8;

const CatalogJson *Member(const CatalogJson &object, const char *name) {
  if (!object.is_object())
    return nullptr;
  const auto found = object.find(name);
  return found == object.end() ? nullptr : &*found;
}

std::string Counted(std::size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

class CatalogReader {
public:
  CatalogReader(const std::string &path, std::string_view buffer,
                const InputOptions &inputOptions, Diagnostics &diagnostics,
                std::vector<SourceEntry> &entries)
      : file(path), text(buffer), options(inputOptions), diag(diagnostics),
        out(entries) {}

  void Read();

private:
  void Key(const std::string &key, const CatalogJson &entry);
  void Texts(const std::string &key, const CatalogJson &entry);
  bool Node(const std::string &id, const CatalogJson &node, int depth);
  bool Unit(const std::string &id, const CatalogJson &unit);
  bool Plural(const std::string &id, const CatalogJson &plural, int depth);
  bool Device(const std::string &id, const CatalogJson &device, int depth);
  void Add(const std::string &id, std::string value);
  bool Refuse(const std::string &id, const std::string &why) {
    diag.Error(pos, "'" + id + "': " + why);
    return false;
  }

  const std::string &file;
  std::string_view text;
  const InputOptions &options;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  std::string language, source;
  SourcePos pos;
  bool fromSource = false; ///< reading the source language's texts
  std::size_t fuzzy = 0, devices = 0, substitutions = 0;
};

void CatalogReader::Add(const std::string &id, std::string value) {
  AppleRead read = ReadAppleFormat(std::move(value));
  if (!read.problem.empty()) {
    Refuse(id, read.problem);
    return;
  }
  AddEntry(pos, id, read.text, std::nullopt, diag, out, read.kind,
           IdOrigin::SourceText);
}

bool CatalogReader::Unit(const std::string &id, const CatalogJson &unit) {
  const CatalogJson *state = Member(unit, "state");
  const CatalogJson *value = Member(unit, "value");
  if (!value || !value->is_string())
    return Refuse(id, "its stringUnit has no \"value\" text");
  const std::string said =
      state && state->is_string() ? state->get<std::string>() : "translated";
  if (said == "needs_review" && !options.includeFuzzy && !fromSource) {
    ++fuzzy;
    return false;
  }
  if (said == "new" && !fromSource)
    return false;
  if (said != "translated" && said != "needs_review" && said != "new" &&
      said != "stale")
    return Refuse(id, "unknown state \"" + said + "\"");
  Add(id, value->get<std::string>());
  return true;
}

bool CatalogReader::Plural(const std::string &id, const CatalogJson &plural,
                           int depth) {
  bool any = false;
  for (const auto &item : plural.items()) {
    std::string category = item.key();
    // Apple's zero is the text for no items in every language.
    if (category == "zero")
      category = "=0";
    else if (kPluralSelector.rank(category) == kPluralSelector.categoryCount)
      return Refuse(id, "plural category \"" + category +
                            "\" is none of zero, one, two, few, many and "
                            "other");
    any |= Node(id + "#" + category, item.value(), depth + 1);
  }
  return any;
}

// The text for other devices stands for all; without one, the first
// device's does.
bool CatalogReader::Device(const std::string &id, const CatalogJson &device,
                           int depth) {
  if (!device.is_object() || device.empty())
    return Refuse(id, "its device variations are empty");
  const CatalogJson *chosen = Member(device, "other");
  if (!chosen)
    chosen = &device.begin().value();
  devices += device.size() - 1;
  return Node(id, *chosen, depth + 1);
}

bool CatalogReader::Node(const std::string &id, const CatalogJson &node,
                         int depth) {
  if (depth > kMaxDepth)
    return Refuse(id, "variations nested too deeply");
  if (const CatalogJson *unit = Member(node, "stringUnit"))
    return Unit(id, *unit);
  if (Member(node, "substitutions")) {
    ++substitutions;
    return false;
  }
  const CatalogJson *variations = Member(node, "variations");
  if (!variations)
    return Refuse(id, "a localization has neither a stringUnit nor "
                      "variations");
  if (const CatalogJson *plural = Member(*variations, "plural"))
    return Plural(id, *plural, depth);
  if (const CatalogJson *device = Member(*variations, "device"))
    return Device(id, *device, depth);
  return Refuse(id, "variations are neither by plural nor by device");
}

// A key's comment, for its translators, is the note of every entry the
// key gives (each plural form).
void CatalogReader::Key(const std::string &key, const CatalogJson &entry) {
  const std::size_t before = out.size();
  Texts(key, entry);
  const CatalogJson *comment = Member(entry, "comment");
  if (!comment || !comment->is_string() ||
      comment->get_ref<const std::string &>().empty())
    return;
  for (std::size_t i = before; i < out.size(); ++i)
    out[i].note = comment->get<std::string>();
}

void CatalogReader::Texts(const std::string &key, const CatalogJson &entry) {
  pos = {file, LineOfName(text, CatalogJson(key).dump(), pos.line)};
  const CatalogJson *translate = Member(entry, "shouldTranslate");
  const bool sourceOnly = translate && *translate == false;
  const CatalogJson *localizations = Member(entry, "localizations");
  const CatalogJson *own = localizations && !sourceOnly
                               ? Member(*localizations, language.c_str())
                               : nullptr;
  fromSource = language == source;
  if (own && (Node(key, *own, 0) || fromSource))
    return;
  // The development language shows the key where it has no text; a
  // translation takes the source text under --fill-empty, as PO's do, and
  // a key not to be translated shows it in every language.
  if (!fromSource && !options.fillEmpty && !sourceOnly)
    return;
  const bool wasSource = fromSource;
  fromSource = true;
  const CatalogJson *theirs =
      localizations ? Member(*localizations, source.c_str()) : nullptr;
  if (theirs && !wasSource)
    Node(key, *theirs, 0);
  else
    Add(key, key);
}

void CatalogReader::Read() {
  std::string problem;
  std::size_t line = 0;
  const CatalogJson doc = ParseCatalog(text, problem, line);
  if (!problem.empty()) {
    diag.Error(SourcePos{file, line}, problem);
    return;
  }
  source = doc["sourceLanguage"].get<std::string>();
  language = options.column.empty() ? source : options.column;
  pos = {file, 1};
  if (!language.empty()) // a dump of a database without a language
    AddEntry(pos, kLocaleId, language, std::nullopt, diag, out);
  // Xcode keeps an empty key for an empty literal in the code; no lookup
  // names it.
  for (const auto &item : doc["strings"].items())
    if (!item.key().empty())
      Key(item.key(), item.value());
  const SourcePos whole{file, 0};
  if (fuzzy)
    diag.Warning(whole, Counted(fuzzy, "text", "texts") +
                            " needing review left out (--include-fuzzy "
                            "reads them)");
  if (devices)
    diag.Warning(whole, Counted(devices, "device variation",
                                "device "
                                "variations") +
                            " dropped; the text for other devices is kept");
  if (substitutions)
    diag.Warning(whole, Counted(substitutions, "text", "texts") +
                            " with substitutions (several plural "
                            "arguments) left out");
}

} // namespace

void ReadXcstrings(const std::string &file, std::string_view text,
                   const InputOptions &options, Diagnostics &diag,
                   std::vector<SourceEntry> &out) {
  Utf8Input decoded;
  if (!ReadAsUtf8(file, text, decoded, diag))
    return;
  CatalogReader(file, decoded.text, options, diag, out).Read();
}

std::vector<std::string> XcstringsLanguages(const std::string &file,
                                            std::string_view text) {
  std::string problem;
  std::size_t line = 0;
  const CatalogJson doc = ParseCatalog(text, problem, line);
  if (!problem.empty())
    throw FatalError(file + ":" + std::to_string(line) + ": " + problem);
  std::set<std::string> others;
  for (const auto &item : doc["strings"].items())
    if (const CatalogJson *l = Member(item.value(), "localizations"))
      if (l->is_object())
        for (const auto &lang : l->items())
          others.insert(lang.key());
  const std::string source = doc["sourceLanguage"].get<std::string>();
  others.erase(source);
  std::vector<std::string> languages{source};
  languages.insert(languages.end(), others.begin(), others.end());
  return languages;
}

} // namespace phrasor::tool
