//===- Utf.cpp - UTF-8 and UTF-16 conversions with replacement ------------===//
//
// Hand-written rather than taken from a UTF library: the ones at hand
// report invalid input by throwing, and this layer builds without
// exceptions. Invalid input is replaced, one U+FFFD per maximal bad
// subsequence as the Unicode standard recommends, so two converters agree.
//
//===----------------------------------------------------------------------===//

#include "Utf.h"

namespace phrasor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

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

void appendUtf16(Text &out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<PhrasorWChar>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<PhrasorWChar>(0xD800 + (c >> 10)));
    out.push_back(static_cast<PhrasorWChar>(0xDC00 + (c & 0x3FF)));
  }
}

std::string toUtf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<std::uint16_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      char32_t low = static_cast<std::uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
  }
  return out;
}

Text fromUtf8(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();)
    appendUtf16(out, decodeUtf8(text, i));
  return out;
}

} // namespace phrasor
