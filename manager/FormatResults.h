//===- FormatResults.h - What the formatting operations answer -*- C++ -*-===//
//
// The format layer says how a call ended (written, cut, refused and why);
// the manager alone turns that into what the interface promises: a count
// or -1, true or false, and for a refused message one of its fixed texts
// over the start of the caller's buffer.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_MANAGER_FORMATRESULTS_H
#define PHRASOR_MANAGER_FORMATRESULTS_H

#include "format/MessageFormat.h"
#include "format/Printf.h"
#include "format/WStr.h"

#include <stdarg.h>
#include <stdint.h>

namespace phrasor {

/// The count of units written, or -1 when the output was cut, the format
/// was refused, or there was no buffer.
inline int32_t PrintfResult(const FormatOutcome &outcome) {
  return outcome.status == FormatStatus::Ok
             ? static_cast<int32_t>(outcome.written)
             : -1;
}

/// The fixed text a refused message leaves in the buffer; null for the
/// statuses that leave none.
inline const char *MessageErrorText(MessageStatus status) {
  switch (status) {
  case MessageStatus::BadFieldIndex:
    return "[QVFormatMessageT Error - Failed to extract field index]";
  case MessageStatus::NoOpenMark:
    return "[QVFormatMessageT Error - Failed to locate open exclamation mark]";
  case MessageStatus::BadFieldType:
    return "[QVFormatMessageT Error - Invalid field type]";
  case MessageStatus::NoCloseMark:
    return "[QVFormatMessageT Error - Failed to locate close exclamation "
           "mark]";
  case MessageStatus::TooManyFields:
    return "[QVFormatMessageT Error - Exceeded field count limit]";
  case MessageStatus::UnknownArgumentSize:
    return "[QVFormatMessageT Error - Unknown size of argument]";
  case MessageStatus::UnknownArgumentType:
    return "[QVFormatMessageT Error - Unknown argument type]";
  case MessageStatus::BadSpecOrBufferFull:
    return "[QVFormatMessageT Error - Invalid format specification or buffer "
           "too small.]";
  default:
    return nullptr;
  }
}

/// True for a message written whole or cut; otherwise false, with the
/// status's fixed text converted over the start of \p buffer.
inline bool MessageResult(MessageStatus status, PhrasorWChar *buffer,
                          uint32_t bufferLength) {
  if (IsWritten(status))
    return true;
  if (const char *text = MessageErrorText(status))
    CopyNarrowToWide(buffer, bufferLength, text);
  return false;
}

/// The printf engine over a C variable argument list, answered as the
/// interface answers.
inline int32_t FormatPrintfV(PhrasorWChar *buffer, uint32_t bufferLength,
                             const PhrasorWChar *format, va_list list) {
  VaListArgs args(list);
  return PrintfResult(FormatPrintf(buffer, bufferLength, format, args));
}

/// The message formatter over a C variable argument list, answered as the
/// interface answers.
inline bool FormatMessageV(PhrasorWChar *buffer, uint32_t bufferLength,
                           const PhrasorWChar *format, va_list list) {
  VaListArgs args(list);
  return MessageResult(
      QVFormatMessageT().Format(buffer, bufferLength, format, args), buffer,
      bufferLength);
}

} // namespace phrasor

#endif // PHRASOR_MANAGER_FORMATRESULTS_H
