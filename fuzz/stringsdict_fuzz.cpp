//===- stringsdict_fuzz.cpp - Arbitrary bytes through the plist reader ---===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as a .stringsdict and read again: the
// writer's escapes and conversions are the reader's inverse.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/formats/apple/Apple.h"

namespace {

using namespace phrasor;

void ReadWithDefaults(const std::string &file, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  tool::ReadStringsdict(file, text, tool::InputOptions{}, diag, out);
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadStringsdict(
      "Localizable.stringsdict",
      std::string_view(reinterpret_cast<const char *>(data), size),
      tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  for (const tool::SourceEntry &s : read) {
    if (!s.entry.id.empty() && s.entry.id[0] == '@')
      return;
    if (s.kind)
      meta.kinds[s.entry.id] = *s.kind;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  tool::Diagnostics writeDiag;
  const std::string text =
      tool::WriteStringsdict({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed())
    return; // could not write every entry, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  tool::ReadStringsdict("Localizable.stringsdict", text, tool::InputOptions{},
                        again, back);
  if (again.Failed() || back.size() != entries.size())
    fuzz::ReaderFail("a written .stringsdict did not read back");
  for (const authoring::Entry &a : entries) {
    auto b =
        std::find_if(back.begin(), back.end(), [&](const tool::SourceEntry &s) {
          return s.entry.id == a.id;
        });
    if (b == back.end() || b->entry.value != a.value)
      fuzz::ReaderFail("an entry changed on its way through a .stringsdict");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, "Localizable.stringsdict", data,
                            size);
  ExpectRoundTrip(data, size);
  return 0;
}
