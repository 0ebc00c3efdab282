//===- GettextPlural.cpp - gettext's Plural-Forms expressions -------------===//
//
// The expression, as gettext reads it (C precedence):
//
//   expr    := or [ '?' expr ':' expr ]
//   or      := and { '||' and }
//   and     := eq { '&&' eq }
//   eq      := rel { ('==' | '!=') rel }
//   rel     := add { ('<' | '>' | '<=' | '>=') add }
//   add     := mul { ('+' | '-') mul }
//   mul     := unary { ('*' | '/' | '%') unary }
//   unary   := '!' unary | primary
//   primary := 'n' | decimal | '(' expr ')'
//
//===----------------------------------------------------------------------===//

#include "cpp/GettextPlural.h"

#include "cpp/Plural.h"
#include "phrasor/Selectors.h"

#include <algorithm>

namespace phrasor {

namespace {

enum Op : std::uint8_t {
  Number,
  N,
  Not,
  Mul,
  Div,
  Mod,
  Add,
  Sub,
  Lt,
  Gt,
  Le,
  Ge,
  Eq,
  Ne,
  And,
  Or,
  Cond
};

using Node = GettextPluralForms::Node;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr int kMaxDepth = GettextPluralForms::kMaxDepth;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' ||
                        s.front() == '\n' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' ||
                        s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Binary operators by precedence level, lowest first; each level's
// operands are the next level's. Longer spellings come first, so "<=" is
// never read as "<".
struct Level {
  std::string_view tokens[4];
  Op ops[4];
};
constexpr Level kLevels[] = {
    {{"||"}, {Or}},           {{"&&"}, {And}},
    {{"==", "!="}, {Eq, Ne}}, {{"<=", ">=", "<", ">"}, {Le, Ge, Lt, Gt}},
    {{"+", "-"}, {Add, Sub}}, {{"*", "/", "%"}, {Mul, Div, Mod}},
};
constexpr int kLevelCount = sizeof kLevels / sizeof kLevels[0];

class ExprParser {
public:
  ExprParser(std::string_view source, std::vector<Node> &out)
      : text(source), nodes(out) {}

  std::size_t parse(std::string &problem) {
    std::size_t root = expr();
    skip();
    if (root == kNone || pos != text.size()) {
      problem = error.empty()
                    ? "unexpected '" + std::string(text.substr(pos, 1)) +
                          "' at character " + std::to_string(pos + 1)
                    : error;
      return kNone;
    }
    return root;
  }

private:
  void skip() {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' ||
                                 text[pos] == '\n' || text[pos] == '\r'))
      ++pos;
  }
  bool eat(std::string_view token) {
    skip();
    if (text.substr(pos, token.size()) != token)
      return false;
    pos += token.size();
    return true;
  }
  bool tooDeep(int depth) {
    if (depth <= kMaxDepth)
      return false;
    if (error.empty())
      error = "expression nested too deeply";
    return true;
  }
  /// A node over its operands, one level deeper than the deepest.
  std::size_t make(Op op, std::size_t a, std::size_t b = kNone,
                   std::size_t c = kNone) {
    if (a == kNone || (op != Not && b == kNone) || (op == Cond && c == kNone))
      return kNone;
    int d = depths[a];
    if (b != kNone)
      d = std::max(d, depths[b]);
    if (c != kNone)
      d = std::max(d, depths[c]);
    if (tooDeep(d + 1))
      return kNone;
    Node node;
    node.op = op;
    node.a = static_cast<std::uint16_t>(a);
    node.b = static_cast<std::uint16_t>(b == kNone ? 0 : b);
    node.c = static_cast<std::uint16_t>(c == kNone ? 0 : c);
    return add(node, d + 1);
  }
  std::size_t add(const Node &node, int depth) {
    nodes.push_back(node);
    depths.push_back(depth);
    return nodes.size() - 1;
  }

