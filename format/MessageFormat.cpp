//===- MessageFormat.cpp - Messages with numbered, typed inserts ----------===//
//
// Four passes over one message, with all working storage on the stack:
//   1. scan: read every insert and escape into a record, stopping at "%0";
//   2. order: note which record names each field number;
//   3. arguments: take them in field-number order, one per field;
//   4. output: copy literal runs and render each insert, left to right.
// The first three write nothing, so a malformed message leaves only its
// error text in the buffer.
//
//===----------------------------------------------------------------------===//

#include "format/MessageFormat.h"

#include "base/StrUtil.h"
#include "format/Printf.h"
#include "format/WStr.h"

#include <string.h>

namespace phrasor {
namespace {

const char *const StatusTexts[] = {
    "",
    "[QVFormatMessageT Error - Failed to extract field index]",
    "[QVFormatMessageT Error - Failed to locate open exclamation mark]",
    "[QVFormatMessageT Error - Invalid field type]",
    "[QVFormatMessageT Error - Failed to locate close exclamation mark]",
    "[QVFormatMessageT Error - Exceeded field count limit]",
    "[QVFormatMessageT Error - Unknown size of argument]",
    "[QVFormatMessageT Error - Unknown argument type]",
    ("[QVFormatMessageT Error - Invalid format specification or buffer too "
     "small.]"),
};

struct LetterRange {
  uint16_t first, last;
};
const LetterRange Letters[] = {
#include "format/LetterTable.inc"
};

bool IsDigit(PhrasorWChar c) { return c >= '0' && c <= '9'; }

bool IsIntegerLetter(PhrasorWChar c) {
  return c == 'd' || c == 'i' || c == 'o' || c == 'u' || c == 'x' || c == 'X';
}

// What an insert takes from the argument list. Inserts that share a field
// number share one argument, so they must agree on its kind.
enum class ArgKind {
  None,
  Int32,
  Int64,
  Double,
  WideText,
  NarrowText,
  Pointer
};

ArgKind KindOf(uint32_t typeCode) {
  switch (typeCode) {
  case kTypeLong:
  case kTypeULong:
  case kTypeWideChar:
  case kTypeShort:
  case kTypeUShort:
  case kTypeNarrowChar:
  case kTypeInt32:
  case kTypeInt:
    return ArgKind::Int32;
  case kTypeInt64:
    return ArgKind::Int64;
  case kTypeDouble:
    return ArgKind::Double;
  case kTypeWideString:
    return ArgKind::WideText;
  case kTypeNarrowString:
    return ArgKind::NarrowText;
  case kTypeCount:
  case kTypePointer:
    return ArgKind::Pointer;
  default:
    return ArgKind::None;
  }
}

// The value of one insert, handed to the printf engine. The engine takes at
// most one argument for a spec without '*', and the spec's letters are the
// type letters that chose this value; should it ever ask for another kind,
// it gets a harmless zero or an empty string, never a reinterpreted word.
class InsertArg final : public FormatArgs {
public:
  InsertArg(ArgKind kind, const MessageField &field)
      : Kind(kind), Field(field) {}

