//===- Localizer.cpp - Catalogs of one language, most specific first ------===//

#include "phrasor/Localizer.h"

#include <algorithm>
#include <system_error>

namespace phrasor {
namespace {

// "fr_CA" and "fr-CA" name the same locale; files are named with '-'.
std::string normalTag(std::string_view tag) {
  std::string out(tag);
  for (char &c : out)
    if (c == '_')
      c = '-';
  return out;
}

} // namespace

void Localizer::add(Catalog catalog) { chain.push_back(std::move(catalog)); }

void Localizer::onMissing(std::function<void(std::string_view id)> handler) {
  missingHandler = std::move(handler);
}

Expected<Localizer> Localizer::load(const std::filesystem::path &dir,
                                    std::string_view locale,
                                    std::string_view last) {
  std::vector<std::string> tags;
  for (std::string tag = normalTag(locale); !tag.empty();) {
    tags.push_back(tag);
    const std::size_t dash = tag.rfind('-');
    tag.resize(dash == std::string::npos ? 0 : dash);
  }
  const std::string fallback = normalTag(last);
  if (!fallback.empty() &&
      std::find(tags.begin(), tags.end(), fallback) == tags.end())
    tags.push_back(fallback);

  Localizer result;
  std::string tried;
  for (const std::string &tag : tags) {
    const std::filesystem::path file = dir / (tag + ".skdb");
    tried += (tried.empty() ? "" : ", ") + file.string();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
      continue;
    Expected<Catalog> catalog = Catalog::open(file);
    if (!catalog)
      return catalog.error();
    result.add(std::move(*catalog));
  }
  if (result.chain.empty())
    return Error(Errc::FileNotFound, "no catalog for '" + std::string(locale) +
                                         "' (tried " + tried + ")");
  return result;
}

void Localizer::missing(std::string_view id) const {
  if (missingHandler)
    missingHandler(id);
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

// A catalog answers a plural when, by its own rules, it has a form for the
// count (its ID#<category>, ID#other or ID); that form is formatted as it
// is, without choosing it a second time.
Expected<Text> Localizer::pluralArgs(std::string_view id, std::int64_t count,
                                     const Arg *args,
                                     std::size_t argCount) const {
  for (const Catalog &c : chain) {
    const std::string form = c.pluralId(id, count);
    if (!form.empty())
      return c.formatArgs(form, Style::Message, args, argCount);
  }
  missing(id);
  return Error(Errc::MissingId,
               "no catalog has a text for '" + std::string(id) + "'");
}

} // namespace phrasor
