//===- XliffNodes.cpp - XLIFF's names and references ----------------------===//

#include "tools/phrasor/formats/xliff/XliffNodes.h"

#include <algorithm>

namespace phrasor::tool {
namespace {

/// Why the character or entity reference at \p at (its '&') is not one
/// XML defines or an entry can hold; empty when it is. \p length is set to
/// its size.
std::string BadReference(std::string_view text, std::size_t at,
                         std::size_t &length) {
  const std::size_t semicolon = text.find(';', at);
  const std::size_t end =
      std::min(text.find_first_of(" \t\r\n<&\"'", at + 1), text.size());
  if (semicolon == std::string_view::npos || semicolon > end) {
    length = 1;
    return "'&' begins no reference (write &amp; for the character)";
  }
  length = semicolon + 1 - at;
  const std::string ref(text.substr(at, length));
  std::string_view body = text.substr(at + 1, length - 2);
  if (body.empty() || body[0] != '#') {
    for (const char *known : {"lt", "gt", "amp", "apos", "quot"})
      if (body == known)
        return "";
    return "undefined entity '" + ref + "'";
  }
  body.remove_prefix(1);
  const bool hex = !body.empty() && body[0] == 'x';
  if (hex)
    body.remove_prefix(1);
  unsigned long cp = 0;
  for (char c : body) {
    const int digit = c >= '0' && c <= '9'          ? c - '0'
                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : -1;
    if (digit < 0)
      return "'" + ref + "' is not a character reference";
    cp = std::min(cp * (hex ? 16 : 10) + static_cast<unsigned long>(digit),
                  0x110000UL);
  }
  if (body.empty())
    return "'" + ref + "' is not a character reference";
  if (cp == 0)
    return "'" + ref +
           "' stands for the NUL character, which no entry can "
           "hold";
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return "'" + ref + "' stands for no character";
  return "";
}

} // namespace

std::string_view LocalName(const char *name) {
  std::string_view n = name;
  const std::size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

/// The namespace \p qualified's prefix stands for where \p node is: the
/// nearest declaration on it or an ancestor. Empty when none is declared.
std::string_view NamespaceOf(pugi::xml_node node, std::string_view qualified) {
  const std::size_t colon = qualified.find(':');
  const std::string declaration =
      colon == std::string_view::npos
          ? std::string("xmlns")
          : "xmlns:" + std::string(qualified.substr(0, colon));
  for (; node.type() == pugi::node_element; node = node.parent())
    if (pugi::xml_attribute a = node.attribute(declaration.c_str()))
      return a.value();
  return {};
}

/// An element of XLIFF's namespace, or of none: another vocabulary's
/// <source> or <unit> is no part of a unit.
bool InXliff(const pugi::xml_node &node) {
  const std::string_view ns = NamespaceOf(node, node.name());
  return ns.empty() ||
         ns.substr(0, kXliffNamespaces.size()) == kXliffNamespaces;
}

bool Is(const pugi::xml_node &node, std::string_view local) {
  return node.type() == pugi::node_element && LocalName(node.name()) == local &&
         InXliff(node);
}

/// The offset of the first reference in \p text that is not well formed
/// or names what an entry cannot hold, and why; pugixml would keep an
/// unknown one as literal text and cut a string at &#0;.
std::optional<std::pair<std::size_t, std::string>>
FirstBadReference(std::string_view text) {
  static constexpr std::pair<std::string_view, std::string_view> kSkipped[] = {
      {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
  for (std::size_t i = text.find_first_of("&<"); i != std::string_view::npos;
       i = text.find_first_of("&<", i)) {
    if (text[i] == '<') {
      std::size_t next = i + 1;
      for (const auto &[open, close] : kSkipped)
        if (text.substr(i, open.size()) == open) {
          const std::size_t closed = text.find(close, i + open.size());
          if (closed == std::string_view::npos)
            return std::nullopt; // the parser reports what is left open
          next = closed + close.size();
        }
      i = next;
      continue;
    }
    std::size_t length = 1;
    std::string why = BadReference(text, i, length);
    if (!why.empty())
      return std::make_pair(i, std::move(why));
    i += length;
  }
  return std::nullopt;
}

pugi::xml_node Child(const pugi::xml_node &node, std::string_view local) {
  for (pugi::xml_node c : node.children())
    if (Is(c, local))
      return c;
  return {};
}

} // namespace phrasor::tool