  int32_t NextInt32() override {
    if (Kind != ArgKind::Int32)
      return 0;
    // Narrow and wide characters and shorts are kept in their own width
    // and widened the way the insert's type says.
    switch (Field.typeCode) {
    case kTypeShort:
      return static_cast<int16_t>(Field.value.word);
    case kTypeWideChar:
    case kTypeUShort:
      return static_cast<uint16_t>(Field.value.word);
    case kTypeNarrowChar:
      return static_cast<int8_t>(Field.value.word);
    default:
      return Field.value.word;
    }
  }
  int64_t NextInt64() override {
    return Kind == ArgKind::Int64 ? Field.value.wide : 0;
  }
  double NextDouble() override {
    return Kind == ArgKind::Double ? Field.value.real : 0.0;
  }
  const void *NextPointer() override {
    static const PhrasorWChar Empty[2] = {0, 0};
    if (Kind == ArgKind::WideText || Kind == ArgKind::NarrowText ||
        Kind == ArgKind::Pointer)
      return Field.value.pointer;
    return Empty;
  }

private:
  ArgKind Kind;
  const MessageField &Field;
};

// A '*' width or precision would take an argument the insert does not
// have; it is refused whatever the buffer, so a broken translation fails
// the same way in every call.
bool SpecTakesExtraArgument(const PhrasorWChar *format,
                            const MessageField &field) {
  for (uint32_t i = 0; i < field.specLength; ++i)
    if (format[field.specStart + i] == '*')
      return true;
  return false;
}

// WStrCopyN for a run of the format, which the scan has shown to hold no
// terminator: the same units, copied as one block.
void CopyRun(PhrasorWChar *dest, const PhrasorWChar *source, uint32_t room,
             uint32_t count) {
  if (room == 0)
    return;
  uint32_t n = room > count ? count : room - 1;
  memcpy(dest, source, n * sizeof(PhrasorWChar));
  dest[n] = 0;
}

// Bounded output of already-rendered units, as the printf engine writes
// them: whole and terminated with their count, or cut, terminated and -1;
// like the engine it always leaves a terminator in the last element too.
int32_t PutUnits(PhrasorWChar *dest, uint32_t room, const PhrasorWChar *units,
                 uint32_t count) {
  dest[room - 1] = 0;
  if (count < room) {
    memcpy(dest, units, count * sizeof(PhrasorWChar));
    dest[count] = 0;
    return static_cast<int32_t>(count);
  }
  CopyRun(dest, units, room, count);
  return -1;
}

// The plainest inserts, %1!s! and %1!d!, and escapes are most of what
// stored texts hold; they are rendered here without the printf engine's
// walk, with output identical to the engine's. Anything else returns false
// and goes through the engine.
bool RenderPlain(PhrasorWChar *dest, uint32_t room, const MessageField &field,
                 const MessageField &source, const PhrasorWChar *format,
                 int32_t &written) {
  if (field.typeCode == kTypeNone) {
    static const PhrasorWChar Percent[] = {'%'};
    written = PutUnits(dest, room, Percent, 1);
    return true;
  }
  if (field.specLength != 1)
    return false;
  const PhrasorWChar letter = format[field.specStart];
  if (letter == 's' && field.typeCode == kTypeWideString) {
    static const PhrasorWChar Null[] = {'(', 'n', 'u', 'l', 'l', ')'};
    const PhrasorWChar *text =
        static_cast<const PhrasorWChar *>(source.value.pointer);
    if (!text) {
      written = PutUnits(dest, room, Null, 6);
      return true;
    }
    uint32_t i = 0;
    for (; i + 1 < room && text[i]; ++i)
      dest[i] = text[i];
    dest[i] = 0;
    dest[room - 1] = 0;
    written = text[i] ? -1 : static_cast<int32_t>(i);
    return true;
  }
  if (letter == 'd' && field.typeCode == kTypeInt) {
    PhrasorWChar digits[12];
    uint32_t n = sizeof(digits) / sizeof(digits[0]);
    int32_t value = source.value.word;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value)
                                   : static_cast<uint32_t>(value);
    do {
      digits[--n] = static_cast<PhrasorWChar>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude);
    if (value < 0)
      digits[--n] = '-';
    written = PutUnits(dest, room, digits + n, 12 - n);
    return true;
  }
  return false;
}

MessageStatus Fail(PhrasorWChar *buffer, uint32_t bufferLength,
                   MessageStatus status) {
  CopyNarrowToWide(buffer, bufferLength, MessageStatusText(status));
  return status;
}

} // namespace

const char *MessageStatusText(MessageStatus status) {
  return StatusTexts[static_cast<unsigned>(status)];
}

bool IsMessageLetter(PhrasorWChar unit) {
  uint16_t c = static_cast<uint16_t>(unit);
  // Specs are nearly always ASCII; answer those without the table search.
  if (c < 0x80)
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  uint32_t lo = 0, hi = sizeof(Letters) / sizeof(Letters[0]);
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (c < Letters[mid].first)
      hi = mid;
    else if (c > Letters[mid].last)
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

MessageStatus QVFormatMessageT::Parse(const PhrasorWChar *format,
                                      MessageLayout &layout) const {
  layout.count = 0;
  layout.highestField = 0;
  const uint32_t length = WStrLen(format);
  layout.scanEnd = length;
  if (length > kMaxMessageLength)
    return MessageStatus::BadSpecOrBufferFull;

  // Pass 1: scan.
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
      escape.value.wide = 0;
      i += 2;
      continue;
    }
    if (format[i + 1] == '0') {
      layout.scanEnd = i;
      break;
    }
    uint32_t open = 0, typeEnd = 0;
    int32_t field = ParseFieldIndex(format, i + 1, length, open);
    // A number whose low 16 bits are 0 would be kept as 0, the mark of an
    // escape, and render an insert without its argument.
    if (field < 0 || (field & 0xFFFF) == 0)
      return MessageStatus::BadFieldIndex;
    if (open + 1 >= length)
      return MessageStatus::NoOpenMark;
    uint32_t type = ParseFieldType(format, open + 1, length, typeEnd);
    if (type == kTypeNone)
      return MessageStatus::BadFieldType;
    if (typeEnd + 1 >= length || format[typeEnd + 1] != '!')
      return MessageStatus::NoCloseMark;
    if (layout.count == kMaxMessageFields)
      return MessageStatus::TooManyFields;
    MessageField &insert = layout.fields[layout.count++];
    insert.insertStart = static_cast<uint16_t>(i);
    insert.specStart = static_cast<uint16_t>(open + 1);
    insert.specLength = static_cast<uint16_t>(typeEnd - open);
    insert.fieldNumber = static_cast<uint16_t>(field);
    insert.typeCode = type;
    insert.value.wide = 0;
    i = typeEnd + 2;
  }

  // Pass 2: order.
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

  // Every field from 1 up must be named, so its argument's size is known;
  // inserts repeating a field must agree on what that argument is.
  for (uint32_t f = 1; f <= layout.highestField; ++f) {
    if (f > kFieldOrderSize || layout.fieldOrder[f - 1] == kNoField)
      return MessageStatus::UnknownArgumentSize;
    const MessageField &named = layout.fields[layout.fieldOrder[f - 1]];
    if (named.typeCode > kTypePointer)
      return MessageStatus::UnknownArgumentType;
    for (uint32_t k = 0; k < layout.count; ++k)
      if (layout.fields[k].fieldNumber == f &&
          KindOf(layout.fields[k].typeCode) != KindOf(named.typeCode))
        return MessageStatus::UnknownArgumentSize;
  }
  for (uint32_t k = 0; k < layout.count; ++k)
    if (layout.fields[k].fieldNumber &&
        SpecTakesExtraArgument(format, layout.fields[k]))
      return MessageStatus::BadSpecOrBufferFull;
  return MessageStatus::Ok;
}

