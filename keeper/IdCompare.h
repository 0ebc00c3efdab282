//===- IdCompare.h - The ID search's comparison, a word at a time -*- C++ -*-=//
//
// The halving search spends its time comparing the caller's ID with stored
// IDs that share long prefixes with it. This comparison gives exactly the
// answer of StrICmpFrom (fold ASCII capitals, compare unsigned bytes, report
// the length of the shared folded prefix) but looks at sixteen bytes per
// step with SSE2, as the C library's own comparisons do.
//
// Reading whole vectors means reading bytes past a terminator, which is only
// safe where those bytes are known to be there:
// - the stored ID lies in the keeper's string block, whose bounds the keeper
//   knows, so a vector is read there only when it lies inside the block;
// - the caller's ID has no known extent, so it is read only in aligned
//   sixteen-byte blocks, as the C library's string functions read: an
//   aligned block never crosses a page, nor the end of the allocation
//   granule holding its first byte, so it is readable when any byte in it
//   is. The first block may start before the ID; those bytes are masked
//   off. No block after the one holding the terminator is read.
// Bytes before the ID or past either terminator never decide the result:
// the first position where the caller's byte is zero or the folded bytes
// differ does. Memory checkers that track definedness by the bit (valgrind's
// memcheck) therefore see no read outside the ID's block and no decision on
// a byte the ID does not own.
//
// The address and thread sanitizers check every byte of a load against the
// object it belongs to, so they would still see the bytes around the
// caller's ID within its aligned block as reads of a neighbour; this
// function is exempt from their instrumentation, and everything else the
// search touches stays checked.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_IDCOMPARE_H
#define PHRASOR_KEEPER_IDCOMPARE_H

#include "base/StrUtil.h"

#include <stddef.h>
#include <stdint.h>

#if defined(__clang__) || defined(__GNUC__)
#define PHRASOR_NO_SANITIZE __attribute__((no_sanitize("address", "thread")))
#else
#define PHRASOR_NO_SANITIZE
#endif

#if PHRASOR_HAS_SSE2 && defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace phrasor {
namespace detail {

constexpr uint32_t kVectorSize = 16;

#if PHRASOR_HAS_SSE2
inline unsigned LowestMark(unsigned marks) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctz(marks));
#else
  unsigned long bit;
  _BitScanForward(&bit, marks);
  return static_cast<unsigned>(bit);
#endif
}
#endif

} // namespace detail

/// StrICmpFrom(id, stored, start, common), sixteen bytes a step where both
/// sides are known readable. \p storedBegin and \p storedEnd bound the block
/// holding \p stored.
PHRASOR_NO_SANITIZE inline int IdCompareFrom(const char *id, const char *stored,
                                             const char *storedBegin,
                                             const char *storedEnd,
                                             uint32_t start, uint32_t &common) {
#if PHRASOR_HAS_SSE2
  using namespace detail;
  const unsigned char *x = reinterpret_cast<const unsigned char *>(id);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(stored);
  const unsigned char *yEnd =
      reinterpret_cast<const unsigned char *>(storedEnd);
  uint32_t i = start;
  // How far the caller's next byte lies into its aligned block. The stored
  // side is read from the same distance before its own next byte, so that
  // lanes line up; where that would start before the stored block (the
  // block's first ID), the bytes up to the caller's next aligned block are
  // compared one at a time instead.
  uint32_t skew = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(x + i) &
                                        (kVectorSize - 1));
  if (skew > static_cast<uintptr_t>(stored + i - storedBegin)) {
    for (const uint32_t stop = i + (kVectorSize - skew); i < stop; ++i) {
      unsigned cx = x[i];
      int fx = FoldAscii(static_cast<unsigned char>(cx));
      int fy = FoldAscii(y[i]);
      if (fx != fy || cx == 0) {
        common = i;
        return fx - fy;
      }
    }
    skew = 0;
  }
  unsigned valid = (0xFFFFu << skew) & 0xFFFFu; // lanes at or after x + i
  while (yEnd - (y + i - skew) >= static_cast<ptrdiff_t>(kVectorSize)) {
    __m128i a = _mm_load_si128(reinterpret_cast<const __m128i *>(x + i - skew));
    __m128i b =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + i - skew));
    // A mark where the folded bytes differ or the caller's ID ends; the
    // lowest mark decides, as in the byte loop.
    unsigned same = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(FoldAsciiVector(a), FoldAsciiVector(b))));
    unsigned end = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())));
    unsigned marks = (~same | end) & valid;
    if (marks) {
      i += LowestMark(marks) - skew;
      common = i;
      return static_cast<int>(FoldAscii(x[i])) -
             static_cast<int>(FoldAscii(y[i]));
    }
    i += kVectorSize - skew;
    skew = 0;
    valid = 0xFFFFu;
  }
  return StrICmpFrom(id, stored, i, common);
#else
  (void)storedBegin;
  (void)storedEnd;
  return StrICmpFrom(id, stored, start, common);
#endif
}

} // namespace phrasor

#endif // PHRASOR_KEEPER_IDCOMPARE_H
