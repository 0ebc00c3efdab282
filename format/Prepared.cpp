//===- Prepared.cpp - Formatting from a text parsed earlier ---------------===//
//
// Built on the two engines: a prepared message is checked by the message
// formatter's own passes and renders its inserts as MessageInsert.h has
// them; a prepared printf text is the engine's walk, recorded.
//
//===----------------------------------------------------------------------===//

#include "format/Prepared.h"

#include "format/MessageInsert.h"
#include "format/Printf.h"

namespace phrasor {

MessageStatus PrepareMessage(const PhrasorWChar *format,
                             PreparedMessage &prepared) {
  if (!format)
    return MessageStatus::BadInput;
  MessageLayout &layout = prepared.layout;
  QVFormatMessageT parser;
  MessageStatus status = parser.Parse(format, layout);
  if (status == MessageStatus::Ok)
    status = CheckSpecs(format, layout);
  if (status != MessageStatus::Ok)
    return status;
  for (uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &field = layout.fields[k];
    PreparedInsert &how = prepared.how[k];
    if (field.typeCode == kTypeNone) {
      how = PreparedInsert::Escape;
    } else if (IsPlainInsert(format, field)) {
      how = format[field.specStart] == 's' ? PreparedInsert::PlainText
                                           : PreparedInsert::PlainInt;
    } else {
      // CheckSpecs has put the spec to the engine: it parses.
      PhrasorWChar spec[kMaxInsertSpec + 1];
      CopySpec(format, field, spec);
      const PhrasorWChar *next;
      ParseConversionSpec(spec, prepared.specs[k], next);
      how = *next ? PreparedInsert::Walk : PreparedInsert::Spec;
    }
  }
  return MessageStatus::Ok;
}

namespace {

// Pass 4 of Format from a prepared message; \p rendered tells whether an
// insert was reached, which decides the buffer form's last element.
MessageStatus RenderPrepared(WSink &sink, const PhrasorWChar *format,
                             const PreparedMessage &prepared,
                             const FormatValue *values, uint32_t count,
                             bool &rendered) {
  const MessageLayout &layout = prepared.layout;
  rendered = false;
  if (count < layout.highestField)
    return MessageStatus::UnknownArgumentType;
  for (uint32_t f = 1; f <= layout.highestField; ++f)
    if (values[f - 1].kind !=
        PassedAs(ArgKindOfMessageType(
            layout.fields[layout.fieldOrder[f - 1]].typeCode)))
      return MessageStatus::UnknownArgumentType;
  uint32_t q = 0;
  for (uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &field = layout.fields[k];
    sink.AppendRun(format + q, field.insertStart - q);
    if (sink.WasCut())
      return MessageStatus::Cut;
    rendered = true;
    const FormatValue *value =
        field.fieldNumber ? &values[field.fieldNumber - 1] : nullptr;
    switch (prepared.how[k]) {
    case PreparedInsert::Escape:
      sink.Put('%');
      break;
    case PreparedInsert::PlainText:
      RenderPlainText(sink, *value);
      break;
    case PreparedInsert::PlainInt:
      RenderPlainInt(sink, *value);
      break;
    case PreparedInsert::Spec: {
      ArrayArgs args(value, 1);
      RenderConversion(sink, prepared.specs[k], args);
      break;
    }
    case PreparedInsert::Walk:
      if (!RenderInsert(sink, format, field, *value))
        return MessageStatus::BadSpecOrBufferFull;
      break;
    }
    if (sink.WasCut())
      return MessageStatus::BadSpecOrBufferFull;
    q = field.specStart + field.specLength + 1u;
  }
  if (layout.scanEnd > q)
    sink.AppendRun(format + q, layout.scanEnd - q);
  return sink.WasCut() ? MessageStatus::Cut : MessageStatus::Ok;
}

// Whether \p values suit the fields of \p layout, as RenderPrepared checks.
bool ValuesSuit(const MessageLayout &layout, const FormatValue *values,
                uint32_t count) {
  if (count < layout.highestField)
    return false;
  for (uint32_t f = 1; f <= layout.highestField; ++f)
    if (values[f - 1].kind !=
        PassedAs(ArgKindOfMessageType(
            layout.fields[layout.fieldOrder[f - 1]].typeCode)))
      return false;
  return true;
}

} // namespace

bool IsPlainMessage(const PreparedMessage &prepared) {
  for (uint32_t k = 0; k < prepared.layout.count; ++k)
    if (prepared.how[k] != PreparedInsert::Escape &&
        prepared.how[k] != PreparedInsert::PlainText &&
        prepared.how[k] != PreparedInsert::PlainInt)
      return false;
  return true;
}

MessageStatus RenderPlainMessage(WDrain &drain, const PhrasorWChar *format,
                                 const PreparedMessage &prepared,
                                 const FormatValue *values, uint32_t count) {
  static const PhrasorWChar kPercent[] = {'%'};
  static const PhrasorWChar kNull[] = PHRASOR_TEXT("(null)");
  const MessageLayout &layout = prepared.layout;
  if (!ValuesSuit(layout, values, count))
    return MessageStatus::UnknownArgumentType;
  uint32_t q = 0;
  for (uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &field = layout.fields[k];
    if (!drain.Take(format + q, field.insertStart - q))
      return MessageStatus::Cut;
    const FormatValue *value =
        field.fieldNumber ? &values[field.fieldNumber - 1] : nullptr;
    bool taken = true;
    switch (prepared.how[k]) {
    case PreparedInsert::Escape:
      taken = drain.Take(kPercent, 1);
      break;
    case PreparedInsert::PlainText: {
      const PhrasorWChar *text =
          static_cast<const PhrasorWChar *>(value->pointer);
      if (!text) {
        taken = drain.Take(kNull, 6);
        break;
      }
      uint32_t length = 0;
      while (length < 0xFFFFFFFFu && text[length])
        ++length;
      taken = drain.Take(text, length);
      break;
    }
    case PreparedInsert::PlainInt: {
      PhrasorWChar digits[12];
      WSink sink(digits, 12);
      RenderPlainInt(sink, *value);
      taken = drain.Take(digits, sink.Written());
      break;
    }
    default:
      return MessageStatus::BadSpecOrBufferFull;
    }
    if (!taken)
      return MessageStatus::BadSpecOrBufferFull;
    q = field.specStart + field.specLength + 1u;
  }
  if (layout.scanEnd > q && !drain.Take(format + q, layout.scanEnd - q))
    return MessageStatus::Cut;
  return MessageStatus::Ok;
}

MessageStatus RenderPreparedMessage(WSink &sink, const PhrasorWChar *format,
                                    const PreparedMessage &prepared,
                                    const FormatValue *values, uint32_t count) {
  bool rendered;
  return RenderPrepared(sink, format, prepared, values, count, rendered);
}

MessageStatus RenderPreparedMessage(PhrasorWChar *buffer, uint32_t bufferLength,
                                    const PhrasorWChar *format,
                                    const PreparedMessage &prepared,
                                    const FormatValue *values, uint32_t count) {
  if (!buffer || !format)
    return MessageStatus::BadInput;
  if (bufferLength == 0)
    return count < prepared.layout.highestField
               ? MessageStatus::UnknownArgumentType
               : MessageStatus::Cut;
  WSink sink(buffer, bufferLength - 1);
  bool rendered;
  const MessageStatus status =
      RenderPrepared(sink, format, prepared, values, count, rendered);
  if (status == MessageStatus::UnknownArgumentType)
    return status;
  sink.Terminate();
  // As Format leaves it: once an insert has been reached, or the text was
  // cut, the last element holds a terminator as well.
  if (rendered || sink.WasCut())
    buffer[bufferLength - 1] = 0;
  return status;
}

// --- Prepared printf texts ---------------------------------------------------

namespace {

// Collects the pieces of a printf text as the engine's walk meets them.
class PieceCollector {
public:
  PieceCollector(const PhrasorWChar *text, PrintfPiece *into, uint32_t room)
      : format(text), pieces(into), capacity(room) {}

