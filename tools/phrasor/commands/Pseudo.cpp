//===- Pseudo.cpp - Pseudo-localized texts --------------------------------===//

#include "tools/phrasor/commands/Pseudo.h"

#include "phrasor/Key.h"
#include "tools/phrasor/checks/TextChecks.h"

#include <unicode/uloc.h>

#include <algorithm>

namespace phrasor::tool {
namespace {

// Each letter's look-alike comes from Latin-1 or Latin Extended-A, which
// every font made for European languages covers, so a missing glyph points
// at a font that lacks them rather than at the pseudo text. Letters with
// no such look-alike (b, f, m, p, q, v, x) stay as they are.
constexpr char16_t kLower[26] = {u'á', u'b', u'ç', u'ď', u'é', u'f', u'ĝ',
                                 u'ĥ', u'î', u'ĵ', u'ķ', u'ļ', u'm', u'ñ',
                                 u'ö', u'p', u'q', u'ŕ', u'š', u'ţ', u'û',
                                 u'v', u'ŵ', u'x', u'ý', u'ž'};
constexpr char16_t kUpper[26] = {u'Å', u'B', u'Ç', u'Ď', u'É', u'F', u'Ĝ',
                                 u'Ĥ', u'Î', u'Ĵ', u'Ķ', u'Ļ', u'M', u'Ñ',
                                 u'Ö', u'P', u'Q', u'Ŕ', u'Š', u'Ţ', u'Û',
                                 u'V', u'Ŵ', u'X', u'Ý', u'Ž'};

/// The filler that lengthens a text: visible, not a letter of any
/// language, and not special in a message or a printf format.
constexpr char16_t kFiller = u'~';

/// Characters, not UTF-16 units: the second half of a pair is not counted.
std::size_t CharacterCount(std::u16string_view text) {
  std::size_t n = 0;
  for (char16_t c : text)
    n += (c >= 0xDC00 && c <= 0xDFFF) ? 0 : 1;
  return n;
}

} // namespace

char16_t AccentedLetter(char16_t c) {
  if (c >= 'a' && c <= 'z')
    return kLower[c - 'a'];
  if (c >= 'A' && c <= 'Z')
    return kUpper[c - 'A'];
  return c;
}

namespace {

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') ||
         (c >= u'A' && c <= u'F');
}

/// How many units the backslash escape at \p text[i] takes: the engine's
/// own escapes (`\n`, `\t`, `\\` and the like) are a backslash and one
/// character; `\x`, `\u` and `\U` also take up to 2, 4 and 8 hex digits.
/// An accent on the letter after the backslash would turn the engine's
/// line break into the text `\ñ`.
std::size_t EscapeLength(std::u16string_view text, std::size_t i) {
  if (i + 1 >= text.size())
    return 1;
  const char16_t kind = text[i + 1];
  const std::size_t digits = kind == u'x'   ? 2
                             : kind == u'u' ? 4
                             : kind == u'U' ? 8
                                            : 0;
  std::size_t n = 2;
  while (n < 2 + digits && i + n < text.size() && IsHexDigit(text[i + n]))
    ++n;
  return n;
}

/// Appends \p text to \p out with its letters accented and its backslash
/// escapes as written; returns the characters accented or not, escapes
/// aside, which is what the text grows by a share of.
std::size_t AppendAccented(std::u16string_view text, std::u16string &out) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t escape = std::min(text.find(u'\\', i), text.size());
    characters += CharacterCount(text.substr(i, escape - i));
    for (; i < escape; ++i)
      out += AccentedLetter(text[i]);
    if (i < text.size()) {
      const std::size_t length = EscapeLength(text, i);
      out += text.substr(i, length);
      i += length;
    }
  }
  return characters;
}

} // namespace

std::optional<std::u16string> Pseudolocalize(std::u16string_view value,
                                             TextKind kind,
                                             const PseudoStyle &style,
                                             const ProtectRules &rules) {
  const std::optional<std::vector<ValuePiece>> pieces = SplitValue(value, kind);
  if (!pieces)
    return std::nullopt;
  if (value.empty())
    return std::u16string();
  // What follows a %0 is never shown, so the text ends before it.
  std::size_t shown = pieces->size();
  if (kind == TextKind::Message && shown && !pieces->back().literal &&
      value.substr(pieces->back().begin, 2) == u"%0")
    --shown;

  std::u16string out;
  std::size_t characters = 0; // of literal text
  if (style.brackets)
    out += u'[';
  for (std::size_t i = 0; i < shown; ++i) {
    const ValuePiece &p = (*pieces)[i];
    const std::u16string_view run = value.substr(p.begin, p.end - p.begin);
    if (!p.literal) {
      out += run;
      continue;
    }
    // Markup and backslash escapes inside the text stay as written and do
    // not grow it.
    std::size_t at = p.begin;
    auto accent = [&](std::size_t end) {
      characters += AppendAccented(value.substr(at, end - at), out);
    };
    for (const ProtectedSpan &m : FindMarkup(value, p.begin, p.end, rules)) {
      accent(m.begin);
      out += value.substr(m.begin, m.end - m.begin);
      at = m.end;
    }
    accent(p.end);
  }
  // Rounded up, so that even a short label grows.
  out.append((characters * style.expand + 99) / 100, kFiller);
  if (style.brackets)
    out += u']';
  for (std::size_t i = shown; i < pieces->size(); ++i)
    out +=
        value.substr((*pieces)[i].begin, (*pieces)[i].end - (*pieces)[i].begin);
  return out;
}

std::u16string IdLabel(std::string_view id) {
  std::u16string label;
  for (const char c : id) {
    const bool kept =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
        (c >= '0' && c <= '9') ||
        std::string_view("_-.#@/").find(c) != std::string_view::npos;
    label += kept                          ? static_cast<char16_t>(c)
             : c == Key::kContextSeparator ? u'|'
                                           : u'?';
  }
  return label + u": ";
}

std::string PseudoLocale(const std::optional<std::string> &source) {
  constexpr const char *kNoLanguage = "qps-ploc";
  if (!source)
    return kNoLanguage;
  char id[ULOC_FULLNAME_CAPACITY] = {};
  char language[ULOC_LANG_CAPACITY] = {};
  char script[ULOC_SCRIPT_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  uloc_forLanguageTag(source->c_str(), id, sizeof id, nullptr, &status);
  uloc_getLanguage(id, language, sizeof language, &status);
  uloc_getScript(id, script, sizeof script, &status);
  if (U_FAILURE(status) || !*language)
    return kNoLanguage;
  std::string tag = language;
  if (*script)
    tag += std::string("-") + script;
  return tag + "-XA";
}

} // namespace phrasor::tool
