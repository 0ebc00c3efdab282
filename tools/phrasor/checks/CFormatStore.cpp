//===- CFormatStore.cpp - gettext C formats as the runtime renders them ---===//

#include "tools/phrasor/checks/CFormatStore.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/PoChecks.h"

#include <algorithm>
#include <map>

namespace phrasor::tool {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// One conversion of a C format, in parts.
struct Directive {
  unsigned number = 0; ///< its %n$ number, 0 when it has none
  std::string prefix;  ///< flags, width and precision as written
  std::string size;    ///< the length modifier as written
  std::string macro;   ///< the <inttypes.h> macro's name, if any
  char letter = 0;
  bool fromArgument = false; ///< a '*' width or precision
};

unsigned ReadPosition(std::string_view text, std::size_t &i) {
  std::size_t j = i;
  unsigned n = 0;
  while (j < text.size() && IsDigit(text[j]) && n < 100000)
    n = n * 10 + static_cast<unsigned>(text[j++] - '0');
  if (j == i || j >= text.size() || text[j] != '$')
    return 0;
  i = j + 1;
  return n;
}

/// Reads the conversion after the '%' at \p i - 1, leaving \p i past it.
/// The text is a valid C format, so every part is where it is due.
Directive ReadDirective(std::string_view text, std::size_t &i) {
  Directive d;
  d.number = ReadPosition(text, i);
  const std::size_t start = i;
  while (i < text.size() &&
         std::string_view("-+ #0'I").find(text[i]) != std::string_view::npos &&
         text.substr(i, 3) != "I64" && text.substr(i, 3) != "I32")
    ++i;
  for (int part = 0; part < 2 && i < text.size(); ++part) {
    if (part == 1 && text[i] != '.')
      break;
    if (part == 1)
      ++i;
    if (i < text.size() && text[i] == '*') {
      d.fromArgument = true;
      ++i;
      ReadPosition(text, i);
    }
    while (i < text.size() && IsDigit(text[i]))
      ++i;
  }
  d.prefix = std::string(text.substr(start, i - start));
  if (i < text.size() && text[i] == '<') {
    // A valid format closes every macro; an unclosed one ends the text
    // rather than send the scan back to its start.
    const std::size_t close = std::min(text.find('>', i), text.size());
    d.macro = std::string(text.substr(i + 1, close - i - 1));
    d.letter = d.macro.size() > 3 ? d.macro[3] : 'd';
    i = std::min(close + 1, text.size());
    return d;
  }
  const std::size_t sizeStart = i;
  if (text.substr(i, 3) == "I64" || text.substr(i, 3) == "I32")
    i += 3;
  while (i < text.size() &&
         std::string_view("hlLqjzZt").find(text[i]) != std::string_view::npos)
    ++i;
  d.size = std::string(text.substr(sizeStart, i - sizeStart));
  d.letter = i < text.size() ? text[i++] : 0;
  return d;
}

bool IsFloat(char letter) {
  return std::string_view("eEfFgGaA").find(letter) != std::string_view::npos;
}

/// The runtime's size for what \p d passes, or "?" where no one size fits
/// every platform.
std::string RuntimeSize(const Directive &d) {
  if (!d.macro.empty()) {
    if (d.macro.size() < 4) // no PRI.. name
      return "?";
    std::string_view width = std::string_view(d.macro).substr(4);
    if (width.substr(0, 5) == "LEAST")
      width.remove_prefix(5);
    else if (width.substr(0, 4) == "FAST" &&
             (width == "FAST8" || width == "FAST64"))
      width.remove_prefix(4);
    if (width == "8")
      return "hh";
    if (width == "16")
      return "h";
    if (width == "32")
      return "";
    if (width == "64" || width == "MAX")
      return "I64";
    return width == "PTR" ? "I" : "?";
  }
  if (d.size == "I32")
    return "";
  if (d.size == "Z")
    return "z";
  const bool longLong = d.size == "L" || d.size == "q" || d.size == "ll" ||
                        d.size == "lL" || d.size == "Ll";
  if (longLong)
    return IsFloat(d.letter) ? "L" : "ll";
  return d.size;
}

} // namespace

namespace {

/// Whether \p test holds for a conversion of \p text, given the place just
/// past its '%' ("%%" is none).
template <typename Test> bool AnyConversion(std::string_view text, Test test) {
  for (std::size_t i = text.find('%'); i != std::string_view::npos;
       i = text.find('%', i + 1)) {
    std::size_t j = i + 1;
    if (j < text.size() && text[j] == '%') {
      i = j;
      continue;
    }
    if (test(j))
      return true;
  }
  return false;
}

} // namespace

