//===- i18next_fuzz.cpp - Arbitrary bytes through the i18next reader ------===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as an i18next file and read again: the
// writer's keys and {{name}} inserts are the reader's inverse.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/formats/i18next/I18next.h"

namespace {

using namespace phrasor;

constexpr const char *kFile = "locales/pl/translation.json";

void ReadWithDefaults(const std::string &file, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  tool::ReadI18next(file, text, tool::InputOptions{}, diag, out);
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadI18next(
      kFile, std::string_view(reinterpret_cast<const char *>(data), size),
      tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  for (const tool::SourceEntry &s : read) {
    if (s.entry.id == tool::kLocaleId)
      continue; // the folder gives it back
    if (s.kind)
      meta.kinds[s.entry.id] = *s.kind;
    entries.push_back(s.entry);
  }
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  tool::Diagnostics writeDiag;
  const std::string text =
      tool::WriteI18next({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed() || writeDiag.Warnings())
    return; // left out or changed what i18next cannot spell, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  tool::ReadI18next(kFile, text, tool::InputOptions{}, again, back);
  if (again.Failed() || back.size() != read.size())
    fuzz::ReaderFail("a written i18next file did not read back");
  for (const authoring::Entry &a : entries) {
    auto b =
        std::find_if(back.begin(), back.end(), [&](const tool::SourceEntry &s) {
          return s.entry.id == a.id;
        });
    if (b == back.end() || b->entry.value != a.value)
      fuzz::ReaderFail("an entry changed on its way through i18next JSON");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, kFile, data, size);
  ExpectRoundTrip(data, size);
  return 0;
}
