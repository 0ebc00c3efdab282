//===- Markup.cpp - What in a text is not for translating -----------------===//

#include "tools/phrasor/checks/Markup.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/TextChecks.h"
#include "tools/phrasor/files/SafeBuild.h"

#include <unicode/brkiter.h>
#include <unicode/regex.h>

#include <algorithm>
#include <map>

namespace phrasor::tool {

struct ProtectRules::Compiled {
  std::unique_ptr<icu::RegexPattern> pattern;
  std::string text, origin;  ///< as written; what it is in a warning
  std::int64_t searched = 0; ///< UTF-16 units searched in the run
  std::int64_t spent = 0;    ///< ICU matching steps taken in the run
  std::int64_t allowed = 0;  ///< steps the run allows it so far
  bool cutOff = false;
};

ProtectRules::ProtectRules() = default;
ProtectRules::ProtectRules(ProtectBudget b) : budget(b) {}
ProtectRules::~ProtectRules() = default;
ProtectRules::ProtectRules(const ProtectRules &) = default;
ProtectRules &ProtectRules::operator=(const ProtectRules &) = default;

bool ProtectRules::Add(const std::string &pattern, std::string &problem,
                       const std::string &origin) {
  UErrorCode status = U_ZERO_ERROR;
  UParseError where{};
  auto compiled = std::make_shared<Compiled>();
  compiled->pattern.reset(icu::RegexPattern::compile(
      icu::UnicodeString::fromUTF8(pattern), where, status));
  if (U_FAILURE(status) || !compiled->pattern) {
    problem = "pattern '" + pattern + "' is not a regular expression (" +
              AsciiLower(u_errorName(status)) + " at offset " +
              std::to_string(where.offset) + ")";
    return false;
  }
  compiled->text = pattern;
  compiled->origin = origin;
  compiled->allowed = budget.baseSteps;
  patterns.push_back(std::move(compiled));
  return true;
}

void ProtectRules::ReportTo(Diagnostics &d, const std::string &w) {
  diag = &d;
  reportedAt = w;
}

std::vector<std::string> ProtectRules::CutOff() const {
  std::vector<std::string> out;
  for (const auto &c : patterns)
    if (c->cutOff)
      out.push_back(c->text);
  return out;
}

namespace {

/// The start of \p text as a warning shows it, on one line.
std::string Excerpt(std::u16string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown)
    return ShownId(Utf16ToUtf8Lossy(text));
  std::size_t cut = kShown;
  if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
    --cut; // not between the halves of a pair
  return ShownId(Utf16ToUtf8Lossy(text.substr(0, cut))) + "...";
}

} // namespace

void ProtectRules::GaveUp(Compiled &c, std::u16string_view text,
                          int status) const {
  // Only a pattern over its allowance is cut off for good; another failure
  // (its backtracking outgrew ICU's stack) costs the one text.
  const bool overBudget = status == U_REGEX_STOPPED_BY_CALLER;
  c.cutOff = c.cutOff || overBudget;
  if (!diag)
    return;
  const std::string head = c.origin + " '" + c.text +
                           "' was cut off in the text '" + Excerpt(text) + "'";
  if (overBudget)
    diag->Warning(reportedAt,
                  head + ": it took more than the " +
                      std::to_string(c.allowed) +
                      " matching steps a run allows it, as a pattern that "
                      "backtracks without end does (such as (a+)+); that "
                      "text and those after it are read without it");
  else
    diag->Warning(reportedAt,
                  head + " (" +
                      AsciiLower(u_errorName(static_cast<UErrorCode>(status))) +
                      "); that text is read without it");
}

std::vector<std::string> ProtectPatterns(std::u16string_view value) {
  std::vector<std::string> out;
  const std::string text = Utf16ToUtf8Lossy(value);
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!Trimmed(line).empty())
      out.push_back(line);
    at = end + 1;
  }
  return out;
}

ProtectRules ProjectRules(const std::optional<std::u16string> &setting,
                          const std::vector<std::string> &extra,
                          const std::string &where, Diagnostics &diag) {
  ProtectRules rules;
  std::string problem;
  if (setting)
    for (const std::string &p : ProtectPatterns(*setting))
      if (!rules.Add(p, problem, "@protect pattern"))
        diag.Warning(where, "@protect: " + problem + "; left out");
  for (const std::string &p : extra)
    if (!rules.Add(p, problem, "--protect pattern"))
      throw FatalError("--protect: " + problem);
  rules.ReportTo(diag, where);
  return rules;
}

