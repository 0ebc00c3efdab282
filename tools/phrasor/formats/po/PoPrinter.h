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
  std::optional<std::string_view> plural;
  /// The msgstr (a single one) or each msgstr[index], in the order set;
  /// a later text for an index replaces the earlier.
  std::vector<std::pair<unsigned, std::string_view>> msgstr;
  std::string comments;  ///< translator comments, one per line
  std::string extracted; ///< extracted comments, one per line
  /// Format flags set in this order ("c-format", true); the last for a
  /// name counts.
  std::vector<std::pair<std::string, bool>> formats;
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

/// libgettextpo's printer, for a file whose header has \p headerFields.
std::unique_ptr<PoPrinter> LibraryPoPrinter(std::string headerFields);
/// The fast printer; nothing when the header itself is beyond it.
std::unique_ptr<PoPrinter> FastPoPrinter(const std::string &headerFields);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PO_PRINTER_H
