//===- PoScan.cpp - Where PO messages begin, read from the text -----------===//

#include "tools/phrasor/formats/po/PoScan.h"

#include "tools/phrasor/Utf.h"

#include <cctype>

namespace phrasor::tool {
namespace {

/// True when the string literals on \p line hold a NUL character, raw or
/// written as an escape (\0, \000, \x00): the library cuts the text there.
bool HasNul(std::string_view line) {
  if (line.find('\0') != std::string_view::npos)
    return true;
  if (line.find('\\') == std::string_view::npos)
    return false; // no escape, so no escaped NUL; most lines end here
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (!quoted) {
      if (line[i] == '#')
        return false;
      quoted = line[i] == '"';
      continue;
    }
    if (line[i] == '"') {
      quoted = false;
    } else if (line[i] == '\\' && i + 1 < line.size()) {
      const char kind = line[++i];
      std::string_view digits =
          kind == 'x' ? "0123456789abcdefABCDEF" : "01234567";
      std::size_t from = kind == 'x' ? i + 1 : i, to = from;
      while (to < line.size() && (kind == 'x' || to - from < 3) &&
             digits.find(line[to]) != std::string_view::npos)
        ++to;
      if (to > from && line.substr(from, to - from).find_first_not_of('0') ==
                           std::string_view::npos)
        return true;
      if (to > from)
        i = to - 1;
    }
  }
  return false;
}

/// True when \p l begins with the keyword \p k, ended as the library's
/// lexer ends a word: by a character that cannot continue it, so that
/// msgid"x" is a msgid.
bool StartsWithWord(std::string_view l, std::string_view k) {
  if (l.substr(0, k.size()) != k)
    return false;
  if (l.size() == k.size())
    return true;
  const char next = l[k.size()];
  return !std::isalnum(static_cast<unsigned char>(next)) && next != '_';
}

/// Appends the flags of a "#," line (\p rest is what follows "#,").
void AddFlags(std::string_view rest, std::vector<std::string> &flags) {
  while (!rest.empty()) {
    std::size_t comma = rest.find(',');
    std::string flag = Trimmed(rest.substr(0, comma));
    if (!flag.empty())
      flags.push_back(std::move(flag));
    rest = comma == std::string_view::npos ? "" : rest.substr(comma + 1);
  }
}

enum class ObsoleteLine { Context, Id, Other };

/// What a "#~" line (\p o is what follows "#~") begins. "#~|" lines are
/// the previous msgid of a fuzzy obsolete message, so they are Other.
ObsoleteLine ReadObsoleteLine(std::string_view o) {
  const std::size_t ob = o.find_first_not_of(" \t");
  o = ob == std::string_view::npos ? "" : o.substr(ob);
  if (o.substr(0, 7) == "msgctxt")
    return ObsoleteLine::Context;
  if (o.substr(0, 5) == "msgid" &&
      (o.size() == 5 || o[5] == ' ' || o[5] == '\t' || o[5] == '"'))
    return ObsoleteLine::Id;
  return ObsoleteLine::Other;
}

} // namespace

// libgettextpo does not say where a message stands in the file, nor hand
// out the flags it does not act on (no-c-format, phrasor-message), so both
// are found here, in file order, the way its lexer finds keywords: a word
// ends at the first character that cannot continue it, so msgid"x" is a
// msgid. A message begins at its msgctxt, or at a msgid that follows no
// msgctxt, and takes the "#," lines above it. Obsolete "#~" entries are
// passed over, as the library's list of live messages passes them over.
// ReadPo checks the result against the library's messages before using it.
PoScan ScanPo(std::string_view text) {
  PoScan scan;
  std::vector<MessageStart> *messages = &scan.domains["messages"];
  std::vector<std::size_t> *obsolete = &scan.obsolete["messages"];
  std::vector<std::string> flags;
  bool afterContext = false, obsoleteAfterContext = false;
  std::size_t line = 1;
  for (std::size_t pos = 0; pos < text.size(); ++line) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view l = text.substr(pos, end - pos);
    pos = end + 1;
    if (HasNul(l))
      scan.nulLines.push_back(line);
    std::size_t b = l.find_first_not_of(" \t\r\f\v");
    if (b != std::string_view::npos)
      l.remove_prefix(b);
    auto keyword = [&](std::string_view k) { return StartsWithWord(l, k); };
    if (l.substr(0, 2) == "#,") {
      AddFlags(l.substr(2), flags);
    } else if (l.substr(0, 2) == "#~") {
      flags.clear();
      const ObsoleteLine o = ReadObsoleteLine(l.substr(2));
      if (o != ObsoleteLine::Other) {
        const bool context = o == ObsoleteLine::Context;
        if (context || !obsoleteAfterContext)
          obsolete->push_back(line);
        obsoleteAfterContext = context;
      }
    } else if (keyword("domain")) {
      const std::size_t open = l.find('"');
      const std::size_t close = l.find('"', open + 1);
      if (open != std::string_view::npos && close != std::string_view::npos) {
        const std::string name(l.substr(open + 1, close - open - 1));
        messages = &scan.domains[name];
        obsolete = &scan.obsolete[name];
      }
      flags.clear();
    } else if (keyword("msgctxt")) {
      messages->push_back({line, true, std::move(flags)});
      flags.clear();
      afterContext = true;
    } else if (keyword("msgid")) {
      if (!afterContext) {
        messages->push_back({line, false, std::move(flags)});
        flags.clear();
      }
      afterContext = false;
    } else if (keyword("msgstr") || l.substr(0, 7) == "msgstr[") {
      afterContext = false;
      ++scan.forms;
    }
  }
  return scan;
}

} // namespace phrasor::tool
