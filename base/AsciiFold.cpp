//===- AsciiFold.cpp - ASCII case folding over runs of bytes --------------===//
//
// Sixteen bytes a step where SSE2 is there, eight otherwise, and the rest
// one at a time; unaligned loads and stores throughout, through memcpy
// where the word form needs them.
//
//===----------------------------------------------------------------------===//

#include "base/AsciiFold.h"

#include <string.h>

namespace phrasor {

void FoldAsciiCopy(char *to, const char *from, size_t n) {
  size_t i = 0;
#if PHRASOR_HAS_SSE2
  for (; n - i >= 16; i += 16) {
    const __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to + i), FoldAsciiVector(v));
  }
#endif
  for (; n - i >= 8; i += 8) {
    uint64_t word;
    memcpy(&word, from + i, 8);
    word = FoldAsciiWord(word);
    memcpy(to + i, &word, 8);
  }
  for (; i < n; ++i)
    to[i] = static_cast<char>(FoldAscii(static_cast<unsigned char>(from[i])));
}

bool EqualFolded(const char *a, const char *b, size_t n) {
  size_t i = 0;
#if PHRASOR_HAS_SSE2
  for (; n - i >= 16; i += 16) {
    const __m128i x = FoldAsciiVector(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i)));
    const __m128i y = FoldAsciiVector(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) != 0xFFFF)
      return false;
  }
#endif
  for (; n - i >= 8; i += 8) {
    uint64_t x, y;
    memcpy(&x, a + i, 8);
    memcpy(&y, b + i, 8);
    if (FoldAsciiWord(x) != FoldAsciiWord(y))
      return false;
  }
  for (; i < n; ++i)
    if (FoldAscii(static_cast<unsigned char>(a[i])) !=
        FoldAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

} // namespace phrasor
