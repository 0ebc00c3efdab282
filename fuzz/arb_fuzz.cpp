//===- arb_fuzz.cpp - Arbitrary bytes through the ARB reader --------------===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as an ARB file and read again: every
// entry (the @arb and @icu-args records among them) with its value and
// note.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/arb/Arb.h"

namespace {

using namespace phrasor;

constexpr const char *kFile = "app_pl.arb";

void ReadWithDefaults(const std::string &file, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  tool::ReadArb(file, text, tool::InputOptions{}, diag, out);
}

bool SameEntries(const std::vector<tool::SourceEntry> &a,
                 const std::vector<tool::SourceEntry> &b) {
  if (a.size() != b.size())
    return false;
  for (const tool::SourceEntry &x : a) {
    auto y = std::find_if(b.begin(), b.end(), [&](const tool::SourceEntry &s) {
      return s.entry.id == x.entry.id;
    });
    if (y == b.end() || y->entry.value != x.entry.value || y->note != x.note)
      return false;
  }
  return true;
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadArb(kFile,
                std::string_view(reinterpret_cast<const char *>(data), size),
                tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  for (const tool::SourceEntry &s : read) {
    if (s.entry.id == tool::kLocaleId) {
      meta.locale = tool::Utf16ToUtf8Lossy(s.entry.value.value_or(u""));
      continue;
    }
    if (s.kind)
      meta.kinds[s.entry.id] = *s.kind;
    if (s.note)
      meta.notes[s.entry.id] = *s.note;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  tool::Diagnostics writeDiag;
  const std::string text =
      tool::WriteArb({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed() || writeDiag.Warnings())
    return; // left out what ICU cannot spell, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  tool::ReadArb(kFile, text, tool::InputOptions{}, again, back);
  if (again.Failed())
    fuzz::ReaderFail("a written ARB file did not read back");
  if (!SameEntries(read, back))
    fuzz::ReaderFail("an entry changed on its way through an ARB file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, kFile, data, size);
  ExpectRoundTrip(data, size);
  return 0;
}
