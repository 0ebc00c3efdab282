//===- WStr.cpp - Bounded copies into caller-owned wide buffers -----------===//

#include "format/WStr.h"

#include "base/Memory.h"
#include "base/StrUtil.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace phrasor {

void WStrCopy(PhrasorWChar *dest, const PhrasorWChar *source, uint32_t length) {
  if (!dest || length == 0)
    return;
  uint32_t i = 0;
  if (source) {
    for (; i + 1 < length && source[i]; ++i)
      dest[i] = source[i];
    i = CutPoint(dest, i, source[i]);
  }
  dest[i] = 0;
  dest[length - 1] = 0;
}

void WStrCopyN(PhrasorWChar *dest, const PhrasorWChar *source, uint32_t length,
               uint32_t count) {
  if (!dest || length == 0)
    return;
  uint32_t limit = length > count ? count : length - 1;
  uint32_t i = 0;
  if (source) {
    for (; i < limit && source[i]; ++i)
      dest[i] = source[i];
    // Only a cut made by the buffer's end drops half a pair; a count the
    // caller chose is kept as asked.
    if (i == limit && length <= count)
      i = CutPoint(dest, i, source[i]);
  }
  dest[i] = 0;
}

#if defined(_WIN32)

uint32_t NarrowToWide(PhrasorWChar *dest, const char *source,
                      uint32_t sourceLength) {
  if (sourceLength == 0)
    return 0;
  // The system's default code page gives at most one unit per byte, so
  // sourceLength units are always room enough.
  int units =
      MultiByteToWideChar(CP_ACP, 0, source, static_cast<int>(sourceLength),
                          dest, static_cast<int>(sourceLength));
  return units > 0 ? static_cast<uint32_t>(units) : 0;
}

#else

uint32_t DecodeUtf8(const unsigned char *&p, const unsigned char *end) {
  unsigned char lead = *p++;
  if (lead < 0x80)
    return lead;
  uint32_t extra, cp, min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    return 0xFFFD;
  }
  if (static_cast<uint32_t>(end - p) < extra)
    return 0xFFFD;
  for (uint32_t k = 0; k < extra; ++k) {
    if ((p[k] & 0xC0) != 0x80)
      return 0xFFFD;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not text.
  if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
    return 0xFFFD;
  p += extra;
  return cp;
}

uint32_t NarrowToWide(PhrasorWChar *dest, const char *source,
                      uint32_t sourceLength) {
  const unsigned char *p = reinterpret_cast<const unsigned char *>(source);
  const unsigned char *end = p + sourceLength;
  uint32_t out = 0;
  while (p < end) {
    uint32_t cp = DecodeUtf8(p, end);
    if (cp >= 0x10000) {
      // A four-byte sequence becomes a surrogate pair: still fewer units
      // than bytes.
      cp -= 0x10000;
      dest[out++] = static_cast<PhrasorWChar>(0xD800 + (cp >> 10));
      dest[out++] = static_cast<PhrasorWChar>(0xDC00 + (cp & 0x3FF));
    } else {
      dest[out++] = static_cast<PhrasorWChar>(cp);
    }
  }
  return out;
}

#endif

NarrowReader::NarrowReader(const char *source)
    : pos(reinterpret_cast<const unsigned char *>(source)) {}

#if defined(_WIN32)

uint32_t NarrowReader::NextDecoded(PhrasorWChar out[2]) {
  while (index == count) {
    uint32_t n = 0;
    while (n < kChunk && pos[n]) {
      uint32_t step = IsDBCSLeadByte(pos[n]) && pos[n + 1] ? 2 : 1;
      if (n + step > kChunk)
        break;
      n += step;
    }
    // Where the system code page is UTF-8, a chunk must not end inside a
    // multi-byte sequence either: back up to the sequence's first byte.
    if (pos[n] && (pos[n] & 0xC0) == 0x80 && GetACP() == CP_UTF8) {
      uint32_t start = n;
      while (start > 0 && n - start < 4 && (pos[start] & 0xC0) == 0x80)
        --start;
      if (start > 0)
        n = start;
    }
    if (n == 0)
      return 0;
    int converted = MultiByteToWideChar(
        CP_ACP, 0, reinterpret_cast<const char *>(pos), static_cast<int>(n),
        reinterpret_cast<wchar_t *>(units), static_cast<int>(kChunk));
    pos += n;
    count = converted > 0 ? static_cast<uint32_t>(converted) : 0;
    index = 0;
  }
  out[0] = units[index++];
  if (IsHighSurrogate(out[0]) && index < count &&
      IsLowSurrogate(units[index])) {
    out[1] = units[index++];
    return 2;
  }
  return 1;
}

#else

uint32_t NarrowReader::NextDecoded(PhrasorWChar out[2]) {
  unsigned char lead = *pos;
  if (!lead)
    return 0;
  // Look only as far ahead as the lead byte asks, and stop at the
  // terminator: a cut sequence then decodes as U+FFFD, as in NarrowToWide.
  uint32_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  uint32_t avail = 1;
  while (avail < need && pos[avail])
    ++avail;
  uint32_t cp = DecodeUtf8(pos, pos + avail);
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out[0] = static_cast<PhrasorWChar>(0xD800 + (cp >> 10));
    out[1] = static_cast<PhrasorWChar>(0xDC00 + (cp & 0x3FF));
    return 2;
  }
  out[0] = static_cast<PhrasorWChar>(cp);
  return 1;
}

#endif

WideFromNarrow::WideFromNarrow(const char *source) : Text(nullptr) {
  if (!source)
    return;
  uint64_t n = static_cast<uint64_t>(StrLen(source)) + 1;
  if (n <= kInlineLength) {
    Text = Inline;
  } else {
    uint32_t count = n > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(n);
    Text =
        static_cast<PhrasorWChar *>(MemAllocArray(count, sizeof(PhrasorWChar)));
    if (!Text)
      return;
  }
  // The terminator is converted with the text, so the result ends in 0;
  // a conversion the system refuses leaves the empty string.
  if (NarrowToWide(Text, source, static_cast<uint32_t>(n)) == 0)
    Text[0] = 0;
}

WideFromNarrow::~WideFromNarrow() {
  if (Text != Inline)
    MemFree(Text);
}

void CopyNarrowToWide(PhrasorWChar *dest, uint32_t length, const char *source) {
  WideFromNarrow wide(source);
  WStrCopy(dest, wide.Get(), length);
}

} // namespace phrasor
