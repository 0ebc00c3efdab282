//===- StringKeeper.cpp - Loading and releasing a string database ---------===//
//
// The loader reads the file front to back: six header words, the string
// block in one read, then one reference pair per ID, applying the rules of
// DatabaseFormat.h as each part arrives. It then lays out what the lookups
// read (StringKeeper.h says why): the probe table of ID offsets, and each
// pair as block offsets instead of indices. A file that would make any later
// lookup read outside the keeper's blocks is refused here, so the lookups
// themselves can stay free of per-call range tests.
//
//===----------------------------------------------------------------------===//

#include "keeper/StringKeeper.h"

#include "base/Memory.h"

using namespace phrasor;

CStringKeeper::CStringKeeper(IErrorReporter *owner)
    : manager(owner), refPairs(nullptr), block(nullptr), idTable(nullptr),
      valueTable(nullptr), voicePathTable(nullptr), idCount(0), stringTotal(0),
      voicePathCount(0), blockEnd(nullptr) {}

CStringKeeper::~CStringKeeper() { FreeTables(); }

void CStringKeeper::FreeTables() {
  // Null pointers are handed over too: the host's Free must accept them,
  // and a second run after a failed load then releases nothing twice.
  MemFree(const_cast<char **>(idTable));
  idTable = nullptr;
  MemFree(const_cast<PhrasorWChar **>(valueTable));
  valueTable = nullptr;
  MemFree(block);
  block = nullptr;
  blockEnd = nullptr;
  MemFree(refPairs);
  refPairs = nullptr;
  MemFree(const_cast<char **>(voicePathTable));
  voicePathTable = nullptr;
  idCount = 0;
  stringTotal = 0;
}

namespace {

bool ReadWord(IReadStream *stream, uint32_t &word) {
  unsigned char bytes[4];
  if (stream->Read(bytes, 4) != 0)
    return false;
  word = DecodeWord(bytes);
  return true;
}

// A table of \p count units, or no request at all for an empty one: a host
// may answer a 0-byte request with null, as malloc(0) may, and an empty
// table is then no reason to fail the load. False when the host refuses.
template <typename T>
bool AllocTable(T *&table, uint32_t count, uint32_t unitSize) {
  if (count == 0)
    return true;
  table = static_cast<T *>(MemAllocArray(count, unitSize));
  return table != nullptr;
}

} // namespace

bool CStringKeeper::Load(IReadStream *stream) {
  if (!stream)
    return false;

  DatabaseHeader header;
  if (!ReadWord(stream, header.magic) || !ReadWord(stream, header.version) ||
      !ReadWord(stream, header.idCount) ||
      !ReadWord(stream, header.stringTotal) ||
      !ReadWord(stream, header.voicePathCount) ||
      !ReadWord(stream, header.blockSize))
    return false;
  // Refused before any memory is requested: a hostile 24-byte header must
  // not be able to demand gigabytes.
  if (CheckHeader(header) != DatabaseProblem::None)
    return false;

  const uint32_t ids = header.idCount, total = header.stringTotal,
                 voices = header.voicePathCount, size = header.blockSize;
  idCount = ids;
  stringTotal = total;
  voicePathCount = voices;

  // A zero-byte block (an empty database) is read into a local byte, so the
  // host still sees the block's read and never a null buffer.
  char empty = 0;
  if (!AllocTable(block, size, 1))
    return false;
  if (stream->Read(block ? block : &empty, size) != 0) {
    FreeTables();
    return false;
  }
  blockEnd = block + size;

  // A table whose true size does not fit 32 bits (see TablesFit) is refused
  // by MemAllocArray, never built.
  if (!AllocTable(idTable, ids, sizeof(void *)) ||
      !AllocTable(valueTable, total, sizeof(void *)) ||
      !AllocTable(voicePathTable, voices, sizeof(void *)) ||
      !BuildTables(header)) {
    FreeTables();
    return false;
  }
  BuildIdOffsets();

  if (!AllocTable(refPairs, ids, sizeof(StringRefPair)) ||
      !ReadRefPairs(stream, header)) {
    FreeTables();
    return false;
  }
  return true;
}

bool CStringKeeper::BuildTables(const DatabaseHeader &header) {
  uint32_t failedAt = 0;
  return CheckStrings(block, header.blockSize, header,
                      StringTables{idTable, valueTable, voicePathTable},
                      failedAt) == DatabaseProblem::None;
}

// The value table holds room for T pointers and the values use the first
// T - N, so its last N slots (at least 4 bytes each) hold the N offsets.
void CStringKeeper::BuildIdOffsets() {
  if (idCount == 0)
    return;
  uint32_t *offsets =
      reinterpret_cast<uint32_t *>(valueTable + (stringTotal - idCount));
  for (uint32_t i = 0; i < idCount; ++i)
    offsets[i] = static_cast<uint32_t>(idTable[i] - block);
}

namespace {

uint32_t OffsetOf(const void *string, const char *block) {
  return static_cast<uint32_t>(static_cast<const char *>(string) - block);
}

} // namespace

bool CStringKeeper::ReadRefPairs(IReadStream *stream,
                                 const DatabaseHeader &header) {
  for (uint32_t i = 0; i < idCount; ++i) {
    StringRefPair &pair = refPairs[i];
    if (!ReadWord(stream, pair.valueRef) ||
        !ReadWord(stream, pair.voicePathRef))
      return false;
    if (CheckRefPair(header, pair) != DatabaseProblem::None)
      return false;
    if (pair.valueRef != NO_ENTRY)
      pair.valueRef = OffsetOf(valueTable[pair.valueRef], block);
    if (pair.voicePathRef != NO_ENTRY)
      pair.voicePathRef = OffsetOf(voicePathTable[pair.voicePathRef], block);
  }
  return true;
}
