//===- Escapes.cpp - C-style escapes for texts kept on one line -----------===//

#include "tools/phrasor/formats/shared/Escapes.h"

#include <cstdio>

namespace phrasor::tool {
namespace {

int HexDigit(char h) {
  if (h >= '0' && h <= '9')
    return h - '0';
  if (h >= 'a' && h <= 'f')
    return h - 'a' + 10;
  if (h >= 'A' && h <= 'F')
    return h - 'A' + 10;
  return -1;
}

} // namespace

std::string EscapeControls(std::string_view text, std::string_view also) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || also.find(c) != std::string_view::npos) {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (u < 0x20 || u == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", u);
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> UnescapeControls(std::string_view escaped,
                                            std::string_view also) {
  std::string out;
  out.reserve(escaped.size());
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const char c = escaped[i];
    if (also.find(c) != std::string_view::npos)
      return std::nullopt;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == escaped.size())
      return std::nullopt;
    const char e = escaped[i];
    if (e == '\\' || also.find(e) != std::string_view::npos) {
      out += e;
    } else if (e == 'n') {
      out += '\n';
    } else if (e == 't') {
      out += '\t';
    } else if (e == 'r') {
      out += '\r';
    } else if (e == 'x' && i + 2 < escaped.size() &&
               HexDigit(escaped[i + 1]) >= 0 && HexDigit(escaped[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(escaped[i + 1]) * 16 +
                               HexDigit(escaped[i + 2]));
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

} // namespace phrasor::tool
