//===- Xml.cpp - Writing XML text and attributes by hand ------------------===//

#include "tools/phrasor/formats/shared/Xml.h"

#include "tools/phrasor/Utf.h"

namespace phrasor::tool {

bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
}

const char *XmlEscape(uint32_t c, bool attribute) {
  switch (c) {
  case '&':
    return "&amp;";
  case '<':
    return "&lt;";
  case '>':
    return "&gt;";
  case '\r':
    return "&#13;";
  case '"':
    return attribute ? "&quot;" : nullptr;
  case '\t':
    return attribute ? "&#9;" : nullptr;
  case '\n':
    return attribute ? "&#10;" : nullptr;
  default:
    return nullptr;
  }
}

// Byte by byte: in valid UTF-8, every character XML refuses is below
// U+0020 or one of U+FFFE and U+FFFF (EF BF BE, EF BF BF).
bool XmlCanCarry(std::string_view utf8) {
  if (!IsValidUtf8(utf8))
    return false;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' &&
         c != '\r') ||
        (c == '\xEF' && utf8.substr(i + 1, 1) == "\xBF" &&
         i + 2 < utf8.size() &&
         (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF')))
      return false;
  }
  return true;
}

bool AppendXmlAttribute(std::string &out, const char *name,
                        std::string_view utf8) {
  if (!XmlCanCarry(utf8))
    return false;
  out += ' ';
  out += name;
  out += "=\"";
  for (const char c : utf8) {
    if (const char *escaped =
            XmlEscape(static_cast<unsigned char>(c), /*attribute=*/true))
      out += escaped;
    else
      out.push_back(c);
  }
  out += '"';
  return true;
}

} // namespace phrasor::tool
