//===- AsciiFold.h - ASCII case folding at three widths ---------*- C++ -*-===//
//
// IDs are found regardless of case, and only ASCII 'A'..'Z' fold: the ID
// order of a stored database was fixed that way when it was compiled, so
// neither the process locale nor a byte of a UTF-8 sequence (0x80 and up)
// may change which ID is found. Every fold in the project is this one, at
// three widths: a byte; eight bytes in a 64-bit word, on any machine; and
// sixteen bytes in an SSE2 vector where the target has SSE2.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_BASE_ASCIIFOLD_H
#define PHRASOR_BASE_ASCIIFOLD_H

#include <stddef.h>
#include <stdint.h>

// SSE2 is part of every x86-64 target; 32-bit x86 builds have it only when
// asked for, and keep the byte and word forms otherwise.
#if defined(__SSE2__) || defined(_M_X64) ||                                    \
    (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define PHRASOR_HAS_SSE2 1
#include <emmintrin.h>
#else
#define PHRASOR_HAS_SSE2 0
#endif

namespace phrasor {

/// \p c in lower case when it is an ASCII capital, otherwise \p c.
inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A'))
                                : c;
}

/// FoldAscii applied to each byte of \p x, without a branch.
inline uint64_t FoldAsciiWord(uint64_t x) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  const uint64_t low7 = x & ~kHighs;
  const uint64_t aboveZ = low7 + (0x7F - 'Z') * kOnes; // high bit: > 'Z'
  const uint64_t fromA = low7 + (0x80 - 'A') * kOnes;  // high bit: >= 'A'
  const uint64_t upper = (fromA ^ aboveZ) & ~x & kHighs;
  return x | (upper >> 2); // 0x80 >> 2 is the 0x20 of lower case
}

#if PHRASOR_HAS_SSE2
/// FoldAscii applied to each byte of \p v. The compares are signed, so
/// bytes of 0x80 and up fall outside the range and never fold.
inline __m128i FoldAsciiVector(__m128i v) {
  const __m128i upper =
      _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('A' - 1)),
                    _mm_cmplt_epi8(v, _mm_set1_epi8('Z' + 1)));
  return _mm_add_epi8(v, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
}
#endif

/// Writes the \p n bytes at \p from, folded, to \p to; the two may be the
/// same place but must not otherwise overlap.
void FoldAsciiCopy(char *to, const char *from, size_t n);

/// Whether the \p n bytes at \p a and at \p b are the same once folded.
bool EqualFolded(const char *a, const char *b, size_t n);

} // namespace phrasor

#endif // PHRASOR_BASE_ASCIIFOLD_H
