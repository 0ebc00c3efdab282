//===- android_fuzz.cpp - Arbitrary bytes through the Android reader ------===//
//
// Beyond what every reader must survive, whatever the reader accepts under
// Android's names must come back unchanged when written as a resource file
// and read again, with the same notes: the writer's escapes, markup and
// comments are the reader's inverse.
//
//===----------------------------------------------------------------------===//

#include "fuzz/ReaderFuzz.h"
#include "tools/phrasor/formats/android/Android.h"

namespace {

using namespace phrasor;

void ReadWithDefaults(const std::string &file, std::string_view text,
                      tool::Diagnostics &diag,
                      std::vector<tool::SourceEntry> &out) {
  tool::ReadAndroid(file, text, tool::InputOptions{}, diag, out);
}

void ExpectRoundTrip(const uint8_t *data, size_t size) {
  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> read;
  tool::ReadAndroid(
      "res/values/strings.xml",
      std::string_view(reinterpret_cast<const char *>(data), size),
      tool::InputOptions{}, diag, read);
  std::vector<authoring::Entry> entries;
  tool::Metadata meta;
  for (const tool::SourceEntry &s : read) {
    if (!s.entry.id.empty() && s.entry.id[0] == '@')
      return; // the locale travels on <resources>
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
      tool::WriteAndroid({&entries, &meta}, {}, "fuzz", writeDiag);
  if (writeDiag.Failed() || writeDiag.Warnings() != 0)
    return; // left out or changed what Android cannot hold, and said so
  tool::Diagnostics again;
  std::vector<tool::SourceEntry> back;
  tool::ReadAndroid("res/values/strings.xml", text, tool::InputOptions{}, again,
                    back);
  if (again.Failed() || back.size() != entries.size())
    fuzz::ReaderFail("a written Android file did not read back");
  for (const authoring::Entry &a : entries) {
    auto b =
        std::find_if(back.begin(), back.end(), [&](const tool::SourceEntry &s) {
          return s.entry.id == a.id;
        });
    if (b == back.end() || b->entry.value != a.value)
      fuzz::ReaderFail("an entry changed on its way through Android XML");
    const auto note = meta.notes.find(a.id);
    if (b->note != (note == meta.notes.end()
                        ? std::nullopt
                        : std::optional<std::string>(note->second)))
      fuzz::ReaderFail("a note changed on its way through Android XML");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadWithDefaults, "res/values/strings.xml", data,
                            size);
  ExpectRoundTrip(data, size);
  return 0;
}
