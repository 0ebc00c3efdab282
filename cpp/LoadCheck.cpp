//===- LoadCheck.cpp - Why the runtime refused a database -----------------===//
//
// The rules, in the order the loader meets them: a 24-byte header (magic,
// version, ID count, string total, voice path count, block size); a string
// block holding the IDs (narrow, sorted ignoring ASCII case), the values
// (UTF-16) and the voice paths (narrow), each terminated and padded to 4
// bytes; then one pair of references per ID, each in range or NO_ENTRY.
//
//===----------------------------------------------------------------------===//

#include "LoadCheck.h"

#include <cstring>
#include <string>

namespace phrasor {
namespace {

constexpr std::uint32_t kMagic = 0x42444B53u; // "SKDB"
constexpr std::uint32_t kVersion = 5;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;
constexpr std::size_t kHeaderSize = 24;

std::uint32_t wordAt(const std::uint8_t *b) {
  return static_cast<std::uint32_t>(b[0]) |
         static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 |
         static_cast<std::uint32_t>(b[3]) << 24;
}

std::string num(std::uint64_t n) { return std::to_string(n); }

int foldedCompare(const char *a, const char *b) {
  for (;; ++a, ++b) {
    int x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    x = (x >= 'A' && x <= 'Z') ? x + 32 : x;
    y = (y >= 'A' && y <= 'Z') ? y + 32 : y;
    if (x != y || !x)
      return x - y;
  }
}

Error corrupt(std::string what) {
  return Error(Errc::Corrupt, "corrupt database: " + what);
}

// Walks \p count strings of one run from \p offset; on failure \p failed is
// the index of the unterminated one. \p first receives the start of the
// run's strings for the IDs' order check.
bool walkRun(const std::uint8_t *block, std::uint64_t size,
             std::uint64_t &offset, std::uint32_t count, bool wide,
             std::uint32_t &failed, const char **previous = nullptr,
             std::string *orderProblem = nullptr) {
  for (std::uint32_t i = 0; i < count; ++i) {
    failed = i;
    if (offset >= size)
      return false;
    if (wide) {
      std::uint64_t units = (size - offset) / 2, n = 0;
      while (n < units && (block[offset + 2 * n] | block[offset + 2 * n + 1]))
        ++n;
      if (n == units)
        return false;
      offset += (2 * n + 5) & ~3ull;
      continue;
    }
    const void *end = std::memchr(block + offset, 0, size - offset);
    if (!end)
      return false;
    const char *s = reinterpret_cast<const char *>(block + offset);
    if (previous && orderProblem && orderProblem->empty()) {
      if (*previous && foldedCompare(*previous, s) > 0)
        *orderProblem = "IDs out of order: '" + std::string(*previous) +
                        "' (index " + num(i - 1) + ") sorts after '" + s + "'";
      *previous = s;
    }
    offset +=
        (static_cast<const std::uint8_t *>(end) - (block + offset) + 4) & ~3ull;
  }
  return true;
}

} // namespace

Error describeLoadFailure(const std::uint8_t *bytes, std::size_t size) {
  if (size < kHeaderSize)
    return Error(Errc::NotADatabase,
                 "not a database: " + num(size) +
                     " bytes, shorter than the 24-byte header");
  const std::uint32_t magic = wordAt(bytes), version = wordAt(bytes + 4),
                      idCount = wordAt(bytes + 8),
                      stringTotal = wordAt(bytes + 12),
                      voiceCount = wordAt(bytes + 16),
                      blockSize = wordAt(bytes + 20);
  if (magic != kMagic)
    return Error(
        Errc::NotADatabase,
        "not a database: the file does not start with the magic 'SKDB'");
  if (version != kVersion)
    return Error(Errc::NotADatabase,
                 "not a database of this version: version " + num(version) +
                     " (expected " + num(kVersion) + ")");
  if (stringTotal < idCount)
    return corrupt("string total " + num(stringTotal) +
                   " is less than the ID count " + num(idCount) +
                   " (header, offset 12)");
  const std::uint64_t strings = std::uint64_t{stringTotal} + voiceCount;
  if (strings * 4 > blockSize)
    return corrupt("block size " + num(blockSize) + " cannot hold " +
                   num(strings) + " strings (header, offset 20)");
  const std::uint64_t blockEnd = kHeaderSize + std::uint64_t{blockSize};
  if (size < blockEnd)
    return corrupt("truncated string block: " + num(blockSize) +
                   " bytes declared, " + num(size - kHeaderSize) + " present");

  const std::uint8_t *block = bytes + kHeaderSize;
  std::uint64_t offset = 0;
  std::uint32_t failed = 0;
  const char *previous = nullptr;
  std::string order;
  if (!walkRun(block, blockSize, offset, idCount, false, failed, &previous,
               &order))
    return corrupt("ID " + num(failed) +
                   " is not terminated inside the string block");
  if (!order.empty())
    return corrupt(order);
  const std::uint32_t values = stringTotal - idCount;
  if (!walkRun(block, blockSize, offset, values, true, failed))
    return corrupt("value " + num(failed) +
                   " is not terminated inside the string block");
  if (!walkRun(block, blockSize, offset, voiceCount, false, failed))
    return corrupt("voice path " + num(failed) +
                   " is not terminated inside the string block");
  if (size < blockEnd + 8 * std::uint64_t{idCount})
    return corrupt("truncated reference pairs: " + num(idCount) +
                   " expected at offset " + num(blockEnd) + ", " +
                   num((size - blockEnd) / 8) + " present");
  for (std::uint32_t i = 0; i < idCount; ++i) {
    const std::uint64_t at = blockEnd + 8 * std::uint64_t{i};
    const std::uint32_t valueRef = wordAt(bytes + at),
                        voiceRef = wordAt(bytes + at + 4);
    if (valueRef != kNoEntry && valueRef >= values)
      return corrupt("value reference " + num(valueRef) + " of ID " + num(i) +
                     " out of range (" + num(values) + " values, offset " +
                     num(at) + ")");
    if (voiceRef != kNoEntry && voiceRef >= voiceCount)
      return corrupt("voice path reference " + num(voiceRef) + " of ID " +
                     num(i) + " out of range (" + num(voiceCount) +
                     " voice paths, offset " + num(at + 4) + ")");
  }
  return Error(Errc::OutOfMemory,
               "out of memory: the runtime could not allocate the database");
}

} // namespace phrasor
