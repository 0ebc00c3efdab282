//===- apple_strings_fuzz.cpp - Bytes through the .strings reader ---------===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as a .strings file and read again: the
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
  tool::ReadAppleStrings(file, text, tool::InputOptions{}, diag, out);
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadAppleStrings(
      "Localizable.strings",
      std::string_view(reinterpret_cast<const char *>(data), size),
      tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  for (const tool::SourceEntry &s : read) {
    if (!s.entry.id.empty() && s.entry.id[0] == '@')
      return; // the locale travels in a comment of its own
    if (s.kind)
      meta.kinds[s.entry.id] = *s.kind;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  tool::Diagnostics writeDiag;
  const std::string text =
      tool::WriteAppleStrings({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed())
    return; // could not write every entry, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  tool::ReadAppleStrings("Localizable.strings", text, tool::InputOptions{},
                         again, back);
  if (again.Failed() || back.size() != entries.size())
    fuzz::ReaderFail("a written .strings file did not read back");
  for (const authoring::Entry &a : entries) {
    auto b =
        std::find_if(back.begin(), back.end(), [&](const tool::SourceEntry &s) {
          return s.entry.id == a.id;
        });
    if (b == back.end() || b->entry.value != a.value)
      fuzz::ReaderFail("an entry changed on its way through a .strings file");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, "Localizable.strings", data,
                            size);
  ExpectRoundTrip(data, size);
  return 0;
}