bool NumbersArguments(std::string_view text) {
  return AnyConversion(
      text, [&](std::size_t j) { return ReadPosition(text, j) != 0; });
}

bool MaySpellSizeOtherwise(std::string_view text) {
  return AnyConversion(text, [&](std::size_t j) {
    j = text.find_first_not_of("-+ #0'.*$0123456789", j);
    return j != std::string_view::npos &&
           std::string_view("<LqZIl").find(text[j]) != std::string_view::npos;
  });
}

StoredCFormat StoreCFormat(std::string_view text, bool asMessage) {
  StoredCFormat out;
  unsigned next = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '%') {
      out.text += text[i++];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '%') {
      out.text += "%%";
      i += 2;
      continue;
    }
    ++i;
    const Directive d = ReadDirective(text, i);
    const std::string size = RuntimeSize(d);
    if (size == "?") {
      out.problem = "'%<" + d.macro + ">' has no one size on every platform" +
                    " (the runtime takes PRI..32 or PRI..64)";
      return out;
    }
    const std::string body = d.prefix + size + d.letter;
    if (!asMessage || d.letter == 'm') {
      out.text += "%" + body;
      continue;
    }
    if (d.fromArgument) {
      out.problem = "a width or precision taken from an argument ('*') "
                    "cannot be reordered";
      return out;
    }
    out.text +=
        "%" + std::to_string(d.number ? d.number : ++next) + "!" + body + "!";
  }
  out.message = asMessage;
  return out;
}

std::optional<std::u16string> PrintfAsMessage(std::u16string_view text) {
  const std::optional<std::string> utf8 = Utf16ToUtf8(text);
  if (!utf8 || !ReadCFormat(*utf8).ok || NumbersArguments(*utf8))
    return std::nullopt;
  const StoredCFormat stored = StoreCFormat(*utf8, true);
  if (!stored.problem.empty())
    return std::nullopt;
  return Utf8ToUtf16(stored.text);
}

namespace {

/// \p spec (flags to letter) with the macro of its argument in place of
/// the runtime's size and letter, when its source passes one.
std::string WithMacro(std::string_view spec, const std::string *macro) {
  if (!macro || spec.empty())
    return std::string(spec);
  const char letter = spec.back();
  std::string_view prefix = spec.substr(0, spec.size() - 1);
  for (std::string_view size : {"I64", "hh", "h", "I"})
    if (prefix.size() >= size.size() &&
        prefix.substr(prefix.size() - size.size()) == size) {
      prefix.remove_suffix(size.size());
      break;
    }
  std::string name = *macro;
  name[3] = letter;
  return std::string(prefix) + "<" + name + ">";
}

/// The macro each argument of \p source passes, by argument number.
std::map<unsigned, std::string> MacrosOf(std::string_view source) {
  std::map<unsigned, std::string> macros;
  if (source.find('<') == std::string_view::npos)
    return macros;
  const CFormatReading r = ReadCFormat(source);
  for (const auto &[number, written] : r.args) {
    const std::size_t open = written.find('<');
    if (r.ok && open != std::string::npos)
      macros.emplace(number,
                     written.substr(open + 1, written.size() - open - 2));
  }
  return macros;
}

} // namespace

std::string RestoreCFormat(std::string_view text, std::string_view source,
                           bool message) {
  const std::map<unsigned, std::string> macros = MacrosOf(source);
  if (!message && macros.empty())
    return std::string(text);
  auto macroOf = [&](unsigned n) {
    auto at = macros.find(n);
    return at == macros.end() ? nullptr : &at->second;
  };
  std::string out;
  unsigned next = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (text[i] != '%' || i + 1 == text.size() || text[i + 1] == '%' ||
        (message && text[i + 1] == '0')) {
      const std::size_t n = text[i] == '%' && i + 1 < text.size() ? 2 : 1;
      out += text.substr(i, n);
      i += n;
      continue;
    }
    ++i;
    if (!message) {
      ReadDirective(text, i);
      out += "%" +
             WithMacro(text.substr(start + 1, i - start - 1), macroOf(++next));
      continue;
    }
    unsigned n = 0;
    while (i < text.size() && IsDigit(text[i]))
      n = n * 10 + static_cast<unsigned>(text[i++] - '0');
    const std::size_t close = text.find('!', i + 1);
    if (n == 0 || i >= text.size() || text[i] != '!' ||
        close == std::string_view::npos)
      return std::string(text); // no insert the build wrote
    out += "%" + std::to_string(n) + "$" +
           WithMacro(text.substr(i + 1, close - i - 1), macroOf(n));
    i = close + 1;
  }
  return out;
}

} // namespace phrasor::tool
