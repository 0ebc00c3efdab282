//===- MessageFormat.h - Messages with numbered, typed inserts -*- C++ -*-===//
//
// A message names its arguments by number (%1!d!, %2!s!), so a translation
// may use them in another order than the source text.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_MESSAGEFORMAT_H
#define PHRASOR_FORMAT_MESSAGEFORMAT_H

#include "FormatArgs.h"

#include "PhrasorRuntime.h"

#include <stdarg.h>
#include <stdint.h>

namespace phrasor {

/// Formats a message into \p buffer. True when written (possibly cut at the
/// end of the buffer); false with an error text over the buffer's start when
/// the message is malformed or an insert does not fit.
bool FormatMessageV(PhrasorWChar *buffer, uint32_t bufferLength,
                    const PhrasorWChar *format, va_list args);

} // namespace phrasor

#endif // PHRASOR_FORMAT_MESSAGEFORMAT_H
