//===- Localizer.cpp - Catalogs of one language, most specific first ------===//

#include "phrasor/Localizer.h"

#include <algorithm>
#include <system_error>

namespace phrasor {
namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// A locale as a language tag, in lower case with '-' between subtags:
// "fr_CA.UTF-8", "fr_CA@euro", "fr-ca" and "FR-CA" are all "fr-ca". Empty
// when \p name is no language tag or POSIX locale name, so a name can never
// lead out of the catalog directory. A file name has no codeset or modifier.
std::string normalTag(std::string_view name, bool posix = true) {
  const std::size_t cut = name.find_first_of(".@");
  if (cut != std::string_view::npos && posix) {
    // The codeset and modifier are letters, digits and '-' only.
    for (char c : name.substr(cut + 1))
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '@' ||
            c == '.'))
        return std::string();
    name = name.substr(0, cut);
  }
  std::string out;
  bool subtagStart = true;
  for (char c : name) {
    if (c == '_' || c == '-') {
      if (subtagStart)
        return std::string(); // an empty subtag
      out += '-';
      subtagStart = true;
      continue;
    }
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
          (c >= '0' && c <= '9')))
      return std::string();
    out += lower(c);
    subtagStart = false;
  }
  return subtagStart ? std::string() : out;
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

Expected<Localizer> Localizer::load(const std::filesystem::path &dir,
                                    std::string_view locale,
                                    std::string_view last) {
  const std::string first = normalTag(locale);
  const std::string fallback = normalTag(last);
  if (first.empty() || (!last.empty() && fallback.empty()))
    return Error(Errc::BadLocale,
                 "'" + std::string(first.empty() ? locale : last) +
                     "' is not a language tag or locale name");
  std::vector<std::string> tags;
  for (std::string tag = first; !tag.empty();) {
    tags.push_back(tag);
    const std::size_t dash = tag.rfind('-');
    tag.resize(dash == std::string::npos ? 0 : dash);
  }
  if (!fallback.empty() &&
      std::find(tags.begin(), tags.end(), fallback) == tags.end())
    tags.push_back(fallback);

  const auto files = catalogFiles(dir);
  Localizer result;
  std::string tried;
  for (const std::string &tag : tags) {
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
    if (!result.skipped.empty())
      return result.skipped.front();
    return Error(Errc::FileNotFound, "no catalog for '" + std::string(locale) +
                                         "' (tried " + tried + ")");
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
