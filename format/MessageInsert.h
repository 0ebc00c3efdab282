//===- MessageInsert.h - How a message writes one insert --------*- C++ -*-===//
//
// What the message formatter and the prepared messages built on it share:
// which inserts are written without the printf engine and how, and the
// engine's path for the others. Both must write an insert unit for unit
// alike, so there is one definition of each, here.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_MESSAGEINSERT_H
#define PHRASOR_FORMAT_MESSAGEINSERT_H

#include "format/FormatArgs.h"
#include "format/MessageFormat.h"
#include "format/WSink.h"
#include "format/WStr.h"

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

// The inserts RenderPlain writes without the engine; they cannot be refused.
inline bool IsPlainInsert(const PhrasorWChar *format,
                          const MessageField &field) {
  if (field.specLength != 1)
    return false;
  const PhrasorWChar letter = format[field.specStart];
  return (letter == 's' && field.typeCode == kTypeWideString) ||
         (letter == 'd' && field.typeCode == kTypeInt);
}

// The insert's spec as the engine sees it: cut to kMaxInsertSpec units.
inline void CopySpec(const PhrasorWChar *format, const MessageField &field,
                     PhrasorWChar (&spec)[kMaxInsertSpec + 1]) {
  WStrCopyN(spec, format + field.specStart, kMaxInsertSpec + 1,
            field.specLength);
}

// %n!s!: the wide text as it is, "(null)" for a null pointer.
inline void RenderPlainText(WSink &sink, const FormatValue &value) {
  static const PhrasorWChar kNull[] = PHRASOR_TEXT("(null)");
  const PhrasorWChar *text = static_cast<const PhrasorWChar *>(value.pointer);
  sink.AppendString(text ? text : kNull, 0xFFFFFFFFu);
}

// %n!d!: the 32-bit value in decimal, as the engine writes it.
inline void RenderPlainInt(WSink &sink, const FormatValue &value) {
  const int32_t word = value.int32;
  uint32_t magnitude =
      word < 0 ? 0u - static_cast<uint32_t>(word) : static_cast<uint32_t>(word);
  // Counted by comparisons that do not wait on each other, not by a chain
  // of divisions.
  static const uint32_t kTens[] = {10u,       100u,       1000u,
                                   10000u,    100000u,    1000000u,
                                   10000000u, 100000000u, 1000000000u};
  uint32_t length = word < 0 ? 2 : 1;
  for (uint32_t ten : kTens)
    length += magnitude >= ten;
  // Written in place, last digit first: digits gathered in a small array
  // and copied after cost a stall on the copy's wide load of narrow stores.
  // The longest number is 11 units; the spare room keeps gcc's bounds
  // warning quiet where it inlines the sink's copy loop and cannot see that
  // the loop stops at the last unit.
  PhrasorWChar digits[16];
  PhrasorWChar *out = sink.Reserve(length);
  const bool inPlace = out != nullptr;
  if (!inPlace)
    out = digits;
  uint32_t n = length;
  // Two digits a division: half the dependent divisions of one at a time.
  static const char kPairs[] =
      "00010203040506070809101112131415161718192021222324"
      "25262728293031323334353637383940414243444546474849"
      "50515253545556575859606162636465666768697071727374"
      "75767778798081828384858687888990919293949596979899";
  while (magnitude >= 100) {
    const uint32_t pair = 2 * (magnitude % 100);
    magnitude /= 100;
    out[--n] = static_cast<PhrasorWChar>(kPairs[pair + 1]);
    out[--n] = static_cast<PhrasorWChar>(kPairs[pair]);
  }
  if (magnitude >= 10) {
    out[--n] = static_cast<PhrasorWChar>(kPairs[2 * magnitude + 1]);
    out[--n] = static_cast<PhrasorWChar>(kPairs[2 * magnitude]);
  } else {
    out[--n] = static_cast<PhrasorWChar>('0' + magnitude);
  }
  if (word < 0)
    out[--n] = '-';
  if (inPlace)
    sink.Commit(length);
  else
    sink.Append(digits, length);
}

// One insert: escapes and the plain inserts as above, anything else
// through the printf engine. False when the engine refused the spec or the
// sink was cut.
bool RenderInsert(WSink &sink, const PhrasorWChar *format,
                  const MessageField &field, const FormatValue &value);

// Every insert's spec goes to the engine before anything is written, so a
// spec it refuses fails the call whatever the buffer's length.
MessageStatus CheckSpecs(const PhrasorWChar *format,
                         const MessageLayout &layout);

} // namespace phrasor

#endif // PHRASOR_FORMAT_MESSAGEINSERT_H
