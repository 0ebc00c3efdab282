//===- MessageFormat.cpp - Messages with numbered, typed inserts ----------===//
//
// Four passes over one message, with all working storage on the stack:
//   1. scan: read every insert and escape into a record, stopping at "%0";
//   2. order: note which record names each field number;
//   3. arguments: take them in field-number order, one per field;
//   4. output: copy literal runs and render each insert, left to right,
//      through one sink over the whole buffer.
// The first three write nothing, so a malformed message leaves the buffer
// as it was; before the third, every insert's spec is put to the engine,
// so a spec it refuses fails the call however much of the message fits. Each
// insert's spec goes to the printf engine's conversion parser once and is
// rendered by the engine from the field's one value.
//
//===----------------------------------------------------------------------===//

#include "format/MessageFormat.h"

#include "base/StrUtil.h"
#include "format/MessageInsert.h"
#include "format/Printf.h"
#include "format/WSink.h"
#include "format/WStr.h"

namespace phrasor {
namespace {

struct LetterRange {
  uint16_t first, last;
};
const LetterRange kLetters[] = {
#include "format/LetterTable.inc"
};

bool IsDigit(PhrasorWChar c) { return c >= '0' && c <= '9'; }

bool IsIntegerLetter(PhrasorWChar c) {
  return c == 'd' || c == 'i' || c == 'o' || c == 'u' || c == 'x' || c == 'X';
}

// A '*' width or precision would take an argument the insert does not
// have, and %n would write to the host's memory; both are refused whatever
// the buffer, so a broken translation fails the same way in every call.
bool SpecIsRefused(const PhrasorWChar *format, const MessageField &field) {
  if (field.typeCode == kTypeCount)
    return true;
  for (uint32_t i = 0; i < field.specLength; ++i)
    if (format[field.specStart + i] == '*')
      return true;
  return false;
}

// Walks what follows an insert's conversion without writing, keeping the
// first spec the engine would refuse.
struct SpecChecker {
  SpecError error = SpecError::None;
  bool OnText(const PhrasorWChar *, const PhrasorWChar *) { return true; }
  bool OnConversion(const PhrasorWChar *, const PhrasorWChar *,
                    const ConversionSpec &) {
    return true;
  }
  void OnError(const PhrasorWChar *, SpecError why) { error = why; }
};

// Whether the engine would refuse the insert, parsed exactly as
// RenderInsert parses it. Otherwise a broken spec would be refused only
// when the output reaches it, and the same call would succeed or fail by
// the size of the caller's buffer.
bool EngineRefuses(const PhrasorWChar *format, const MessageField &field) {
  if (IsPlainInsert(format, field))
    return false;
  PhrasorWChar spec[kMaxInsertSpec + 1];
  CopySpec(format, field, spec);
  ConversionSpec conversion;
  const PhrasorWChar *next;
  if (ParseConversionSpec(spec, conversion, next) != SpecError::None)
    return true;
  SpecChecker rest;
  WalkFormat(next, rest);
  return rest.error != SpecError::None;
}

// The plainest inserts, %1!s! and %1!d!, and escapes are most of what
// stored texts hold; they are written here without the engine's parse, with
// output identical to the engine's. Anything else returns false and goes
// through the engine.
bool RenderPlain(WSink &sink, const PhrasorWChar *format,
                 const MessageField &field, const FormatValue &value) {
  if (field.typeCode == kTypeNone) {
    sink.Put('%');
    return true;
  }
  if (!IsPlainInsert(format, field))
    return false;
  if (format[field.specStart] == 's')
    RenderPlainText(sink, value);
  else
    RenderPlainInt(sink, value);
  return true;
}

} // namespace

// One insert through the engine: its spec, cut to kMaxInsertSpec units, is
// parsed once. The spec's letters are its type letters, so at most one
// conversion takes the value; anything after that conversion (a spec such
// as "%d" renders a percent sign and then a literal "d") is walked on.
bool RenderInsert(WSink &sink, const PhrasorWChar *format,
                  const MessageField &field, const FormatValue &value) {
  if (RenderPlain(sink, format, field, value))
    return !sink.WasCut();
  PhrasorWChar spec[kMaxInsertSpec + 1];
  CopySpec(format, field, spec);
  ConversionSpec conversion;
  const PhrasorWChar *next;
  if (ParseConversionSpec(spec, conversion, next) != SpecError::None)
    return false;
  ArrayArgs args(&value, 1);
  RenderConversion(sink, conversion, args);
  if (*next && !sink.WasCut() &&
      RenderFormat(sink, next, args) != SpecError::None)
    return false;
  return !sink.WasCut();
}

const char *DescribeMessageStatus(MessageStatus status) {
  switch (status) {
  case MessageStatus::Ok:
    return "written";
  case MessageStatus::BadFieldIndex:
    return "failed to extract field index";
  case MessageStatus::NoOpenMark:
    return "failed to locate open exclamation mark";
  case MessageStatus::BadFieldType:
    return "invalid field type";
  case MessageStatus::NoCloseMark:
    return "failed to locate close exclamation mark";
  case MessageStatus::TooManyFields:
    return "exceeded field count limit";
  case MessageStatus::UnknownArgumentSize:
    return "unknown size of argument";
  case MessageStatus::UnknownArgumentType:
    return "unknown argument type";
  case MessageStatus::BadSpecOrBufferFull:
    return "invalid format specification or buffer too small";
  case MessageStatus::Cut:
    return "cut at the end of the buffer";
  case MessageStatus::BadInput:
    return "no buffer or no message";
  }
  return "unknown status";
}

bool IsMessageLetter(PhrasorWChar unit) {
  uint16_t c = static_cast<uint16_t>(unit);
  // Specs are nearly always ASCII; answer those without the table search.
  if (c < 0x80)
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  uint32_t lo = 0, hi = sizeof(kLetters) / sizeof(kLetters[0]);
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (c < kLetters[mid].first)
      hi = mid;
    else if (c > kLetters[mid].last)
      lo = mid + 1;
    else
      return true;
  }
  return false;
}

