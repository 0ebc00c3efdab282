//===- ReaderFuzz.h - Shared body of the tool reader fuzzers ---*- C++ -*-===//
//
// A reader must turn any bytes into entries and diagnostics without
// crashing, throwing or hanging; the checks a build runs on what it read
// (kinds, locale tags, plural categories) must do the same; and whatever
// entries it accepts, once the authoring library compiles them without
// issues, must make a database the runtime loads and finds every ID in.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FUZZ_READERFUZZ_H
#define PHRASOR_FUZZ_READERFUZZ_H

#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/formats/csv/Csv.h"
#include "tools/phrasor/formats/json/Json.h"

#include "PhrasorRuntime.h"
#include "tools/authoring/ByteStream.h"
#include "tools/authoring/DatabaseWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::fuzz {

using ReaderFunction = void (*)(const std::string &, std::string_view,
                                tool::Diagnostics &,
                                std::vector<tool::SourceEntry> &);

[[noreturn]] inline void ReaderFail(const char *what) {
  std::fprintf(stderr, "reader fuzz: %s\n", what);
  std::abort();
}

inline int FuzzReader(ReaderFunction read, const char *file,
                      const uint8_t *data, size_t size) {
  // Diagnostics are the reader's normal output for bad input; printing
  // thousands a second would only slow the fuzzer down.
  static bool quiet = (std::cerr.rdbuf(nullptr), true);
  (void)quiet;

  tool::Diagnostics diag;
  std::vector<tool::SourceEntry> entries;
  read(file, std::string_view(reinterpret_cast<const char *>(data), size), diag,
       entries);

  std::vector<std::string> ids;
  std::optional<std::string> locale;
  for (const tool::SourceEntry &source : entries) {
    ids.push_back(source.entry.id);
    if (!source.entry.value)
      continue;
    const std::u16string &value = *source.entry.value;
    const tool::KindReading inferred = tool::InferKind(value);
    const TextKind kind = source.kind.value_or(inferred.kind);
    if (kind != inferred.kind && !source.kind)
      ReaderFail("an entry without a kind did not take the inferred one");
    tool::CheckValueAs(value, kind);
    if (source.entry.id == tool::kLocaleId) {
      const std::string tag = tool::Utf16ToUtf8Lossy(value);
      if (tool::IsWellFormedTag(tag))
        locale = tag;
    }
  }
  tool::CheckPluralTexts(ids, locale);

  std::vector<authoring::Entry> plain;
  plain.reserve(entries.size());
  for (const tool::SourceEntry &source : entries)
    plain.push_back(source.entry);
  authoring::CompileResult compiled = authoring::Compile(plain);
  if (!compiled.issues.empty())
    return 0;
  std::vector<uint8_t> bytes = authoring::Serialize(compiled.database);
  phrasor::authoring::ByteStream stream(bytes);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
  if (!keeper)
    ReaderFail("accepted entries made a database the runtime refuses");
  for (const authoring::Entry &entry : plain)
    if (entry.id != "<none>" && !mgr->IsValidID(keeper, entry.id.c_str()))
      ReaderFail("an accepted ID is missing from the built database");
  mgr->ReleaseKeeper(keeper);
  return 0;
}

} // namespace phrasor::fuzz

#endif // PHRASOR_FUZZ_READERFUZZ_H
