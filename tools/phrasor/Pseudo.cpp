//===- Pseudo.cpp - Pseudo-localized texts --------------------------------===//

#include "tools/phrasor/Pseudo.h"

#include "tools/phrasor/checks/TextChecks.h"

#include <unicode/uloc.h>

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

std::optional<std::u16string> Pseudolocalize(std::u16string_view value,
                                             ValueKind kind,
                                             const PseudoStyle &style,
                                             const ProtectRules &rules) {
  const std::optional<std::vector<ValuePiece>> pieces = SplitValue(value, kind);
  if (!pieces)
    return std::nullopt;
  if (value.empty())
    return std::u16string();
  // What follows a %0 is never shown, so the text ends before it.
  std::size_t shown = pieces->size();
  if (kind == ValueKind::Message && shown && !pieces->back().literal &&
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
    // Markup inside the text stays as written and does not grow it.
    std::size_t at = p.begin;
    auto accent = [&](std::size_t end) {
      const std::u16string_view text = value.substr(at, end - at);
      characters += CharacterCount(text);
      for (char16_t c : text)
        out += AccentedLetter(c);
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
