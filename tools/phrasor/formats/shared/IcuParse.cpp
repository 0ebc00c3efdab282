//===- IcuParse.cpp - An ICU MessageFormat text as a tree -----------------===//

#include "tools/phrasor/formats/shared/IcuParse.h"

#include <algorithm>
#include <array>

namespace phrasor::tool::icu {
namespace {

/// Deeper nesting than any real text has; a fuzzed one would otherwise
/// exhaust the stack.
constexpr int kMaxDepth = 32;

constexpr std::array<std::string_view, 6> kCategories = {
    "zero", "one", "two", "few", "many", "other"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool HasPluralStyle(NodeKind parent) {
  return parent == NodeKind::Plural || parent == NodeKind::Ordinal;
}

/// A whole number without leading zeros, as exact matches are stored.
bool IsExactNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 9 ||
      (digits[0] == '0' && digits.size() > 1))
    return false;
  return std::all_of(digits.begin(), digits.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

bool IsSelectWord(std::string_view key) {
  return !key.empty() && key.size() <= 64 &&
         std::all_of(key.begin(), key.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
         });
}

class Parser {
public:
  Parser(std::string_view text, IcuError &error) : in(text), err(error) {}

  std::optional<Message> Run() {
    Message m;
    if (!ReadMessage(m, NodeKind::Text, 0))
      return std::nullopt;
    return m;
  }

private:
  bool Fail(std::size_t at, std::string message) {
    err.offset = at;
    err.message = std::move(message);
    return false;
  }

  void SkipSpace() {
    while (pos < in.size() && IsSpace(in[pos]))
      ++pos;
  }

  std::string_view Word() {
    const std::size_t start = pos;
    while (pos < in.size() && IsNameChar(in[pos]))
      ++pos;
    return in.substr(start, pos - start);
  }

  void AddText(Message &m, std::string_view text, std::size_t at) {
    if (m.empty() || m.back().kind != NodeKind::Text)
      m.push_back(Node{NodeKind::Text, std::string(), at, {}});
    m.back().text += text;
  }

  /// After an apostrophe that quotes: up to the next lone apostrophe, or
  /// the end of the text, which ICU accepts as closing it.
  void ReadQuoted(Message &m) {
    const std::size_t at = pos;
    std::string quoted;
    while (pos < in.size()) {
      if (in[pos] == '\'') {
        if (pos + 1 < in.size() && in[pos + 1] == '\'') {
          quoted += '\'';
          pos += 2;
          continue;
        }
        ++pos;
        break;
      }
      quoted += in[pos++];
    }
    AddText(m, quoted, at);
  }

  void ReadApostrophe(Message &m, NodeKind parent) {
    const std::size_t at = pos++;
    const char next = pos < in.size() ? in[pos] : '\0';
    if (next == '\'') {
      ++pos;
      AddText(m, "'", at);
    } else if (next == '{' || next == '}' ||
               (next == '#' && HasPluralStyle(parent))) {
      ReadQuoted(m);
    } else {
      AddText(m, "'", at);
    }
  }

  /// Reads up to the '}' closing this form (left unread) or the end.
  bool ReadMessage(Message &m, NodeKind parent, int depth) {
    while (pos < in.size()) {
      const char c = in[pos];
      if (c == '\'') {
        ReadApostrophe(m, parent);
      } else if (c == '{') {
        if (!ReadArgument(m, depth))
          return false;
      } else if (c == '}') {
        if (depth == 0)
          return Fail(pos, "'}' closes nothing");
        return true;
      } else if (c == '#' && HasPluralStyle(parent)) {
        m.push_back(Node{NodeKind::Pound, std::string(), pos++, {}});
      } else {
        AddText(m, in.substr(pos, 1), pos);
        ++pos;
      }
    }
    if (depth > 0)
      return Fail(pos, "the text ends inside a form; a '}' is missing");
    return true;
  }

