//===- Localizer.cpp - Catalogs of one language, most specific first ------===//

#include "phrasor/Localizer.h"

#include "cpp/LocaleName.h"

#include <algorithm>
#include <system_error>

namespace phrasor {
namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string displayPath(const std::filesystem::path &file) {
  const auto utf8 = file.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// The ".skdb" files of \p dir by the tag their name spells, so that
// "fr_CA.skdb", "fr-CA.skdb" and "fr-ca.skdb" are all found for "fr-ca".
// Of two that spell one tag, the name sorting first is taken.
std::vector<std::pair<std::string, std::filesystem::path>>
catalogFiles(const std::filesystem::path &dir) {
  std::vector<std::pair<std::string, std::filesystem::path>> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::filesystem::path &path = it->path();
    std::string ext = displayPath(path.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), lower);
    if (ext != ".skdb")
      continue;
    const std::string tag = normalTag(displayPath(path.stem()), false);
    if (!tag.empty())
      files.emplace_back(tag, path);
  }
  std::sort(files.begin(), files.end());
  return files;
}

} // namespace

void Localizer::add(Catalog catalog) { chain.push_back(std::move(catalog)); }

void Localizer::onMissing(std::function<void(std::string_view id)> handler) {
  if (handler)
    missingHandler =
        std::make_shared<const std::function<void(std::string_view)>>(
            std::move(handler));
  else
    missingHandler.reset();
}

namespace {

Error badLocale(std::string_view name) {
  return Error(Errc::BadLocale, "'" + std::string(name) +
                                    "' is not a language tag or locale name");
}

// \p tag, then each shorter tag (fr-CA, then fr), each once in \p tags.
void addWithShorter(std::vector<std::string> &tags, std::string tag) {
  while (!tag.empty()) {
    if (std::find(tags.begin(), tags.end(), tag) == tags.end())
      tags.push_back(tag);
    const std::size_t dash = tag.rfind('-');
    tag.resize(dash == std::string::npos ? 0 : dash);
  }
}

} // namespace

Expected<Localizer> Localizer::load(const std::filesystem::path &dir,
                                    std::string_view locale,
                                    std::string_view last) {
  // An unset, empty, C or POSIX locale is a user who chose no language:
  // the program's own texts, which are the last language's.
  const bool none = choosesNoLanguage(locale);
  const std::string first = none ? std::string() : normalTag(locale);
  if (!none && first.empty())
    return badLocale(locale);
  std::vector<std::string> tags;
  addWithShorter(tags, first);
  return loadChain(dir, std::move(tags), {}, last);
}

Expected<Localizer>
Localizer::loadPreferred(const std::filesystem::path &dir,
                         const std::vector<std::string> &languages,
                         std::string_view last) {
  std::vector<std::string> tags;
  std::vector<Error> badNames;
  for (const std::string &language : languages) {
    if (choosesNoLanguage(language))
      continue;
    std::string tag = normalTag(language);
    if (tag.empty())
      badNames.push_back(badLocale(language));
    addWithShorter(tags, std::move(tag));
  }
  return loadChain(dir, std::move(tags), std::move(badNames), last);
}

Expected<Localizer> Localizer::loadChain(const std::filesystem::path &dir,
                                         std::vector<std::string> tags,
                                         std::vector<Error> badNames,
                                         std::string_view last) {
  const std::string fallback = normalTag(last);
  if (!last.empty() && fallback.empty())
    return badLocale(last);
  if (!fallback.empty() &&
      std::find(tags.begin(), tags.end(), fallback) == tags.end())
    tags.push_back(fallback);
  if (tags.empty())
    return Error(Errc::BadLocale, "no language to load: none chosen and no "
                                  "last language");

  const auto files = catalogFiles(dir);
  Localizer result;
  result.skipped = std::move(badNames);
  const std::size_t nameProblems = result.skipped.size();
  std::string asked, tried;
  for (const std::string &tag : tags) {
    asked += (asked.empty() ? "" : ", ") + tag;
    tried += (tried.empty() ? "" : ", ") + displayPath(dir / (tag + ".skdb"));
    const auto file =
        std::lower_bound(files.begin(), files.end(), tag,
                         [](const auto &entry, const std::string &t) {
                           return entry.first < t;
                         });
    if (file == files.end() || file->first != tag)
      continue;
    // A broken file costs its own language only: the rest of the chain
    // still gives text, and the host can read why the file was skipped.
    Expected<Catalog> catalog = Catalog::open(file->second);
    if (catalog && catalog->locale().empty())
      catalog->setLocale(displayPath(file->second.stem()));
    if (catalog)
      result.add(std::move(*catalog));
    else
      result.skipped.push_back(catalog.error());
  }
  if (result.chain.empty()) {
    if (result.skipped.size() > nameProblems)
      return result.skipped[nameProblems];
    return Error(Errc::FileNotFound,
                 "no catalog for '" + asked + "' (tried " + tried + ")");
  }
  return result;
}

