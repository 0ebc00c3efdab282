//===- TextChecks.h - Checking stored texts as formats ----------*- C++ -*-===//
//
// A stored value is used by the host either as a message (numbered inserts
// such as %1!d!) or as a printf format. The tool cannot know which, so it
// reads each value both ways with the runtime's own parsers and complains
// only when neither reading works, or when a translation would take other
// arguments than its source.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_TEXTCHECKS_H
#define PHRASOR_TOOL_TEXTCHECKS_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// One insert of a message: its field number, type code and spec text.
struct MessageInsert {
  uint32_t field = 0;
  uint32_t type = 0;
  std::u16string spec; ///< the text between the two '!'
};

struct MessageReading {
  bool ok = false;
  std::string problem;                ///< why the runtime refuses it
  std::vector<MessageInsert> inserts; ///< escapes left out
  bool textAfterEnd = false;          ///< characters follow a %0
};

/// Reads \p value with the runtime's message parser.
MessageReading ReadAsMessage(std::u16string_view value);

/// The kind of argument a printf conversion takes from the list.
enum class PrintfArg : uint8_t { Int32, Int64, Double, Pointer };

struct PrintfReading {
  bool ok = false;
  std::string problem;
  std::vector<PrintfArg> args; ///< in the order the conversions take them
};

/// Reads \p value with the runtime's printf engine, without real
/// arguments: the engine formats into a scratch buffer from a recording
/// argument source, which tells which arguments it would take.
PrintfReading CheckPrintfFormat(std::u16string_view value);

enum class ValueStyle : uint8_t { Plain, Message, Printf };

/// Both readings of one value and what the tool concludes from them.
struct ValueReport {
  ValueStyle style = ValueStyle::Plain;
  MessageReading message;
  PrintfReading printf;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

ValueReport CheckValue(std::u16string_view value);

/// Differences that would make \p translation take other arguments than
/// \p source: dropped, added or retyped inserts, other printf conversions.
std::vector<std::string> CompareWithSource(const ValueReport &source,
                                           const ValueReport &translation);

/// "%1!d!" for display.
std::string InsertText(const MessageInsert &insert);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_TEXTCHECKS_H
