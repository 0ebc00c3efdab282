//===- Printf.h - Bounded printf engine for UTF-16 -------------*- C++ -*-===//
//
// Our own printf for 16-bit code units: the C library's wide printf uses a
// 32-bit wchar_t on most POSIX systems and reads %s differently, while
// stored texts follow the Windows wide conventions (%s wide, %S narrow).
// Output is written once, left to right, into the caller's buffer; nothing
// is allocated.
//
// Conventions: %s and %c take wide arguments, %S and %C narrow ones, and
// the prefixes h (narrow) and l or w (wide) override the letter's case.
// Narrow text is converted as CopyNarrowToWide converts it. Integer
// prefixes: hh, h, l and I32 (32 bits: the texts were written where long
// is 32 bits), ll, I64 and j (64), I, z and t (pointer width). Width and
// precision count UTF-16 units; a precision never splits a character. Text
// pads with '0' under the 0 flag, as on Windows. A null string prints
// "(null)". %p is upper-case hex at the pointer's width. %n is refused: a
// stored text must never write to the host's memory.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PRINTF_H
#define PHRASOR_FORMAT_PRINTF_H

#include "base/Nodiscard.h"
#include "format/FormatArgs.h"
#include "format/PrintfConversion.h"
#include "format/WSink.h"

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

/// How a formatting call ended.
enum class PHRASOR_NODISCARD FormatStatus : uint8_t {
  Ok,         ///< everything written and terminated
  BufferFull, ///< output cut at length - 1 units and terminated
  BadFormat,  ///< a spec was refused; the reason says why
  BadInput,   ///< null or empty destination
};

struct [[nodiscard]] FormatOutcome {
  FormatStatus status;
  uint32_t written; ///< units written, terminator excluded
  SpecError reason; ///< why a spec was refused (BadFormat)
};

/// Formats \p format with \p args into \p dest (\p length units including
/// the terminator). The destination is terminated whenever \p length is
/// not 0. The walk stops at the first problem met left to right: on
/// BadFormat and on BufferFull the buffer holds the output written before
/// it, terminated, and the last element is a terminator too.
FormatOutcome FormatPrintf(PhrasorWChar *dest, uint32_t length,
                           const PhrasorWChar *format, FormatArgs &args);

/// Renders one parsed conversion into \p sink, taking its arguments (any
/// '*' first) from \p args.
void RenderConversion(WSink &sink, const ConversionSpec &spec,
                      FormatArgs &args);

/// Walks \p format into \p sink until its end or until the sink is cut.
/// Returns the reason the first refused spec was refused, or
/// SpecError::None.
SpecError RenderFormat(WSink &sink, const PhrasorWChar *format,
                       FormatArgs &args);

} // namespace phrasor

#endif // PHRASOR_FORMAT_PRINTF_H