void Localizer::missing(std::string_view id) const {
  // A reference of our own: the handler may replace itself, which would
  // otherwise destroy the closure while it runs.
  if (missingHandler) {
    const auto handler = missingHandler;
    (*handler)(id);
  }
}

const Catalog *Localizer::catalogFor(std::string_view id) const {
  for (const Catalog &c : chain)
    if (c.contains(id))
      return &c;
  missing(id);
  return nullptr;
}

std::optional<TextView> Localizer::find(std::string_view id) const {
  for (const Catalog &c : chain)
    if (std::optional<TextView> text = c.find(id))
      return text;
  missing(id);
  return std::nullopt;
}

Expected<Text> Localizer::formatArgs(std::string_view id, Style style,
                                     const Arg *args, std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return Error(Errc::MissingId,
                 "no catalog has a text for '" + std::string(id) + "'");
  return c->formatArgs(id, style, args, count);
}

// --- Buffers and UTF-8 -----------------------------------------------------

namespace {

Error noCatalogFor(std::string_view id) {
  return Error(Errc::MissingId,
               "no catalog has a text for '" + std::string(id) + "'");
}

} // namespace

Expected<std::size_t> Localizer::formatArgsTo(PhrasorWChar *buffer,
                                              std::size_t length,
                                              std::string_view id, Style style,
                                              const Arg *args,
                                              std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return noCatalogFor(id);
  return c->formatArgsTo(buffer, length, id, style, args, count);
}

Expected<std::string> Localizer::formatArgsUtf8(std::string_view id,
                                                Style style, const Arg *args,
                                                std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return noCatalogFor(id);
  return c->formatArgsUtf8(id, style, args, count);
}

Expected<std::size_t> Localizer::formatArgsUtf8To(char *buffer,
                                                  std::size_t length,
                                                  std::string_view id,
                                                  Style style, const Arg *args,
                                                  std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return noCatalogFor(id);
  return c->formatArgsUtf8To(buffer, length, id, style, args, count);
}

// The form of the count's own category wins wherever it is in the chain:
// a catalog that overrides only ID#other must not hide a less specific
// catalog's ID#one. Each catalog names the category by its own rules.
Expected<Text> Localizer::pluralSearch(std::string_view id, Count count,
                                       bool ordinal, const Arg *args,
                                       std::size_t argCount) const {
  const char *prefix = ordinal ? "#ordinal-" : "#";
  std::string key;
  for (const Catalog &c : chain) {
    key.assign(id).append(prefix).append(ordinal ? c.ordinalCategory(count)
                                                 : c.pluralCategory(count));
    if (c.contains(key))
      return c.formatArgs(key, Style::Stored, args, argCount);
  }
  key.assign(id).append(prefix).append("other");
  for (const Catalog &c : chain)
    if (c.contains(key))
      return c.formatArgs(key, Style::Stored, args, argCount);
  for (const Catalog &c : chain)
    if (c.contains(id))
      return c.formatArgs(id, Style::Stored, args, argCount);
  missing(id);
  return Error(Errc::MissingId,
               "no catalog has a text for '" + std::string(id) + "'");
}

Expected<Text> Localizer::pluralArgs(std::string_view id, Count count,
                                     const Arg *args,
                                     std::size_t argCount) const {
  return pluralSearch(id, count, false, args, argCount);
}

Expected<Text> Localizer::ordinalArgs(std::string_view id, Count count,
                                      const Arg *args,
                                      std::size_t argCount) const {
  return pluralSearch(id, count, true, args, argCount);
}

} // namespace phrasor
