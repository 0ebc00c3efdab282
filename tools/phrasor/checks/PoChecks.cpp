//===- PoChecks.cpp - A PO message's translation against its msgid --------===//

#include "tools/phrasor/checks/PoChecks.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/TextChecks.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace phrasor::tool {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// Reads the digits at \p i followed by '$': the argument number, or 0
/// (and \p i unchanged) when there is none.
unsigned TakePosition(std::string_view text, std::size_t &i) {
  std::size_t j = i;
  unsigned n = 0;
  while (j < text.size() && IsDigit(text[j]) && n < 100000)
    n = n * 10 + static_cast<unsigned>(text[j++] - '0');
  if (j == i || j >= text.size() || text[j] != '$' || n == 0)
    return 0;
  i = j + 1;
  return n;
}

/// The C type a conversion passes, by its length modifier and letter;
/// empty when the letter is no conversion. Signedness is part of it, as
/// msgfmt holds: %d and %u differ, %u and %x do not. "I64" is the 64-bit
/// size the runtime renders, the same type as PRId64 gives.
std::string TypeOf(std::string_view size, char conversion) {
  const std::string sized = size.empty() ? "" : std::string(size) + " ";
  switch (conversion) {
  case 'd':
  case 'i':
    return size == "I64" ? "int64_t" : sized + "int";
  case 'o':
  case 'u':
  case 'x':
  case 'X':
    return size == "I64" ? "uint64_t" : sized + "unsigned int";
  case 'e':
  case 'E':
  case 'f':
  case 'F':
  case 'g':
  case 'G':
  case 'a':
  case 'A':
    return size == "ll" ? "long double" : "double";
  case 'c':
    return size == "l" ? "wint_t" : "char";
  case 'C':
    return "wint_t";
  case 's':
    return size == "l" ? "wide string" : "string";
  case 'S':
    return "wide string";
  case 'p':
    return "pointer";
  case 'n':
    return std::string(size) + " count pointer";
  default:
    return "";
  }
}

/// The size sets a letter may take: integers any, floating point none, l
/// or ll, characters and strings none or l, the rest none.
bool SizeFits(std::string_view size, char conversion) {
  if (std::string_view("diouxXn").find(conversion) != std::string_view::npos)
    return true;
  if (std::string_view("eEfFgGaA").find(conversion) != std::string_view::npos)
    return size.empty() || size == "l" || size == "ll";
  if (std::string_view("cs").find(conversion) != std::string_view::npos)
    return size.empty() || size == "l";
  return size.empty();
}

/// The length modifier at \p i, read past, in one spelling per size, as C
/// libraries and msgfmt read them: L, q and ll are one size (lL too), Z is
/// z, and I64 and I32 are the runtime's sizes (I32 the plain one). "?" when
/// the letters make no size.
std::string TakeSize(std::string_view text, std::size_t &i) {
  if (text.substr(i, 3) == "I64" || text.substr(i, 3) == "I32") {
    i += 3;
    return text[i - 2] == '6' ? "I64" : "";
  }
  const std::size_t sizeStart = i;
  while (i < text.size() &&
         std::string_view("hlLqjzZt").find(text[i]) != std::string_view::npos)
    ++i;
  const std::string_view size = text.substr(sizeStart, i - sizeStart);
  if (size.empty() || size == "h" || size == "hh" || size == "l" ||
      size == "j" || size == "t" || size == "z")
    return std::string(size);
  if (size == "Z")
    return "z";
  if (size.size() <= 2 &&
      size.find_first_not_of("lLq") == std::string_view::npos &&
      (size.size() == 1 || size.find('l') != std::string_view::npos))
    return "ll";
  return "?";
}

/// The C type an <inttypes.h> macro name passes ("PRIu64": "uint64_t"),
/// empty when \p name is none of them.
std::string MacroType(std::string_view name) {
  if (name.size() < 5 || name.substr(0, 3) != "PRI" ||
      std::string_view("diouxX").find(name[3]) == std::string_view::npos)
    return "";
  const bool isSigned = name[3] == 'd' || name[3] == 'i';
  std::string_view width = name.substr(4);
  std::string stem = "int";
  if (width.substr(0, 5) == "LEAST")
    stem = "int_least", width.remove_prefix(5);
  else if (width.substr(0, 4) == "FAST")
    stem = "int_fast", width.remove_prefix(4);
  if (width == "8" || width == "16" || width == "32" || width == "64")
    stem += width;
  else if (stem == "int" && width == "MAX")
    stem += "max";
  else if (stem == "int" && width == "PTR")
    stem += "ptr";
  else
    return "";
  return (isSigned ? "" : "u") + stem + "_t";
}

