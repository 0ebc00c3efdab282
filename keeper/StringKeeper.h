//===- StringKeeper.h - One loaded string database -------------*- C++ -*-===//
//
// A keeper holds a database's string block exactly as it was read, three
// pointer tables into the block, and one pair per ID that names where in the
// block its value and voice path start. After Load it is only ever read, so
// lookups on one keeper may run on many threads.
//
// The ID search compares probe keys (ProbeKeys.h), one word per ID, and
// reads a stored ID only when its key cannot decide: most steps then touch
// one table instead of a table and the string block. The keys live in the
// value table's last N slots, which the file's counts reserve and no value
// uses, so the keeper still makes exactly its five requests of the host. A
// hit then reads the pair at the found position and returns the block
// address it names: one memory access after the last probe, not two.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_STRINGKEEPER_H
#define PHRASOR_KEEPER_STRINGKEEPER_H

#include "PhrasorRuntime.h"
#include "keeper/DatabaseFormat.h"
#include "keeper/ErrorReporter.h"

#include <stdint.h>

struct CStringKeeper {
  explicit CStringKeeper(phrasor::IErrorReporter *owner);
  ~CStringKeeper();
  CStringKeeper(const CStringKeeper &) = delete;
  CStringKeeper &operator=(const CStringKeeper &) = delete;

  /// Reads a whole database; false on any failure, with everything obtained
  /// given back.
  bool Load(IReadStream *stream);
  /// Releases the five arrays; safe to run any number of times.
  void FreeTables();

  // Lookups. Each answers a failure with its fixed result and, where the
  // entry can be named, a report through `manager`.
  const char *GetStringID(int32_t index) const;
  const PhrasorWChar *GetStringByIndex(int32_t index) const;
  const char *GetVoicePathByIndex(int32_t index) const;
  bool HasStringByIndex(int32_t index) const;
  bool HasVoicePathByIndex(int32_t index) const;
  int32_t GetStringIndex(const char *id) const;
  const PhrasorWChar *GetStringByID(const char *id) const;
  const char *GetVoicePathByID(const char *id) const;
  bool IsValidID(const char *id) const;
  bool HasStringByID(const char *id) const;
  bool HasVoicePathByID(const char *id) const;
  /// Halving search of the IDs; needs idCount > 0 and a non-null id.
  int32_t FindID(const char *id) const;

  /// Narrows [lo, hi) towards some ID that begins with \p prefix.
  int32_t FindIDWithPrefix(const char *prefix, uint32_t &lo,
                           uint32_t &hi) const;
  bool EnumerateIDsByPrefix(const char *prefix, StringIDEnumCallback callback,
                            void *userData) const;

  /// Receives the keeper's failed lookups; the manager that created it.
  phrasor::IErrorReporter *manager;
  /// Per ID, the block offsets of its value and voice path, NO_ENTRY where
  /// it has none (offsets are multiples of four, so never NO_ENTRY). The
  /// file stores indices into the value and voice path runs; the loader
  /// turns each into its offset as the pair is read.
  phrasor::StringRefPair *refPairs;
  char *block;
  const char **idTable;
  const PhrasorWChar **valueTable;
  const char **voicePathTable;
  uint32_t idCount;
  uint32_t stringTotal;
  uint32_t voicePathCount;
  /// One past the last byte of \c block: the ID search reads stored IDs
  /// sixteen bytes at a time and must know where the block ends.
  const char *blockEnd;

  /// Probe key of ID i (ProbeKeys.h), the table the search reads. It lies
  /// in the last idCount slots of valueTable, which the values never use,
  /// so the record needs no field of its own for it. Valid when idCount > 0.
  const uintptr_t *ProbeKeys() const {
    return reinterpret_cast<const uintptr_t *>(valueTable +
                                               (stringTotal - idCount));
  }

  /// How a lookup by ID ended before it read an entry.
  enum class IdOutcome { Found, NullId, NoneId, Empty, Missing };
  /// Which family of lookup by ID runs the shared checks: IndexOnly
  /// (GetStringIndex) reports nothing, Fetch (the lookups that return a
  /// string) reports every failure, Test (the presence tests) searches for
  /// "<none>" like any ID and reports no miss.
  enum class IdLookup { IndexOnly, Fetch, Test };

private:
  void Report(const char *label, const char *message) const;
  IdOutcome CheckID(const char *id, IdLookup lookup, int32_t &index) const;
  bool IndexInRange(int32_t index) const {
    return static_cast<uint32_t>(index) < idCount;
  }
  /// The value at block offset \p at (a multiple of four).
  const PhrasorWChar *ValueAt(uint32_t at) const {
    return reinterpret_cast<const PhrasorWChar *>(block + at);
  }
  bool BuildTables(const phrasor::DatabaseHeader &header);
  bool ReadRefPairs(IReadStream *stream, const phrasor::DatabaseHeader &header);
  void BuildProbeKeys();
};

#endif // PHRASOR_KEEPER_STRINGKEEPER_H
