//===- StrUtil.cpp - Null-safe narrow and wide string helpers -------------===//

#include "base/StrUtil.h"

#include <string.h>

namespace phrasor {

uint32_t StrLen(const char *s) {
  return s ? static_cast<uint32_t>(strlen(s)) : 0;
}

uint32_t WStrLen(const PhrasorWChar *s) {
  if (!s)
    return 0;
  const PhrasorWChar *p = s;
  while (*p)
    ++p;
  return static_cast<uint32_t>(p - s);
}

int StrCmp(const char *a, const char *b) {
  if (!a)
    return b ? -1 : 0;
  if (!b)
    return 1;
  const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
  while (*x && *x == *y) {
    ++x;
    ++y;
  }
  return *x == *y ? 0 : (*x < *y ? -1 : 1);
}

int StrICmp(const char *a, const char *b) {
  if (!a)
    return b ? -1 : 0;
  if (!b)
    return 1;
  const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
  // IDs looked up are mostly spelled as stored, and those compared in a
  // search share long prefixes, so most bytes are identical: test that
  // first and fold only where the bytes differ.
  for (;; ++x, ++y) {
    unsigned cx = *x, cy = *y;
    if (cx == cy) {
      if (cx == 0)
        return 0;
      continue;
    }
    int fx = FoldAscii(static_cast<unsigned char>(cx));
    int fy = FoldAscii(static_cast<unsigned char>(cy));
    if (fx != fy)
      return fx - fy;
  }
}

int StrNICmp(const char *a, const char *b, uint32_t n) {
  if (!a)
    return b ? -1 : 0;
  if (!b)
    return 1;
  const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
  const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
  for (; n; --n, ++x, ++y) {
    int cx = FoldAscii(*x), cy = FoldAscii(*y);
    if (cx != cy || cx == 0)
      return cx - cy;
  }
  return 0;
}

} // namespace phrasor
