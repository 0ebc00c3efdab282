//===- Kinds.cpp - What a stored value is: text, message or printf --------===//

#include "tools/phrasor/checks/Kinds.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"

namespace phrasor::tool {
namespace {

bool IsAsciiLetter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char16_t c) { return c >= '0' && c <= '9'; }

/// A letter of any script: ASCII letters, and everything past Latin-1's
/// symbols, which in running text is nearly always part of a word.
bool IsWordChar(char16_t c) { return IsAsciiLetter(c) || c >= 0xC0; }

/// "%3!" opens an insert: a value holding one was meant as a message even
/// when the message is broken, so it is checked as one rather than shown.
bool HasInsertOpening(std::u16string_view value) {
  for (std::size_t i = 0; i + 2 < value.size(); ++i) {
    if (value[i] != '%')
      continue;
    if (i + 1 < value.size() && value[i + 1] == '%') {
      ++i; // an escape
      continue;
    }
    std::size_t j = i + 1;
    if (j >= value.size() || value[j] < '1' || value[j] > '9')
      continue;
    while (j < value.size() && IsDigit(value[j]))
      ++j;
    if (j < value.size() && value[j] == '!')
      return true;
  }
  return false;
}

/// A conversion written with the space flag between a number and a word,
/// as in "50% done" or "100% sure", is the text's own percent sign.
bool Plausible(const PrintfArg &arg, std::u16string_view value) {
  if (!arg.spaceFlag)
    return true;
  const std::size_t percent = value.rfind(u'%', arg.end ? arg.end - 1 : 0);
  const bool wordAfter = arg.end < value.size() && IsWordChar(value[arg.end]);
  const bool numberBefore = percent != std::u16string_view::npos &&
                            percent > 0 && IsDigit(value[percent - 1]);
  return !wordAfter && !numberBefore;
}

/// The position (1-based) of the first '%' that is not part of "%%".
std::size_t FirstLonePercent(std::u16string_view value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%')
      continue;
    if (i + 1 < value.size() && value[i + 1] == '%') {
      ++i;
      continue;
    }
    return i + 1;
  }
  return 0;
}

} // namespace

const char *KindName(ValueKind kind) {
  switch (kind) {
  case ValueKind::Text:
    return "text";
  case ValueKind::Message:
    return "message";
  case ValueKind::Printf:
    return "printf";
  }
  return "text";
}

std::optional<ValueKind> ParseKind(std::string_view name) {
  for (ValueKind k : {ValueKind::Text, ValueKind::Message, ValueKind::Printf})
    if (EqualsAsciiCase(name, KindName(k)))
      return k;
  return std::nullopt;
}

KindReading InferKind(std::u16string_view value) {
  KindReading r;
  if (value.find(u'%') == std::u16string_view::npos)
    return r;
  const MessageReading message = ReadAsMessage(value);
  if ((message.ok && !message.inserts.empty()) || HasInsertOpening(value)) {
    r.kind = ValueKind::Message;
    return r;
  }
  const PrintfReading printf = CheckPrintfFormat(value);
  std::size_t plausible = 0, doubtful = 0;
  for (const PrintfArg &arg : printf.args)
    ++(Plausible(arg, value) ? plausible : doubtful);
  // A format that takes arguments is printf even when it breaks further on
  // ("HP %d (100%)"): the check then names the broken conversion.
  if (plausible && !doubtful) {
    r.kind = ValueKind::Printf;
    return r;
  }
  if (message.ok && printf.ok && printf.args.empty()) {
    r.doubt = "'%%' takes no argument, so as a text it shows two percent "
              "signs; write '%' alone, or mark the entry printf or message "
              "if the program formats it";
    return r;
  }
  r.doubt = "'%' at character " + std::to_string(FirstLonePercent(value)) +
            " is neither an insert nor a printf conversion; stored as text "
            "and shown as written";
  return r;
}

ValueReport CheckValueAs(std::u16string_view value, ValueKind kind) {
  ValueReport r;
  switch (kind) {
  case ValueKind::Text:
    r.style = ValueStyle::Plain;
    break;
  case ValueKind::Message:
    r.style = ValueStyle::Message;
    r.message = ReadAsMessage(value);
    if (!r.message.ok)
      r.errors.push_back("not a valid message: " + r.message.problem +
                         (value.find(u'%') != std::u16string_view::npos
                              ? " (a percent sign in a message is written %%)"
                              : ""));
    else
      CheckMessageInserts(r);
    break;
  case ValueKind::Printf:
    r.style = ValueStyle::Printf;
    r.printf = CheckPrintfFormat(value);
    if (!r.printf.ok)
      r.errors.push_back("not a valid printf format: " + r.printf.problem +
                         " (a percent sign in a format is written %%)");
    break;
  }
  return r;
}

} // namespace phrasor::tool
