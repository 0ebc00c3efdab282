//===- StringKeeper.cpp - Loading and releasing a string database ---------===//
//
// The loader reads the file front to back: six header words, the string
// block in one read, then one reference pair per ID. A file that would make
// any later lookup read outside the keeper's blocks is refused here, so the
// lookups themselves can stay free of per-call range tests.
//
//===----------------------------------------------------------------------===//

#include "StringKeeper.h"

#include "../manager/Memory.h"
#include "IdCompare.h"
#include "StrUtil.h"

#include <string.h>

using namespace phrasor;

CStringKeeper::CStringKeeper(CPhrasorMgr *owner)
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
  word = static_cast<uint32_t>(bytes[0]) |
         static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 |
         static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

// Every string occupies a whole number of 4-byte slots: its bytes, the
// terminator, then padding.
inline uint64_t NarrowSlot(uint64_t length) { return (length + 4) & ~3ull; }
inline uint64_t WideSlot(uint64_t units) { return (2 * units + 5) & ~3ull; }

// Length of the narrow string at \p offset if it ends inside the block.
bool NarrowLengthAt(const char *block, uint32_t size, uint64_t offset,
                    uint32_t &length) {
  if (offset >= size)
    return false;
  const void *end = memchr(block + offset, 0, size - offset);
  if (!end)
    return false;
  length =
      static_cast<uint32_t>(static_cast<const char *>(end) - (block + offset));
  return true;
}

// Length in units of the wide string at \p offset if its terminating zero
// unit lies wholly inside the block. Values are most of a database, so they
// are scanned eight units a step where sixteen bytes remain in the block;
// every slot starts on a 4-byte boundary, so each 16-bit lane of a step is
// one whole unit.
bool WideLengthAt(const char *block, uint32_t size, uint64_t offset,
                  uint32_t &units) {
  if (offset >= size)
    return false;
  const PhrasorWChar *text =
      reinterpret_cast<const PhrasorWChar *>(block + offset);
  uint64_t available = (size - offset) / 2;
  uint64_t i = 0;
#if PHRASOR_VECTOR_COMPARE
  for (; i + 8 <= available; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
    unsigned zeros = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())));
    if (zeros) {
      units = static_cast<uint32_t>(i + detail::LowestMark(zeros) / 2);
      return true;
    }
  }
#endif
  for (; i < available; ++i) {
    if (text[i] == 0) {
      units = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

} // namespace

bool CStringKeeper::Load(IReadStream *stream) {
  if (!stream)
    return false;

  uint32_t magic, version, ids, total, voices, size;
  if (!ReadWord(stream, magic) || !ReadWord(stream, version) ||
      !ReadWord(stream, ids) || !ReadWord(stream, total) ||
      !ReadWord(stream, voices) || !ReadWord(stream, size))
    return false;
  if (magic != kDatabaseMagic || version != kDatabaseVersion)
    return false;

  // Every string takes at least one 4-byte slot, so a block smaller than
  // four bytes a string is refused before any memory is requested: a
  // hostile 24-byte header must not be able to demand gigabytes. The test
  // is on whole slots, so it also refuses a block that cuts the padding of
  // a last 4-byte slot (the tool always writes whole slots).
  if (total < ids)
    return false;
  if ((static_cast<uint64_t>(total) + voices) * 4 > size)
    return false;

  idCount = ids;
  stringTotal = total;
  voicePathCount = voices;

  block = static_cast<char *>(MemAlloc(size));
  if (!block)
    return false;
  if (stream->Read(block, size) != 0) {
    FreeTables();
    return false;
  }
  blockEnd = block + size;

  // With 8-byte pointers a table can outgrow 32 bits although the counts
  // passed the checks above; such a table is refused, never built.
  idTable = static_cast<const char **>(MemAllocArray(ids, sizeof(void *)));
  if (idTable)
    valueTable = static_cast<const PhrasorWChar **>(
        MemAllocArray(total, sizeof(void *)));
  if (valueTable)
    voicePathTable =
        static_cast<const char **>(MemAllocArray(voices, sizeof(void *)));
  if (!voicePathTable || !BuildTables(size)) {
    FreeTables();
    return false;
  }

  refPairs =
      static_cast<StringRefPair *>(MemAllocArray(ids, sizeof(StringRefPair)));
  if (!refPairs || !ReadRefPairs(stream)) {
    FreeTables();
    return false;
  }
  return true;
}

bool CStringKeeper::BuildTables(uint32_t size) {
  // 64-bit so that a slot ending just past a block of nearly 4 GiB cannot
  // wrap around to the front.
  uint64_t offset = 0;
  uint32_t length = 0;
  for (uint32_t i = 0; i < idCount; ++i) {
    if (!NarrowLengthAt(block, size, offset, length))
      return false;
    idTable[i] = block + offset;
    // The halving searches are only correct over a sorted table.
    // Neighbours share long prefixes, so this uses the search's own
    // comparison; both IDs lie in the block, whose end bounds its reads.
    uint32_t common;
    if (i > 0 &&
        IdCompareFrom(idTable[i - 1], idTable[i], block + size, 0, common) > 0)
      return false;
    offset += NarrowSlot(length);
  }
  const uint32_t values = stringTotal - idCount;
  for (uint32_t j = 0; j < values; ++j) {
    if (!WideLengthAt(block, size, offset, length))
      return false;
    valueTable[j] = reinterpret_cast<const PhrasorWChar *>(block + offset);
    offset += WideSlot(length);
  }
  for (uint32_t k = 0; k < voicePathCount; ++k) {
    if (!NarrowLengthAt(block, size, offset, length))
      return false;
    voicePathTable[k] = block + offset;
    offset += NarrowSlot(length);
  }
  // Each string must start and end inside the block. Past the check on the
  // counts, the padding of the last slot may lie beyond the end: padding is
  // never read.
  return true;
}

bool CStringKeeper::ReadRefPairs(IReadStream *stream) {
  const uint32_t values = stringTotal - idCount;
  for (uint32_t i = 0; i < idCount; ++i) {
    StringRefPair &pair = refPairs[i];
    if (!ReadWord(stream, pair.valueRef) ||
        !ReadWord(stream, pair.voicePathRef))
      return false;
    if (pair.valueRef != NO_ENTRY && pair.valueRef >= values)
      return false;
    if (pair.voicePathRef != NO_ENTRY && pair.voicePathRef >= voicePathCount)
      return false;
  }
  return true;
}
