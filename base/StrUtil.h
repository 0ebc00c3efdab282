//===- StrUtil.h - Null-safe narrow and wide string helpers ----*- C++ -*-===//
//
// Lengths and comparisons used by the loader, the lookups and the tools. The
// case-insensitive forms fold only ASCII 'A'..'Z', independent of the process
// locale, because the ID order of a stored database was fixed that way when
// it was compiled and a host's setlocale must not change which ID is found.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_BASE_STRUTIL_H
#define PHRASOR_BASE_STRUTIL_H

#include "base/AsciiFold.h"

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

/// Bytes before the terminator; 0 for null.
uint32_t StrLen(const char *s);
/// 16-bit units before the terminator; 0 for null.
uint32_t WStrLen(const PhrasorWChar *s);

/// Exact comparison of unsigned bytes: -1, 0 or 1. A null string sorts
/// before any other and equals another null.
int StrCmp(const char *a, const char *b);
/// As StrCmp after mapping ASCII capitals to lower case; only the sign of
/// the result is meaningful.
int StrICmp(const char *a, const char *b);
/// StrICmp over at most \p n bytes; 0 when \p n is 0.
int StrNICmp(const char *a, const char *b, uint32_t n);

/// StrICmp of two non-null strings known to agree, after folding, on their
/// first \p start bytes (neither ends inside them). \p common receives the
/// length of the folded prefix they share: the searches use it to skip the
/// prefix every remaining candidate shares with the ID. Inline because the
/// halving search calls it once per step.
inline int StrICmpFrom(const char *a, const char *b, uint32_t start,
                       uint32_t &common) {
  const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
  for (uint32_t i = start;; ++i) {
    unsigned cx = x[i], cy = y[i];
    if (cx == cy) {
      if (cx == 0) {
        common = i;
        return 0;
      }
      continue;
    }
    int fx = FoldAscii(static_cast<unsigned char>(cx));
    int fy = FoldAscii(static_cast<unsigned char>(cy));
    if (fx != fy) {
      common = i;
      return fx - fy;
    }
  }
}

} // namespace phrasor

#endif // PHRASOR_BASE_STRUTIL_H