  bool OnText(const PhrasorWChar *begin, const PhrasorWChar *end) {
    Add(begin, static_cast<uint32_t>(end - begin), ConversionSpec());
    return true;
  }
  bool OnConversion(const PhrasorWChar *begin, const PhrasorWChar *,
                    const ConversionSpec &spec) {
    Add(begin, 0, spec);
    return true;
  }
  void OnError(const PhrasorWChar *, SpecError why) { error = why; }

  uint32_t count = 0;
  SpecError error = SpecError::None;

private:
  void Add(const PhrasorWChar *at, uint32_t length,
           const ConversionSpec &spec) {
    if (count < capacity)
      pieces[count] = {static_cast<uint32_t>(at - format), length, spec};
    ++count;
  }

  const PhrasorWChar *format;
  PrintfPiece *pieces;
  uint32_t capacity;
};

} // namespace

uint32_t PreparePrintf(const PhrasorWChar *format, PrintfPiece *pieces,
                       uint32_t capacity, SpecError &error) {
  static const PhrasorWChar kEmpty[] = {0};
  if (!format)
    format = kEmpty;
  PieceCollector collector(format, pieces, capacity);
  WalkFormat(format, collector);
  error = collector.error;
  return error == SpecError::None ? collector.count : 0;
}

void RenderPreparedPrintf(WSink &sink, const PhrasorWChar *format,
                          const PrintfPiece *pieces, uint32_t count,
                          FormatArgs &args) {
  for (uint32_t i = 0; i < count && !sink.WasCut(); ++i) {
    const PrintfPiece &piece = pieces[i];
    if (piece.length)
      sink.Append(format + piece.begin, piece.length);
    else
      RenderConversion(sink, piece.spec, args);
  }
}

} // namespace phrasor
