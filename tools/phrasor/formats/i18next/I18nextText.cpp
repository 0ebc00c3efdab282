//===- I18nextText.cpp - i18next interpolation and message inserts --------===//

#include "tools/phrasor/formats/i18next/I18nextText.h"

#include <algorithm>

namespace phrasor::tool {
namespace {

constexpr std::string_view kCountName = "count";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

/// The number a name of digits stands for (1 to 99), else 0.
std::size_t NumberName(std::string_view name) {
  if (name.empty() || name.size() > 2 || name[0] == '0')
    return 0;
  std::size_t n = 0;
  for (char c : name) {
    if (c < '0' || c > '9')
      return 0;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

void AddText(std::vector<I18nextPiece> &pieces, std::string_view text) {
  if (text.empty())
    return;
  if (pieces.empty() || pieces.back().insert)
    pieces.push_back({std::string(), std::string(), false});
  pieces.back().text += text;
}

/// Reads the insert at \p text (just after "{{"), up to \p close.
std::string ReadInsert(std::string_view inner, I18nextPieces &read) {
  const std::string bare = BareI18nextName(inner);
  if (bare.empty())
    return "'{{" + std::string(inner) + "}}' names no value";
  if (bare.find(',') != std::string::npos)
    return "'{{" + std::string(inner) +
           "}}' asks i18next to format the value, which a message insert "
           "does not; pass the formatted text instead";
  read.pieces.push_back({"{{" + std::string(inner) + "}}", bare, true});
  return {};
}

} // namespace

bool I18nextPieces::HasInserts() const {
  return std::any_of(pieces.begin(), pieces.end(),
                     [](const I18nextPiece &p) { return p.insert; });
}

std::string BareI18nextName(std::string_view spelling) {
  std::string_view s = Trim(spelling);
  if (!s.empty() && s.front() == '-')
    s = Trim(s.substr(1));
  return std::string(s);
}

I18nextPieces SplitI18next(std::string_view text) {
  I18nextPieces read;
  if (const std::size_t nest = text.find("$t("); nest != text.npos) {
    read.problem = "'$t(' nests another key, which this tool does not "
                   "resolve: write the text out in full";
    return read;
  }
  std::size_t at = 0;
  for (;;) {
    const std::size_t open = text.find("{{", at);
    const std::size_t close =
        open == text.npos ? text.npos : text.find("}}", open + 2);
    if (close == text.npos) {
      AddText(read.pieces, text.substr(at));
      return read;
    }
    AddText(read.pieces, text.substr(at, open - at));
    read.problem = ReadInsert(text.substr(open + 2, close - open - 2), read);
    if (!read.problem.empty())
      return read;
    at = close + 2;
  }
}

std::vector<std::string> NumberI18nextNames(std::vector<std::string> bare) {
  std::sort(bare.begin(), bare.end());
  bare.erase(std::unique(bare.begin(), bare.end()), bare.end());
  std::vector<std::string> numbered;
  std::vector<std::string> others;
  for (const std::string &name : bare) {
    const std::size_t n = NumberName(name);
    if (n == 0) {
      others.push_back(name);
      continue;
    }
    if (numbered.size() < n)
      numbered.resize(n);
    numbered[n - 1] = name;
  }
  // The count comes last: a plural form for one number may leave it out
  // ("one album"), and a message may only leave out its last inserts.
  const auto count = std::find(others.begin(), others.end(), kCountName);
  if (count != others.end())
    std::rotate(count, count + 1, others.end());
  std::size_t free = 0;
  for (const std::string &name : others) {
    while (free < numbered.size() && !numbered[free].empty())
      ++free;
    if (free == numbered.size())
      numbered.emplace_back();
    numbered[free] = name;
  }
  return numbered;
}

std::string I18nextToMessage(const std::vector<I18nextPiece> &pieces,
                             const std::vector<std::string> &names) {
  std::string out;
  for (const I18nextPiece &p : pieces) {
    if (!p.insert) {
      for (char c : p.text)
        out += c == '%' ? std::string("%%") : std::string(1, c);
      continue;
    }
    const std::size_t n = static_cast<std::size_t>(
        std::find(names.begin(), names.end(), p.name) - names.begin());
    out += "%" + std::to_string(n + 1) + (p.name == kCountName ? "!d!" : "!s!");
  }
  return out;
}

bool MessageToI18next(std::string_view text,
                      const std::vector<std::string> &spelled,
                      std::string &out) {
  out.clear();
  std::string literal;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      literal += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '%') {
      literal += '%';
      ++i;
      continue;
    }
    std::size_t j = i + 1, n = 0;
    while (j < text.size() && j < i + 3 && text[j] >= '0' && text[j] <= '9')
      n = n * 10 + static_cast<std::size_t>(text[j++] - '0');
    if (n == 0 || text.substr(j, 3).size() != 3 || text[j] != '!' ||
        text[j + 2] != '!' || (text[j + 1] != 's' && text[j + 1] != 'd'))
      return false;
    const std::string name = n <= spelled.size() && !spelled[n - 1].empty()
                                 ? spelled[n - 1]
                                 : std::to_string(n);
    if ((BareI18nextName(name) == kCountName) != (text[j + 1] == 'd'))
      return false;
    // Literal text that reads as an insert or a nesting would not come back.
    if (literal.find("{{") != std::string::npos ||
        literal.find("$t(") != std::string::npos)
      return false;
    out += literal + "{{" + name + "}}";
    literal.clear();
    i = j + 2;
  }
  if (literal.find("{{") != std::string::npos ||
      literal.find("$t(") != std::string::npos)
    return false;
  out += literal;
  return true;
}

} // namespace phrasor::tool
