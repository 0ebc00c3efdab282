//===- PoPrinter.h - PO text of a dump's messages ----------------*- C++
//-*-===//
//
// Two printers of the same messages: libgettextpo's own, and a fast one
// that writes the bytes the library writes (its layout, escapes and line
// breaking at 79 columns) into one buffer. The fast one has the library
// print the messages it cannot be sure to print the same way, and puts
// their text in place.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PO_PRINTER_H
#define PHRASOR_TOOL_PO_PRINTER_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace phrasor::tool {

/// One message, as the calls that would build it in libgettextpo.
struct PoOutMessage {
  std::optional<std::string_view> context;
  std::string_view msgid;
  /// The source text that context and msgid view when the stored ID
  /// spells it escaped; on the heap, so that moving the message keeps
  /// them valid.
  std::shared_ptr<const std::string> sourceText;
  std::optional<std::string_view> plural;
  /// The msgstr (a single one) or each msgstr[index], in the order set;
  /// a later text for an index replaces the earlier.
  std::vector<std::pair<unsigned, std::string_view>> msgstr;
  /// Translator comments, one per line; a line "phrasor-flag: NAME" is
  /// written as the flag "#, NAME" (see kFlagComment).
  std::string comments;
  std::string extracted; ///< extracted comments, one per line
  /// Format flags set in this order ("c-format", true); the last for a
  /// name counts.
  std::vector<std::pair<std::string, bool>> formats;
  bool fuzzy = false;    ///< first on the flags line, where msgmerge reads it
  bool obsolete = false; ///< written as "#~" lines
  /// The "#|" lines: the msgctxt, msgid and msgid_plural it had before.
  std::optional<std::string_view> prevContext, prevMsgid, prevPlural;
  /// Texts made for this message that the views above may point into.
  std::vector<std::shared_ptr<const std::string>> made;
};

class PoPrinter {
public:
  virtual ~PoPrinter() = default;
  /// False when this printer cannot print \p m as the library would.
  virtual bool Add(const PoOutMessage &m) = 0;
  /// The text: the header, then every message added.
  virtual std::string Finish() = 0;
};

/// libgettextpo sets only the flags it knows (fuzzy and the formats), so
/// every other flag is given as a
/// translator comment line beginning with this, which both printers turn
/// into the flag.
constexpr std::string_view kFlagComment = "phrasor-flag: ";

/// libgettextpo's printer, for a file whose header has \p headerFields
/// and the translator comments \p headerComments.
std::unique_ptr<PoPrinter> LibraryPoPrinter(std::string headerFields,
                                            std::string headerComments = "");
/// The fast printer; nothing when the header itself is beyond it.
std::unique_ptr<PoPrinter>
FastPoPrinter(const std::string &headerFields,
              const std::string &headerComments = "");

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PO_PRINTER_H