int32_t QVFormatMessageT::ParseFieldIndex(const PhrasorWChar *format,
                                          uint32_t start, uint32_t length,
                                          uint32_t &stop) const {
  uint32_t p = start;
  while (IsDigit(format[p]) && p + 1 < length)
    ++p;
  if (p == start || format[p] != '!')
    return -1;
  stop = p;

  // At most the first 15 digits take part, read as a C library reads a
  // number with base 0: a leading 0 means octal. Values past the 32-bit
  // range saturate, as they do where long is 32 bits.
  PhrasorWChar digits[16];
  WStrCopyN(digits, format + start, 16, p - start);
  const uint32_t base = digits[0] == '0' ? 8 : 10;
  uint64_t value = 0;
  for (const PhrasorWChar *d = digits; IsDigit(*d); ++d) {
    uint32_t digit = static_cast<uint32_t>(*d - '0');
    if (digit >= base)
      break;
    value = value * base + digit;
    if (value > 0x7FFFFFFF)
      return 0x7FFFFFFF;
  }
  return static_cast<int32_t>(value);
}

uint32_t QVFormatMessageT::ParseFieldType(const PhrasorWChar *format,
                                          uint32_t start, uint32_t length,
                                          uint32_t &typeEnd) const {
  uint32_t p = start;
  // Flags, width and precision are passed over unread; the search is not
  // bounded by the closing '!', which the caller tests afterwards.
  if (!IsMessageLetter(format[p])) {
    bool found = false;
    while (p + 1 < length) {
      ++p;
      if (IsMessageLetter(format[p])) {
        found = true;
        break;
      }
    }
    if (!found)
      return kTypeNone;
  }
  typeEnd = p;
  switch (format[p]) {
  case 'C':
    return kTypeNarrowChar;
  case 'S':
    return kTypeNarrowString;
  case 'c':
    return kTypeWideChar;
  case 's':
    return kTypeWideString;
  default:
    return ParseConversion(format, p, length, typeEnd);
  }
}

uint32_t QVFormatMessageT::ParseConversion(const PhrasorWChar *format,
                                           uint32_t position, uint32_t length,
                                           uint32_t &typeEnd) const {
  const uint32_t p = position;
  typeEnd = p;
  const PhrasorWChar c = format[p];
  if (IsIntegerLetter(c))
    return kTypeInt;
  switch (c) {
  case 'e':
  case 'E':
  case 'f':
  case 'g':
  case 'G':
    return kTypeDouble;
  case 'n':
    return kTypeCount;
  case 'p':
    return kTypePointer;
  case 'l':
  case 'h': {
    if (p + 1 >= length)
      return kTypeNone;
    typeEnd = p + 1;
    const bool wide = c == 'l';
    const PhrasorWChar next = format[p + 1];
    if (next == 'u')
      return wide ? kTypeULong : kTypeUShort;
    if (IsIntegerLetter(next))
      return wide ? kTypeLong : kTypeShort;
    if (next == 'c' || next == 'C')
      return wide ? kTypeWideChar : kTypeNarrowChar;
    if (next == 's' || next == 'S')
      return wide ? kTypeWideString : kTypeNarrowString;
    return kTypeNone;
  }
  case 'I': {
    if (p + 3 >= length)
      return kTypeNone;
    uint32_t code;
    if (format[p + 1] == '6' && format[p + 2] == '4')
      code = kTypeInt64;
    else if (format[p + 1] == '3' && format[p + 2] == '2')
      code = kTypeInt32;
    else
      return kTypeNone;
    typeEnd = p + 3;
    return IsIntegerLetter(format[p + 3]) ? code : kTypeNone;
  }
  default:
    return kTypeNone;
  }
}

