//===- StringKeeper.h - One loaded string database -------------*- C++ -*-===//
//
// A keeper holds a database exactly as it was read: the string block, the
// reference pairs, and three pointer tables into the block. After Load it is
// only ever read, so lookups on one keeper may run on many threads.
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
  /// Halving search of idTable; needs idCount > 0 and a non-null id.
  int32_t FindID(const char *id) const;

  /// Narrows [lo, hi) towards some ID that begins with \p prefix.
  int32_t FindIDWithPrefix(const char *prefix, uint32_t &lo,
                           uint32_t &hi) const;
  bool EnumerateIDsByPrefix(const char *prefix, StringIDEnumCallback callback,
                            void *userData) const;

  /// Receives the keeper's failed lookups; the manager that created it.
  phrasor::IErrorReporter *manager;
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

private:
  void Report(const char *label, const char *message) const;
  bool IndexInRange(int32_t index) const {
    return static_cast<uint32_t>(index) < idCount;
  }
  bool BuildTables(const phrasor::DatabaseHeader &header);
  bool ReadRefPairs(IReadStream *stream, const phrasor::DatabaseHeader &header);
};

#endif // PHRASOR_KEEPER_STRINGKEEPER_H
