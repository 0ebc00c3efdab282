//===- Utf.cpp - UTF-8 and UTF-16 conversions with replacement ------------===//
//
// Hand-written rather than taken from a UTF library: the ones at hand
// report invalid input by throwing, and this layer builds without
// exceptions. Invalid input is replaced, one U+FFFD per maximal bad
// subsequence as the Unicode standard recommends, so two converters agree.
//
//===----------------------------------------------------------------------===//

#include "cpp/Utf.h"

#include <iterator>

namespace phrasor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

} // namespace

char32_t decodeUtf8(std::string_view text, std::size_t &i) {
  const auto byte = [&](std::size_t k) {
    return static_cast<unsigned char>(text[k]);
  };
  const unsigned char lead = byte(i++);
  if (lead < 0x80)
    return lead;
  std::size_t need;
  char32_t c;
  // The accepted range of the second byte excludes overlong forms,
  // surrogates and values past U+10FFFF at the first byte that shows them.
  unsigned char lo = 0x80, hi = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    c = lead & 0x0F;
    if (lead == 0xE0)
      lo = 0xA0;
    else if (lead == 0xED)
      hi = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    c = lead & 0x07;
    if (lead == 0xF0)
      lo = 0x90;
    else if (lead == 0xF4)
      hi = 0x8F;
  } else {
    return kReplacement;
  }
  for (std::size_t k = 0; k < need; ++k) {
    if (i >= text.size())
      return kReplacement;
    unsigned char b = byte(i);
    if (b < lo || b > hi)
      return kReplacement;
    lo = 0x80;
    hi = 0xBF;
    c = (c << 6) | (b & 0x3F);
    ++i;
  }
  return c;
}

std::string toUtf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  utf16ToUtf8(text, std::back_inserter(out));
  return out;
}

Text fromUtf8(std::string_view text) {
  Text out;
  out.reserve(text.size());
  utf8ToUtf16(text, std::back_inserter(out));
  return out;
}

} // namespace phrasor
