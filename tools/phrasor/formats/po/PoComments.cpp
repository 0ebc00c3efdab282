//===- PoComments.cpp - What PO comments carry for the tool ---------------===//

#include "tools/phrasor/formats/po/PoComments.h"

#include "tools/phrasor/formats/shared/Escapes.h"

#include <cstdio>

namespace phrasor::tool {

std::string PoVoiceComment(std::string_view voice) {
  bool plain = voice.empty() || (voice.front() != ' ' && voice.back() != ' ' &&
                                 voice.back() != '\\');
  for (char c : voice)
    plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
  if (plain)
    return "voice: " + std::string(voice);
  return std::string(kQuotedVoiceKey) + " \"" + EscapeControls(voice, "\"") +
         "\"";
}

std::optional<std::string> UnquoteVoicePath(std::string_view quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
    return std::nullopt;
  return UnescapeControls(quoted.substr(1, quoted.size() - 2), "\"");
}

} // namespace phrasor::tool
