//===- AppleStrings.cpp - Apple .strings files in and out -----------------===//
//
// A .strings file is a list of "key" = "value"; pairs in the old plist
// syntax, with C comments between them. The comments before a pair are its
// translator's note, apart from the tool's own phr:kind= and phr:locale=
// comments. Files are UTF-8 or
// UTF-16 with a byte order mark; the writer writes UTF-8, which every
// Apple tool reads.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/apple/Apple.h"

#include "phrasor/Key.h"
#include "tools/phrasor/KindNames.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/apple/AppleText.h"

#include <algorithm>
#include <filesystem>

namespace phrasor::tool {
namespace {

bool IsBareChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '$' ||
         c == ':' || c == '/' || c == '-';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

class StringsParser {
public:
  StringsParser(const std::string &path, std::string_view buffer,
                Diagnostics &diagnostics, std::vector<SourceEntry> &entries)
      : file(path), text(buffer), diag(diagnostics), out(entries) {}

  void Read();

private:
  SourcePos Here() const { return {file, line}; }
  bool Fail(const std::string &message) {
    diag.Error(Here(), message);
    return false;
  }
  char Next() {
    const char c = text[at++];
    line += c == '\n';
    return c;
  }
  bool SkipSpaceAndComments();
  void AddNote(std::string_view body);
  bool Token(std::string &token);
  bool Quoted(std::string &token);
  bool Escape(std::string &token);
  bool UnitEscape(std::string &token, int digits);
  bool Pair();

  const std::string &file;
  std::string_view text;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  std::size_t at = 0, line = 1;
  std::string kindSaid;     ///< from a phr:kind= comment before the pair
  std::string noteSaid;     ///< the other comments before it, joined
  char16_t pendingHigh = 0; ///< a \U high surrogate awaiting its low one
};

void StringsParser::AddNote(std::string_view body) {
  const std::size_t first = body.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos)
    return;
  const std::size_t last = body.find_last_not_of(" \t\r\n");
  if (!noteSaid.empty())
    noteSaid += '\n';
  noteSaid += body.substr(first, last - first + 1);
}

bool StringsParser::SkipSpaceAndComments() {
  while (at < text.size()) {
    const char c = text[at];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      Next();
    } else if (text.substr(at, 2) == "//") {
      const std::size_t end = text.find('\n', at);
      const std::string_view body = text.substr(at + 2, end - at - 2);
      if (!KindInComment(body).empty())
        kindSaid = KindInComment(body);
      else
        AddNote(body);
      at = end == std::string_view::npos ? text.size() : end;
    } else if (text.substr(at, 2) == "/*") {
      const std::size_t end = text.find("*/", at + 2);
      if (end == std::string_view::npos)
        return Fail("a comment begun with /* has no */");
      const std::string_view body = text.substr(at + 2, end - at - 2);
      if (!KindInComment(body).empty())
        kindSaid = KindInComment(body);
      else if (std::string_view l = LocaleInComment(body); !l.empty())
        AddEntry(Here(), kLocaleId, std::string(l), std::nullopt, diag, out);
      else
        AddNote(body);
      while (at < end + 2)
        Next();
    } else {
      return true;
    }
  }
  return true;
}

bool StringsParser::UnitEscape(std::string &token, int digits) {
  unsigned unit = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = at < text.size() ? HexDigit(text[at]) : -1;
    if (d < 0)
      return Fail("\\U must be followed by four hexadecimal digits");
    unit = unit * 16 + static_cast<unsigned>(d);
    ++at;
  }
  const bool high = unit >= 0xD800 && unit < 0xDC00;
  const bool low = unit >= 0xDC00 && unit < 0xE000;
  if (pendingHigh && !low)
    return Fail("\\U escapes a high surrogate without its low one");
  if (low && !pendingHigh)
    return Fail("\\U escapes a low surrogate without its high one");
  if (high) {
    pendingHigh = static_cast<char16_t>(unit);
    return true;
  }
  char32_t c = unit;
  if (low)
    c = 0x10000 + ((pendingHigh - 0xD800u) << 10) + (unit - 0xDC00u);
  pendingHigh = 0;
  AppendUtf8(token, c);
  return true;
}

bool StringsParser::Escape(std::string &token) {
  if (at >= text.size())
    return Fail("a string has no closing quote");
  const char c = Next();
  if (pendingHigh && c != 'U' && c != 'u')
    return Fail("\\U escapes a high surrogate without its low one");
  switch (c) {
  case 'n':
    token += '\n';
    return true;
  case 't':
    token += '\t';
    return true;
  case 'r':
    token += '\r';
    return true;
  case 'a':
    token += '\a';
    return true;
  case 'b':
    token += '\b';
    return true;
  case 'f':
    token += '\f';
    return true;
  case 'v':
    token += '\v';
    return true;
  case 'U':
  case 'u':
    return UnitEscape(token, 4);
  default:
    break;
  }
  if (c >= '0' && c <= '7') {
    unsigned value = static_cast<unsigned>(c - '0');
    for (int i = 0;
         i < 2 && at < text.size() && text[at] >= '0' && text[at] <= '7'; ++i)
      value = value * 8 + static_cast<unsigned>(Next() - '0');
    AppendUtf8(token, value);
    return true;
  }
  token += c; // \" \\ \' and any other character stand for themselves
  return true;
}

