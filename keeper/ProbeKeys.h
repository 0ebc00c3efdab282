//===- ProbeKeys.h - What the ID search reads instead of IDs -*- C++ -*-===//
//
// Most steps of the halving search are settled by a few bytes of the stored
// ID, yet reading them costs a cache miss in the string block. The loader
// therefore keeps one probe key per ID, a word the size of a pointer, and
// the search compares keys; it reads the stored ID itself only when the key
// cannot decide.
//
// A key holds the folded bytes of its ID in a window, not from the first
// byte: every query that reaches a probe lies strictly between the two
// stored IDs already compared on the way (the range's bounds), so it
// shares their common folded prefix, and so does the probed ID, which
// sorts between them. Those bytes cannot decide anything; the ones after
// them can. Each position is probed from one range only (the search's
// steps form a fixed tree over the table), so the window's start is fixed
// per ID and the loader stores it in the key's lowest byte:
//
//   bits 8 and up   folded bytes [start, start + kKeyBytes) of the ID, the
//                   first byte highest, zeros from the terminator on
//   bits 0-7        start
//
// A window may start anywhere up to the shared prefix and stay correct;
// starts are capped so that every window lies within the caller's folded
// copy. Comparing the caller's bytes in the same window as one integer gives
// the comparison's sign whenever the two differ; when they agree and the
// caller's ID ends inside the window, the IDs are equal.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_PROBEKEYS_H
#define PHRASOR_KEEPER_PROBEKEYS_H

#include "keeper/IdCompare.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace phrasor {

using ProbeKey = uintptr_t;

/// ID bytes in one key: all but the byte that holds the window's start.
constexpr uint32_t kKeyBytes = sizeof(ProbeKey) - 1;

/// The keyed search takes caller IDs shorter than this; longer ones are
/// compared in place, as rare as they are in real catalogs.
constexpr uint32_t kFoldedIdMax = 64;

/// The latest start a key's window may have. A caller's ID that reaches a
/// probe is at least as long as the window's true start, so capping it here
/// keeps every window inside the folded copy and changes no answer.
constexpr uint32_t kKeyStartMax = kFoldedIdMax - 1;

/// The caller's ID folded once per search, zero after its terminator, with
/// room for a whole vector past any byte of the ID.
struct FoldedId {
  alignas(16) unsigned char bytes[kFoldedIdMax + 16];
  uint32_t length;
};

namespace detail {

inline ProbeKey ByteSwap(ProbeKey word) {
#if defined(__GNUC__) || defined(__clang__)
  if (sizeof(ProbeKey) == 8)
    return static_cast<ProbeKey>(__builtin_bswap64(word));
  return static_cast<ProbeKey>(__builtin_bswap32(static_cast<uint32_t>(word)));
#else
  ProbeKey swapped = 0;
  for (unsigned i = 0; i < sizeof word; ++i, word >>= 8)
    swapped = (swapped << 8) | (word & 0xFF);
  return swapped;
#endif
}

} // namespace detail

/// The word at \p p with its first byte highest, so that unsigned order of
/// words is the byte order of the strings.
inline ProbeKey LoadKeyWord(const unsigned char *p) {
  ProbeKey word;
  memcpy(&word, p, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return word;
#else
  return detail::ByteSwap(word);
#endif
}

/// The key of the stored ID \p id for a window at \p start, which must not
/// lie past its terminator; \p storedEnd ends the block that holds it.
inline ProbeKey MakeProbeKey(const char *id, uint32_t start,
                             const char *storedEnd) {
  const unsigned char *p = reinterpret_cast<const unsigned char *>(id) + start;
  ProbeKey window = 0;
  if (storedEnd - reinterpret_cast<const char *>(p) >=
      static_cast<ptrdiff_t>(sizeof(ProbeKey))) {
    // A whole word, then everything from the first zero byte on cleared:
    // the high bit of each byte of `zero` is set exactly where that byte is
    // zero, smeared onto every later (lower) byte, then onto whole bytes.
    constexpr ProbeKey kLow7 = static_cast<ProbeKey>(0x7F7F7F7F7F7F7F7Full);
    window = LoadKeyWord(p);
    ProbeKey zero = ~(((window & kLow7) + kLow7) | window | kLow7);
    for (unsigned shift = 8; shift < 8 * sizeof(ProbeKey); shift *= 2)
      zero |= zero >> shift;
    window &= ~((zero >> 7) * 0xFF);
    window = static_cast<ProbeKey>(FoldAsciiWord(window));
    return (window & ~static_cast<ProbeKey>(0xFF)) | start;
  }
  bool ended = false;
  for (uint32_t i = 0; i < kKeyBytes; ++i) {
    unsigned char c = ended ? 0 : p[i];
    ended = c == 0;
    window = (window << 8) | FoldAscii(c);
  }
  return (window << 8) | start;
}

/// Folds \p id into \p folded; false when it is too long for the keyed
/// search. Only the ID's own bytes are read.
inline bool FoldCallerId(const char *id, FoldedId &folded) {
  memset(folded.bytes, 0, sizeof folded.bytes);
  const unsigned char *p = reinterpret_cast<const unsigned char *>(id);
  for (uint32_t i = 0; i < kFoldedIdMax; ++i) {
    unsigned char c = p[i];
    if (c == 0) {
      folded.length = i;
      return true;
    }
    folded.bytes[i] = FoldAscii(c);
  }
  return false;
}

/// The sign of StrICmp(caller, stored) for IDs known to agree, folded, on
/// their first \p start bytes, where \p start is not past the caller's
/// terminator. Stored bytes are read sixteen at a time while the vector lies
/// before \p storedEnd, the end of the block that holds them.
inline int CompareFolded(const FoldedId &folded, const char *stored,
                         const char *storedEnd, uint32_t start) {
  const unsigned char *x = folded.bytes;
  const unsigned char *y = reinterpret_cast<const unsigned char *>(stored);
  uint32_t i = start;
#if PHRASOR_HAS_SSE2
  const unsigned char *yEnd =
      reinterpret_cast<const unsigned char *>(storedEnd);
  // The caller's copy ends in a terminator and a vector of zeros, so the
  // loop stops at the vector that holds its end at the latest.
  while (yEnd - (y + i) >= 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(x + i));
    __m128i b = FoldAsciiVector(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + i)));
    unsigned same =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
    unsigned end = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())));
    unsigned marks = (~same | end) & 0xFFFFu;
    if (marks) {
      i += detail::LowestMark(marks);
      return static_cast<int>(x[i]) - static_cast<int>(FoldAscii(y[i]));
    }
    i += 16;
  }
#else
  (void)storedEnd;
#endif
  for (;; ++i) {
    int fx = x[i], fy = FoldAscii(y[i]);
    if (fx != fy || fx == 0)
      return fx - fy;
  }
}

} // namespace phrasor

#endif // PHRASOR_KEEPER_PROBEKEYS_H
