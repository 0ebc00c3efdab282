//===- Inputs.cpp - Reading the files authors edit ------------------------===//

#include "tools/phrasor/formats/Inputs.h"

#include "tools/phrasor/Progress.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/Registry.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace phrasor::tool {

void ReadInput(const std::string &path, const InputOptions &options,
               Diagnostics &diag, std::vector<SourceEntry> &out) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw FatalError("'" + path + "' is a directory, not an input file");
  const Format *format = options.inputFormat.empty()
                             ? FormatOfFile(path)
                             : FormatNamed(options.inputFormat);
  if (!format && !options.inputFormat.empty())
    throw FatalError("--input-format '" + options.inputFormat +
                     "' names no format (expected " +
                     JoinWords(FormatNames(), " or ") + ")");
  if (!format)
    throw FatalError("'" + path + "': unknown input type (expected " +
                     InputExtensionList(" or ") + ")");
  const std::string text = ReadFileBytes(path);
  const std::size_t before = out.size(), errors = diag.Errors();
  if (text.empty()) {
    // An empty file holds no entries in any format, though it is no valid
    // JSON or XML: the same warning below for all, no parse error for some.
  } else {
    format->read(path, text, options, diag, out);
  }
  // An empty input is most often the wrong file, or a save that failed;
  // a file that had errors has said so already.
  const bool entries =
      std::any_of(out.begin() + static_cast<std::ptrdiff_t>(before), out.end(),
                  [](const SourceEntry &s) {
                    // A source text beginning with '@' is a message.
                    return s.entry.id.empty() || s.entry.id[0] != '@' ||
                           s.origin == IdOrigin::SourceText;
                  });
  if (!entries && diag.Errors() == errors)
    diag.Warning(path, "no entries");
}

void AddEntry(const SourcePos &pos, std::string id,
              const std::optional<std::string> &value,
              std::optional<std::string> voice, Diagnostics &diag,
              std::vector<SourceEntry> &out, std::optional<TextKind> kind,
              IdOrigin origin) {
  bool good = true;
  if (std::optional<std::string> problem = IdProblem(id, origin)) {
    diag.Error(pos, *problem);
    good = false;
  } else if (std::optional<std::string> doubt = IdWarning(id)) {
    diag.Warning(pos, *doubt);
  }
  authoring::Entry entry;
  if (value) {
    std::optional<std::u16string> wide = Utf8ToUtf16(*value);
    if (!wide) {
      diag.Error(pos, "value of '" + ShownId(id) + "' is not valid UTF-8");
      good = false;
    } else if (wide->find(u'\0') != std::u16string::npos) {
      diag.Error(pos,
                 "value of '" + ShownId(id) + "' contains a NUL character");
      good = false;
    } else {
      entry.value = std::move(*wide);
    }
  }
  // A voice path is text like a value: a dump could not write other bytes.
  if (voice && !IsValidUtf8(*voice)) {
    diag.Error(pos, "voice path of '" + ShownId(id) + "' is not valid UTF-8");
    good = false;
  } else if (voice && voice->find('\0') != std::string::npos) {
    diag.Error(pos,
               "voice path of '" + ShownId(id) + "' contains a NUL character");
    good = false;
  }
  if (!good)
    return;
  entry.id = std::move(id);
  entry.voicePath = std::move(voice);
  out.push_back({std::move(entry), pos, kind, std::nullopt, origin});
  CountEntryRead(out.size());
}

std::optional<TextKind>
ReadKindName(const SourcePos &pos, const std::string &name, Diagnostics &diag) {
  if (name.empty())
    return std::nullopt;
  std::optional<TextKind> kind = ParseKind(name);
  if (!kind)
    diag.Error(pos, "unknown kind '" + name +
                        "' (expected text, message or "
                        "printf)");
  return kind;
}

std::optional<unsigned> ReadLimit(const SourcePos &pos, std::string_view text,
                                  Diagnostics &diag) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty())
    return std::nullopt;
  unsigned long n = 0;
  bool ok = trimmed.size() <= 9;
  for (char c : trimmed) {
    ok = ok && c >= '0' && c <= '9';
    n = n * 10 + static_cast<unsigned long>(c - '0');
  }
  if (!ok || n == 0) {
    diag.Error(pos, "length limit '" + trimmed +
                        "' is not a whole number of characters above 0");
    return std::nullopt;
  }
  return static_cast<unsigned>(n);
}

} // namespace phrasor::tool