bool StringsParser::Quoted(std::string &token) {
  const std::size_t startLine = line;
  Next();
  while (at < text.size()) {
    const char c = Next();
    if (c == '\\') {
      if (!Escape(token))
        return false;
      continue;
    }
    if (pendingHigh)
      return Fail("\\U escapes a high surrogate without its low one");
    if (c == '"')
      return true;
    token += c;
  }
  line = startLine;
  return Fail("a string has no closing quote");
}

bool StringsParser::Token(std::string &token) {
  token.clear();
  if (at < text.size() && text[at] == '"')
    return Quoted(token);
  while (at < text.size() && IsBareChar(text[at]))
    token += Next();
  if (token.empty())
    return Fail(at < text.size()
                    ? "expected a quoted string, not '" +
                          std::string(1, text[at]) + "'"
                    : "expected a quoted string at the end of the file");
  return true;
}

bool StringsParser::Pair() {
  const SourcePos pos = Here();
  std::string key, value;
  if (!Token(key) || !SkipSpaceAndComments())
    return false;
  if (at < text.size() && text[at] == ';') {
    value = key; // "key"; alone stands for "key" = "key";
  } else {
    if (at >= text.size() || text[at] != '=')
      return Fail("expected '=' after the key \"" + key + "\"");
    Next();
    if (!SkipSpaceAndComments() || !Token(value) || !SkipSpaceAndComments())
      return false;
  }
  if (at >= text.size() || text[at] != ';')
    return Fail("expected ';' after the value of \"" + key + "\"");
  Next();
  AppleRead read = ReadAppleFormat(std::move(value));
  std::string said, note;
  said.swap(kindSaid);
  note.swap(noteSaid);
  if (!read.problem.empty()) {
    diag.Error(pos, "'" + key + "': " + read.problem);
    return true;
  }
  std::optional<TextKind> kind = read.kind;
  if (!said.empty())
    kind = ReadKindName(pos, said, diag);
  // Keys are often the development language's text itself, as Swift's
  // String(localized:) makes them: spaces, punctuation and all.
  const std::size_t before = out.size();
  AddEntry(pos, key, read.text, std::nullopt, diag, out, kind,
           IdOrigin::SourceText);
  if (!note.empty() && out.size() > before)
    out.back().note = std::move(note);
  return true;
}

void StringsParser::Read() {
  while (SkipSpaceAndComments() && at < text.size())
    if (!Pair())
      return; // no later line can be trusted to start a pair
}

/// \p s quoted as a .strings file spells it.
void AppendQuoted(std::string &out, std::string_view s) {
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      if (c < 0x20 || c == 0x7F) {
        static const char hex[] = "0123456789ABCDEF";
        out += "\\U00";
        out += hex[c >> 4];
        out += hex[c & 15];
      } else {
        out += static_cast<char>(c);
      }
    }
  }
  out += '"';
}

} // namespace

void ReadAppleStrings(const std::string &file, std::string_view text,
                      const InputOptions &, Diagnostics &diag,
                      std::vector<SourceEntry> &out) {
  Utf8Input decoded;
  if (!ReadAsUtf8(file, text, decoded, diag))
    return;
  const std::size_t before = out.size();
  StringsParser(file, decoded.text, diag, out).Read();
  const bool saysLocale =
      std::any_of(out.begin() + static_cast<std::ptrdiff_t>(before), out.end(),
                  [](const SourceEntry &s) { return s.entry.id == kLocaleId; });
  const std::string folder = LprojLocale(
      std::filesystem::path(file).parent_path().filename().string());
  if (!saysLocale && !folder.empty())
    AddEntry(SourcePos{file, 0}, kLocaleId, folder, std::nullopt, diag, out);
}

std::string WriteAppleStrings(const DumpSide &target, const DumpSide &,
                              const std::string &where, Diagnostics &diag) {
  std::string out;
  if (target.meta->locale)
    out += "/* phr:locale=" + *target.meta->locale + " */\n";
  for (const TextEntry &e :
       ToText(*target.entries, *target.meta, where, diag)) {
    const AppleWritten w = WriteAppleFormat(e);
    if (e.note) {
      // A comment cannot hold its own end.
      std::string note = *e.note;
      for (std::size_t i = note.find("*/"); i != std::string::npos;
           i = note.find("*/", i))
        note.replace(i, 2, "* /");
      out += "/* " + note + " */\n";
    }
    if (!w.sayKind.empty())
      out += "/* phr:kind=" + w.sayKind + " */\n";
    AppendQuoted(out, e.id);
    out += " = ";
    AppendQuoted(out, w.text);
    out += ";\n";
  }
  return out;
}

} // namespace phrasor::tool
