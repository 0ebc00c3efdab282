//===- AndroidText.cpp - The text of an Android string resource -----------===//

#include "tools/phrasor/formats/android/AndroidText.h"

#include "tools/phrasor/formats/shared/Xml.h"

#include <utf8.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

namespace phrasor::tool {
namespace {

constexpr const char *kXliffNamespace = "urn:oasis:names:tc:xliff:document:1.2";

/// A stretch of an element's content: text as XML gives it, or markup that
/// stays in the text as it is written here.
struct Piece {
  std::string text;
  bool markup = false;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

// <xliff:g> marks a span translators must keep; Android shows its content
// without it. Its prefix is whatever the file declares for the namespace.
bool IsXliffSpan(const pugi::xml_node &node) {
  const std::string_view name = node.name();
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos || name.substr(colon + 1) != "g")
    return false;
  const std::string declaration = "xmlns:" + std::string(name.substr(0, colon));
  for (pugi::xml_node n = node; n; n = n.parent())
    if (pugi::xml_attribute a = n.attribute(declaration.c_str()))
      return std::strcmp(a.value(), kXliffNamespace) == 0;
  return false;
}

std::string StartTag(const pugi::xml_node &node, bool empty) {
  std::string tag = "<" + std::string(node.name());
  for (pugi::xml_attribute a : node.attributes())
    AppendXmlAttribute(tag, a.name(), a.value());
  return tag + (empty ? "/>" : ">");
}

bool Collect(const pugi::xml_node &node, int depth, int maxDepth,
             std::vector<Piece> &out, std::string &problem) {
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
      out.push_back({c.value(), false});
      continue;
    }
    if (c.type() != pugi::node_element)
      continue; // comments and processing instructions are no text
    if (depth >= maxDepth) {
      problem =
          "markup nested deeper than " + std::to_string(maxDepth) + " levels";
      return false;
    }
    if (IsXliffSpan(c)) {
      if (!Collect(c, depth + 1, maxDepth, out, problem))
        return false;
      continue;
    }
    const bool empty = !c.first_child();
    out.push_back({StartTag(c, empty), true});
    if (empty)
      continue;
    if (!Collect(c, depth + 1, maxDepth, out, problem))
      return false;
    out.push_back({"</" + std::string(c.name()) + ">", true});
  }
  return true;
}

/// Reads \p hex, four hex digits, as a code unit; -1 when they are not.
long HexUnit(std::string_view s, std::size_t at) {
  if (at + 4 > s.size())
    return -1;
  long unit = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const char c = s[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0)
      return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

/// Reads the \u escape whose 'u' is at \p i (a surrogate pair as two
/// escapes) into \p out; advances \p i to its last digit. False when it is
/// no escape of a character.
bool UnicodeEscape(std::string_view s, std::size_t &i, std::string &out) {
  long unit = HexUnit(s, i + 1);
  if (unit < 0)
    return false;
  i += 4;
  if (unit >= 0xDC00 && unit <= 0xDFFF)
    return false;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    const long low = s.substr(i + 1, 2) == "\\u" ? HexUnit(s, i + 3) : -1;
    if (low < 0xDC00 || low > 0xDFFF)
      return false;
    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    i += 6;
  }
  utf8::append(static_cast<char32_t>(unit), std::back_inserter(out));
  return true;
}

/// Android's reading of the pieces: see the file comment of the header.
class TextReader {
public:
  bool Markup(const std::string &tag) {
    Flush();
    result.text += tag;
    begun = true;
    return true;
  }

  bool Text(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '\\') {
        if (!Escape(s, i))
          return false;
      } else if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && c == '\'') {
        return Fail("unescaped apostrophe: write \\' or put the text in "
                    "double quotes");
      } else if (!quoted && IsSpace(c)) {
        pendingSpace = begun;
      } else if (!begun && !quoted && (c == '@' || c == '?')) {
        return Fail(std::string("a text beginning with '") + c +
                    "' names another resource, which a database cannot "
                    "follow; write \\" +
                    c + " for the character itself");
      } else {
        Flush();
        result.text += c;
        begun = true;
      }
    }
    return true;
  }

  AndroidText result;

