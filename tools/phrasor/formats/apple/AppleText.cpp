//===- AppleText.cpp - Format strings as Apple's platforms write them -----===//

#include "tools/phrasor/formats/apple/AppleText.h"

#include "tools/phrasor/KindNames.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/PoChecks.h"

#include <cstring>

namespace phrasor::tool {
namespace {

/// Where the conversion character of the conversion starting at text[at]
/// (a '%') is, or npos for "%%" and for a '%' that ends the text.
std::size_t ConversionEnd(std::string_view text, std::size_t at) {
  std::size_t j = at + 1;
  if (j < text.size() && text[j] == '%')
    return std::string_view::npos;
  while (j < text.size() && std::strchr("0123456789$-+ #'.*hlqLzjt", text[j]))
    ++j;
  return j < text.size() ? j : std::string_view::npos;
}

/// Replaces each conversion character \p from by \p to (only in numbered
/// conversions when \p numberedOnly); true when one was replaced.
bool Respell(std::string &text, char from, char to, bool numberedOnly) {
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%')
      continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
      continue;
    }
    const std::size_t end = ConversionEnd(text, i);
    if (end == std::string_view::npos)
      continue;
    const bool numbered = std::string_view(text).substr(i, end - i).find('$') !=
                          std::string_view::npos;
    if (text[end] == from && (numbered || !numberedOnly)) {
      text[end] = to;
      any = true;
    }
    i = end;
  }
  return any;
}

/// Drops the numbers of a text's conversions when they take their
/// arguments in order, each once, and one is a %@ that says the text is
/// Foundation's: "%1$@ of %2$ld" is written "%@ of %ld", as Xcode writes it.
void Unnumber(std::string &text) {
  std::string plain;
  unsigned next = 1;
  bool object = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    plain += text[i];
    if (text[i] != '%')
      continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      plain += text[++i];
      continue;
    }
    const std::size_t end = ConversionEnd(text, i);
    if (end == std::string_view::npos)
      return;
    const std::string spec = text.substr(i + 1, end - i - 1);
    const std::string number = std::to_string(next++) + "$";
    if (spec.compare(0, number.size(), number) != 0)
      return;
    plain += spec.substr(number.size());
    plain += text[end];
    object |= text[end] == '@';
    i = end;
  }
  if (object)
    text = std::move(plain);
}

std::string_view OwnValue(std::string_view comment, std::string_view name) {
  std::size_t b = comment.find_first_not_of(" \t\r\n");
  std::size_t e = comment.find_last_not_of(" \t\r\n");
  if (b == std::string_view::npos)
    return {};
  comment = comment.substr(b, e - b + 1);
  if (comment.substr(0, name.size()) != name)
    return {};
  return comment.substr(name.size());
}

} // namespace

AppleRead ReadAppleFormat(std::string text) {
  AppleRead r;
  const bool objects = Respell(text, '@', 's', false);
  if (!objects && !NumbersArguments(text)) {
    r.text = std::move(text);
    return r;
  }
  // Only a valid C format converts; one that mixes numbered and plain
  // conversions, or skips an argument, is refused as Foundation refuses it.
  const CFormatReading valid = ReadCFormat(text);
  if (!valid.ok) {
    r.problem = valid.problem;
    return r;
  }
  StoredCFormat stored = StoreCFormat(text, true);
  if (!stored.problem.empty()) {
    r.problem = stored.problem;
    return r;
  }
  r.text = std::move(stored.text);
  r.kind = TextKind::Message;
  return r;
}

AppleWritten WriteAppleFormat(const TextEntry &e) {
  AppleWritten w;
  w.text = e.value.value_or("");
  std::optional<std::u16string> wide;
  const TextKind kind = e.kind                         ? *e.kind
                        : (wide = Utf8ToUtf16(w.text)) ? InferKind(*wide).kind
                                                       : TextKind::Plain;
  if (kind == TextKind::Message) {
    std::string numbered = RestoreCFormat(w.text, "", true);
    Respell(numbered, 's', '@', true);
    Unnumber(numbered);
    const AppleRead back = ReadAppleFormat(numbered);
    if (back.problem.empty() && back.kind && back.text == w.text)
      w.text = std::move(numbered);
    else
      w.sayKind = "message";
    return w;
  }
  // A text read back without a kind is inferred again; one with a '%' or
  // a recorded printf kind could come back as another.
  if (e.kind || ReadAppleFormat(w.text).kind)
    w.sayKind = KindName(kind);
  return w;
}

std::string_view KindInComment(std::string_view comment) {
  return OwnValue(comment, "phr:kind=");
}

std::string_view LocaleInComment(std::string_view comment) {
  return OwnValue(comment, "phr:locale=");
}

std::string LprojLocale(std::string_view folder) {
  constexpr std::string_view kSuffix = ".lproj";
  if (folder.size() <= kSuffix.size() ||
      folder.substr(folder.size() - kSuffix.size()) != kSuffix)
    return {};
  std::string name(folder.substr(0, folder.size() - kSuffix.size()));
  if (name == "Base")
    return {};
  for (char &c : name)
    if (c == '_')
      c = '-';
  // Old projects name the language in English ("German.lproj"): no tag.
  const std::size_t first = name.find('-');
  const std::string_view lang = std::string_view(name).substr(0, first);
  if (lang.size() < 2 || lang.size() > 3)
    return {};
  for (char c : lang)
    if (c < 'a' || c > 'z')
      return {};
  return name;
}

} // namespace phrasor::tool
