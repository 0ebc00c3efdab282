//===- xliff_fuzz.cpp - Arbitrary bytes through the tool's XLIFF reader ---===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as XLIFF of either version and read
// again: the writer's escapes, inline codes and own attributes are the
// reader's inverse. Each input is also read with its texts as ICU
// MessageFormat texts (--syntax icu), whose forms must make a database as
// any entries do, and come back as the same forms (in any order: a dump
// may nest a message's choices the other way round) from an ICU dump
// that reported nothing.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/formats/xliff/Xliff.h"

#include <algorithm>

namespace {

using namespace phrasor;

void ReadWithDefaults(const std::string &file, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  tool::ReadXliff(file, text, tool::InputOptions{}, diag, out);
}

void ReadIcu(const std::string &file, std::string_view text,
             tool::Diagnostics &diag, std::vector<tool::SourceEntry> &out) {
  tool::InputOptions options;
  options.icuSyntax = true;
  tool::ReadXliff(file, text, options, diag, out);
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadXliff("fuzz.xlf",
                  std::string_view(reinterpret_cast<const char *>(data), size),
                  tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  for (const tool::SourceEntry &s : read) {
    // The metadata entries travel in other places than units.
    if (!s.entry.id.empty() && s.entry.id[0] == '@')
      return;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  const tool::Metadata meta;
  for (tool::FormatWriter write : {tool::WriteXliff12, tool::WriteXliff20}) {
    tool::Diagnostics writeDiag;
    const std::string text = write({&entries, &meta}, {}, "fuzz", writeDiag);
    if (writeDiag.Failed())
      continue; // left out what XML cannot carry, and said so
    tool::Diagnostics again;
    std::vector<tool::SourceEntry> back;
    tool::ReadXliff("fuzz.xlf", text, tool::InputOptions{}, again, back);
    if (again.Failed() || back.size() != entries.size())
      fuzz::ReaderFail("a written XLIFF file did not read back");
    for (std::size_t i = 0; i < back.size(); ++i) {
      const authoring::Entry &a = entries[i], &b = back[i].entry;
      if (a.id != b.id || a.value != b.value || a.voicePath != b.voicePath)
        fuzz::ReaderFail("an entry changed on its way through XLIFF");
    }
  }
}

void ExpectIcuRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  ReadIcu("fuzz.xlf",
          std::string_view(reinterpret_cast<const char *>(data), size), diag,
          read);
  std::vector<authoring::Entry> entries;
  for (const tool::SourceEntry &s : read) {
    if (!s.entry.id.empty() && s.entry.id[0] == '@' &&
        s.entry.id != tool::kIcuArgsId)
      return;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  auto byId = [](const authoring::Entry &a, const authoring::Entry &b) {
    return a.id < b.id;
  };
  std::sort(entries.begin(), entries.end(), byId);
  std::vector<authoring::Entry> texts;
  for (const authoring::Entry &e : entries)
    if (e.id != tool::kIcuArgsId)
      texts.push_back(e);
  const tool::Metadata meta;
  for (tool::FormatWriter write : {tool::WriteXliff12, tool::WriteXliff20}) {
    tool::Diagnostics writeDiag;
    const std::string text =
        write({&entries, &meta, true}, {}, "fuzz", writeDiag);
    if (writeDiag.Failed() || writeDiag.Warnings())
      continue; // left out or changed something, and said so
    tool::Diagnostics again;
    std::vector<tool::SourceEntry> back;
    ReadIcu("fuzz.xlf", text, again, back);
    std::vector<authoring::Entry> got;
    // Forms stored apart come back named by the writer, whose record
    // is no text of the file.
    for (const tool::SourceEntry &s : back)
      if (s.entry.id != tool::kIcuArgsId)
        got.push_back(s.entry);
    std::sort(got.begin(), got.end(), byId);
    if (again.Failed() || got.size() != texts.size())
      fuzz::ReaderFail("a written ICU XLIFF file did not read back");
    for (std::size_t i = 0; i < got.size(); ++i) {
      const authoring::Entry &a = texts[i], &b = got[i];
      if (a.id != b.id || a.value != b.value || a.voicePath != b.voicePath)
        fuzz::ReaderFail("an entry changed on its way through ICU XLIFF");
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, "fuzz.xlf", data, size);
  ExpectRoundTrip(data, size);
  phrasor::fuzz::FuzzReader(ReadIcu, "fuzz.xlf", data, size);
  ExpectIcuRoundTrip(data, size);
  return 0;
}
