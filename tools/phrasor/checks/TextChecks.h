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

#include "format/ArgKind.h"
#include "tools/phrasor/KindNames.h"

#include <cstdint>
#include <optional>
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

/// One argument a printf format takes: a conversion's value, or the int
/// of a '*' width or precision.
struct PrintfArg {
  ArgKind kind = ArgKind::None;
  std::string text;  ///< the conversion as written, e.g. "%-5.2f"
  bool star = false; ///< the int of a '*' before the conversion's value
  uint32_t end = 0;  ///< the character after the conversion

  bool operator==(const PrintfArg &o) const {
    return kind == o.kind && star == o.star;
  }
};

struct PrintfReading {
  bool ok = false;
  std::string problem;
  std::vector<PrintfArg> args; ///< in the order the format takes them
};

/// Reads \p value with the runtime's printf format checker: the walk the
/// engine renders through, run without arguments.
PrintfReading CheckPrintfFormat(std::u16string_view value);

/// Both readings of one value and what the tool concludes from them.
struct ValueReport {
  TextKind kind = TextKind::Plain;
  MessageReading message;
  PrintfReading printf;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

/// Adds to \p report what the formatter would refuse in the inserts of its
/// (valid) message reading, and the warning for text after %0.
void CheckMessageInserts(ValueReport &report);

/// Differences that would make \p translation take other arguments than
/// \p source: dropped, added or retyped inserts, other printf conversions.
std::vector<std::string> CompareWithSource(const ValueReport &source,
                                           const ValueReport &translation);

/// "%1!d!" for display.
std::string InsertText(const MessageInsert &insert);

/// A run of a value: text a reader sees, or what the program reads as
/// format (an insert, a conversion, an escape, or a %0 and all after it).
struct ValuePiece {
  uint32_t begin = 0, end = 0;
  bool literal = false;
};

/// Splits \p value into pieces as \p kind reads it, with the runtime's
/// own parsers: a plain value is one literal piece. Nothing when the value
/// does not read as \p kind.
std::optional<std::vector<ValuePiece>> SplitValue(std::u16string_view value,
                                                  TextKind kind);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_TEXTCHECKS_H
