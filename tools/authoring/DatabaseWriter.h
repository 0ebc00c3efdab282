//===- DatabaseWriter.h - Writing compiled string databases ----*- C++ -*-===//
//
// The authoring side of the database format: turns entries into the exact
// bytes the runtime loads. Used by the phrasor tool, the tests (which build
// every database they load with it) and the benchmarks.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOLS_DATABASEWRITER_H
#define PHRASOR_TOOLS_DATABASEWRITER_H

#include "keeper/DatabaseFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace phrasor::authoring {

/// One entry as an author writes it.
struct Entry {
  std::string id;
  std::optional<std::u16string> value;
  std::optional<std::string> voicePath;
};

struct RefPair {
  uint32_t valueRef = NO_ENTRY;
  uint32_t voicePathRef = NO_ENTRY;
};

/// A database laid out as the file stores it. Tests edit one to make files
/// the loader must refuse; the header overrides replace computed counts.
struct RawDatabase {
  uint32_t magic = kDatabaseMagic;
  uint32_t version = kDatabaseVersion;
  std::vector<std::string> ids;
  std::vector<std::u16string> values;
  std::vector<std::string> voicePaths;
  std::vector<RefPair> pairs;
  std::optional<uint32_t> idCount, stringTotal, voicePathCount, blockSize;
  /// Bytes appended after the last pair (the loader must never read them).
  std::vector<uint8_t> trailer;
};

/// Why an entry cannot be written.
struct CompileIssue {
  enum Kind { DuplicateId, NulInId, NulInValue, NulInVoicePath, TooLarge };
  Kind kind;
  /// Position in the input; for TooLarge, the entry (in ID order) whose
  /// strings take the string block past what its 32-bit size can say.
  std::size_t entry;
  std::size_t other; ///< for DuplicateId: the earlier entry with that ID
};

struct [[nodiscard]] CompileResult {
  RawDatabase database;
  std::vector<CompileIssue> issues; ///< empty when the database is good
};

/// Where each entry's strings go in the file, as positions in the entries
/// it was laid out from: all Serialize needs, without copies of the
/// strings, which for a large catalog are the most a build allocates.
struct Layout {
  std::vector<std::size_t> order;      ///< the entries in ID order
  std::vector<std::size_t> values;     ///< the entry of each stored value
  std::vector<std::size_t> voicePaths; ///< the entry of each stored path
  std::vector<RefPair> pairs;          ///< one per ID, in ID order
  uint64_t blockSize = 0;              ///< the string block's bytes
};

struct [[nodiscard]] LayoutResult {
  Layout layout;
  std::vector<CompileIssue> issues; ///< empty when the layout is good
};

/// What Compile decides, as a layout of \p entries; the same issues.
LayoutResult Lay(const std::vector<Entry> &entries,
                 uint64_t blockLimit = UINT32_MAX);

/// The bytes Serialize(Compile(entries).database) gives, written from the
/// entries \p layout was made from.
std::vector<uint8_t> Serialize(const std::vector<Entry> &entries,
                               const Layout &layout);

/// The same bytes given to \p sink in order, a piece of about a megabyte
/// at a time: a build writes a large database to its file as it goes,
/// where a buffer of the whole was hundreds of megabytes of fresh memory.
void SerializeTo(const std::vector<Entry> &entries, const Layout &layout,
                 const std::function<void(const uint8_t *, std::size_t)> &sink);

/// Sorts the IDs in the runtime's case-insensitive order, stores each
/// distinct value and voice path once, and refuses IDs equal under that
/// order. The same entries always give the same database. The string block
/// may hold at most \p blockLimit bytes (the header states its size in 32
/// bits; tests pass less).
CompileResult Compile(const std::vector<Entry> &entries,
                      uint64_t blockLimit = UINT32_MAX);

/// The file's bytes: header, padded string block, reference pairs.
std::vector<uint8_t> Serialize(const RawDatabase &database);

/// Compile and serialize; empty optional when the entries have issues.
std::optional<std::vector<uint8_t>>
BuildDatabase(const std::vector<Entry> &entries);

/// The runtime's ID order: ASCII letters folded to lower case, bytes
/// compared as unsigned.
int CompareIds(const std::string &a, const std::string &b);

} // namespace phrasor::authoring

#endif // PHRASOR_TOOLS_DATABASEWRITER_H