namespace {

bool IsNameChar(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '_' || c == '.' || c == ':' || c == '-';
}

bool IsLetter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The tag that begins at \p at, if one does.
std::optional<ProtectedSpan> TagAt(std::u16string_view v, std::size_t at,
                                   std::size_t end) {
  std::size_t i = at + 1;
  const bool closing = i < end && v[i] == '/';
  i += closing;
  if (i >= end || !IsLetter(v[i]))
    return std::nullopt;
  const std::size_t nameBegin = i;
  while (i < end && IsNameChar(v[i]))
    ++i;
  ProtectedSpan span;
  span.name = std::u16string(v.substr(nameBegin, i - nameBegin));
  while (i < end && v[i] != '>' && v[i] != '<' && v[i] != '\n' && v[i] != '\r')
    ++i;
  if (i >= end || v[i] != '>')
    return std::nullopt;
  span.begin = at;
  span.end = i + 1;
  span.kind = closing            ? SpanKind::TagClose
              : v[i - 1] == u'/' ? SpanKind::TagAlone
                                 : SpanKind::TagOpen;
  return span;
}

std::optional<ProtectedSpan> PlaceholderAt(std::u16string_view v,
                                           std::size_t at, std::size_t end) {
  std::size_t i = at + 1;
  while (i < end && v[i] != '{' && v[i] != '}' && v[i] != '\n' && v[i] != '\r')
    ++i;
  if (i >= end || v[i] != '}' || i == at + 1)
    return std::nullopt;
  return ProtectedSpan{at, i + 1, SpanKind::Placeholder, {}};
}

} // namespace

void ProtectRules::FindCustom(std::u16string_view value, std::size_t begin,
                              std::size_t end,
                              std::vector<ProtectedSpan> &found) const {
  if (patterns.empty())
    return;
  const icu::UnicodeString run(false, value.data() + begin,
                               static_cast<int32_t>(end - begin));
  for (const auto &compiled : patterns) {
    Compiled &c = *compiled;
    if (c.cutOff)
      continue;
    // The allowance grows with the text searched, so a long run of
    // ordinary texts never starves a pattern that is merely busy.
    c.searched += static_cast<std::int64_t>(end - begin);
    c.allowed = budget.baseSteps +
                c.searched / std::max<std::int64_t>(budget.unitsPerStep, 1);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> m(c.pattern->matcher(run, status));
    // ICU calls back once per step of matching; a pattern past its
    // allowance stops the search.
    if (U_SUCCESS(status))
      m->setMatchCallback(
          [](const void *context, int32_t) -> UBool {
            auto *spending =
                static_cast<Compiled *>(const_cast<void *>(context));
            return ++spending->spent <= spending->allowed;
          },
          &c, status);
    const std::size_t kept = found.size();
    while (U_SUCCESS(status) && m->find(status) && U_SUCCESS(status)) {
      const int32_t b = m->start(status), e = m->end(status);
      if (U_SUCCESS(status) && e > b)
        found.push_back({begin + static_cast<std::size_t>(b),
                         begin + static_cast<std::size_t>(e),
                         SpanKind::Custom,
                         {}});
    }
    if (U_FAILURE(status)) {
      found.resize(kept);
      GaveUp(c, value.substr(begin, end - begin), status);
    }
  }
}

std::vector<ProtectedSpan> FindMarkup(std::u16string_view value,
                                      std::size_t begin, std::size_t end,
                                      const ProtectRules &rules) {
  std::vector<ProtectedSpan> found;
  for (std::size_t i = begin; i < end; ++i) {
    std::optional<ProtectedSpan> span;
    if (value[i] == '<')
      span = TagAt(value, i, end);
    else if (value[i] == '{')
      span = PlaceholderAt(value, i, end);
    if (span)
      found.push_back(std::move(*span));
  }
  rules.FindCustom(value, begin, end, found);
  // The earliest span wins, then the longest; whatever overlaps a span
  // already taken is dropped.
  std::stable_sort(found.begin(), found.end(),
                   [](const ProtectedSpan &a, const ProtectedSpan &b) {
                     return a.begin != b.begin ? a.begin < b.begin
                                               : a.end > b.end;
                   });
  std::vector<ProtectedSpan> kept;
  for (ProtectedSpan &s : found)
    if (kept.empty() || s.begin >= kept.back().end)
      kept.push_back(std::move(s));
  return kept;
}