  bool ReadArgument(Message &m, int depth) {
    const std::size_t open = pos++;
    if (depth >= kMaxDepth)
      return Fail(open, "arguments are nested too deeply");
    SkipSpace();
    const std::size_t nameAt = pos;
    const std::string name(Word());
    if (name.empty())
      return Fail(nameAt, "expected an argument name");
    SkipSpace();
    if (pos < in.size() && in[pos] == '}') {
      ++pos;
      m.push_back(Node{NodeKind::Arg, name, open, {}});
      return true;
    }
    if (pos >= in.size() || in[pos] != ',')
      return Fail(pos, "expected ',' or '}' after the argument name");
    ++pos;
    SkipSpace();
    const std::size_t typeAt = pos;
    const std::string type(Word());
    SkipSpace();
    Node node{NodeKind::Arg, name, open, {}};
    if (type == "number")
      return ReadNumber(m, node);
    if (type == "plural" || type == "selectordinal" || type == "select") {
      node.kind = type == "plural"          ? NodeKind::Plural
                  : type == "selectordinal" ? NodeKind::Ordinal
                                            : NodeKind::Select;
      if (pos >= in.size() || in[pos] != ',')
        return Fail(pos, "expected ',' and the forms of the " + type);
      ++pos;
      if (!ReadChoices(node, depth))
        return false;
      m.push_back(std::move(node));
      return true;
    }
    if (type == "date" || type == "time")
      return Fail(typeAt, "dates and times are not supported: pass the text "
                          "the program has written as a plain argument");
    if (type.empty())
      return Fail(typeAt, "expected an argument type");
    return Fail(typeAt, "the argument type '" + type + "' is not supported");
  }

  bool ReadNumber(Message &m, Node &node) {
    node.kind = NodeKind::Number;
    if (pos < in.size() && in[pos] == ',') {
      ++pos;
      SkipSpace();
      const std::size_t styleAt = pos;
      const std::string style(Word());
      SkipSpace();
      if (style != "integer")
        return Fail(styleAt, "only the number styles none and integer are "
                             "supported (no skeletons, currency or percent)");
    }
    if (pos >= in.size() || in[pos] != '}')
      return Fail(pos, "expected '}' after the number argument");
    ++pos;
    m.push_back(std::move(node));
    return true;
  }

  /// A form's key: "=N" or a word, checked for the kind of choice.
  bool ReadKey(const Node &node, std::string &key) {
    const std::size_t at = pos;
    if (in[pos] == '=') {
      ++pos;
      key = "=" + std::string(Word());
      if (node.kind == NodeKind::Select || !IsExactNumber(key.substr(1)))
        return Fail(at, "expected a whole number without leading zeros "
                        "after '=' in a plural");
      return true;
    }
    key = Word();
    if (key == "offset" && pos < in.size() && in[pos] == ':')
      return Fail(at, "'offset:' is not supported: write the forms for the "
                      "exact counts (=1) and show the count itself");
    if (node.kind == NodeKind::Select) {
      if (!IsSelectWord(key))
        return Fail(at, "a select's key is lowercase ASCII letters, digits "
                        "and '_', at most 64 of them");
    } else if (std::find(kCategories.begin(), kCategories.end(), key) ==
               kCategories.end()) {
      return Fail(at, key.empty() ? std::string("expected a form's key")
                                  : "'" + key + "' is no plural category");
    }
    return true;
  }

  bool ReadChoices(Node &node, int depth) {
    while (true) {
      SkipSpace();
      if (pos >= in.size())
        return Fail(pos, "the text ends inside the argument; a '}' is "
                         "missing");
      if (in[pos] == '}')
        break;
      const std::size_t keyAt = pos;
      Branch b;
      if (!ReadKey(node, b.key))
        return false;
      for (const Branch &other : node.branches)
        if (other.key == b.key)
          return Fail(keyAt, "the form '" + b.key + "' is given twice");
      SkipSpace();
      if (pos >= in.size() || in[pos] != '{')
        return Fail(pos,
                    "expected '{' and the text of the form '" + b.key + "'");
      ++pos;
      if (!ReadMessage(b.message, node.kind, depth + 1))
        return false;
      ++pos; // the form's '}'
      node.branches.push_back(std::move(b));
    }
    const bool hasOther =
        std::any_of(node.branches.begin(), node.branches.end(),
                    [](const Branch &b) { return b.key == "other"; });
    if (!hasOther)
      return Fail(pos, "the argument '" + node.text +
                           "' has no 'other' form, which ICU requires");
    ++pos; // the argument's '}'
    return true;
  }

  std::string_view in;
  IcuError &err;
  std::size_t pos = 0;
};

} // namespace

std::optional<Message> Parse(std::string_view text, IcuError &error) {
  return Parser(text, error).Run();
}

} // namespace phrasor::tool::icu