MessageStatus QVFormatMessageT::Render(PhrasorWChar *buffer,
                                       uint32_t bufferLength,
                                       const PhrasorWChar *format,
                                       MessageLayout &layout) const {
  PhrasorWChar spec[16];
  spec[0] = '%';
  uint32_t p = 0, q = 0;
  for (uint32_t k = 0; k < layout.count && p < bufferLength; ++k) {
    const MessageField &field = layout.fields[k];
    uint32_t run = field.insertStart - q;
    CopyRun(buffer + p, format + q, bufferLength - p, run);
    q += run;
    p += run;
    if (p >= bufferLength)
      break;

    if (field.typeCode > kTypePointer)
      return Fail(buffer, bufferLength, MessageStatus::BadSpecOrBufferFull);
    // Every insert of a field renders the one argument that field took.
    const MessageField &source =
        field.fieldNumber
            ? layout.fields[layout.fieldOrder[field.fieldNumber - 1]]
            : field;
    int32_t written;
    if (!RenderPlain(buffer + p, bufferLength - p, field, source, format,
                     written)) {
      WStrCopyN(spec + 1, format + field.specStart, 15, field.specLength);
      InsertArg arg(KindOf(field.typeCode), source);
      written = WStrFormatArgs(buffer + p, bufferLength - p, spec, arg);
    }
    if (written < 0)
      return Fail(buffer, bufferLength, MessageStatus::BadSpecOrBufferFull);
    p += static_cast<uint32_t>(written);
    q = field.specStart + field.specLength + 1u;
  }

  if (p >= bufferLength)
    return MessageStatus::Ok;
  if (layout.scanEnd > q)
    CopyRun(buffer + p, format + q, bufferLength - p, layout.scanEnd - q);
  else
    buffer[p] = 0;
  return MessageStatus::Ok;
}

bool QVFormatMessageT::FormatWith(PhrasorWChar *buffer, uint32_t bufferLength,
                                  const PhrasorWChar *format,
                                  FormatArgs &args) const {
  if (!buffer || !format)
    return false;
  MessageLayout layout;
  MessageStatus status = Parse(format, layout);
  if (status != MessageStatus::Ok) {
    Fail(buffer, bufferLength, status);
    return false;
  }

  // Pass 3: arguments, strictly in field-number order.
  for (uint32_t f = 1; f <= layout.highestField; ++f) {
    MessageField &field = layout.fields[layout.fieldOrder[f - 1]];
    switch (KindOf(field.typeCode)) {
    case ArgKind::Int32:
      field.value.word = args.NextInt32();
      break;
    case ArgKind::Int64:
      field.value.wide = args.NextInt64();
      break;
    case ArgKind::Double:
      field.value.real = args.NextDouble();
      break;
    case ArgKind::WideText:
    case ArgKind::NarrowText:
    case ArgKind::Pointer:
      field.value.pointer = args.NextPointer();
      break;
    case ArgKind::None:
      Fail(buffer, bufferLength, MessageStatus::UnknownArgumentType);
      return false;
    }
  }

  // Pass 4: output.
  return Render(buffer, bufferLength, format, layout) == MessageStatus::Ok;
}

bool QVFormatMessageT::Format(PhrasorWChar *buffer, uint32_t bufferLength,
                              const PhrasorWChar *format, va_list args) const {
  VaListArgs source(args);
  return FormatWith(buffer, bufferLength, format, source);
}

bool FormatMessageV(PhrasorWChar *buffer, uint32_t bufferLength,
                    const PhrasorWChar *format, va_list args) {
  QVFormatMessageT formatter;
  return formatter.Format(buffer, bufferLength, format, args);
}

} // namespace phrasor
