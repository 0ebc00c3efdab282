//===- PluralForms.cpp - gettext's Plural-Forms expressions ---------------===//
//
// The Plural-Forms expression, as gettext reads it (C precedence):
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
// n is unsigned long, as in gettext.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/PluralForms.h"

#include "tools/phrasor/Utf.h"

#include "tools/phrasor/checks/Plurals.h"

#include <algorithm>
#include <map>

namespace phrasor::tool {

// The expression is kept as a flat list of nodes that name their operands
// by index, so freeing it walks no chain of pointers, and its depth is
// bounded while it is parsed: evaluation recurses at most kMaxDepth deep
// whatever the header holds.
struct PluralForms::Node {
  enum Op {
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
  } op = Number;
  unsigned long value = 0;
  std::size_t a = 0, b = 0, c = 0;
};

namespace {

using Node = PluralForms::Node;

// gettext's own expressions are under 200 characters and 12 levels deep
// (Arabic's is the longest); these limits leave room for any real one.
constexpr std::size_t kMaxLength = 1000;
constexpr int kMaxDepth = 64;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

class ExprParser {
public:
  ExprParser(std::string_view source, std::vector<Node> &out)
      : text(source), nodes(out) {}

  std::size_t Parse(std::string &problem) {
    if (text.size() > kMaxLength) {
      problem = "expression too long";
      return kNone;
    }
    std::size_t root = Expr();
    Skip();
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
  void Skip() {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' ||
                                 text[pos] == '\n' || text[pos] == '\r'))
      ++pos;
  }
  bool Eat(std::string_view token) {
    Skip();
    if (text.substr(pos, token.size()) != token)
      return false;
    pos += token.size();
    return true;
  }
  /// A node over \p a, \p b and \p c, one level deeper than the deepest.
  std::size_t Make(Node::Op op, std::size_t a, std::size_t b = kNone,
                   std::size_t c = kNone) {
    if (a == kNone || (op != Node::Not && b == kNone) ||
        (op == Node::Cond && c == kNone))
      return kNone;
    int d = depths[a];
    if (b != kNone)
      d = std::max(d, depths[b]);
    if (c != kNone)
      d = std::max(d, depths[c]);
    if (d + 1 > kMaxDepth) {
      error = "expression too long";
      return kNone;
    }
    Node node;
    node.op = op;
    node.a = a;
    node.b = b;
    node.c = c;
    return Add(node, d + 1);
  }
  std::size_t Add(const Node &node, int depth) {
    nodes.push_back(node);
    depths.push_back(depth);
    return nodes.size() - 1;
  }

  // The parser's own recursion follows parentheses, '?' and '!' only, and
  // stops at kMaxDepth of them.
  bool Deeper() {
    if (++nesting > kMaxDepth) {
      if (error.empty())
        error = "expression too long";
      return false;
    }
    return true;
  }