private:
  bool Escape(std::string_view s, std::size_t &i) {
    if (i + 1 >= s.size())
      return Fail("a backslash ends the text: write \\\\ for one");
    const char e = s[++i];
    Flush();
    begun = true;
    if (e == 'n')
      result.text += '\n';
    else if (e == 't')
      result.text += '\t';
    else if (e == 'u' && !UnicodeEscape(s, i, result.text))
      return Fail("\\u must be followed by four hex digits of a character");
    else if (e != 'u')
      result.text += e;
    return true;
  }

  void Flush() {
    if (pendingSpace)
      result.text += ' ';
    pendingSpace = false;
  }

  bool Fail(std::string why) {
    result.problem = std::move(why);
    return false;
  }

  bool quoted = false, pendingSpace = false, begun = false;
};

AndroidText Read(const std::vector<Piece> &pieces) {
  TextReader reader;
  for (const Piece &p : pieces)
    if (!(p.markup ? reader.Markup(p.text) : reader.Text(p.text)))
      break;
  return std::move(reader.result);
}

/// Escapes text so that Android's reading gives it back: every space that
/// reading would trim or fold is \u0020, and nothing is quoted.
class TextWriter {
public:
  void Markup(const std::string &tag) {
    out += tag;
    atStart = false;
    rawSpace = false;
  }

  void Text(std::string_view s, bool lastPiece) {
    auto it = s.begin();
    while (it != s.end()) {
      const char32_t c = utf8::unchecked::next(it);
      Character(c, lastPiece && it == s.end());
    }
  }

  std::string out;

private:
  void Character(char32_t c, bool last) {
    const bool space = c == ' ' && !atStart && !last && !rawSpace;
    rawSpace = space;
    switch (c) {
    case '\\':
      out += "\\\\";
      break;
    case '"':
      out += "\\\"";
      break;
    case '\'':
      out += "\\'";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if ((c == '@' || c == '?') && atStart) {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c == ' ' ? !space : (c < 0x20 || !IsXmlChar(c))) {
        // A CR too: XML would carry it, but Android folds it as white
        // space.
        char hex[16];
        std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
        out += hex;
      } else if (const char *reference = XmlEscape(c, false)) {
        out += reference;
      } else {
        utf8::append(c, std::back_inserter(out));
      }
    }
    atStart = false;
  }

  bool atStart = true, rawSpace = false;
};

std::string Escape(const std::vector<Piece> &pieces) {
  TextWriter writer;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].markup)
      writer.Markup(pieces[i].text);
    else
      writer.Text(pieces[i].text, i + 1 == pieces.size());
  }
  return std::move(writer.out);
}

constexpr int kWriteDepth = 64;

bool ReadsBackAs(const std::string &content, std::string_view text) {
  pugi::xml_document doc;
  const std::string element = "<string>" + content + "</string>";
  if (!doc.load_buffer(element.data(), element.size(), kAndroidParse))
    return false;
  const AndroidText back = ReadAndroidText(doc.first_child(), kWriteDepth);
  return back.problem.empty() && back.text == text;
}

/// \p text with its well-formed markup kept as markup; empty when it is
/// not well-formed.
std::string AsMarkup(std::string_view text) {
  pugi::xml_document doc;
  const std::string element = "<r>" + std::string(text) + "</r>";
  if (!doc.load_buffer(element.data(), element.size(), kAndroidParse))
    return {};
  std::vector<Piece> pieces;
  std::string problem;
  if (!Collect(doc.first_child(), 0, kWriteDepth, pieces, problem))
    return {};
  return Escape(pieces);
}

} // namespace

AndroidText ReadAndroidText(const pugi::xml_node &element, int maxDepth) {
  std::vector<Piece> pieces;
  AndroidText failed;
  if (!Collect(element, 0, maxDepth, pieces, failed.problem))
    return failed;
  return Read(pieces);
}

std::string WriteAndroidText(std::string_view text, bool &ok) {
  ok = utf8::is_valid(text.begin(), text.end());
  if (!ok)
    return {};
  if (text.find('<') != std::string_view::npos) {
    std::string markup = AsMarkup(text);
    if (!markup.empty() && ReadsBackAs(markup, text))
      return markup;
  }
  std::string escaped = Escape({Piece{std::string(text), false}});
  ok = ReadsBackAs(escaped, text);
  return ok ? escaped : std::string();
}

bool IsAndroidName(std::string_view name) {
  auto letter = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  };
  if (name.empty() || !letter(name[0]))
    return false;
  for (char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '.')
      return false;
  return true;
}

} // namespace phrasor::tool