  // The parser's own recursion follows parentheses, '?' and '!' only, and
  // stops at kMaxDepth of them.
  std::size_t expr() {
    if (tooDeep(++nesting))
      return kNone;
    std::size_t result = binary(0);
    if (result != kNone && eat("?")) {
      std::size_t yes = expr();
      if (yes == kNone || !eat(":")) {
        if (error.empty())
          error = "'?' without ':'";
        result = kNone;
      } else {
        result = make(Cond, result, yes, expr());
      }
    }
    --nesting;
    return result;
  }
  std::size_t binary(int level) {
    if (level == kLevelCount)
      return unary();
    std::size_t left = binary(level + 1);
    while (left != kNone) {
      int found = -1;
      for (int t = 0; t < 4 && found < 0; ++t) {
        std::string_view token = kLevels[level].tokens[t];
        if (!token.empty() && eat(token))
          found = t;
      }
      if (found < 0)
        return left;
      left = make(kLevels[level].ops[found], left, binary(level + 1));
    }
    return left;
  }
  std::size_t unary() {
    skip();
    if (text.substr(pos, 2) != "!=" && eat("!")) {
      if (tooDeep(++nesting))
        return kNone;
      std::size_t result = make(Not, unary());
      --nesting;
      return result;
    }
    return primary();
  }
  std::size_t primary() {
    if (eat("(")) {
      std::size_t inner = expr();
      if (inner != kNone && !eat(")")) {
        error = "'(' without ')'";
        return kNone;
      }
      return inner;
    }
    Node node;
    if (pos < text.size() && text[pos] == 'n') {
      ++pos;
      node.op = N;
      return add(node, 1);
    }
    if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (node.value > 100000000ul) {
          error = "number too large";
          return kNone;
        }
        node.value =
            node.value * 10 + static_cast<unsigned long>(text[pos] - '0');
        ++pos;
      }
      return add(node, 1);
    }
    return kNone;
  }

  std::string_view text;
  std::vector<Node> &nodes;
  std::vector<int> depths; ///< of each node, leaves 1
  std::size_t pos = 0;
  int nesting = 0;
  std::string error;
};

/// A binary operator applied; false for a division by zero. Unsigned
/// arithmetic wraps, as C's does.
bool apply(std::uint8_t op, unsigned long a, unsigned long b,
           unsigned long &out) {
  switch (op) {
  case Mul:
    out = a * b;
    return true;
  case Div:
  case Mod:
    if (b == 0)
      return false;
    out = op == Div ? a / b : a % b;
    return true;
  case Add:
    out = a + b;
    return true;
  case Sub:
    out = a - b;
    return true;
  case Lt:
    out = a < b;
    return true;
  case Gt:
    out = a > b;
    return true;
  case Le:
    out = a <= b;
    return true;
  case Ge:
    out = a >= b;
    return true;
  case Eq:
    out = a == b;
    return true;
  case Ne:
    out = a != b;
    return true;
  default:
    return false;
  }
}

/// Reads "NAME = VALUE" up to the next ';' (or the end) from \p rest.
bool field(std::string_view &rest, std::string_view name,
           std::string_view &value) {
  rest = trimmed(rest);
  if (rest.substr(0, name.size()) != name)
    return false;
  rest = trimmed(rest.substr(name.size()));
  if (rest.empty() || rest.front() != '=')
    return false;
  const std::size_t end = rest.find(';');
  value =
      trimmed(rest.substr(1, end == std::string_view::npos ? end : end - 1));
  rest =
      end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return true;
}

} // namespace

bool GettextPluralForms::parse(std::string_view header, std::string &problem) {
  nodes.clear();
  nPlurals = 0;
  std::string_view rest = header, count, expression;
  if (header.size() > kMaxLength) {
    problem = "expression too long";
    return false;
  }
  if (!field(rest, "nplurals", count) || !field(rest, "plural", expression) ||
      !trimmed(rest).empty()) {
    problem = "expected 'nplurals=N; plural=EXPRESSION;'";
    return false;
  }
  unsigned long forms = 0;
  for (char c : count) {
    if (c < '0' || c > '9' || forms > kMaxForms) {
      forms = 0;
      break;
    }
    forms = forms * 10 + static_cast<unsigned long>(c - '0');
  }
  if (forms == 0 || forms > kMaxForms) {
    problem =
        "nplurals must be a number from 1 to " + std::to_string(kMaxForms);
    return false;
  }
  ExprParser parser(expression, nodes);
  const std::size_t root = parser.parse(problem);
  if (root == kNone) {
    nodes.clear();
    return false;
  }
  // The root goes last, where evaluation starts.
  if (root != nodes.size() - 1)
    nodes.push_back(nodes[root]);
  nPlurals = forms;
  return true;
}