  std::size_t Expr() {
    if (!Deeper())
      return kNone;
    std::size_t result = Or();
    if (result != kNone && Eat("?")) {
      std::size_t yes = Expr();
      if (yes == kNone || !Eat(":")) {
        if (error.empty())
          error = "'?' without ':'";
        result = kNone;
      } else {
        result = Make(Node::Cond, result, yes, Expr());
      }
    }
    --nesting;
    return result;
  }
  std::size_t Or() {
    std::size_t left = And();
    while (left != kNone && Eat("||"))
      left = Make(Node::Or, left, And());
    return left;
  }
  std::size_t And() {
    std::size_t left = Equality();
    while (left != kNone && Eat("&&"))
      left = Make(Node::And, left, Equality());
    return left;
  }
  std::size_t Equality() {
    std::size_t left = Relation();
    for (;;) {
      if (left != kNone && Eat("=="))
        left = Make(Node::Eq, left, Relation());
      else if (left != kNone && Eat("!="))
        left = Make(Node::Ne, left, Relation());
      else
        return left;
    }
  }
  std::size_t Relation() {
    std::size_t left = Sum();
    for (;;) {
      if (left != kNone && Eat("<="))
        left = Make(Node::Le, left, Sum());
      else if (left != kNone && Eat(">="))
        left = Make(Node::Ge, left, Sum());
      else if (left != kNone && Eat("<"))
        left = Make(Node::Lt, left, Sum());
      else if (left != kNone && Eat(">"))
        left = Make(Node::Gt, left, Sum());
      else
        return left;
    }
  }
  std::size_t Sum() {
    std::size_t left = Product();
    for (;;) {
      if (left != kNone && Eat("+"))
        left = Make(Node::Add, left, Product());
      else if (left != kNone && Eat("-"))
        left = Make(Node::Sub, left, Product());
      else
        return left;
    }
  }
  std::size_t Product() {
    std::size_t left = Unary();
    for (;;) {
      if (left != kNone && Eat("*"))
        left = Make(Node::Mul, left, Unary());
      else if (left != kNone && Eat("/"))
        left = Make(Node::Div, left, Unary());
      else if (left != kNone && Eat("%"))
        left = Make(Node::Mod, left, Unary());
      else
        return left;
    }
  }
  std::size_t Unary() {
    if (Eat("!")) {
      // "!=" never starts an operand, so a '!' here is a negation.
      if (!Deeper())
        return kNone;
      std::size_t result = Make(Node::Not, Unary());
      --nesting;
      return result;
    }
    return Primary();
  }
  std::size_t Primary() {
    Skip();
    if (Eat("(")) {
      std::size_t inner = Expr();
      if (inner != kNone && !Eat(")")) {
        error = "'(' without ')'";
        return kNone;
      }
      return inner;
    }
    Node node;
    if (pos < text.size() && text[pos] == 'n') {
      ++pos;
      node.op = Node::N;
      return Add(node, 1);
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
      return Add(node, 1);
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

/// A binary operator applied; false for a division by zero.
bool Apply(Node::Op op, unsigned long a, unsigned long b, unsigned long &out) {
  switch (op) {
  case Node::Mul:
    out = a * b;
    return true;
  case Node::Div:
  case Node::Mod:
    if (b == 0)
      return false;
    out = op == Node::Div ? a / b : a % b;
    return true;
  case Node::Add:
    out = a + b;
    return true;
  case Node::Sub:
    out = a - b;
    return true;
  case Node::Lt:
    out = a < b;
    return true;
  case Node::Gt:
    out = a > b;
    return true;
  case Node::Le:
    out = a <= b;
    return true;
  case Node::Ge:
    out = a >= b;
    return true;
  case Node::Eq:
    out = a == b;
    return true;
  case Node::Ne:
    out = a != b;
    return true;
  default:
    return false;
  }
}

// Recursion is bounded by the tree's depth, which the parser holds to
// kMaxDepth. && and || evaluate their right side only when C would.
bool Eval(const std::vector<Node> &nodes, std::size_t at, unsigned long n,
          unsigned long &out) {
  const Node &node = nodes[at];
  unsigned long a = 0, b = 0;
  switch (node.op) {
  case Node::Number:
    out = node.value;
    return true;
  case Node::N:
    out = n;
    return true;
  case Node::Not:
    if (!Eval(nodes, node.a, n, a))
      return false;
    out = !a;
    return true;
  case Node::Cond:
    if (!Eval(nodes, node.a, n, a))
      return false;
    return Eval(nodes, a ? node.b : node.c, n, out);
  case Node::And:
  case Node::Or:
    if (!Eval(nodes, node.a, n, a))
      return false;
    if ((node.op == Node::And) != (a != 0)) {
      out = node.op == Node::Or;
      return true;
    }
    if (!Eval(nodes, node.b, n, b))
      return false;
    out = b != 0;
    return true;
  default:
    if (!Eval(nodes, node.a, n, a) || !Eval(nodes, node.b, n, b))
      return false;
    return Apply(node.op, a, b, out);
  }
}

} // namespace

PluralForms::PluralForms(PluralForms &&) noexcept = default;
PluralForms &PluralForms::operator=(PluralForms &&) noexcept = default;
PluralForms::~PluralForms() = default;

std::optional<PluralForms> PluralForms::Parse(std::string_view text,
                                              std::string &error) {
  PluralForms forms;
  forms.source = Trimmed(text);
  const std::size_t np = text.find("nplurals");
  const std::size_t pl =
      text.find("plural", np == std::string_view::npos ? 0 : np + 8);
  if (np == std::string_view::npos || pl == std::string_view::npos) {
    error = "expected 'nplurals=N; plural=EXPRESSION;'";
    return std::nullopt;
  }
  std::string_view count = text.substr(np + 8, pl - np - 8);
  std::string number = Trimmed(count);
  if (number.empty() || number[0] != '=') {
    error = "expected '=' after nplurals";
    return std::nullopt;
  }
  number = Trimmed(std::string_view(number).substr(1));
  if (!number.empty() && number.back() == ';')
    number.pop_back();
  number = Trimmed(number);
  if (number.empty() || number.size() > 3 ||
      number.find_first_not_of("0123456789") != std::string::npos ||
      std::stoul(number) == 0) {
    error = "nplurals must be a number from 1";
    return std::nullopt;
  }
  forms.nPlurals = std::stoul(number);
  std::string expr = Trimmed(text.substr(pl + 6));
  if (expr.empty() || expr[0] != '=') {
    error = "expected '=' after plural";
    return std::nullopt;
  }
  expr = Trimmed(std::string_view(expr).substr(1));
  if (!expr.empty() && expr.back() == ';')
    expr.pop_back();
  ExprParser parser(expr, forms.nodes);
  forms.root = parser.Parse(error);
  if (forms.root == kNone)
    return std::nullopt;
  return forms;
}

bool PluralForms::Evaluate(unsigned long n, unsigned long &index) const {
  return root < nodes.size() && Eval(nodes, root, n, index);
}

std::optional<PluralMapping> MapPluralForms(const PluralForms &forms,
                                            const std::string &tag,
                                            std::string &error) {
  const std::vector<std::string> categories = SelectSamples(tag);
  std::map<std::size_t, std::map<unsigned long, unsigned long>> taken;
  std::vector<bool> reached(forms.Count(), false);
  for (std::size_t s = 0; s < PluralSamples().size(); ++s) {
    const unsigned long n = PluralSamples()[s];
    unsigned long index = 0;
    if (!forms.Evaluate(n, index)) {
      error = "divides by zero for n = " + std::to_string(n);
      return std::nullopt;
    }
    if (index >= forms.Count()) {
      error = "gives form " + std::to_string(index) +
              " for n = " + std::to_string(n) + " but nplurals is " +
              std::to_string(forms.Count());
      return std::nullopt;
    }
    reached[index] = true;
    taken[kPluralSelector.rank(categories[s])].emplace(index, n);
  }
  for (const auto &[rank, indices] : taken) {
    if (indices.size() > 1) {
      auto first = indices.begin(), second = std::next(first);
      error = "category '" + std::string(kPluralSelector.categories[rank]) +
              "' takes form " + std::to_string(first->first) +
              " (n = " + std::to_string(first->second) + ") and form " +
              std::to_string(second->first) +
              " (n = " + std::to_string(second->second) + ")";
      return std::nullopt;
    }
  }
  // Exports for some languages add a form for fractions, which the
  // expression cannot select (n is whole). One such form is tied to the
  // category the language gives fractions, when that is a single category
  // no whole number takes (Russian "other", Czech "many").
  std::optional<std::size_t> fractionForm;
  for (unsigned long i = 0; i < forms.Count(); ++i) {
    if (reached[i])
      continue;
    const std::vector<std::string> fractions = FractionOnlyCategories(tag);
    if (fractionForm || fractions.size() != 1) {
      error = "no number selects form " + std::to_string(i);
      return std::nullopt;
    }
    fractionForm = kPluralSelector.rank(fractions.front());
    taken[*fractionForm].emplace(i, 0);
  }
  PluralMapping mapping;
  for (const auto &[rank, indices] : taken)
    mapping.forms.emplace_back(kPluralSelector.categories[rank],
                               indices.begin()->first);
  return mapping;
}

std::optional<std::string> UsualPluralForms(const std::string &tag) {
  // gettext's table of the usual expressions, by language subtag.
  static const std::map<std::string, const char *> usual = {
      {"ja", "nplurals=1; plural=0;"},
      {"zh", "nplurals=1; plural=0;"},
      {"ko", "nplurals=1; plural=0;"},
      {"vi", "nplurals=1; plural=0;"},
      {"th", "nplurals=1; plural=0;"},
      {"id", "nplurals=1; plural=0;"},
      {"en", "nplurals=2; plural=(n != 1);"},
      {"de", "nplurals=2; plural=(n != 1);"},
      {"nl", "nplurals=2; plural=(n != 1);"},
      {"sv", "nplurals=2; plural=(n != 1);"},
      {"da", "nplurals=2; plural=(n != 1);"},
      {"nb", "nplurals=2; plural=(n != 1);"},
      {"fi", "nplurals=2; plural=(n != 1);"},
      {"el", "nplurals=2; plural=(n != 1);"},
      {"hu", "nplurals=2; plural=(n != 1);"},
      {"tr", "nplurals=2; plural=(n != 1);"},
      {"bg", "nplurals=2; plural=(n != 1);"},
      {"es", "nplurals=2; plural=(n != 1);"},
      {"it", "nplurals=2; plural=(n != 1);"},
      {"pt", "nplurals=2; plural=(n != 1);"},
      {"fr", "nplurals=2; plural=(n > 1);"},
      {"ru", "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && "
             "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);"},
      {"uk", "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && "
             "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);"},
      {"pl", "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && "
             "(n%100<10 || n%100>=20) ? 1 : 2);"},
      {"cs", "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;"},
      {"sk", "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;"},
      {"ar", "nplurals=6; plural=(n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : "
             "n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5);"},
  };
  const std::string language = tag.substr(0, tag.find('-'));
  auto it = usual.find(language);
  if (it == usual.end())
    return std::nullopt;
  return std::string(it->second);
}

} // namespace phrasor::tool
