//===- po_fuzz.cpp - Arbitrary bytes through the tool's PO reader ---------===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as PO and read again: IDs, values and
// voice paths, and the language. libgettextpo reads only named files, so
// each input is written to a private file first.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/formats/po/Po.h"

#include <unistd.h>

#include <fstream>

namespace {

using namespace phrasor;

/// A file of this process's own that holds the text being read.
const std::string &ScratchFile() {
  static const std::string path =
      "/tmp/phrasor-po-fuzz-" + std::to_string(::getpid()) + ".po";
  return path;
}

void ReadText(std::string_view text, tool::Diagnostics &diag,
              std::vector<tool::SourceEntry> &out) {
  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
  tool::ReadPo(ScratchFile(), text, tool::InputOptions{}, diag, out);
}

void ReadWithDefaults(const std::string &, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  ReadText(text, diag, out);
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  ReadText(std::string_view(reinterpret_cast<const char *>(data), size), diag,
           read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  for (const tool::SourceEntry &s : read) {
    // The language travels in the header.
    if (s.entry.id == tool::kLocaleId) {
      const std::string tag = tool::Utf16ToUtf8Lossy(*s.entry.value);
      if (meta.locale || !tool::IsWellFormedTag(tag))
        return;
      meta.locale = tag;
      continue;
    }
    if (!s.entry.id.empty() && s.entry.id[0] == '@')
      return;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  tool::Diagnostics writeDiag;
  const std::string text =
      tool::WritePo({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed())
    return; // left out what PO cannot carry, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  ReadText(text, again, back);
  if (again.Failed())
    fuzz::ReaderFail("a written PO file did not read back");
  std::vector<const authoring::Entry *> backEntries;
  std::optional<std::string> backLocale;
  for (const tool::SourceEntry &s : back) {
    if (s.entry.id == tool::kLocaleId)
      backLocale = tool::Utf16ToUtf8Lossy(*s.entry.value);
    else
      backEntries.push_back(&s.entry);
  }
  if (backLocale != meta.locale || backEntries.size() != entries.size())
    fuzz::ReaderFail("a written PO file did not read back the same entries");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const authoring::Entry &a = entries[i], &b = *backEntries[i];
    if (a.id != b.id || a.value != b.value || a.voicePath != b.voicePath)
      fuzz::ReaderFail("an entry changed on its way through PO");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, "fuzz.po", data, size);
  ExpectRoundTrip(data, size);
  return 0;
}
