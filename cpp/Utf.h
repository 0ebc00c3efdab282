//===- Utf.h - The layer's UTF-8 decoding step ------------------*- C++ -*-===//

#ifndef PHRASOR_CPP_UTF_H
#define PHRASOR_CPP_UTF_H

#include "phrasor/Text.h"

#include <cstddef>
#include <cstdint>

namespace phrasor {

/// Decodes the character at \p i and moves \p i past it; a maximal invalid
/// subsequence gives U+FFFD.
char32_t decodeUtf8(std::string_view text, std::size_t &i);
/// Appends \p c (at most U+10FFFF) as one or two units.
void appendUtf16(Text &out, char32_t c);

} // namespace phrasor

#endif // PHRASOR_CPP_UTF_H