/// One pass over a format string: the arguments its directives take, and
/// the first problem found, written into the reading.
class CFormatScan {
public:
  CFormatScan(std::string_view format, CFormatReading &reading)
      : text(format), r(reading) {}

  /// Reads the directive that begins with the '%' at \p start, \p i just
  /// past it, leaving \p i on its conversion letter (the '>' of a macro);
  /// false on a problem.
  bool Directive(std::size_t start, std::size_t &i) {
    unsigned number = TakePosition(text, i);
    // Flags (glibc's ' and I among them, though not the runtime's I64 and
    // I32 sizes), then a width and a precision, each possibly '*' with its
    // own argument.
    while (i < text.size() &&
           std::string_view("-+ #0'I").find(text[i]) !=
               std::string_view::npos &&
           !(text.substr(i, 3) == "I64" || text.substr(i, 3) == "I32"))
      ++i;
    if (!Star(i))
      return false;
    if (i < text.size() && text[i] == '.') {
      ++i;
      if (!Star(i))
        return false;
    }
    std::optional<std::string> type = ConversionType(start, i);
    if (!type)
      return false;
    if (type->empty())
      return true; // %m, glibc's error text, takes no argument
    (number ? numbered : unnumbered) = true;
    return Take(number ? number : ++next, std::move(*type),
                text.substr(start, i + 1 - start));
  }

  bool Mixed() const { return numbered && unnumbered; }

private:
  /// The type the size or macro and the letter at \p i pass, leaving \p i
  /// on the letter (the '>' of a macro); empty for one taking none, and
  /// none on a problem.
  std::optional<std::string> ConversionType(std::size_t start, std::size_t &i) {
    std::string type;
    if (i < text.size() && text[i] == '<') {
      const std::size_t close = text.find('>', i);
      if (close != std::string_view::npos)
        type = MacroType(text.substr(i + 1, close - i - 1));
      if (type.empty()) {
        r.problem = "'" + std::string(text.substr(start, i + 1 - start)) +
                    "' is followed by no <inttypes.h> macro name";
        return std::nullopt;
      }
      i = close;
      return type;
    }
    const std::string size = TakeSize(text, i);
    if (i >= text.size()) {
      r.problem = "the string ends in the middle of a directive";
      return std::nullopt;
    }
    if (text[i] == 'm' && size.empty())
      return type;
    if (size != "?" && SizeFits(size, text[i]))
      type = TypeOf(size, text[i]);
    if (type.empty()) {
      r.problem = "'" + std::string(text.substr(start, i + 1 - start)) +
                  "' is no conversion";
      return std::nullopt;
    }
    return type;
  }

  /// A width or precision at \p i: digits, or '*' taking an int argument.
  bool Star(std::size_t &i) {
    if (i >= text.size() || text[i] != '*') {
      while (i < text.size() && IsDigit(text[i]))
        ++i;
      return true;
    }
    ++i;
    unsigned n = TakePosition(text, i);
    (n ? numbered : unnumbered) = true;
    return Take(n ? n : ++next, "int", "*");
  }

  bool Take(unsigned number, std::string type, std::string_view written) {
    auto known = r.types.find(number);
    if (known == r.types.end()) {
      r.types.emplace(number, std::move(type));
    } else if (known->second != type) {
      r.problem = "argument " + std::to_string(number) +
                  " is taken as two different types";
      return false;
    }
    if (!r.args.count(number))
      r.args.emplace(number, std::string(written));
    return true;
  }

  std::string_view text;
  CFormatReading &r;
  unsigned next = 0; // the last unnumbered argument taken
  bool numbered = false, unnumbered = false;
};

