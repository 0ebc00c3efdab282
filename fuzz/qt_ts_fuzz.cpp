//===- qt_ts_fuzz.cpp - Arbitrary bytes through the Qt .ts reader ---------===//
//
// Beyond what every reader must survive, whatever the reader accepts must
// come back unchanged when written as a .ts file and read again: the
// writer's contexts, numerus forms and placeholders are the reader's
// inverse.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/formats/qt/QtTs.h"

#include <algorithm>

namespace {

using namespace phrasor;

constexpr const char *kFile = "translations/app_pl.ts";

void ReadWithDefaults(const std::string &file, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  tool::ReadQtTs(file, text, tool::InputOptions{}, diag, out);
}

/// The entries and metadata a build of \p read would store.
void AsStored(const std::vector<tool::SourceEntry> &read,
              std::vector<authoring::Entry> &entries, tool::Metadata &meta) {
  for (const tool::SourceEntry &s : read) {
    if (s.entry.id == tool::kLocaleId) {
      meta.locale = tool::Utf16ToUtf8Lossy(s.entry.value.value_or(u""));
      continue;
    }
    // A kind inference gives back is not recorded.
    if (s.kind && s.entry.value &&
        tool::InferKind(*s.entry.value).kind != *s.kind)
      meta.kinds[s.entry.id] = *s.kind;
    if (s.note)
      meta.notes[s.entry.id] = *s.note;
    entries.push_back(s.entry);
  }
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadQtTs(kFile,
                 std::string_view(reinterpret_cast<const char *>(data), size),
                 tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  AsStored(read, entries, meta);
  authoring::CompileResult compiled = authoring::Compile(entries);
  if (diag.Failed() || !compiled.issues.empty())
    return;
  tool::Diagnostics writeDiag;
  const std::string text =
      tool::WriteQtTs({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed() || writeDiag.Warnings())
    return; // left out what a .ts cannot spell, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  tool::ReadQtTs(kFile, text, tool::InputOptions{}, again, back);
  if (again.Failed() || back.size() != read.size())
    fuzz::ReaderFail("a written .ts file did not read back");
  for (const tool::SourceEntry &a : read) {
    auto b =
        std::find_if(back.begin(), back.end(), [&](const tool::SourceEntry &s) {
          return s.entry.id == a.entry.id;
        });
    if (b == back.end() || b->entry.value != a.entry.value ||
        b->note != a.note || b->kind != a.kind)
      fuzz::ReaderFail("an entry changed on its way through a .ts file");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, kFile, data, size);
  ExpectRoundTrip(data, size);
  return 0;
}
