//===- DatabaseFormat.h - The compiled database, described once -*- C++ -*-===//
//
// Everything that decides whether bytes form a database lives here: the
// header's words, the string slots, the reference pairs and the rules over
// them. The loader applies the rules while it reads a host stream, the
// authoring writer lays files out by them, and the tool asks for the reason
// a file breaks them, so the three can never disagree about a file.
//
// Layout, all words little-endian:
//   header     magic, version, N (IDs), T (IDs + values), P (voice paths),
//              S (string block bytes)
//   block      N narrow IDs in case-insensitive order, T - N wide values,
//              P narrow voice paths; each string is followed by its
//              terminator and zero padding to a whole number of 4-byte slots
//   pairs      N reference pairs (value index, voice path index)
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_DATABASEFORMAT_H
#define PHRASOR_KEEPER_DATABASEFORMAT_H

#include "PhrasorRuntime.h"

#include <stddef.h>
#include <stdint.h>

namespace phrasor {

/// "SKDB" read as a little-endian word.
constexpr uint32_t kDatabaseMagic = 0x42444B53u;
constexpr uint32_t kDatabaseVersion = 5;
/// Six words: magic, version and the four counts.
constexpr uint32_t kHeaderSize = 24;
constexpr uint32_t kRefPairSize = 8;
/// A reference that names no string.
constexpr uint32_t NO_ENTRY = 0xFFFFFFFFu;

/// Bytes a narrow string of \p length bytes occupies in the block: its bytes,
/// the terminator, then padding to a multiple of four.
constexpr uint64_t NarrowSlot(uint64_t length) { return (length + 4) & ~3ull; }
/// The same for a wide string of \p units 16-bit units.
constexpr uint64_t WideSlot(uint64_t units) { return (2 * units + 5) & ~3ull; }

/// A little-endian word from four bytes.
inline uint32_t DecodeWord(const unsigned char *bytes) {
  return static_cast<uint32_t>(bytes[0]) |
         static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 |
         static_cast<uint32_t>(bytes[3]) << 24;
}

struct DatabaseHeader {
  uint32_t magic;
  uint32_t version;
  uint32_t idCount;        ///< N
  uint32_t stringTotal;    ///< T, IDs and values together
  uint32_t voicePathCount; ///< P
  uint32_t blockSize;      ///< S
};

/// Per ID, where its value and voice path are.
struct StringRefPair {
  uint32_t valueRef;
  uint32_t voicePathRef;
};

/// The first rule a file breaks, in the order the loader meets them.
enum class DatabaseProblem {
  None,
  TruncatedHeader, ///< fewer than kHeaderSize bytes
  BadMagic,
  BadVersion,
  TotalBelowIdCount,     ///< T < N
  BlockTooSmall,         ///< S cannot hold T + P slots of four bytes
  TruncatedBlock,        ///< the file ends inside the string block
  TableTooLarge,         ///< a pointer table's size does not fit 32 bits
  IdUnterminated,        ///< index: the ID
  IdsOutOfOrder,         ///< index: the ID that sorts before its predecessor
  ValueUnterminated,     ///< index: the value
  VoicePathUnterminated, ///< index: the voice path
  TruncatedPairs,        ///< index: how many whole pairs are present
  ValueRefOutOfRange,    ///< index: the ID whose pair it is
  VoicePathRefOutOfRange ///< index: the ID whose pair it is
};

/// A verdict: the problem, where it applies, and what was read on the way.
struct DatabaseCheck {
  DatabaseProblem problem;
  uint32_t index;        ///< see DatabaseProblem; 0 where none applies
  uint64_t offset;       ///< file offset at which the problem was found
  DatabaseHeader header; ///< valid from BadMagic on
  uint64_t end;          ///< for None: where the last pair ends
};

/// Where a string walk stores what it finds; a null table is skipped.
struct StringTables {
  const char **ids;
  const PhrasorWChar **values;
  const char **voicePaths;
  /// Entry i (from 1): how many folded bytes ID i shares with ID i - 1,
  /// which the order check finds anyway.
  uintptr_t *idCommon;
};

/// The header's own rules: magic, version, and counts that the block can
/// hold. Every string takes at least one 4-byte slot, so a block smaller than
/// four bytes a string is refused before any memory is requested: a hostile
/// header cannot make the loader ask for more than the block justifies. The
/// test is on whole slots, so it also refuses a block that cuts the padding
/// of a last 4-byte slot (the writer always writes whole slots).
DatabaseProblem CheckHeader(const DatabaseHeader &header);

/// Whether every table the loader builds for \p header (three of pointers,
/// one of reference pairs) has a byte size that fits 32 bits, the most one
/// request can ask for. With 8-byte pointers a table can outgrow that
/// although the counts passed CheckHeader; such a table is never built.
bool TablesFit(const DatabaseHeader &header);

/// Walks the N + (T - N) + P strings of a block of \p size bytes, each of
/// which must start and end inside it (only the padding of the last slot
/// may lie past the end, and padding is never read), with the IDs in
/// case-insensitive order. Stores each string's address in \p tables as it
/// goes. On failure, \p index is where the walk stopped.
DatabaseProblem CheckStrings(const char *block, uint32_t size,
                             const DatabaseHeader &header,
                             const StringTables &tables, uint32_t &index);

/// A pair's references must name a stored value and voice path, or none.
DatabaseProblem CheckRefPair(const DatabaseHeader &header,
                             const StringRefPair &pair);

/// Every rule the loader enforces, over a whole file in memory. The verdict
/// is None exactly when the loader, reading the same bytes from a stream,
/// builds a keeper (memory permitting).
DatabaseCheck ValidateDatabase(const unsigned char *image, size_t size);

/// One sentence naming \p problem, without the details of the file.
const char *DescribeDatabaseProblem(DatabaseProblem problem);

} // namespace phrasor

#endif // PHRASOR_KEEPER_DATABASEFORMAT_H