// Pass 1, one insert at \p at (a '%' followed by neither '%' nor '0'): read
// it into the next record and set \p next behind its closing '!'.
MessageStatus QVFormatMessageT::ScanInsert(const PhrasorWChar *format,
                                           uint32_t at, uint32_t length,
                                           MessageLayout &layout,
                                           uint32_t &next) const {
  uint32_t open = 0, typeEnd = 0;
  int32_t field = ParseFieldIndex(format, at + 1, length, open);
  // A number whose low 16 bits are 0 would be kept as 0, the mark of an
  // escape, and render an insert without its argument.
  if (field < 0 || (field & 0xFFFF) == 0)
    return MessageStatus::BadFieldIndex;
  // The record keeps 16 bits, so 65537 would pass for field 1; the whole
  // number counts as the highest field, which refuses it in pass 3.
  if (static_cast<uint32_t>(field) > layout.highestField)
    layout.highestField = static_cast<uint32_t>(field);
  if (open + 1 >= length)
    return MessageStatus::NoOpenMark;
  // The type letters are the message syntax's own: fewer than printf's
  // (no F, a, A or L), which ParseFieldType refuses.
  uint32_t type = ParseFieldType(format, open + 1, length, typeEnd);
  if (type == kTypeNone)
    return MessageStatus::BadFieldType;
  if (typeEnd + 1 >= length || format[typeEnd + 1] != '!')
    return MessageStatus::NoCloseMark;
  if (layout.count == kMaxMessageFields)
    return MessageStatus::TooManyFields;
  MessageField &insert = layout.fields[layout.count++];
  insert.insertStart = static_cast<uint16_t>(at);
  insert.specStart = static_cast<uint16_t>(open + 1);
  insert.specLength = static_cast<uint16_t>(typeEnd - open);
  insert.fieldNumber = static_cast<uint16_t>(field);
  insert.typeCode = type;
  next = typeEnd + 2;
  return MessageStatus::Ok;
}

// Pass 1: every insert and escape up to "%0" or the end.
MessageStatus QVFormatMessageT::Scan(const PhrasorWChar *format,
                                     uint32_t length,
                                     MessageLayout &layout) const {
  for (uint32_t i = 0; i < length;) {
    if (format[i] != '%') {
      ++i;
      continue;
    }
    if (i == length - 1)
      return MessageStatus::BadFieldIndex;
    if (format[i + 1] == '%') {
      if (layout.count == kMaxMessageFields)
        return MessageStatus::TooManyFields;
      MessageField &escape = layout.fields[layout.count++];
      escape.insertStart = escape.specStart = static_cast<uint16_t>(i);
      escape.specLength = 1;
      escape.fieldNumber = 0;
      escape.typeCode = kTypeNone;
      i += 2;
      continue;
    }
    if (format[i + 1] == '0') {
      layout.scanEnd = i;
      return MessageStatus::Ok;
    }
    MessageStatus status = ScanInsert(format, i, length, layout, i);
    if (status != MessageStatus::Ok)
      return status;
  }
  return MessageStatus::Ok;
}

namespace {

// Pass 2: which record names each field number (the last one that does).
void OrderFields(MessageLayout &layout) {
  for (uint16_t &entry : layout.fieldOrder)
    entry = kNoField;
  for (uint32_t k = 0; k < layout.count; ++k) {
    uint32_t f = layout.fields[k].fieldNumber;
    if (f == 0)
      continue;
    if (f <= kFieldOrderSize)
      layout.fieldOrder[f - 1] = static_cast<uint16_t>(k);
    if (f > layout.highestField)
      layout.highestField = f;
  }
}

// Pass 3's checks: every field from 1 up is named, so its argument's size
// is known; inserts repeating a field agree on what that argument is; and
// no insert asks for what it may not have.
MessageStatus CheckArguments(const PhrasorWChar *format,
                             const MessageLayout &layout) {
  for (uint32_t f = 1; f <= layout.highestField; ++f) {
    if (f > kFieldOrderSize || layout.fieldOrder[f - 1] == kNoField)
      return MessageStatus::UnknownArgumentSize;
    const MessageField &named = layout.fields[layout.fieldOrder[f - 1]];
    if (named.typeCode > kTypePointer)
      return MessageStatus::UnknownArgumentType;
    const ArgKind kind = Promoted(ArgKindOfMessageType(named.typeCode));
    for (uint32_t k = 0; k < layout.count; ++k)
      if (layout.fields[k].fieldNumber == f &&
          Promoted(ArgKindOfMessageType(layout.fields[k].typeCode)) != kind)
        return MessageStatus::UnknownArgumentSize;
  }
  for (uint32_t k = 0; k < layout.count; ++k)
    if (layout.fields[k].fieldNumber && SpecIsRefused(format, layout.fields[k]))
      return MessageStatus::BadSpecOrBufferFull;
  return MessageStatus::Ok;
}

} // namespace

