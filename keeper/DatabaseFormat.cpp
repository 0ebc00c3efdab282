//===- DatabaseFormat.cpp - The rules over a compiled database ------------===//

#include "keeper/DatabaseFormat.h"

#include "base/Memory.h"
#include "base/StrUtil.h"
#include "keeper/IdCompare.h"

#include <string.h>

namespace phrasor {
namespace {

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
// are scanned eight units a step while sixteen bytes remain in the block;
// the loads need no alignment and each 16-bit lane is one whole unit, so the
// walk holds for a block at any address.
bool WideLengthAt(const char *block, uint32_t size, uint64_t offset,
                  uint32_t &units) {
  if (offset >= size)
    return false;
  const char *text = block + offset;
  const uint64_t available = (size - offset) / 2;
  uint64_t i = 0;
#if PHRASOR_HAS_SSE2
  for (; i + 8 <= available; i += 8) {
    __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + 2 * i));
    unsigned zeros = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())));
    if (zeros) {
      units = static_cast<uint32_t>(i + detail::LowestMark(zeros) / 2);
      return true;
    }
  }
#endif
  for (; i < available; ++i) {
    if (text[2 * i] == 0 && text[2 * i + 1] == 0) {
      units = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

DatabaseCheck Verdict(DatabaseProblem problem, uint32_t index, uint64_t offset,
                      const DatabaseHeader &header) {
  return DatabaseCheck{problem, index, offset, header, 0};
}

} // namespace

DatabaseProblem CheckHeader(const DatabaseHeader &header) {
  if (header.magic != kDatabaseMagic)
    return DatabaseProblem::BadMagic;
  if (header.version != kDatabaseVersion)
    return DatabaseProblem::BadVersion;
  if (header.stringTotal < header.idCount)
    return DatabaseProblem::TotalBelowIdCount;
  if ((static_cast<uint64_t>(header.stringTotal) + header.voicePathCount) * 4 >
      header.blockSize)
    return DatabaseProblem::BlockTooSmall;
  return DatabaseProblem::None;
}

bool TablesFit(const DatabaseHeader &header) {
  return ProductFits(header.idCount, sizeof(void *)) &&
         ProductFits(header.stringTotal, sizeof(void *)) &&
         ProductFits(header.voicePathCount, sizeof(void *)) &&
         ProductFits(header.idCount, sizeof(StringRefPair));
}

DatabaseProblem CheckStrings(const char *block, uint32_t size,
                             const DatabaseHeader &header,
                             const StringTables &tables, uint32_t &index) {
  // 64-bit so that a slot ending just past a block of nearly 4 GiB cannot
  // wrap around to the front.
  uint64_t offset = 0;
  uint32_t length = 0;
  const char *previous = nullptr;
  for (index = 0; index < header.idCount; ++index) {
    if (!NarrowLengthAt(block, size, offset, length))
      return DatabaseProblem::IdUnterminated;
    const char *id = block + offset;
    if (tables.ids)
      tables.ids[index] = id;
    // The halving searches are only correct over a sorted table. Neighbours
    // share long prefixes, so this uses the search's own comparison; both
    // IDs lie in the block, whose bounds limit its reads.
    uint32_t common;
    if (previous) {
      if (IdCompareFrom(previous, id, block, block + size, 0, common) > 0)
        return DatabaseProblem::IdsOutOfOrder;
      if (tables.idCommon)
        tables.idCommon[index] = common;
    }
    previous = id;
    offset += NarrowSlot(length);
  }
  const uint32_t values = header.stringTotal - header.idCount;
  for (index = 0; index < values; ++index) {
    if (!WideLengthAt(block, size, offset, length))
      return DatabaseProblem::ValueUnterminated;
    if (tables.values)
      tables.values[index] =
          reinterpret_cast<const PhrasorWChar *>(block + offset);
    offset += WideSlot(length);
  }
  for (index = 0; index < header.voicePathCount; ++index) {
    if (!NarrowLengthAt(block, size, offset, length))
      return DatabaseProblem::VoicePathUnterminated;
    if (tables.voicePaths)
      tables.voicePaths[index] = block + offset;
    offset += NarrowSlot(length);
  }
  index = 0;
  return DatabaseProblem::None;
}

DatabaseProblem CheckRefPair(const DatabaseHeader &header,
                             const StringRefPair &pair) {
  const uint32_t values = header.stringTotal - header.idCount;
  if (pair.valueRef != NO_ENTRY && pair.valueRef >= values)
    return DatabaseProblem::ValueRefOutOfRange;
  if (pair.voicePathRef != NO_ENTRY &&
      pair.voicePathRef >= header.voicePathCount)
    return DatabaseProblem::VoicePathRefOutOfRange;
  return DatabaseProblem::None;
}

DatabaseCheck ValidateDatabase(const unsigned char *image, size_t size) {
  DatabaseHeader header = {};
  if (size < kHeaderSize)
    return Verdict(DatabaseProblem::TruncatedHeader, 0, size, header);
  header.magic = DecodeWord(image);
  header.version = DecodeWord(image + 4);
  header.idCount = DecodeWord(image + 8);
  header.stringTotal = DecodeWord(image + 12);
  header.voicePathCount = DecodeWord(image + 16);
  header.blockSize = DecodeWord(image + 20);
  DatabaseProblem problem = CheckHeader(header);
  if (problem != DatabaseProblem::None)
    return Verdict(problem, 0, 0, header);

  const uint64_t blockEnd = uint64_t{kHeaderSize} + header.blockSize;
  if (size < blockEnd)
    return Verdict(DatabaseProblem::TruncatedBlock, 0, size, header);
  if (!TablesFit(header))
    return Verdict(DatabaseProblem::TableTooLarge, 0, kHeaderSize, header);
  uint32_t index = 0;
  const char *block = reinterpret_cast<const char *>(image + kHeaderSize);
  problem =
      CheckStrings(block, header.blockSize, header,
                   StringTables{nullptr, nullptr, nullptr, nullptr}, index);
  if (problem != DatabaseProblem::None)
    return Verdict(problem, index, kHeaderSize, header);

  const uint64_t pairsEnd = blockEnd + uint64_t{kRefPairSize} * header.idCount;
  if (size < pairsEnd)
    return Verdict(DatabaseProblem::TruncatedPairs,
                   static_cast<uint32_t>((size - blockEnd) / kRefPairSize),
                   size, header);
  for (uint32_t i = 0; i < header.idCount; ++i) {
    const uint64_t at = blockEnd + uint64_t{kRefPairSize} * i;
    const StringRefPair pair{DecodeWord(image + at),
                             DecodeWord(image + at + 4)};
    problem = CheckRefPair(header, pair);
    if (problem != DatabaseProblem::None)
      return Verdict(problem, i, at, header);
  }
  DatabaseCheck check = Verdict(DatabaseProblem::None, 0, 0, header);
  check.end = pairsEnd;
  return check;
}

const char *DescribeDatabaseProblem(DatabaseProblem problem) {
  switch (problem) {
  case DatabaseProblem::None:
    return "the database is sound";
  case DatabaseProblem::TruncatedHeader:
    return "the file ends inside the header";
  case DatabaseProblem::BadMagic:
    return "the file does not start with the database magic";
  case DatabaseProblem::BadVersion:
    return "the database has another format version";
  case DatabaseProblem::TotalBelowIdCount:
    return "the string total is less than the ID count";
  case DatabaseProblem::BlockTooSmall:
    return "the string block is too small for the strings it must hold";
  case DatabaseProblem::TruncatedBlock:
    return "the file ends inside the string block";
  case DatabaseProblem::TableTooLarge:
    return "a string table is too large to be held in memory";
  case DatabaseProblem::IdUnterminated:
    return "an ID is not terminated inside the string block";
  case DatabaseProblem::IdsOutOfOrder:
    return "the IDs are not in case-insensitive order";
  case DatabaseProblem::ValueUnterminated:
    return "a value is not terminated inside the string block";
  case DatabaseProblem::VoicePathUnterminated:
    return "a voice path is not terminated inside the string block";
  case DatabaseProblem::TruncatedPairs:
    return "the file ends inside the reference pairs";
  case DatabaseProblem::ValueRefOutOfRange:
    return "a value reference names no stored value";
  case DatabaseProblem::VoicePathRefOutOfRange:
    return "a voice path reference names no stored voice path";
  }
  return "unknown problem";
}

} // namespace phrasor
