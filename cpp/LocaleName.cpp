//===- LocaleName.cpp - Language tags from the names people write --------===//

#include "cpp/LocaleName.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace phrasor {
namespace {

bool isAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9');
}

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// What a POSIX modifier says in BCP 47: a script, a variant, or nothing.
struct Modifier {
  const char *name, *script, *variant;
};
constexpr Modifier kModifiers[] = {
    {"latin", "Latn", ""},
    {"cyrillic", "Cyrl", ""},
    {"valencia", "", "valencia"},
    {"ijekavian", "", "ijekavsk"},
    {"ijekavianlatin", "Latn", "ijekavsk"},
    {"tarask", "", "tarask"},
    {"euro", "", ""},
};

// \p name with '-' between subtags; empty when it holds anything but
// letters, digits and separators, or an empty subtag.
std::string subtags(std::string_view name) {
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
    if (!isAlnum(c))
      return std::string();
    out += c;
    subtagStart = false;
  }
  return subtagStart ? std::string() : out;
}

} // namespace

LocaleName readLocaleName(std::string_view name, bool posix) {
  LocaleName read;
  std::string_view modifier;
  if (posix) {
    // language[_territory][.codeset][@modifier]: the codeset and modifier
    // may hold only letters, digits and "-_.@".
    const std::size_t cut = name.find_first_of(".@");
    if (cut != std::string_view::npos) {
      for (char c : name.substr(cut + 1))
        if (!(isAlnum(c) || c == '-' || c == '_' || c == '@' || c == '.'))
          return read;
      if (const std::size_t at = name.find('@', cut);
          at != std::string_view::npos)
        modifier = name.substr(at + 1);
      name = name.substr(0, cut);
    }
  }
  read.tag = subtags(name);
  read.plainTag = read.tag;
  if (read.tag.empty() || modifier.empty())
    return read;
  const Modifier *known = nullptr;
  for (const Modifier &m : kModifiers)
    if (modifier == m.name)
      known = &m;
  if (!known) {
    read.dropped = std::string(modifier);
    return read;
  }
  if (*known->script) {
    const std::size_t dash = read.tag.find('-');
    read.tag.insert(dash == std::string::npos ? read.tag.size() : dash,
                    std::string("-") + known->script);
  }
  if (*known->variant)
    read.tag += std::string("-") + known->variant;
  return read;
}

std::string languageTag(std::string_view name, bool posix) {
  return readLocaleName(name, posix).tag;
}

std::string normalTag(std::string_view name, bool posix) {
  std::string tag = languageTag(name, posix);
  for (char &c : tag)
    c = lower(c);
  return tag;
}

bool choosesNoLanguage(std::string_view name) {
  // No language is one letter long, so "c" can only mean the C locale.
  const std::string tag = normalTag(name);
  return name.empty() || tag == "c" || tag == "posix";
}

bool writtenRightToLeft(std::string_view tag) {
  const std::string lower = normalTag(tag, false);
  std::vector<std::string> subtags;
  for (std::size_t at = 0; at <= lower.size();) {
    const std::size_t dash = std::min(lower.find('-', at), lower.size());
    subtags.push_back(lower.substr(at, dash - at));
    at = dash + 1;
  }
  static const char *const kScripts[] = {"arab", "hebr", "thaa", "syrc", "nkoo",
                                         "adlm", "rohg", "mand", "samr"};
  // A script subtag says it, either way: "az-Arab" is, "ku-Latn" is not.
  for (std::size_t k = 1; k < subtags.size(); ++k)
    if (subtags[k].size() == 4 && subtags[k][0] >= 'a' && subtags[k][0] <= 'z')
      return std::find(std::begin(kScripts), std::end(kScripts), subtags[k]) !=
             std::end(kScripts);
  static const char *const kLanguages[] = {
      "ar",  "arc", "ckb", "dv", "fa",  "he", "iw", "ks", "lrc", "mzn",
      "nqo", "pnb", "ps",  "sd", "syr", "ug", "ur", "yi", "ji"};
  return !subtags.empty() &&
         std::find(std::begin(kLanguages), std::end(kLanguages), subtags[0]) !=
             std::end(kLanguages);
}

} // namespace phrasor