std::vector<ProtectedSpan> FindProtected(std::u16string_view value,
                                         TextKind kind,
                                         const ProtectRules &rules) {
  std::optional<std::vector<ValuePiece>> pieces = SplitValue(value, kind);
  if (!pieces)
    pieces = SplitValue(value, TextKind::Plain);
  std::vector<ProtectedSpan> spans;
  for (const ValuePiece &p : *pieces) {
    if (!p.literal) {
      spans.push_back({p.begin, p.end, SpanKind::Format, {}});
      continue;
    }
    for (ProtectedSpan &s : FindMarkup(value, p.begin, p.end, rules))
      spans.push_back(std::move(s));
  }
  return spans;
}

std::size_t GraphemeCount(std::u16string_view text) {
  if (text.empty())
    return 0;
  // Made once per thread: a check of many limited texts would otherwise
  // spend its time building the same iterator.
  thread_local std::unique_ptr<icu::BreakIterator> it = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(),
                                                    status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
  }();
  if (!it)
    return text.size();
  const icu::UnicodeString s(false, text.data(),
                             static_cast<int32_t>(text.size()));
  it->setText(s);
  std::size_t n = 0;
  for (int32_t b = it->next(); b != icu::BreakIterator::DONE; b = it->next())
    ++n;
  return n;
}

std::size_t VisibleLength(std::u16string_view value,
                          const std::vector<ProtectedSpan> &spans) {
  std::size_t n = 0, at = 0;
  for (const ProtectedSpan &s : spans) {
    n += GraphemeCount(value.substr(at, s.begin - at));
    at = s.end;
  }
  return n + GraphemeCount(value.substr(std::min(at, value.size())));
}

std::vector<long> PairTags(const std::vector<ProtectedSpan> &spans) {
  std::vector<long> partner(spans.size(), -1);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (spans[i].kind == SpanKind::TagOpen) {
      open.push_back(i);
    } else if (spans[i].kind == SpanKind::TagClose && !open.empty() &&
               spans[open.back()].name == spans[i].name) {
      partner[i] = static_cast<long>(open.back());
      partner[open.back()] = static_cast<long>(i);
      open.pop_back();
    }
  }
  return partner;
}

namespace {

std::string SpanText(std::u16string_view value, const ProtectedSpan &s) {
  return Utf16ToUtf8Lossy(value.substr(s.begin, s.end - s.begin));
}

/// The problems of tags that do not pair up.
std::vector<std::string> Unbalanced(std::u16string_view value,
                                    const std::vector<ProtectedSpan> &spans) {
  std::vector<std::string> problems;
  const std::vector<long> partner = PairTags(spans);
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (partner[i] >= 0)
      continue;
    if (spans[i].kind == SpanKind::TagOpen)
      problems.push_back("tags do not balance: '" + SpanText(value, spans[i]) +
                         "' is never closed");
    else if (spans[i].kind == SpanKind::TagClose)
      problems.push_back("tags do not balance: '" + SpanText(value, spans[i]) +
                         "' closes no open tag");
  }
  return problems;
}

/// Each paired tag's text with the text of the paired tag around it
/// ("" at the top), counted.
std::map<std::pair<std::string, std::string>, int>
Nesting(std::u16string_view value, const std::vector<ProtectedSpan> &spans) {
  std::map<std::pair<std::string, std::string>, int> out;
  const std::vector<long> partner = PairTags(spans);
  std::vector<std::string> around;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (partner[i] < 0)
      continue;
    if (spans[i].kind == SpanKind::TagOpen) {
      const std::string text = SpanText(value, spans[i]);
      ++out[{text, around.empty() ? std::string() : around.back()}];
      around.push_back(text);
    } else if (!around.empty()) {
      around.pop_back();
    }
  }
  return out;
}

// Each markup span of \p spans counted by its text, \p step at a time;
// \p order keeps the texts in the order they first appear.
using MarkupCount = std::map<std::string, std::pair<int, SpanKind>>;
void CountMarkup(std::u16string_view text,
                 const std::vector<ProtectedSpan> &spans, int step,
                 MarkupCount &count, std::vector<std::string> &order) {
  for (const ProtectedSpan &s : spans)
    if (s.kind != SpanKind::Format) {
      auto [at, fresh] = count.try_emplace(SpanText(text, s), 0, s.kind);
      if (fresh)
        order.push_back(at->first);
      at->second.first += step;
    }
}

