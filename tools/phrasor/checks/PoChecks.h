//===- PoChecks.h - A PO message's translation against its msgid -*- C++
//-*-===//
//
// A PO file carries its source next to every translation, so it can be
// checked alone, the way msgfmt -c checks it: each msgstr takes the
// arguments of its msgid (msgstr[i] of msgid_plural), read by the entry's
// kind, and keeps the msgid's leading and trailing line feed. C formats are
// read as C reads them (numbered %n$ arguments included), not as the
// runtime's printf, since a gettext project's msgids are written for C.
//
// As in msgfmt, a plural form that stands for many numbers (Polish "few":
// 2-4, 22-24, ...) must keep every argument of msgid_plural, the count
// included, while one for a few numbers ("one file") may drop some.
// Deliberate differences: %I64d is the runtime's 64-bit conversion, not
// glibc's I flag and a width of 64, and an empty form among translated
// ones is refused.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_POCHECKS_H
#define PHRASOR_TOOL_POCHECKS_H

#include "tools/phrasor/checks/Kinds.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace phrasor::tool {

/// Texts by argument number, in the order of the numbers. A format takes
/// a few arguments, and every message of a catalog is read: a sorted array
/// costs one allocation where a tree took one per argument.
class ArgTexts {
public:
  using value_type = std::pair<unsigned, std::string>;
  using const_iterator = std::vector<value_type>::const_iterator;

  const_iterator begin() const { return items.begin(); }
  const_iterator end() const { return items.end(); }
  std::size_t size() const { return items.size(); }
  bool empty() const { return items.empty(); }
  void reserve(std::size_t n) { items.reserve(n); }
  const_iterator find(unsigned number) const {
    const_iterator at = LowerBound(number);
    return at != end() && at->first == number ? at : end();
  }
  std::size_t count(unsigned number) const { return find(number) != end(); }
  /// The text of \p number, which the caller knows is there.
  const std::string &at(unsigned number) const { return find(number)->second; }
  /// Adds \p text for \p number unless it has one; the text it has, and
  /// whether it was added.
  std::pair<const_iterator, bool> emplace(unsigned number, std::string text) {
    const_iterator at = LowerBound(number);
    if (at != end() && at->first == number)
      return {at, false};
    return {items.emplace(at, number, std::move(text)), true};
  }

private:
  const_iterator LowerBound(unsigned number) const {
    return std::lower_bound(
        items.begin(), items.end(), number,
        [](const value_type &v, unsigned n) { return v.first < n; });
  }
  std::vector<value_type> items;
};

/// The arguments of a C format by number (1-based), each with the
/// conversion that takes it as written ("%ld"), or why it is no format.
struct CFormatReading {
  bool ok = false;
  std::string problem;
  ArgTexts args;  ///< the conversion, e.g. "%-5ld"
  ArgTexts types; ///< what C passes, e.g. "long"
};

/// Reads \p text as a C format string as C99 and POSIX define it.
CFormatReading ReadCFormat(std::string_view text);

/// One PO message's texts, in UTF-8.
struct PoMessageText {
  std::string msgid;
  std::optional<std::string> msgidPlural;
  /// msgstr, or msgstr[0], msgstr[1], ... of a plural message.
  std::vector<std::string> msgstr;
  /// The kind its flags give (c-format: printf, phrasor-message: message).
  std::optional<TextKind> kind;
  /// Flagged possible-c-format: checked as a C format, stored under the
  /// kind its text shows.
  bool possibleCFormat = false;
};

/// What is wrong with \p m's translation, one text per problem. \p many
/// tells for each plural form whether it stands for many numbers (more
/// than four up to 1000, as msgfmt counts); a form beyond it counts as one
/// that does.
std::vector<std::string> CheckPoMessage(const PoMessageText &m,
                                        const std::vector<bool> &many);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POCHECKS_H
