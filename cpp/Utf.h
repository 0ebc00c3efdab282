//===- Utf.h - The layer's UTF-8 and UTF-16 conversions --------*- C++ -*-===//
//
// One conversion loop per direction, writing through an output iterator so
// that the same code fills a std::string or Text and a raw scratch buffer
// of the argument list (where formatting must not allocate).
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_UTF_H
#define PHRASOR_CPP_UTF_H

#include "phrasor/Text.h"

#include <cstddef>
#include <cstdint>

namespace phrasor {

/// Decodes the character at \p i and moves \p i past it; a maximal invalid
/// subsequence gives U+FFFD.
char32_t decodeUtf8(std::string_view text, std::size_t &i);

/// Writes \p text as UTF-16 through \p out: never more units than bytes.
template <class Out> Out utf8ToUtf16(std::string_view text, Out out) {
  for (std::size_t i = 0; i < text.size();) {
    // An ASCII byte is its own unit: no call to decode it.
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      *out++ = static_cast<PhrasorWChar>(text[i++]);
      continue;
    }
    char32_t c = decodeUtf8(text, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      *out++ = static_cast<PhrasorWChar>(0xD800 + (c >> 10));
      *out++ = static_cast<PhrasorWChar>(0xDC00 + (c & 0x3FF));
    } else {
      *out++ = static_cast<PhrasorWChar>(c);
    }
  }
  return out;
}

/// Writes \p text as UTF-8 through \p out, each unpaired surrogate as
/// U+FFFD: never more than three bytes per unit.
template <class Out> Out utf16ToUtf8(TextView text, Out out) {
  const auto put = [&out](char32_t c) { *out++ = static_cast<char>(c); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<std::uint16_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const char32_t low = static_cast<std::uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD;
    if (c < 0x80) {
      put(c);
    } else if (c < 0x800) {
      put(0xC0 | (c >> 6));
      put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      put(0xE0 | (c >> 12));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    } else {
      put(0xF0 | (c >> 18));
      put(0x80 | ((c >> 12) & 0x3F));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    }
  }
  return out;
}

} // namespace phrasor

#endif // PHRASOR_CPP_UTF_H
