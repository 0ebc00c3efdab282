//===- Inputs.cpp - Reading the files authors edit ------------------------===//

#include "tools/phrasor/Inputs.h"

#include "tools/phrasor/FileIo.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/Xliff.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

namespace phrasor::tool {

namespace {
std::string Extension(const std::string &path) {
  std::size_t slash = path.find_last_of("/\\");
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  std::string ext = path.substr(dot);
  for (char &c : ext)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return ext;
}
} // namespace

void ReadInput(const std::string &path, const InputOptions &options,
               Diagnostics &diag, std::vector<SourceEntry> &out) {
  const std::string ext = Extension(path);
  const bool xliff = ext == ".xlf" || ext == ".xliff";
  if (ext != ".csv" && ext != ".json" && ext != ".po" && !xliff)
    throw FatalError("'" + path +
                     "': unknown input type (expected .csv, .json, .po, "
                     ".xlf or .xliff)");
  const std::string text = ReadFileBytes(path);
  if (xliff)
    ReadXliff(path, text, options, diag, out);
  else if (ext == ".csv")
    ReadCsv(path, text, diag, out);
  else if (ext == ".json")
    ReadJson(path, text, diag, out);
  else
    ReadPo(path, text, options, diag, out);
}

void AddEntry(const SourcePos &pos, std::string id,
              const std::optional<std::string> &value,
              std::optional<std::string> voice, Diagnostics &diag,
              std::vector<SourceEntry> &out, std::optional<ValueKind> kind) {
  bool good = true;
  if (id.empty()) {
    diag.Error(pos, "empty ID");
    good = false;
  } else if (id.find('\0') != std::string::npos) {
    diag.Error(pos, "ID contains a NUL character");
    good = false;
  } else if (id == "<none>") {
    // The runtime answers "<none>" itself and never searches for it.
    diag.Error(pos, "ID '<none>' is reserved and could never be looked up");
    good = false;
  } else if (!IsValidUtf8(id)) {
    diag.Error(pos, "ID is not valid UTF-8");
    good = false;
  }
  authoring::Entry entry;
  if (value) {
    std::optional<std::u16string> wide = Utf8ToUtf16(*value);
    if (!wide) {
      diag.Error(pos, "value of '" + id + "' is not valid UTF-8");
      good = false;
    } else if (wide->find(u'\0') != std::u16string::npos) {
      diag.Error(pos, "value of '" + id + "' contains a NUL character");
      good = false;
    } else {
      entry.value = std::move(*wide);
    }
  }
  if (voice && voice->find('\0') != std::string::npos) {
    diag.Error(pos, "voice path of '" + id + "' contains a NUL character");
    good = false;
  }
  if (!good)
    return;
  entry.id = std::move(id);
  entry.voicePath = std::move(voice);
  out.push_back({std::move(entry), pos, kind});
}

std::optional<ValueKind>
ReadKindName(const SourcePos &pos, const std::string &name, Diagnostics &diag) {
  if (name.empty())
    return std::nullopt;
  std::optional<ValueKind> kind = ParseKind(name);
  if (!kind)
    diag.Error(pos, "unknown kind '" + name +
                        "' (expected text, message or "
                        "printf)");
  return kind;
}

} // namespace phrasor::tool