/// Numbered arguments must leave none out: printf could not find the
/// place of an argument after a gap. Empty when none is.
std::string ArgumentGap(const ArgTexts &types) {
  unsigned expected = 1;
  for (const auto &[number, type] : types) {
    if (number != expected)
      return "argument " + std::to_string(expected) +
             " is left out while argument " + std::to_string(number) +
             " is used";
    ++expected;
  }
  return "";
}

} // namespace

CFormatReading ReadCFormat(std::string_view text) {
  CFormatReading r;
  // Room for an argument per '%': tables grown one argument at a time
  // were most of a catalog's check.
  const auto percents =
      static_cast<std::size_t>(std::count(text.begin(), text.end(), '%'));
  r.args.reserve(percents);
  r.types.reserve(percents);
  CFormatScan scan(text, r);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%')
      continue;
    const std::size_t start = i++;
    if (i < text.size() && text[i] == '%')
      continue;
    if (!scan.Directive(start, i))
      return r;
  }
  if (scan.Mixed()) {
    r.problem = "numbered and unnumbered arguments are mixed";
    return r;
  }
  r.problem = ArgumentGap(r.types);
  if (!r.problem.empty())
    return r;
  r.ok = true;
  return r;
}

namespace {

/// The conversions of \p text as written, each from its '%' to its letter
/// ("%%" left out), as far as they are valid. A reading depends on these
/// alone, so a translation that writes its source's conversions in the
/// same order reads the same, which is what most translations do.
void Conversions(std::string_view text, std::vector<std::string_view> &out) {
  static constexpr std::string_view kLetters = "diouxXeEfFgGaAcCsSpnm";
  for (std::size_t i = text.find('%'); i != std::string_view::npos;
       i = text.find('%', i + 1)) {
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
      continue;
    }
    const std::size_t open = text.find_first_of('<', i + 1);
    std::size_t end = text.find_first_of(kLetters, i + 1);
    // A macro's name holds letters; it ends at its '>'.
    if (open != std::string_view::npos && open < end)
      end = text.find('>', open);
    out.push_back(text.substr(i, end == std::string_view::npos
                                     ? std::string_view::npos
                                     : end + 1 - i));
    if (end == std::string_view::npos)
      return;
    i = end;
  }
}

/// Whether \p target has exactly the conversions \p source lists.
bool SameConversions(const std::vector<std::string_view> &source,
                     std::string_view target) {
  std::vector<std::string_view> own;
  own.reserve(source.size());
  Conversions(target, own);
  return own == source;
}

// \p s is the source's reading, made once for all of a message's forms.
void CompareC(const std::string &sourceName, const CFormatReading &s,
              const std::string &targetName, std::string_view target,
              bool mayDrop, std::vector<std::string> &out) {
  if (!s.ok)
    return; // a msgid that is no format gives nothing to compare with
  const CFormatReading t = ReadCFormat(target);
  if (!t.ok) {
    out.push_back("'" + targetName + "' is not a valid C format string, " +
                  "unlike '" + sourceName + "': " + t.problem);
    return;
  }
  for (const auto &[number, type] : s.types) {
    auto other = t.types.find(number);
    if (other == t.types.end()) {
      if (!mayDrop)
        out.push_back("'" + targetName + "' has no conversion for argument " +
                      std::to_string(number) + " ('" + s.args.at(number) +
                      "' in '" + sourceName + "')");
    } else if (other->second != type) {
      out.push_back("argument " + std::to_string(number) + " is '" +
                    s.args.at(number) + "' in '" + sourceName + "' but '" +
                    t.args.at(number) + "' in '" + targetName + "'");
    }
  }
  for (const auto &[number, type] : t.types)
    if (!s.types.count(number))
      out.push_back("'" + targetName + "' has '" + t.args.at(number) +
                    "' for argument " + std::to_string(number) + ", which '" +
                    sourceName + "' does not take");
}

