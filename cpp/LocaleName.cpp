//===- LocaleName.cpp - Language tags from the names people write --------===//

#include "cpp/LocaleName.h"

namespace phrasor {
namespace {

bool isAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9');
}

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The locale name without its codeset and modifier ("fr_CA.UTF-8@euro" is
// "fr_CA"); empty when they hold anything but letters, digits and "-_.@".
std::string_view stripCodeset(std::string_view name) {
  const std::size_t cut = name.find_first_of(".@");
  if (cut == std::string_view::npos)
    return name;
  for (char c : name.substr(cut + 1))
    if (!(isAlnum(c) || c == '-' || c == '_' || c == '@' || c == '.'))
      return std::string_view();
  return name.substr(0, cut);
}

} // namespace

std::string languageTag(std::string_view name, bool posix) {
  if (posix)
    name = stripCodeset(name);
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

} // namespace phrasor
