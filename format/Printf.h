//===- Printf.h - Bounded printf engine for UTF-16 -------------*- C++ -*-===//
//
// Our own printf for 16-bit code units: the C library's wide printf uses a
// 32-bit wchar_t on most POSIX systems and reads %s differently, while
// stored texts follow the Windows wide conventions (%s wide, %S narrow).
// Output is written once, left to right, into the caller's buffer; nothing
// is allocated.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PRINTF_H
#define PHRASOR_FORMAT_PRINTF_H

#include "FormatArgs.h"

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
