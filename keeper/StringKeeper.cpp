//===- StringKeeper.cpp - Loading and releasing a string database ---------===//
//
// The loader reads the file front to back: six header words, the string
// block in one read, then one reference pair per ID, applying the rules of
// DatabaseFormat.h as each part arrives. It then lays out what the lookups
// read (StringKeeper.h says why): the probe keys of the IDs, and each
// pair as block offsets instead of indices. A file that would make any later
// lookup read outside the keeper's blocks is refused here, so the lookups
// themselves can stay free of per-call range tests.
//
//===----------------------------------------------------------------------===//

#include "keeper/StringKeeper.h"

#include "base/Memory.h"
#include "keeper/ProbeKeys.h"

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
  BuildProbeKeys();

  if (!AllocTable(refPairs, ids, sizeof(StringRefPair)) ||
      !ReadRefPairs(stream, header)) {
    FreeTables();
    return false;
  }
  return true;
}

bool CStringKeeper::BuildTables(const DatabaseHeader &header) {
  uint32_t failedAt = 0;
  // The order check's shared prefixes land in the key slots, where the
  // probe keys are built from them.
  uintptr_t *common =
      idCount
          ? reinterpret_cast<uintptr_t *>(valueTable + (stringTotal - idCount))
          : nullptr;
  return CheckStrings(block, header.blockSize, header,
                      StringTables{idTable, valueTable, voicePathTable, common},
                      failedAt) == DatabaseProblem::None;
}

namespace {

// Writes the probe key of every position the search probes from the range
// [lo, hi), and returns the fewest folded bytes that neighbours in it share
// (over positions lo + 1 to hi, hi included while it is an ID): that is how
// many bytes ID lo and ID hi share, since the table is sorted. A position
// is probed from exactly one range: the middle of a range of two or more,
// or position 0 from [0, 1); the search settles a range [lo, lo + 1) whose
// lo it has compared without comparing again. Each slot holds a shared
// prefix until its own key replaces it, after every range that reads it
// has been built.
class ProbeKeyBuilder {
public:
  ProbeKeyBuilder(const char *const *idTable, const char *blockEnd,
                  uintptr_t *keySlots, uint32_t idCount)
      : ids(idTable), end(blockEnd), slots(keySlots), count(idCount) {}

  void Run() {
    if (count == 1)
      Single(0);
    else
      Range(0, count);
  }

private:
  // The range [lo, lo + 1).
  uint32_t Single(uint32_t lo) {
    if (lo == 0)
      slots[0] = MakeProbeKey(ids[0], 0, end);
    return lo + 1 < count ? static_cast<uint32_t>(slots[lo + 1]) : kUnbounded;
  }

  // A range of two positions or more; ranges of one are settled here rather
  // than in a call of their own, as half of all ranges are.
  uint32_t Range(uint32_t lo, uint32_t hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    const uint32_t left = mid - lo == 1 ? Single(lo) : Range(lo, mid);
    const uint32_t right = hi - mid == 1 ? Single(mid) : Range(mid, hi);
    const uint32_t shared = left < right ? left : right;
    // A bound the search has not compared (the table's ends) tells nothing
    // about the caller's ID.
    uint32_t start = lo > 0 && hi < count ? shared : 0;
    if (start > kKeyStartMax)
      start = kKeyStartMax;
    slots[mid] = MakeProbeKey(ids[mid], start, end);
    return shared;
  }

  static constexpr uint32_t kUnbounded = 0xFFFFFFFFu;
  const char *const *ids;
  const char *end;
  uintptr_t *slots;
  uint32_t count;
};

} // namespace

void CStringKeeper::BuildProbeKeys() {
  if (idCount == 0)
    return;
  ProbeKeyBuilder(
      idTable, blockEnd,
      reinterpret_cast<uintptr_t *>(valueTable + (stringTotal - idCount)),
      idCount)
      .Run();
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
