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
// precision count UTF-16 units; for a narrow string the precision counts
// the units it converts to, and a character that does not fit whole is
// left out. Text pads with '0' under the 0 flag, as on Windows. A null
// string prints "(null)". %p is upper-case hex at the pointer's width.
// %n is refused: a stored text must never write to the host's memory.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PRINTF_H
#define PHRASOR_FORMAT_PRINTF_H

#include "format/FormatArgs.h"

#include "PhrasorRuntime.h"

#include <stdarg.h>
#include <stdint.h>

namespace phrasor {

/// Why a formatting call did not produce its whole output.
enum class FormatStatus {
  Ok,         ///< everything written and terminated
  BufferFull, ///< output cut at length - 1 units and terminated
  BadFormat,  ///< unknown conversion, malformed spec, or %n
  BadInput,   ///< null or empty destination
};

/// Formats \p format with \p args into \p dest (\p length units including
/// the terminator). \p written receives the units written, terminator
/// excluded. The destination is terminated whenever \p length is not 0.
/// The walk stops at the first problem met left to right: on BadFormat and
/// on BufferFull the buffer holds the output written before it, terminated,
/// and the last element is a terminator too.
FormatStatus FormatInto(PhrasorWChar *dest, uint32_t length,
                        const PhrasorWChar *format, FormatArgs &args,
                        uint32_t &written);

/// The count of units written, or -1 when the output was cut, the format
/// was refused, or the destination is null or empty.
int32_t WStrFormatArgs(PhrasorWChar *dest, uint32_t length,
                       const PhrasorWChar *format, FormatArgs &args);
int32_t WStrFormatV(PhrasorWChar *dest, uint32_t length,
                    const PhrasorWChar *format, va_list args);
int32_t WStrFormat(PhrasorWChar *dest, uint32_t length,
                   const PhrasorWChar *format, ...);

} // namespace phrasor

#endif // PHRASOR_FORMAT_PRINTF_H
