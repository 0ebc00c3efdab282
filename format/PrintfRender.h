//===- PrintfRender.h - Numbers as printf writes them ----------*- C++ -*-===//
//
// Turns one integer, floating-point value or pointer into the pieces printf
// lays out (sign, prefix, leading zeros, digits, trailing zeros, exponent)
// and pads them to width in the sink. Digits come from our own integer code
// and std::to_chars, so the decimal point is '.' whatever the locale.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PRINTFRENDER_H
#define PHRASOR_FORMAT_PRINTFRENDER_H

#include "format/PrintfConversion.h"
#include "format/WSink.h"

#include <stdint.h>

namespace phrasor {

/// Width and flags after any '*' arguments were applied.
struct Layout {
  uint8_t flags;
  uint32_t width;
  int32_t precision; ///< ConversionSpec::kNone when absent
};

/// Integer conversions d i o u x X; \p raw holds the argument as fetched,
/// cut to the spec's IntBits here.
void RenderInteger(WSink &sink, const ConversionSpec &spec,
                   const Layout &layout, uint64_t raw);

/// Floating-point conversions e E f F g G a A.
void RenderFloat(WSink &sink, char conversion, const Layout &layout,
                 double value);

/// %p: upper-case hex, zero-padded to the pointer's width, no prefix.
void RenderPointer(WSink &sink, const Layout &layout, const void *pointer);

/// Pads \p length units of text, already produced by \p emit, to the width.
template <typename Emit>
void RenderPadded(WSink &sink, const Layout &layout, uint32_t length,
                  Emit emit) {
  uint32_t pad = layout.width > length ? layout.width - length : 0;
  // Text pads with zeros when asked, as the Windows runtime does.
  PhrasorWChar fill = (layout.flags & kFlagZero) ? '0' : ' ';
  if (!(layout.flags & kFlagMinus))
    sink.Fill(fill, pad);
  emit();
  if (layout.flags & kFlagMinus)
    sink.Fill(' ', pad);
}

} // namespace phrasor

#endif // PHRASOR_FORMAT_PRINTFRENDER_H