MessageStatus CheckSpecs(const PhrasorWChar *format,
                         const MessageLayout &layout) {
  for (uint32_t k = 0; k < layout.count; ++k)
    if (layout.fields[k].fieldNumber && EngineRefuses(format, layout.fields[k]))
      return MessageStatus::BadSpecOrBufferFull;
  return MessageStatus::Ok;
}

MessageStatus QVFormatMessageT::Parse(const PhrasorWChar *format,
                                      MessageLayout &layout) const {
  layout.count = 0;
  layout.highestField = 0;
  const uint32_t length = WStrLen(format);
  layout.scanEnd = length;
  if (length > kMaxMessageLength)
    return MessageStatus::BadSpecOrBufferFull;
  MessageStatus status = Scan(format, length, layout);
  if (status != MessageStatus::Ok)
    return status;
  OrderFields(layout);
  return CheckArguments(format, layout);
}

// Pass 3: the arguments, strictly in field-number order, one per field.
MessageStatus QVFormatMessageT::TakeArguments(MessageLayout &layout,
                                              FormatArgs &args) const {
  for (uint32_t f = 1; f <= layout.highestField; ++f) {
    MessageField &field = layout.fields[layout.fieldOrder[f - 1]];
    switch (PassedAs(ArgKindOfMessageType(field.typeCode))) {
    case ArgKind::Int32:
      field.value = FormatValue(args.NextInt32());
      break;
    case ArgKind::Int64:
      field.value = FormatValue(args.NextInt64());
      break;
    case ArgKind::Double:
      field.value = FormatValue(args.NextDouble());
      break;
    case ArgKind::Pointer:
      field.value = FormatValue(args.NextPointer());
      break;
    default:
      return MessageStatus::UnknownArgumentType;
    }
  }
  return MessageStatus::Ok;
}

// Pass 4: literal runs and inserts through one sink over the whole buffer.
// Text cut at the buffer's end is success; an insert that does not fit, or
// that the engine refuses, is not.
MessageStatus QVFormatMessageT::Render(PhrasorWChar *buffer,
                                       uint32_t bufferLength,
                                       const PhrasorWChar *format,
                                       const MessageLayout &layout) const {
  if (bufferLength == 0)
    return MessageStatus::Cut;
  WSink sink(buffer, bufferLength - 1);
  uint32_t q = 0;
  bool rendered = false;
  for (uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &field = layout.fields[k];
    sink.Append(format + q, field.insertStart - q);
    if (sink.WasCut())
      break;
    rendered = true;
    // Every insert of a field renders the one value that field took.
    const FormatValue &value =
        field.fieldNumber
            ? layout.fields[layout.fieldOrder[field.fieldNumber - 1]].value
            : field.value;
    if (!RenderInsert(sink, format, field, value)) {
      sink.Terminate();
      buffer[bufferLength - 1] = 0;
      return MessageStatus::BadSpecOrBufferFull;
    }
    q = field.specStart + field.specLength + 1u;
  }
  if (!sink.WasCut() && layout.scanEnd > q)
    sink.Append(format + q, layout.scanEnd - q);
  sink.Terminate();
  // Once an insert has been rendered, or the text was cut, the last
  // element holds a terminator as well.
  if (rendered || sink.WasCut())
    buffer[bufferLength - 1] = 0;
  return sink.WasCut() ? MessageStatus::Cut : MessageStatus::Ok;
}

MessageStatus QVFormatMessageT::Format(PhrasorWChar *buffer,
                                       uint32_t bufferLength,
                                       const PhrasorWChar *format,
                                       FormatArgs &args) const {
  if (!buffer || !format)
    return MessageStatus::BadInput;
  MessageLayout layout;
  MessageStatus status = Parse(format, layout);
  if (status == MessageStatus::Ok)
    status = CheckSpecs(format, layout);
  if (status == MessageStatus::Ok)
    status = TakeArguments(layout, args);
  if (status == MessageStatus::Ok)
    status = Render(buffer, bufferLength, format, layout);
  return status;
}

} // namespace phrasor
