//===- MessageFormat.cpp - Messages with numbered, typed inserts ----------===//

#include "MessageFormat.h"

namespace phrasor {

// Placeholder until the formatter lands.
bool FormatMessageV(PhrasorWChar *buffer, uint32_t bufferLength,
                    const PhrasorWChar *format, va_list args) {
  (void)buffer;
  (void)bufferLength;
  (void)format;
  (void)args;
  return false;
}

} // namespace phrasor
