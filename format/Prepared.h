//===- Prepared.h - Formatting from a text parsed earlier -------*- C++ -*-===//
//
// The exported calls hold no state, so they parse a text on every call. A
// caller that keeps its texts (the typed C++ layer keeps one per entry)
// parses each once into a prepared form and renders from it with the
// arguments already bound, so a call walks the pieces and nothing else.
// Rendering from a prepared text writes what formatting the text itself
// writes, unit for unit, into any sink, a streaming one included.
//
// Only texts that format without a refusal are prepared: a message that
// QVFormatMessageT::Format refuses, or a printf text holding a spec the
// engine refuses, gives the reason instead.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_PREPARED_H
#define PHRASOR_FORMAT_PREPARED_H

#include "format/FormatArgs.h"
#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"
#include "format/WSink.h"

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

/// How a prepared message writes one of its fields.
enum class PreparedInsert : uint8_t {
  Escape,    ///< "%%": a percent sign
  PlainText, ///< %n!s!: the wide text as it is
  PlainInt,  ///< %n!d!: decimal digits
  Spec,      ///< one conversion, parsed once into \c specs
  Walk,      ///< a spec with more after its conversion: parsed per call
};

/// A message checked and parsed once. Field values are not part of it:
/// they come with each render.
struct PreparedMessage {
  MessageLayout layout;
  PreparedInsert how[kMaxMessageFields];
  ConversionSpec specs[kMaxMessageFields];
};

/// Checks \p format as QVFormatMessageT::Format checks it and prepares it.
/// Anything but Ok is the status Format gives the same text.
MessageStatus PrepareMessage(const PhrasorWChar *format,
                             PreparedMessage &prepared);

/// Renders \p prepared (made from \p format) into \p sink with \p values,
/// one per field in field-number order, each of the type the field takes
/// (Int32, Int64, Double or Pointer). Returns Ok, Cut when literal text was
/// cut, BadSpecOrBufferFull when an insert did not fit (the sink holds the
/// output before it), or UnknownArgumentType when \p values do not suit the
/// fields, having written nothing. The sink is not terminated.
MessageStatus RenderPreparedMessage(WSink &sink, const PhrasorWChar *format,
                                    const PreparedMessage &prepared,
                                    const FormatValue *values, uint32_t count);

/// The buffer form of RenderPreparedMessage: what Format writes into
/// \p buffer and returns for the same text and arguments.
MessageStatus RenderPreparedMessage(PhrasorWChar *buffer, uint32_t bufferLength,
                                    const PhrasorWChar *format,
                                    const PreparedMessage &prepared,
                                    const FormatValue *values, uint32_t count);

/// Whether every insert of \p prepared is an escape, a plain %n!s! or a
/// plain %n!d!: such a message can be rendered by RenderPlainMessage.
bool IsPlainMessage(const PreparedMessage &prepared);

/// RenderPreparedMessage for a message IsPlainMessage accepts, handing its
/// units straight to \p drain rather than through a sink's buffer: the
/// drain takes literal runs from \p format and texts from their values in
/// place. Cut or BadSpecOrBufferFull when the drain refused units.
MessageStatus RenderPlainMessage(WDrain &drain, const PhrasorWChar *format,
                                 const PreparedMessage &prepared,
                                 const FormatValue *values, uint32_t count);

/// One piece of a prepared printf text: a literal run of \c length units
/// from \c begin, or (length 0) the conversion \c spec.
struct PrintfPiece {
  uint32_t begin;
  uint32_t length;
  ConversionSpec spec;
};

/// Parses \p format into at most \p capacity pieces at \p pieces and
/// returns how many it takes (more than \p capacity: call again with room
/// for them). A spec the engine refuses sets \p error and returns 0.
uint32_t PreparePrintf(const PhrasorWChar *format, PrintfPiece *pieces,
                       uint32_t capacity, SpecError &error);

/// Renders \p count pieces of \p format into \p sink, taking arguments from
/// \p args as FormatPrintf takes them, until the end or until the sink is
/// cut. The sink is not terminated.
void RenderPreparedPrintf(WSink &sink, const PhrasorWChar *format,
                          const PrintfPiece *pieces, uint32_t count,
                          FormatArgs &args);

} // namespace phrasor

#endif // PHRASOR_FORMAT_PREPARED_H
