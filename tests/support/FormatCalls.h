//===- FormatCalls.h - The formatters called as the manager calls them ---===//
//
// Tests drive the format layer with typed or variadic arguments and check
// the answers the interface gives, so these wrap each call with the
// manager's own mapping of its status.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TESTS_FORMATCALLS_H
#define PHRASOR_TESTS_FORMATCALLS_H

#include "format/FormatArgs.h"
#include "format/MessageFormat.h"
#include "format/Printf.h"
#include "manager/FormatResults.h"

#include <stdarg.h>

namespace phrasor::test {

/// The printf engine's answer: the count written, or -1.
inline int32_t WStrFormatArgs(PhrasorWChar *dest, uint32_t length,
                              const PhrasorWChar *format, FormatArgs &args) {
  return PrintfResult(FormatPrintf(dest, length, format, args));
}

/// As WStrFormatArgs, with the arguments of a C variadic call.
inline int32_t WStrFormat(PhrasorWChar *dest, uint32_t length,
                          const PhrasorWChar *format, ...) {
  va_list list;
  va_start(list, format);
  int32_t result = FormatPrintfV(dest, length, format, list);
  va_end(list);
  return result;
}

/// The message formatter's answer, with the fixed error text written over
/// the buffer's start on a refusal.
inline bool FormatMessageWith(PhrasorWChar *buffer, uint32_t bufferLength,
                              const PhrasorWChar *format, FormatArgs &args) {
  return MessageResult(
      QVFormatMessageT().Format(buffer, bufferLength, format, args), buffer,
      bufferLength);
}

} // namespace phrasor::test

#endif // PHRASOR_TESTS_FORMATCALLS_H
