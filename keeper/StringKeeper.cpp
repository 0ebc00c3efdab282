//===- StringKeeper.cpp - Loading and releasing a string database ---------===//
//
// The loader reads the file front to back: six header words, the string
// block in one read, then one reference pair per ID, applying the rules of
// DatabaseFormat.h as each part arrives. A file that would make any later
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

  block = static_cast<char *>(MemAlloc(size));
  if (!block)
    return false;
  if (stream->Read(block, size) != 0) {
    FreeTables();
    return false;
  }
  blockEnd = block + size;

  // A table whose true size does not fit 32 bits (see TablesFit) is refused
  // by MemAllocArray, never built.
  idTable = static_cast<const char **>(MemAllocArray(ids, sizeof(void *)));
  if (idTable)
    valueTable = static_cast<const PhrasorWChar **>(
        MemAllocArray(total, sizeof(void *)));
  if (valueTable)
    voicePathTable =
        static_cast<const char **>(MemAllocArray(voices, sizeof(void *)));
  if (!voicePathTable || !BuildTables(header)) {
    FreeTables();
    return false;
  }

  refPairs =
      static_cast<StringRefPair *>(MemAllocArray(ids, sizeof(StringRefPair)));
  if (!refPairs || !ReadRefPairs(stream, header)) {
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

bool CStringKeeper::ReadRefPairs(IReadStream *stream,
                                 const DatabaseHeader &header) {
  for (uint32_t i = 0; i < idCount; ++i) {
    StringRefPair &pair = refPairs[i];
    if (!ReadWord(stream, pair.valueRef) ||
        !ReadWord(stream, pair.voicePathRef))
      return false;
    if (CheckRefPair(header, pair) != DatabaseProblem::None)
      return false;
  }
  return true;
}
