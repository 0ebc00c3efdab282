//===- MessageFormat.h - Messages with numbered, typed inserts -*- C++ -*-===//
//
// A message names its arguments by number, so a translation may use them in
// another order than the source text:
//
//   message := { literal | "%%" | "%0" | insert }
//   insert  := "%" field "!" spec "!"
//   field   := digit1-9 { digit }           (1 .. 16 usable)
//   spec    := printf flags, width, precision, then type letters
//
// "%0" ends the message; everything after it is dropped. Formatting checks
// the whole message first, every insert's spec included, then takes the
// arguments in field-number order, then renders each insert with the printf
// engine, so nothing is written for a message that is malformed, whatever
// the buffer's length.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_MESSAGEFORMAT_H
#define PHRASOR_FORMAT_MESSAGEFORMAT_H

#include "base/Nodiscard.h"
#include "format/FormatArgs.h"
#include "format/PrintfConversion.h"

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

/// How formatting a message ended: written, cut at the end of the buffer,
/// or refused for the reason named.
enum class PHRASOR_NODISCARD MessageStatus : uint8_t {
  Ok,
  BadFieldIndex,       ///< '%' not followed by '%', '0' or digits and '!'
  NoOpenMark,          ///< the '!' after the field number ends the message
  BadFieldType,        ///< no type letters, or letters of no known type
  NoCloseMark,         ///< the type letters are not followed by '!'
  TooManyFields,       ///< more than 15 inserts and escapes
  UnknownArgumentSize, ///< a field number from 1 up is left out, or > 16
  UnknownArgumentType, ///< a type code outside the table (a guard)
  BadSpecOrBufferFull, ///< the printf engine refused or could not fit it
  Cut,                 ///< written, but cut at the end of the buffer
  BadInput,            ///< null buffer or null message; nothing written
};

/// True for the statuses of a message that was written, whole or cut.
inline bool IsWritten(MessageStatus status) {
  return status == MessageStatus::Ok || status == MessageStatus::Cut;
}

/// A short lower-case description of \p status for diagnostics, such as
/// "invalid field type".
const char *DescribeMessageStatus(MessageStatus status);

/// One insert or escape of a message.
struct MessageField {
  uint16_t insertStart; ///< position of the '%'
  uint16_t specStart;   ///< first unit after the opening '!'
  uint16_t specLength;  ///< units from specStart through the last type letter
  uint16_t fieldNumber; ///< 0 for an escape
  FormatValue value;    ///< the argument taken for this field
  uint32_t typeCode;    ///< a MessageType
};

constexpr uint32_t kMaxMessageFields = 15;
constexpr uint32_t kFieldOrderSize = 16;
constexpr uint16_t kNoField = 0xFFFF;
/// Positions are kept in 16 bits; longer messages are refused.
constexpr uint32_t kMaxMessageLength = 0xFFFF;
/// The printf engine sees at most this many units of an insert's spec; a
/// longer spec is cut, which may leave it without its type letters.
constexpr uint32_t kMaxInsertSpec = 14;

/// A checked message: its inserts in order of appearance, which insert
/// names each field number, and where the text ends.
struct MessageLayout {
  MessageField fields[kMaxMessageFields];
  uint32_t count;
  uint16_t fieldOrder[kFieldOrderSize];
  uint32_t highestField;
  uint32_t scanEnd;
};

/// Formats messages; holds no data and is made on the stack for each call.
class QVFormatMessageT {
public:
  /// Reads the field number from \p start; on success \p stop receives the
  /// position of the '!' after it. -1 when there is none.
  int32_t ParseFieldIndex(const PhrasorWChar *format, uint32_t start,
                          uint32_t length, uint32_t &stop) const;
  /// The type code of the spec from \p start; \p typeEnd receives the
  /// position of the last type letter when the result is not 0.
  uint32_t ParseFieldType(const PhrasorWChar *format, uint32_t start,
                          uint32_t length, uint32_t &typeEnd) const;
  /// The type code of the letters at \p position (not C, S, c or s).
  uint32_t ParseConversion(const PhrasorWChar *format, uint32_t position,
                           uint32_t length, uint32_t &typeEnd) const;

  /// Checks a whole message without taking any argument: what a tool needs
  /// to list the inserts of a stored text or to refuse it. The printf
  /// engine's own refusals of an insert's spec are left to the caller (a
  /// tool names the engine's reason); Format checks them before writing.
  MessageStatus Parse(const PhrasorWChar *format, MessageLayout &layout) const;

  /// Formats \p format into \p buffer (\p bufferLength units, terminator
  /// included) with arguments from \p args. A refusal is found before any
  /// output, whatever \p bufferLength, and nothing is written; only an
  /// insert that does not fit the buffer gives BadSpecOrBufferFull after
  /// output, with the buffer holding the output up to that insert,
  /// terminated, and a terminator in its last element.
  MessageStatus Format(PhrasorWChar *buffer, uint32_t bufferLength,
                       const PhrasorWChar *format, FormatArgs &args) const;

private:
  MessageStatus Scan(const PhrasorWChar *format, uint32_t length,
                     MessageLayout &layout) const;
  MessageStatus ScanInsert(const PhrasorWChar *format, uint32_t at,
                           uint32_t length, MessageLayout &layout,
                           uint32_t &next) const;
  MessageStatus TakeArguments(MessageLayout &layout, FormatArgs &args) const;
  MessageStatus Render(PhrasorWChar *buffer, uint32_t bufferLength,
                       const PhrasorWChar *format,
                       const MessageLayout &layout) const;
};

/// True for the units the message syntax treats as letters: letters of
/// every script, as the platform's wide classification has them, whatever
/// the process locale.
bool IsMessageLetter(PhrasorWChar unit);

} // namespace phrasor

#endif // PHRASOR_FORMAT_MESSAGEFORMAT_H
