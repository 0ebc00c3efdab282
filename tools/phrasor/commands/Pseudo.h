//===- Pseudo.h - Pseudo-localized texts ------------------------*- C++ -*-===//
//
// A pseudo-localized text is still readable but looks translated: its
// letters carry accents, it is longer, and it sits between brackets. Run
// with such a database, a game shows at a glance which texts are cut off
// (a bracket is missing), which overflow (the longer text does not fit),
// which are hard-coded (no accents) and which glyphs a font lacks. Only
// the literal text changes: every protected span (Markup.h: inserts,
// conversions, escapes, tags, placeholders, the project's codes) and every
// backslash escape the engine reads (\n as two characters) stays exactly
// as written, so the program formats the text with the same arguments and
// the engine renders the same markup and line breaks. The text grows by a
// share of its own characters, not counting the spans or escapes.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PSEUDO_H
#define PHRASOR_TOOL_PSEUDO_H

#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/checks/Markup.h"

#include <optional>
#include <string>
#include <string_view>

namespace phrasor::tool {

struct PseudoStyle {
  /// How much longer the literal text grows, in percent of its length.
  unsigned expand = 40;
  /// Put '[' before and ']' after the text shown.
  bool brackets = true;
  /// Begin each text with its ID (see IdLabel), so that a tester can name
  /// the entry a label on screen came from.
  bool ids = false;
};

/// \p id as a pseudo-localized text shows it, then ": ". Only letters,
/// digits and "_-.#@/" are kept; a gettext context's separator shows as
/// '|' and every other character as '?', so that the label can never read
/// as an insert, an escape or markup under any kind.
std::u16string IdLabel(std::string_view id);

/// The accented look-alike of an ASCII letter; other characters as they are.
char16_t AccentedLetter(char16_t c);

/// \p value pseudo-localized as it reads under \p kind; nothing when it
/// does not read as that kind (the check of the source reports why). An
/// empty value stays empty: there is nothing on screen to see.
std::optional<std::u16string> Pseudolocalize(std::u16string_view value,
                                             TextKind kind,
                                             const PseudoStyle &style,
                                             const ProtectRules &rules = {});

/// The language tag of a pseudo-localized database made from one in
/// \p source: the source's language and script in the private-use region
/// XA ("en" gives "en-XA"), so that plural texts keep the source's plural
/// rules; "qps-ploc" when the source names no language.
std::string PseudoLocale(const std::optional<std::string> &source);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PSEUDO_H
