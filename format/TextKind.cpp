//===- TextKind.cpp - What a stored text is: plain, message or printf -----===//

#include "format/TextKind.h"

#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"

namespace phrasor {
namespace {

bool IsDigit(PhrasorWChar c) { return c >= '0' && c <= '9'; }

/// A letter of any script: ASCII letters, and everything past Latin-1's
/// symbols, which in running text is nearly always part of a word.
bool IsWordChar(PhrasorWChar c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0xC0;
}

/// "%3!" opens an insert: a value holding one was meant as a message even
/// when the message is broken, so it is checked as one rather than shown.
bool HasInsertOpening(const PhrasorWChar *s) {
  for (uint32_t i = 0; s[i]; ++i) {
    if (s[i] != '%')
      continue;
    if (s[i + 1] == '%') {
      ++i; // an escape
      continue;
    }
    uint32_t j = i + 1;
    if (s[j] < '1' || s[j] > '9')
      continue;
    while (IsDigit(s[j]))
      ++j;
    if (s[j] == '!')
      return true;
  }
  return false;
}

/// Counts the arguments a printf format takes, split by whether their
/// conversion reads as one. A conversion written with the space flag
/// between a number and a word, as in "50% done" or "100% sure", is the
/// text's own percent sign.
class ConversionCounter final : public FormatCheckHandler {
public:
  explicit ConversionCounter(const PhrasorWChar *s) : text(s) {}
  void OnText(uint32_t, uint32_t) override {}
  void OnConversion(uint32_t begin, uint32_t end,
                    const ConversionSpec &spec) override {
    const uint32_t args = (spec.widthFromArg ? 1u : 0u) +
                          (spec.precisionFromArg ? 1u : 0u) +
                          (spec.kind != ArgKind::None ? 1u : 0u);
    bool reads = true;
    if (spec.flags & kFlagSpace) {
      const bool wordAfter = IsWordChar(text[end]);
      const bool numberBefore = begin > 0 && IsDigit(text[begin - 1]);
      reads = !wordAfter && !numberBefore;
    }
    (reads ? plausible : doubtful) += args;
  }
  void OnError(uint32_t, SpecError) override {}

  uint32_t plausible = 0, doubtful = 0;

private:
  const PhrasorWChar *text;
};

/// The place (1-based) of the first '%' that is not part of "%%".
uint32_t FirstLonePercent(const PhrasorWChar *s) {
  for (uint32_t i = 0; s[i]; ++i) {
    if (s[i] != '%')
      continue;
    if (s[i + 1] == '%') {
      ++i;
      continue;
    }
    return i + 1;
  }
  return 0;
}

} // namespace

KindInference InferTextKind(const PhrasorWChar *text) {
  KindInference r{TextKind::Plain, KindDoubt::None, 0};
  if (!text)
    return r;
  bool percent = false;
  for (const PhrasorWChar *p = text; *p && !percent; ++p)
    percent = *p == '%';
  if (!percent)
    return r;
  MessageLayout layout{};
  const bool messageOk =
      QVFormatMessageT().Parse(text, layout) == MessageStatus::Ok;
  bool inserts = false;
  for (uint32_t i = 0; messageOk && i < layout.count && i < kMaxMessageFields;
       ++i)
    inserts = inserts || layout.fields[i].fieldNumber != 0;
  if (inserts || HasInsertOpening(text)) {
    r.kind = TextKind::Message;
    return r;
  }
  ConversionCounter counter(text);
  const bool printfOk = CheckFormat(text, counter);
  // A format that takes arguments is printf even when it breaks further on
  // ("HP %d (100%)"): a check then names the broken conversion.
  if (counter.plausible && !counter.doubtful) {
    r.kind = TextKind::Printf;
    return r;
  }
  if (messageOk && printfOk && !counter.plausible && !counter.doubtful) {
    r.doubt = KindDoubt::DoubledPercent;
    return r;
  }
  r.doubt = KindDoubt::LonePercent;
  r.percentAt = FirstLonePercent(text);
  return r;
}

} // namespace phrasor
