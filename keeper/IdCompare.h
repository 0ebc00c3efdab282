//===- IdCompare.h - The ID search's comparison, a word at a time -*- C++ -*-=//
//
// The halving search spends its time comparing the caller's ID with stored
// IDs that share long prefixes with it. This comparison gives exactly the
// answer of StrICmpFrom (fold ASCII capitals, compare unsigned bytes, report
// the length of the shared folded prefix) but looks at sixteen bytes per
// step with SSE2, as the C library's own comparisons do.
//
// Reading whole vectors means reading bytes past a terminator, which is only
// safe where those bytes are known to be mapped:
// - the stored ID lies in the keeper's string block, whose end the keeper
//   knows, so a vector is read there only when it ends inside the block;
// - the caller's ID has no known extent, but memory is mapped a page at a
//   time, so sixteen bytes that do not cross a page boundary are readable
//   when the first is (and the first is part of the ID, not yet past the
//   terminator). Bytes that would cross a page are compared one at a time.
// Bytes past either terminator never decide the result: the first position
// where the caller's byte is zero or the folded bytes differ does.
//
// The address and thread sanitizers see the caller-side reads past the
// terminator as accesses outside the caller's allocation, so this function
// is exempt from their instrumentation; everything else the search touches
// stays checked.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_IDCOMPARE_H
#define PHRASOR_KEEPER_IDCOMPARE_H

#include "base/StrUtil.h"

#include <stdint.h>

#if defined(__clang__) || defined(__GNUC__)
#define PHRASOR_NO_SANITIZE __attribute__((no_sanitize("address", "thread")))
#else
#define PHRASOR_NO_SANITIZE
#endif

// SSE2 is part of every x86-64 target; 32-bit x86 builds have it only when
// asked for, and keep the byte loop otherwise.
#if defined(__SSE2__) || defined(_M_X64) ||                                    \
    (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define PHRASOR_VECTOR_COMPARE 1
#include <emmintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif
#else
#define PHRASOR_VECTOR_COMPARE 0
#endif

namespace phrasor {
namespace detail {

constexpr uintptr_t kPageSize = 4096; // the smallest page of every target

#if PHRASOR_VECTOR_COMPARE
/// Adds 0x20 to every byte in 'A'..'Z', as FoldAscii does. The compares are
/// signed, so bytes of 0x80 and up fall outside the range and never fold.
inline __m128i FoldBytes(__m128i v) {
  __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('A' - 1)),
                                _mm_cmplt_epi8(v, _mm_set1_epi8('Z' + 1)));
  return _mm_add_epi8(v, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
}

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
/// sides are known readable. \p storedEnd is the end of the block holding
/// \p stored.
PHRASOR_NO_SANITIZE inline int IdCompareFrom(const char *id, const char *stored,
                                             const char *storedEnd,
                                             uint32_t start, uint32_t &common) {
#if PHRASOR_VECTOR_COMPARE
  using namespace detail;
  const unsigned char *x = reinterpret_cast<const unsigned char *>(id);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(stored);
  const unsigned char *yEnd =
      reinterpret_cast<const unsigned char *>(storedEnd);
  uint32_t i = start;
  while (yEnd - (y + i) >= 16 && (reinterpret_cast<uintptr_t>(x + i) &
                                  (kPageSize - 1)) <= kPageSize - 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(x + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + i));
    // A mark where the folded bytes differ or the caller's ID ends; the
    // lowest mark decides, as in the byte loop.
    unsigned same = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(FoldBytes(a), FoldBytes(b))));
    unsigned end = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())));
    unsigned marks = (~same & 0xFFFFu) | end;
    if (marks) {
      i += LowestMark(marks);
      common = i;
      return static_cast<int>(FoldAscii(x[i])) -
             static_cast<int>(FoldAscii(y[i]));
    }
    i += 16;
  }
  return StrICmpFrom(id, stored, i, common);
#else
  (void)storedEnd;
  return StrICmpFrom(id, stored, start, common);
#endif
}

} // namespace phrasor

#endif // PHRASOR_KEEPER_IDCOMPARE_H
