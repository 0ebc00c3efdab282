//===- Numbers.cpp - Numeric inserts written as the locale does -----------===//

#include "cpp/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace phrasor {

using numbers::NumberStyle;

namespace {

const NumberStyle *findStyle(std::string_view tag, bool latin) {
  std::string key(tag);
  for (char &c : key) {
    c = c == '_' ? '-' : c;
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  for (;;) {
    const auto *end = numbers::kLocales + numbers::kLocaleCount;
    const auto *row = std::lower_bound(
        numbers::kLocales, end, key,
        [](const numbers::LocaleNumbers &r, const std::string &k) {
          return k.compare(r.tag) > 0;
        });
    if (row != end && key == row->tag)
      return &numbers::kStyles[latin ? row->latin : row->native];
    const std::size_t dash = key.rfind('-');
    if (dash == std::string::npos)
      return nullptr;
    key.erase(dash);
  }
}

} // namespace

const NumberStyle &numberStyleFor(std::string_view tag) {
  // Of the extensions only the numbering system says anything the table
  // knows, and only Latin digits can be asked for by it; the others go as
  // subtags are dropped from the end.
  std::string lower(tag);
  for (char &c : lower)
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  const std::size_t nu = lower.find("-nu-latn");
  const bool latin = nu != std::string::npos;
  if (latin) {
    lower.erase(nu, 8);
    if (lower.size() >= 2 && lower.compare(lower.size() - 2, 2, "-u") == 0)
      lower.resize(lower.size() - 2);
  }
  if (const NumberStyle *found = findStyle(lower, latin))
    return *found;
  return numbers::kStyles[0];
}

// --- Rewriting a text ---------------------------------------------------

namespace {

constexpr int kMaxPrecision = 100;

/// One conversion spec, read from its flags to its letter.
struct Spec {
  bool minus = false, plus = false, space = false, hash = false, zero = false,
       grouped = false;
  Text width; ///< as written: digits or '*'
  bool hasPrecision = false, starPrecision = false;
  int precision = 0;
  bool sized = false; ///< a size prefix
  PhrasorWChar conversion = 0;
  std::uint32_t end = 0; ///< just past the conversion letter
};

bool readFlags(const PhrasorWChar *t, std::uint32_t &i, Spec &s) {
  for (;; ++i) {
    switch (t[i]) {
    case '-':
      s.minus = true;
      break;
    case '+':
      s.plus = true;
      break;
    case ' ':
      s.space = true;
      break;
    case '#':
      s.hash = true;
      break;
    case '0':
      s.zero = true;
      break;
    case '\'':
      s.grouped = true;
      break;
    default:
      return true;
    }
  }
}

void readNumberPart(const PhrasorWChar *t, std::uint32_t &i, Spec &s) {
  if (t[i] == '*') {
    s.width.push_back(t[i++]);
  } else {
    while (t[i] >= '0' && t[i] <= '9')
      s.width.push_back(t[i++]);
  }
  if (t[i] != '.')
    return;
  s.hasPrecision = true;
  ++i;
  if (t[i] == '*') {
    s.starPrecision = true;
    ++i;
    return;
  }
  while (t[i] >= '0' && t[i] <= '9') {
    if (s.precision <= kMaxPrecision)
      s.precision = s.precision * 10 + (t[i] - '0');
    ++i;
  }
}

/// Reads the spec at \p i; false when the text ends inside it.
bool readSpec(const PhrasorWChar *t, std::uint32_t i, Spec &s) {
  readFlags(t, i, s);
  readNumberPart(t, i, s);
  while (t[i] && std::strchr("hlLjztwIq", static_cast<char>(t[i])) &&
         t[i] < 0x80) {
    s.sized = true;
    ++i;
    while (t[i - 1] == 'I' && t[i] >= '0' && t[i] <= '9')
      ++i;
  }
  if (!t[i])
    return false;
  s.conversion = t[i];
  s.end = i + 1;
  return true;
}

bool writable(const Spec &s) {
  return s.conversion < 0x80 && s.conversion &&
         std::strchr("diufeEgG", static_cast<char>(s.conversion)) && !s.sized &&
         !s.zero && !s.hash && !s.starPrecision && s.precision <= kMaxPrecision;
}

void appendAscii(Text &to, const char *s) {
  while (*s)
    to.push_back(static_cast<PhrasorWChar>(*s++));
}

/// Turns the spec at \p i (just past '%', or past '!' in a message) into a
/// text insert, or copies it; \p close is a message's closing '!' or 0.
std::uint32_t rewriteSpec(const PhrasorWChar *t, std::uint32_t i,
                          std::uint32_t percentAt, PhrasorWChar close,
                          std::uint32_t &argument, NumberForm &form) {
  Spec s;
  const bool read = readSpec(t, i, s) && (!close || t[s.end] == close);
  // A printf text takes its arguments in order, a '*' each; a message
  // insert names its field.
  std::uint32_t taken = argument;
  if (read && !close) {
    taken += s.width == Text(1, '*');
    argument = taken + s.starPrecision + 1;
  }
  if (!read || !writable(s)) {
    if (read && s.grouped && form.problem.empty())
      form.problem = "the grouping flag of the insert at character " +
                     std::to_string(percentAt + 1) +
                     " takes a d, i, u, f, e or g insert without a size, "
                     "'0', '#' or '.*'";
    form.flagged = form.flagged || s.grouped;
    return i; // the caller copies on
  }
  form.flagged = form.flagged || s.grouped;
  form.inserts.push_back(NumberInsert{static_cast<std::uint32_t>(percentAt),
                                      taken, static_cast<char>(s.conversion),
                                      s.grouped, s.plus, s.space,
                                      s.hasPrecision, s.precision});
  if (s.minus)
    form.text.push_back('-');
  form.text += s.width;
  // A message's %1!s! is the plain insert the layer writes directly; in a
  // printf text only "ls" says UTF-16 text on every platform.
  appendAscii(form.text, close ? "s" : "ls");
  return s.end;
}

} // namespace

NumberForm rewriteNumbers(const PhrasorWChar *t, Style style) {
  NumberForm form;
  const bool message = style == Style::Message;
  std::uint32_t i = 0;
  std::uint32_t argument = 0;
  while (t[i]) {
    if (t[i] != '%') {
      form.text.push_back(t[i++]);
      continue;
    }
    const auto percentAt = static_cast<std::uint32_t>(form.text.size());
    form.text.push_back(t[i++]);
    if (!message) {
      if (t[i] == '%') {
        form.text.push_back(t[i++]);
        continue;
      }
      const std::uint32_t next =
          rewriteSpec(t, i, percentAt, 0, argument, form);
      if (next != i)
        i = next;
      continue;
    }
    // A message insert is %N or %N!spec!; any other '%' is an escape of
    // the one character after it.
    if (t[i] < '1' || t[i] > '9') {
      if (t[i])
        form.text.push_back(t[i++]);
      continue;
    }
    std::uint32_t field = 0;
    while (t[i] >= '0' && t[i] <= '9') {
      field = field * 10 + static_cast<std::uint32_t>(t[i] - '0');
      form.text.push_back(t[i++]);
    }
    if (t[i] != '!')
      continue;
    form.text.push_back(t[i++]);
    std::uint32_t fieldArg = field - 1;
    const std::uint32_t next =
        rewriteSpec(t, i, percentAt, '!', fieldArg, form);
    if (next != i) {
      form.text.push_back('!');
      i = next + 1;
    }
  }
  return form;
}

Text withoutGroupingFlags(const PhrasorWChar *t, Style style) {
  Text out;
  for (std::uint32_t i = 0; t[i];) {
    if (t[i] != '%') {
      out.push_back(t[i++]);
      continue;
    }
    out.push_back(t[i++]);
    if (style == Style::Message) {
      // Only a field's spec, after "%N!", has flags.
      if (t[i] < '1' || t[i] > '9') {
        if (t[i])
          out.push_back(t[i++]);
        continue;
      }
      while (t[i] >= '0' && t[i] <= '9')
        out.push_back(t[i++]);
      if (t[i] != '!')
        continue;
      out.push_back(t[i++]);
    } else if (t[i] == '%') {
      out.push_back(t[i++]);
      continue;
    }
    for (;
         t[i] && t[i] < 0x80 && std::strchr("-+ #0'", static_cast<char>(t[i]));
         ++i)
      if (t[i] != '\'')
        out.push_back(t[i]);
  }
  return out;
}

// --- Writing a number ---------------------------------------------------

namespace {

PhrasorWChar *put(PhrasorWChar *out, const char16_t *s) {
  while (*s)
    *out++ = static_cast<PhrasorWChar>(*s++);
  return out;
}

PhrasorWChar *putDigit(PhrasorWChar *out, char32_t zero, char digit) {
  const char32_t c = zero + static_cast<char32_t>(digit - '0');
  if (c < 0x10000) {
    *out++ = static_cast<PhrasorWChar>(c);
  } else {
    *out++ = static_cast<PhrasorWChar>(0xD800 + ((c - 0x10000) >> 10));
    *out++ = static_cast<PhrasorWChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
  return out;
}

/// The magnitude as printf writes it, in ASCII; \p negative its sign.
char *asciiOf(const NumberInsert &how, const Arg &a, bool percent, char *out,
              char *end, bool &negative) {
  if (how.conversion == 'd' || how.conversion == 'i' || how.conversion == 'u') {
    std::uint64_t magnitude;
    if (how.conversion == 'u') {
      negative = false;
      magnitude = a.wide ? a.value.u : static_cast<std::uint32_t>(a.value.u);
    } else {
      const std::int64_t v =
          a.wide ? a.value.i : static_cast<std::int32_t>(a.value.i);
      negative = v < 0;
      magnitude = negative ? 0 - static_cast<std::uint64_t>(v)
                           : static_cast<std::uint64_t>(v);
    }
    // A precision is the least number of digits; ".0" writes no 0.
    char digits[24];
    char *last = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const auto count = static_cast<int>(last - digits);
    if (how.explicitPrecision && how.precision == 0 && magnitude == 0)
      return out;
    for (int k = count; k < how.precision; ++k)
      *out++ = '0';
    return std::copy(digits, last, out);
  }
  double v = a.type == ArgType::Floating ? a.value.d
             : a.type == ArgType::Signed ? static_cast<double>(a.value.i)
                                         : static_cast<double>(a.value.u);
  if (percent)
    v *= 100;
  negative = std::signbit(v);
  v = std::fabs(v);
  const bool upper = how.conversion == 'E' || how.conversion == 'G';
  if (!std::isfinite(v))
    return std::copy_n(std::isnan(v) ? (upper ? "NAN" : "nan")
                                     : (upper ? "INF" : "inf"),
                       3, out);
  const int precision =
      how.explicitPrecision ? how.precision : (percent ? 0 : 6);
  const std::chars_format format =
      how.conversion == 'f' ? std::chars_format::fixed
      : how.conversion == 'e' || how.conversion == 'E'
          ? std::chars_format::scientific
          : std::chars_format::general;
  char *last = std::to_chars(out, end, v, format, precision).ptr;
  if (upper)
    for (char *p = out; p != last; ++p)
      *p = *p == 'e' ? 'E' : *p;
  return last;
}

/// Writes \p count integer digits of \p digits, grouped as \p style says:
/// a first group of up to secondary digits, more of secondary, then the
/// primary group nearest the point.
PhrasorWChar *putGrouped(const NumberStyle &style, const char *digits,
                         int count, PhrasorWChar *out) {
  const int primary = style.primary, secondary = style.secondary;
  const bool groups = primary != 0 && count >= primary + style.minimumGrouping;
  int untilGroup = count;
  if (groups) {
    const int before = count - primary; // digits before the primary group
    untilGroup = before % secondary ? before % secondary : secondary;
  }
  for (int k = 0; k < count; ++k) {
    out = putDigit(out, style.zero, digits[k]);
    if (--untilGroup == 0 && k + 1 < count) {
      out = put(out, style.group);
      untilGroup = count - 1 - k == primary ? primary : secondary;
    }
  }
  return out;
}

} // namespace

PhrasorWChar *writeNumber(const NumberStyle &style, const NumberInsert &how,
                          const Arg &a, PhrasorWChar *out) {
  char ascii[512];
  bool negative = false;
  char *end = asciiOf(how, a, a.percent, ascii, ascii + sizeof ascii, negative);
  const bool local = how.grouped || a.localized;
  if (!local) {
    // As printf writes it: the layer wrote it only because the text was
    // rewritten for another insert.
    if (negative || how.plus || how.space)
      *out++ = negative ? '-' : how.plus ? '+' : ' ';
    for (const char *p = ascii; p != end; ++p)
      *out++ = static_cast<PhrasorWChar>(*p);
    return out;
  }
  if (negative)
    out = put(out, style.minus);
  else if (how.plus)
    out = put(out, style.plus);
  else if (how.space)
    *out++ = ' ';
  if (a.percent)
    out = put(out, style.percentBefore);
  const char *p = ascii;
  while (p != end && *p >= '0' && *p <= '9')
    ++p;
  out = putGrouped(style, ascii, static_cast<int>(p - ascii), out);
  for (; p != end; ++p) {
    if (*p >= '0' && *p <= '9')
      out = putDigit(out, style.zero, *p);
    else if (*p == '.')
      out = put(out, style.decimal);
    else
      *out++ = static_cast<PhrasorWChar>(*p);
  }
  if (a.percent)
    out = put(out, style.percentAfter);
  return out;
}

// --- Writing an integer in place ----------------------------------------

namespace {

std::size_t unitsOf(const char16_t *s) {
  std::size_t n = 0;
  while (s[n])
    ++n;
  return n;
}

/// What an integer insert writes, worked out before anything is written.
struct IntegerShape {
  std::uint64_t magnitude = 0;
  const char16_t *sign = u"";
  std::size_t signUnits = 0;
  char32_t zero = '0';
  int digits = 0;
  int primary = 0, secondary = 0; ///< 0: no separators
  const char16_t *group = u"";
  std::size_t groupUnits = 0;
  std::size_t separators = 0;
};

IntegerShape shapeOf(const NumberStyle &style, const NumberInsert &how,
                     const Arg &a) {
  IntegerShape s;
  bool negative = false;
  if (how.conversion == 'u') {
    s.magnitude = a.wide ? a.value.u : static_cast<std::uint32_t>(a.value.u);
  } else {
    const std::int64_t v =
        a.wide ? a.value.i : static_cast<std::int32_t>(a.value.i);
    negative = v < 0;
    s.magnitude = negative ? 0 - static_cast<std::uint64_t>(v)
                           : static_cast<std::uint64_t>(v);
  }
  // A precision is the least number of digits; ".0" writes no 0.
  s.digits = decimalDigits(s.magnitude);
  if (how.explicitPrecision && how.precision == 0 && s.magnitude == 0)
    s.digits = 0;
  if (s.digits < how.precision)
    s.digits = how.precision;
  const bool local = how.grouped || a.localized;
  s.sign = negative    ? (local ? style.minus : u"-")
           : how.plus  ? (local ? style.plus : u"+")
           : how.space ? u" "
                       : u"";
  s.signUnits = unitsOf(s.sign);
  if (!local)
    return s;
  s.zero = style.zero;
  if (style.primary != 0 && s.digits >= style.primary + style.minimumGrouping) {
    s.primary = style.primary;
    s.secondary = style.secondary ? style.secondary : style.primary;
    s.group = style.group;
    s.groupUnits = unitsOf(style.group);
    const int before = s.digits - s.primary; // digits before the first group
    s.separators =
        static_cast<std::size_t>((before + s.secondary - 1) / s.secondary);
  }
  return s;
}

} // namespace

namespace {

/// Writes \p s's digits and separators, the last digit just before \p p:
/// a group of digits at a time, each digit by one division by ten.
template <class U>
void putDigitsBackwards(const IntegerShape &s, U magnitude, PhrasorWChar *p) {
  const bool pairs = s.zero >= 0x10000; // each digit two units
  int group = s.primary ? s.primary : s.digits;
  int left = s.digits;
  for (;;) {
    int n = group < left ? group : left;
    left -= n;
    for (; n; --n) {
      const char32_t c = s.zero + static_cast<char32_t>(magnitude % 10);
      magnitude /= 10;
      if (!pairs) {
        *--p = static_cast<PhrasorWChar>(c);
      } else {
        *--p = static_cast<PhrasorWChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        *--p = static_cast<PhrasorWChar>(0xD800 + ((c - 0x10000) >> 10));
      }
    }
    if (!left)
      return;
    if (s.groupUnits == 1) {
      *--p = static_cast<PhrasorWChar>(s.group[0]);
    } else {
      p -= s.groupUnits;
      std::copy_n(s.group, s.groupUnits, p);
    }
    group = s.secondary;
  }
}

} // namespace

std::size_t writeInteger(const NumberStyle &style, const NumberInsert &how,
                         const Arg &a, PhrasorWChar *out, std::size_t room) {
  const IntegerShape s = shapeOf(style, how, a);
  const std::size_t digitUnits = s.zero < 0x10000 ? 1 : 2;
  const std::size_t total = s.signUnits +
                            static_cast<std::size_t>(s.digits) * digitUnits +
                            s.separators * s.groupUnits;
  if (total > room)
    return kNoRoom;
  std::copy_n(s.sign, s.signUnits, out);
  // Most values fit 32 bits, whose divisions by ten are cheaper.
  if (s.magnitude <= 0xFFFFFFFFu)
    putDigitsBackwards(s, static_cast<std::uint32_t>(s.magnitude), out + total);
  else
    putDigitsBackwards(s, s.magnitude, out + total);
  return total;
}

} // namespace phrasor
