//===- Printf.cpp - Bounded printf engine for UTF-16 ----------------------===//

#include "Printf.h"

#include "WStr.h"

namespace phrasor {

// Placeholder until the engine lands: copies the format verbatim and refuses
// any conversion.
FormatStatus FormatInto(PhrasorWChar *dest, uint32_t length,
                        const PhrasorWChar *format, FormatArgs &args,
                        uint32_t &written) {
  (void)args;
  written = 0;
  if (!dest || length == 0)
    return FormatStatus::BadInput;
  static const PhrasorWChar Empty[] = {0};
  if (!format)
    format = Empty;
  for (uint32_t i = 0; format[i]; ++i) {
    if (format[i] == '%') {
      dest[written] = 0;
      dest[length - 1] = 0;
      return FormatStatus::BadFormat;
    }
    if (written + 1 >= length) {
      dest[written] = 0;
      return FormatStatus::BufferFull;
    }
    dest[written++] = format[i];
  }
  dest[written] = 0;
  return FormatStatus::Ok;
}

int32_t WStrFormatArgs(PhrasorWChar *dest, uint32_t length,
                       const PhrasorWChar *format, FormatArgs &args) {
  uint32_t written = 0;
  FormatStatus status = FormatInto(dest, length, format, args, written);
  return status == FormatStatus::Ok ? static_cast<int32_t>(written) : -1;
}

int32_t WStrFormatV(PhrasorWChar *dest, uint32_t length,
                    const PhrasorWChar *format, va_list args) {
  VaListArgs source(args);
  return WStrFormatArgs(dest, length, format, source);
}

int32_t WStrFormat(PhrasorWChar *dest, uint32_t length,
                   const PhrasorWChar *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t result = WStrFormatV(dest, length, format, args);
  va_end(args);
  return result;
}

} // namespace phrasor
