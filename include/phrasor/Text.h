//===- Text.h - The layer's text types and UTF-8 conversions ----*- C++ -*-===//
//
// Stored texts are UTF-16 code units; people and most game code read UTF-8.
// The conversions never fail: a broken sequence becomes U+FFFD, so a bad
// byte from a file or a lone surrogate in a translation cannot stop a
// caller that only wants something to show.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_TEXT_H
#define PHRASOR_CPP_TEXT_H

#include "PhrasorRuntime.h"

#include <string>
#include <string_view>

namespace phrasor {

using Text = std::basic_string<PhrasorWChar>;
using TextView = std::basic_string_view<PhrasorWChar>;

/// UTF-8 of \p text; each unpaired surrogate becomes U+FFFD.
std::string toUtf8(TextView text);
/// UTF-16 of \p text; each maximal invalid subsequence (a stray
/// continuation byte, a byte of an overlong form, surrogate or value past
/// U+10FFFF, a cut sequence) becomes one U+FFFD.
Text fromUtf8(std::string_view text);

} // namespace phrasor

#endif // PHRASOR_CPP_TEXT_H