void CompareMessage(const std::string &sourceName, std::string_view source,
                    const std::string &targetName, std::string_view target,
                    bool mayDrop, std::vector<std::string> &out) {
  const std::optional<std::u16string> s16 = Utf8ToUtf16(source);
  const std::optional<std::u16string> t16 = Utf8ToUtf16(target);
  if (!s16 || !t16)
    return;
  const MessageReading s = ReadAsMessage(*s16), t = ReadAsMessage(*t16);
  if (!s.ok)
    return;
  if (!t.ok) {
    out.push_back("'" + targetName + "' is not a valid message, unlike '" +
                  sourceName + "': " + t.problem);
    return;
  }
  std::map<uint32_t, const MessageInsert *> ss, ts;
  for (const MessageInsert &in : s.inserts)
    ss.emplace(in.field, &in);
  for (const MessageInsert &in : t.inserts)
    ts.emplace(in.field, &in);
  for (const auto &[field, insert] : ss) {
    auto other = ts.find(field);
    if (other == ts.end()) {
      if (!mayDrop)
        out.push_back("'" + targetName + "' has no insert " +
                      InsertText(*insert) + " of '" + sourceName + "'");
    } else if (other->second->type != insert->type) {
      out.push_back("insert " + std::to_string(field) + " is " +
                    InsertText(*insert) + " in '" + sourceName + "' but " +
                    InsertText(*other->second) + " in '" + targetName + "'");
    }
  }
  for (const auto &[field, insert] : ts)
    if (!ss.count(field))
      out.push_back("'" + targetName + "' has the insert " +
                    InsertText(*insert) + ", which '" + sourceName +
                    "' does not take");
}

/// msgfmt's check that a translation keeps its source's line feeds at
/// either end: a program that prints the msgid's lines relies on them.
void CompareNewlines(const std::string &sourceName, std::string_view source,
                     const std::string &targetName, std::string_view target,
                     std::vector<std::string> &out) {
  auto begins = [](std::string_view s) {
    return !s.empty() && s.front() == '\n';
  };
  auto ends = [](std::string_view s) { return !s.empty() && s.back() == '\n'; };
  if (begins(source) != begins(target))
    out.push_back("'" + sourceName + "' and '" + targetName +
                  "' do not both begin with '\\n'");
  if (ends(source) != ends(target))
    out.push_back("'" + sourceName + "' and '" + targetName +
                  "' do not both end with '\\n'");
}

} // namespace

std::vector<std::string> CheckPoMessage(const PoMessageText &m,
                                        const std::vector<bool> &many) {
  std::vector<std::string> out;
  bool translated = false;
  for (const std::string &s : m.msgstr)
    translated = translated || !s.empty();
  if (!translated)
    return out;
  const bool plural = m.msgidPlural.has_value();
  if (plural)
    CompareNewlines("msgid", m.msgid, "msgid_plural", *m.msgidPlural, out);
  // msgfmt reads a possible C format as it reads a C format.
  const bool cFormat = m.kind == TextKind::Printf || m.possibleCFormat;
  // The source is read only for a form whose conversions differ from
  // its own: where none does, its reading finds nothing, valid or not.
  std::optional<CFormatReading> sourceFormat;
  std::vector<std::string_view> sourceConversions;
  if (cFormat)
    Conversions(plural ? *m.msgidPlural : m.msgid, sourceConversions);
  for (std::size_t i = 0; i < m.msgstr.size(); ++i) {
    const std::string targetName =
        plural ? "msgstr[" + std::to_string(i) + "]" : "msgstr";
    if (m.msgstr[i].empty()) {
      // The numbers this form stands for would show nothing.
      out.push_back("'" + targetName + "' is empty while other forms are not");
      continue;
    }
    // Every form says what msgid_plural says, for its own numbers.
    const std::string sourceName = plural ? "msgid_plural" : "msgid";
    const std::string &source = plural ? *m.msgidPlural : m.msgid;
    CompareNewlines(sourceName, source, targetName, m.msgstr[i], out);
    // A form for a few numbers ("one file") may leave the count out; a
    // form for many may not, nor the only form there is.
    const bool mayDrop =
        plural && m.msgstr.size() > 1 && i < many.size() && !many[i];
    if (cFormat) {
      if (SameConversions(sourceConversions, m.msgstr[i]))
        continue;
      if (!sourceFormat)
        sourceFormat = ReadCFormat(source);
      CompareC(sourceName, *sourceFormat, targetName, m.msgstr[i], mayDrop,
               out);
    } else if (m.kind == TextKind::Message)
      CompareMessage(sourceName, source, targetName, m.msgstr[i], mayDrop, out);
  }
  return out;
}

} // namespace phrasor::tool