// Adds to \p problems the markup the translation drops, adds or renames;
// true when there is any.
bool ChangedMarkup(std::u16string_view source,
                   const std::vector<ProtectedSpan> &sourceSpans,
                   std::u16string_view translation,
                   const std::vector<ProtectedSpan> &translationSpans,
                   std::vector<std::string> &problems) {
  // Markup counted by its text: what the source has more of is dropped,
  // what the translation has more of is added.
  MarkupCount count;
  std::vector<std::string> order;
  CountMarkup(source, sourceSpans, 1, count, order);
  CountMarkup(translation, translationSpans, -1, count, order);
  std::vector<std::pair<std::string, SpanKind>> dropped, added;
  for (const std::string &text : order) {
    const auto &[n, kind] = count[text];
    for (int i = 0; i < n; ++i)
      dropped.emplace_back(text, kind);
    for (int i = 0; i < -n; ++i)
      added.emplace_back(text, kind);
  }
  // A dropped span and an added one of the same sort read as a rename.
  const bool changed = !dropped.empty() || !added.empty();
  for (auto &d : dropped) {
    auto a = std::find_if(added.begin(), added.end(),
                          [&](const auto &x) { return x.second == d.second; });
    if (a == added.end()) {
      problems.push_back("drops '" + d.first + "' of its source");
      continue;
    }
    problems.push_back("renames '" + d.first + "' to '" + a->first + "'");
    added.erase(a);
  }
  for (const auto &a : added)
    problems.push_back("adds '" + a.first + "', which its source lacks");
  return changed;
}

// Adds to \p problems each tag the translation nests elsewhere than its
// source does.
void CompareNesting(std::u16string_view source,
                    const std::vector<ProtectedSpan> &sourceSpans,
                    std::u16string_view translation,
                    const std::vector<ProtectedSpan> &translationSpans,
                    std::vector<std::string> &problems) {
  const auto ours = Nesting(source, sourceSpans);
  const auto theirs = Nesting(translation, translationSpans);
  for (const auto &[key, n] : theirs) {
    auto found = ours.find(key);
    if (found != ours.end() && found->second == n)
      continue;
    // Where the source has that tag.
    std::string where = "at the top";
    for (const auto &other : ours)
      if (other.first.first == key.first && other.first.second != key.second)
        where = other.first.second.empty()
                    ? "at the top"
                    : "inside '" + other.first.second + "'";
    problems.push_back("nests '" + key.first + "' " +
                       (key.second.empty() ? std::string("at the top")
                                           : "inside '" + key.second + "'") +
                       " where its source has it " + where);
  }
}

} // namespace

std::vector<std::string>
CompareMarkup(std::u16string_view source,
              const std::vector<ProtectedSpan> &sourceSpans,
              std::u16string_view translation,
              const std::vector<ProtectedSpan> &translationSpans) {
  std::vector<std::string> problems;
  if (Unbalanced(source, sourceSpans).empty())
    problems = Unbalanced(translation, translationSpans);
  if (ChangedMarkup(source, sourceSpans, translation, translationSpans,
                    problems) ||
      !problems.empty())
    return problems;
  CompareNesting(source, sourceSpans, translation, translationSpans, problems);
  return problems;
}

void CheckTextMarkup(const std::string &where, const std::string &id,
                     std::u16string_view original, TextKind kind,
                     std::u16string_view translation,
                     std::optional<unsigned> limit, const ProtectRules &rules,
                     Diagnostics &diag) {
  const std::vector<ProtectedSpan> theirs =
      FindProtected(translation, kind, rules);
  for (const std::string &problem : CompareMarkup(
           original, FindProtected(original, kind, rules), translation, theirs))
    diag.Warning(where, "ID '" + id + "': " + problem);
  if (!limit)
    return;
  const std::size_t length = VisibleLength(translation, theirs);
  if (length > *limit)
    diag.Warning(where, "ID '" + id + "': " + std::to_string(length) +
                            " characters, over its limit of " +
                            std::to_string(*limit));
}

} // namespace phrasor::tool
