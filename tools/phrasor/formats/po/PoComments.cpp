//===- PoComments.cpp - What PO comments carry for the tool ---------------===//

#include "tools/phrasor/formats/po/PoComments.h"

#include <cstdio>

namespace phrasor::tool {

std::string PoVoiceComment(std::string_view voice) {
  bool plain = voice.empty() || (voice.front() != ' ' && voice.back() != ' ' &&
                                 voice.back() != '\\');
  for (char c : voice)
    plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
  if (plain)
    return "voice: " + std::string(voice);
  std::string out(kQuotedVoiceKey);
  out += " \"";
  for (char c : voice) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
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
  return out + "\"";
}

std::optional<std::string> UnquoteVoicePath(std::string_view quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
    return std::nullopt;
  quoted = quoted.substr(1, quoted.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    const char c = quoted[i];
    if (c == '"')
      return std::nullopt;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == quoted.size())
      return std::nullopt;
    switch (quoted[i]) {
    case '"':
    case '\\':
      out += quoted[i];
      break;
    case 'n':
      out += '\n';
      break;
    case 't':
      out += '\t';
      break;
    case 'r':
      out += '\r';
      break;
    case 'x': {
      auto hex = [](char h) -> int {
        if (h >= '0' && h <= '9')
          return h - '0';
        if (h >= 'a' && h <= 'f')
          return h - 'a' + 10;
        if (h >= 'A' && h <= 'F')
          return h - 'A' + 10;
        return -1;
      };
      if (i + 2 >= quoted.size())
        return std::nullopt;
      const int hi = hex(quoted[i + 1]), lo = hex(quoted[i + 2]);
      if (hi < 0 || lo < 0)
        return std::nullopt;
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
      break;
    }
    default:
      return std::nullopt;
    }
  }
  return out;
}

} // namespace phrasor::tool
