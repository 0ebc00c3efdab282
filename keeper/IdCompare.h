//===- IdCompare.h - The ID search's comparison, a word at a time -*- C++ -*-=//
//
// The halving search spends its time comparing the caller's ID with stored
// IDs that share long prefixes with it. This comparison gives exactly the
// answer of StrICmpFrom (fold ASCII capitals, compare unsigned bytes, report
// the length of the shared folded prefix) but looks at eight bytes per step.
//
// Reading whole words means reading bytes past a terminator, which is only
// safe where those bytes are known to be mapped:
// - the stored ID lies in the keeper's string block, whose end the keeper
//   knows, so a word is read there only when it ends inside the block;
// - the caller's ID has no known extent, but memory is mapped a page at a
//   time, so a word that does not cross a page boundary is readable when its
//   first byte is (and its first byte is part of the ID, not yet past the
//   terminator). A word that would cross a page is compared a byte at a
//   time instead.
// Bytes past either terminator never decide the result: the first position
// where the caller's byte is zero or the folded bytes differ does.
//
// Address sanitizers see the caller-side reads past the terminator as
// overflows of the caller's allocation, so those reads are exempt from
// instrumentation; everything else the search touches stays checked.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_IDCOMPARE_H
#define PHRASOR_KEEPER_IDCOMPARE_H

#include "StrUtil.h"

#include <stdint.h>
#include <string.h>

#if defined(__clang__) || defined(__GNUC__)
#define PHRASOR_NO_ASAN __attribute__((no_sanitize_address))
#else
#define PHRASOR_NO_ASAN
#endif

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ||    \
    defined(_M_IX86) || defined(_M_X64) || defined(_M_ARM64)
#define PHRASOR_WORD_COMPARE 1
#else
#define PHRASOR_WORD_COMPARE 0
#endif

namespace phrasor {
namespace detail {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;
constexpr uint64_t kLows = 0x7F7F7F7F7F7F7F7Full;
constexpr uintptr_t kPageSize = 4096; // the smallest page of every target

/// Adds 0x20 to every byte in 'A'..'Z', as FoldAscii does, to all eight at
/// once: the high bit of each byte of the two sums says whether that byte's
/// low seven bits reach 'A' and pass 'Z'; bytes of 0x80 and up never fold.
inline uint64_t FoldWord(uint64_t x) {
  uint64_t low = x & kLows;
  uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
  uint64_t pastZ = low + (0x80 - 'Z' - 1) * kOnes;
  uint64_t upper = atLeastA & ~pastZ & ~x & kHighs;
  return x | (upper >> 2);
}

/// A high bit in every byte that is nonzero in \p x; exact in every byte.
inline uint64_t NonzeroBytes(uint64_t x) {
  return (((x & kLows) + kLows) | x) & kHighs;
}

/// A high bit in the lowest zero byte of \p x (higher bytes may be marked
/// spuriously, which the caller ignores by taking the lowest mark).
inline uint64_t ZeroBytes(uint64_t x) { return (x - kOnes) & ~x & kHighs; }

inline unsigned LowestMarkedByte(uint64_t marks) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(marks)) / 8;
#else
  unsigned byte = 0;
  while (!(marks & 0x80)) {
    marks >>= 8;
    ++byte;
  }
  return byte;
#endif
}

inline uint64_t LoadWord(const unsigned char *p) {
  uint64_t w;
  memcpy(&w, p, sizeof w);
  return w;
}

} // namespace detail

/// StrICmpFrom(id, stored, start, common), eight bytes a step where both
/// sides are known readable. \p storedEnd is the end of the block holding
/// \p stored.
PHRASOR_NO_ASAN inline int IdCompareFrom(const char *id, const char *stored,
                                         const char *storedEnd, uint32_t start,
                                         uint32_t &common) {
#if PHRASOR_WORD_COMPARE
  using namespace detail;
  const unsigned char *x = reinterpret_cast<const unsigned char *>(id);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(stored);
  const unsigned char *yEnd =
      reinterpret_cast<const unsigned char *>(storedEnd);
  uint32_t i = start;
  while (yEnd - (y + i) >= 8 && (reinterpret_cast<uintptr_t>(x + i) &
                                 (kPageSize - 1)) <= kPageSize - 8) {
    uint64_t a = LoadWord(x + i);
    uint64_t fa = FoldWord(a), fb = FoldWord(LoadWord(y + i));
    uint64_t marks = NonzeroBytes(fa ^ fb) | ZeroBytes(a);
    if (marks) {
      unsigned k = LowestMarkedByte(marks);
      common = i + k;
      return static_cast<int>((fa >> (8 * k)) & 0xFF) -
             static_cast<int>((fb >> (8 * k)) & 0xFF);
    }
    i += 8;
  }
  return StrICmpFrom(id, stored, i, common);
#else
  (void)storedEnd;
  return StrICmpFrom(id, stored, start, common);
#endif
}

} // namespace phrasor

#endif // PHRASOR_KEEPER_IDCOMPARE_H
