//===- PoComments.cpp - What PO comments carry for the tool ---------------===//

#include "tools/phrasor/formats/po/PoComments.h"

#include "tools/phrasor/Utf.h"
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

std::optional<TextKind> KindOfFlags(const std::vector<std::string> &flags,
                                    const SourcePos &pos, Diagnostics &diag) {
  std::optional<TextKind> kind;
  for (const std::string &flag : flags) {
    std::optional<TextKind> k;
    if (flag == "c-format")
      k = TextKind::Printf;
    else if (flag == "no-c-format")
      k = TextKind::Plain;
    else if (flag == "phrasor-message")
      k = TextKind::Message;
    if (!k)
      continue;
    if (kind && *kind != *k) {
      diag.Error(pos, "flags say both " + std::string(KindName(*kind)) +
                          " and " + KindName(*k));
      return std::nullopt;
    }
    kind = k;
  }
  return kind;
}

bool ReadComments(const char *comments, std::optional<std::string> &voice,
                  bool &emptyValue, std::string &max, std::string &note) {
  std::string_view rest = comments ? comments : "";
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string line = Trimmed(rest.substr(0, end));
    rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
    if (line.rfind("voice:", 0) == 0) {
      voice = Trimmed(std::string_view(line).substr(6));
    } else if (line.rfind(kQuotedVoiceKey, 0) == 0) {
      voice = UnquoteVoicePath(
          Trimmed(std::string_view(line).substr(kQuotedVoiceKey.size())));
      if (!voice)
        return false;
    } else if (line == "value: empty") {
      emptyValue = true;
    } else if (line.rfind("max:", 0) == 0) {
      max = Trimmed(std::string_view(line).substr(4));
    } else if (!line.empty()) {
      if (!note.empty())
        note += '\n';
      note += line;
    }
  }
  return true;
}

} // namespace phrasor::tool