bool GettextPluralForms::evaluate(unsigned long n, unsigned long &index) const {
  return !nodes.empty() && evaluate(nodes.size() - 1, n, index);
}

// Recursion is bounded by the tree's depth, which the parser holds to
// kMaxDepth. && and || evaluate their right side only when C would.
bool GettextPluralForms::evaluate(std::size_t at, unsigned long n,
                                  unsigned long &out) const {
  const Node &node = nodes[at];
  unsigned long a = 0, b = 0;
  switch (node.op) {
  case Number:
    out = node.value;
    return true;
  case N:
    out = n;
    return true;
  case Not:
    if (!evaluate(node.a, n, a))
      return false;
    out = !a;
    return true;
  case Cond:
    if (!evaluate(node.a, n, a))
      return false;
    return evaluate(a ? node.b : node.c, n, out);
  case And:
  case Or:
    if (!evaluate(node.a, n, a))
      return false;
    if ((node.op == And) != (a != 0)) {
      out = node.op == Or;
      return true;
    }
    if (!evaluate(node.b, n, b))
      return false;
    out = b != 0;
    return true;
  default:
    if (!evaluate(node.a, n, a) || !evaluate(node.b, n, b))
      return false;
    return apply(node.op, a, b, out);
  }
}

std::vector<std::string_view> positionalCategories(unsigned long nplurals) {
  static const std::string_view kByCount[6][6] = {
      {"other"},
      {"one", "other"},
      {"one", "few", "other"},
      {"one", "two", "few", "other"},
      {"one", "two", "few", "many", "other"},
      {"zero", "one", "two", "few", "many", "other"}};
  if (nplurals == 0 || nplurals > 6)
    return {};
  return std::vector<std::string_view>(kByCount[nplurals - 1],
                                       kByCount[nplurals - 1] + nplurals);
}

bool GettextPlural::read(std::string_view value) {
  formCount = 0;
  const std::size_t newline = value.find('\n');
  std::string problem;
  if (newline == std::string_view::npos ||
      !forms.parse(value.substr(0, newline), problem) ||
      forms.count() > kMaxStored)
    return false;
  std::string_view names = value.substr(newline + 1);
  std::size_t found = 0;
  while (!(names = trimmed(names)).empty()) {
    const std::size_t end = std::min(names.find(' '), names.size());
    const std::size_t rank = kPluralSelector.rank(names.substr(0, end));
    if (rank == kPluralSelector.categoryCount || found == kMaxStored)
      return false;
    categoryOf[found++] = static_cast<std::uint8_t>(rank);
    names.remove_prefix(end);
  }
  if (found != forms.count())
    return false;
  formCount = found;
  return true;
}

std::string_view GettextPlural::category(const SelectorValue &value) const {
  if (!loaded())
    return std::string_view();
  // gettext counts in whole numbers: 1.5 is 1, as C's conversion makes it.
  std::uint64_t whole = value.scaled < 0
                            ? 0 - static_cast<std::uint64_t>(value.scaled)
                            : static_cast<std::uint64_t>(value.scaled);
  for (int i = 0; i < value.fractionDigits && i < 19; ++i)
    whole /= 10;
  unsigned long index = 0;
  if (!forms.evaluate(static_cast<unsigned long>(whole), index) ||
      index >= formCount)
    return std::string_view();
  return kPluralSelector.categories[categoryOf[index]];
}

std::string_view GettextPlural::choose(const Selector &row,
                                       const PluralRules &rules,
                                       const SelectorValue &value) const {
  if (&row == &kPluralSelector && !rules.hasRules())
    if (std::string_view own = category(value); !own.empty())
      return own;
  return row.choose(rules, value);
}

} // namespace phrasor
