//===- Markup.h - What in a text is not for translating ---------*- C++ -*-===//
//
// Game texts carry more than words: the inserts and conversions the
// program fills in, the engine's rich-text tags (<color=red>, </b>,
// <sprite name="x"/>), input and name placeholders ({ActionJump}), and
// codes a project defines itself ([icon:gold]). Each of them is a
// protected span: pseudo leaves it byte for byte, XLIFF carries it as an
// inline code a translator cannot edit, check compares it with the
// source's, and a length limit does not count it.
//
// One definition serves every command:
//   - inserts, escapes and conversions, as the runtime's parsers read the
//     text under its kind;
//   - XML-like tags: '<', an optional '/', a name of letters, digits and
//     _ . : -, then anything but '<', '>' and line breaks, then '>'; a tag
//     ending in "/>" stands alone, one beginning "</" closes;
//   - placeholders: '{', one or more characters other than braces and line
//     breaks, '}';
//   - the project's own patterns (ICU regular expressions), from the
//     @protect entry of the source (one pattern per line) and from
//     --protect.
// Where spans overlap, the one that begins first wins, then the longer.
//
// A project's pattern can come from a translation file, and one that
// backtracks without end ((a+)+$ against "aaaa…b") costs seconds per text.
// So each pattern has one allowance for the whole run (ProtectBudget),
// which grows with the text it searches; a pattern that spends it is cut
// off: the text where that happened and every later one are read without
// it, and the run says so once.
//
// Length is counted in user-perceived characters (grapheme clusters: "é"
// written as e and a combining accent is one, so is a flag emoji) of the
// text outside protected spans.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_MARKUP_H
#define PHRASOR_TOOL_MARKUP_H

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/checks/Kinds.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

enum class SpanKind : uint8_t {
  Format,      ///< an insert, escape or conversion
  TagOpen,     ///< <b>, <color=red>
  TagClose,    ///< </b>
  TagAlone,    ///< <br/>
  Placeholder, ///< {ActionJump}
  Custom,      ///< matched by a project pattern
};

struct ProtectedSpan {
  std::size_t begin = 0, end = 0;
  SpanKind kind = SpanKind::Format;
  std::u16string name; ///< a tag's name; empty for other spans
};

/// How much matching each project pattern may do in one run, in ICU's
/// matching steps (the unit of RegexMatcher::setTimeLimit, each some
/// thousands of the engine's operations, typically under a millisecond).
struct ProtectBudget {
  std::int64_t baseSteps = 1000;   ///< granted once, before any text
  std::int64_t unitsPerStep = 100; ///< one more step per this many UTF-16
                                   ///< units searched
};

/// The project's patterns, compiled once. Copies share the patterns and
/// what they have spent of their budget, so the rules of a run count
/// together; they are for one thread.
class ProtectRules {
public:
  ProtectRules();
  explicit ProtectRules(ProtectBudget budget);
  ~ProtectRules();
  ProtectRules(const ProtectRules &);
  ProtectRules &operator=(const ProtectRules &);

  /// Adds \p pattern (an ICU regular expression); false with \p problem
  /// set when it does not compile. \p origin names it in the warning of
  /// a cut-off ("@protect pattern").
  bool Add(const std::string &pattern, std::string &problem,
           const std::string &origin = "pattern");

  /// From now on a pattern cut off is a warning to \p diag at \p where;
  /// \p diag must outlive the rules and their copies.
  void ReportTo(Diagnostics &diag, const std::string &where);

  /// The patterns cut off so far, as written.
  std::vector<std::string> CutOff() const;

private:
  struct Compiled;
  void GaveUp(Compiled &c, std::u16string_view text, int status) const;
  /// Adds to \p found the spans the patterns find in value[begin, end),
  /// each pattern within its allowance of matching steps.
  void FindCustom(std::u16string_view value, std::size_t begin, std::size_t end,
                  std::vector<ProtectedSpan> &found) const;

  ProtectBudget budget;
  std::vector<std::shared_ptr<Compiled>> patterns;
  Diagnostics *diag = nullptr;
  std::string reportedAt;
  friend std::vector<ProtectedSpan> FindMarkup(std::u16string_view, std::size_t,
                                               std::size_t,
                                               const ProtectRules &);
};

/// The patterns of an @protect value: one per line, blank lines skipped.
std::vector<std::string> ProtectPatterns(std::u16string_view value);

/// The rules of a project: the patterns of its @protect \p setting, if
/// any, and the --protect patterns \p extra. A setting's pattern that does
/// not compile is left out with a warning at \p where; an --protect that
/// does not throws FatalError. A pattern cut off later is a warning to
/// \p diag at \p where.
ProtectRules ProjectRules(const std::optional<std::u16string> &setting,
                          const std::vector<std::string> &extra,
                          const std::string &where, Diagnostics &diag);

/// The tags, placeholders and project codes in value[begin, end), in order.
std::vector<ProtectedSpan> FindMarkup(std::u16string_view value,
                                      std::size_t begin, std::size_t end,
                                      const ProtectRules &rules);

/// Every protected span of \p value read as \p kind, in order. A value
/// that does not read as its kind has no format spans; its markup is
/// still found.
std::vector<ProtectedSpan> FindProtected(std::u16string_view value,
                                         TextKind kind,
                                         const ProtectRules &rules);

/// User-perceived characters of \p text.
std::size_t GraphemeCount(std::u16string_view text);

/// User-perceived characters of \p value outside \p spans.
std::size_t VisibleLength(std::u16string_view value,
                          const std::vector<ProtectedSpan> &spans);

/// For each span, the index of the tag that closes (for an opening tag)
/// or opens (for a closing tag) it, or -1: tags pair up as properly
/// nested elements, innermost first.
std::vector<long> PairTags(const std::vector<ProtectedSpan> &spans);

/// What the markup of \p translation does differently from that of
/// \p source: tags that do not balance (where the source's do), markup
/// dropped, added or renamed, tags nested differently. Format spans are
/// left to the insert checks.
std::vector<std::string>
CompareMarkup(std::u16string_view source,
              const std::vector<ProtectedSpan> &sourceSpans,
              std::u16string_view translation,
              const std::vector<ProtectedSpan> &translationSpans);

/// Checks one translated text against its source's: its markup
/// (CompareMarkup) and, with a \p limit, its length. Every problem is a
/// warning at \p where, an error under --strict.
void CheckTextMarkup(const std::string &where, const std::string &id,
                     std::u16string_view original, TextKind kind,
                     std::u16string_view translation,
                     std::optional<unsigned> limit, const ProtectRules &rules,
                     Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_MARKUP_H
