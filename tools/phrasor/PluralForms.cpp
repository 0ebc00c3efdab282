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

#include "tools/phrasor/PluralForms.h"

#include "tools/phrasor/Plurals.h"

#include <map>

namespace phrasor::tool {

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
  std::unique_ptr<Node> a, b, c;
};

namespace {

using Node = PluralForms::Node;

class ExprParser {
public:
  explicit ExprParser(std::string_view source) : text(source) {}

  std::unique_ptr<Node> Parse(std::string &problem) {
    std::unique_ptr<Node> root = Expr(0);
    Skip();
    if (!root || pos != text.size()) {
      problem = error.empty()
                    ? "unexpected '" + std::string(text.substr(pos, 1)) +
                          "' at character " + std::to_string(pos + 1)
                    : error;
      return nullptr;
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
  std::unique_ptr<Node> Make(Node::Op op, std::unique_ptr<Node> a,
                             std::unique_ptr<Node> b) {
    if (!a || !b)
      return nullptr;
    auto node = std::make_unique<Node>();
    node->op = op;
    node->a = std::move(a);
    node->b = std::move(b);
    return node;
  }

  // Nesting is bounded so a hostile header cannot exhaust the stack.
  std::unique_ptr<Node> Expr(int depth) {
    if (depth > 100) {
      error = "expression nested too deeply";
      return nullptr;
    }
    std::unique_ptr<Node> cond = Or(depth);
    if (!cond || !Eat("?"))
      return cond;
    std::unique_ptr<Node> yes = Expr(depth + 1);
    if (!yes || !Eat(":")) {
      if (error.empty())
        error = "'?' without ':'";
      return nullptr;
    }
    std::unique_ptr<Node> no = Expr(depth + 1);
    if (!no)
      return nullptr;
    auto node = std::make_unique<Node>();
    node->op = Node::Cond;
    node->a = std::move(cond);
    node->b = std::move(yes);
    node->c = std::move(no);
    return node;
  }
  std::unique_ptr<Node> Or(int depth) {
    std::unique_ptr<Node> left = And(depth);
    while (left && Eat("||"))
      left = Make(Node::Or, std::move(left), And(depth));
    return left;
  }
  std::unique_ptr<Node> And(int depth) {
    std::unique_ptr<Node> left = Equality(depth);
    while (left && Eat("&&"))
      left = Make(Node::And, std::move(left), Equality(depth));
    return left;
  }
  std::unique_ptr<Node> Equality(int depth) {
    std::unique_ptr<Node> left = Relation(depth);
    for (;;) {
      if (left && Eat("=="))
        left = Make(Node::Eq, std::move(left), Relation(depth));
      else if (left && Eat("!="))
        left = Make(Node::Ne, std::move(left), Relation(depth));
      else
        return left;
    }
  }
  std::unique_ptr<Node> Relation(int depth) {
    std::unique_ptr<Node> left = Sum(depth);
    for (;;) {
      if (left && Eat("<="))
        left = Make(Node::Le, std::move(left), Sum(depth));
      else if (left && Eat(">="))
        left = Make(Node::Ge, std::move(left), Sum(depth));
      else if (left && Eat("<"))
        left = Make(Node::Lt, std::move(left), Sum(depth));
      else if (left && Eat(">"))
        left = Make(Node::Gt, std::move(left), Sum(depth));
      else
        return left;
    }
  }
  std::unique_ptr<Node> Sum(int depth) {
    std::unique_ptr<Node> left = Product(depth);
    for (;;) {
      if (left && Eat("+"))
        left = Make(Node::Add, std::move(left), Product(depth));
      else if (left && Eat("-"))
        left = Make(Node::Sub, std::move(left), Product(depth));
      else
        return left;
    }
  }
  std::unique_ptr<Node> Product(int depth) {
    std::unique_ptr<Node> left = Unary(depth);
    for (;;) {
      if (left && Eat("*"))
        left = Make(Node::Mul, std::move(left), Unary(depth));
      else if (left && Eat("/"))
        left = Make(Node::Div, std::move(left), Unary(depth));
      else if (left && Eat("%"))
        left = Make(Node::Mod, std::move(left), Unary(depth));
      else
        return left;
    }
  }
  std::unique_ptr<Node> Unary(int depth) {
    if (Eat("!")) {
      // "!=" never starts an operand, so a '!' here is a negation.
      std::unique_ptr<Node> operand = Unary(depth + 1);
      if (!operand)
        return nullptr;
      auto node = std::make_unique<Node>();
      node->op = Node::Not;
      node->a = std::move(operand);
      return node;
    }
    return Primary(depth);
  }
  std::unique_ptr<Node> Primary(int depth) {
    Skip();
    if (depth > 100) {
      error = "expression nested too deeply";
      return nullptr;
    }
    if (Eat("(")) {
      std::unique_ptr<Node> inner = Expr(depth + 1);
      if (inner && !Eat(")")) {
        error = "'(' without ')'";
        return nullptr;
      }
      return inner;
    }
    if (pos < text.size() && text[pos] == 'n') {
      ++pos;
      auto node = std::make_unique<Node>();
      node->op = Node::N;
      return node;
    }
    if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      auto node = std::make_unique<Node>();
      while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (node->value > 100000000ul) {
          error = "number too large";
          return nullptr;
        }
        node->value =
            node->value * 10 + static_cast<unsigned long>(text[pos] - '0');
        ++pos;
      }
      return node;
    }
    return nullptr;
  }

  std::string_view text;
  std::size_t pos = 0;
  std::string error;
};

bool Eval(const Node &node, unsigned long n, unsigned long &out) {
  unsigned long a = 0, b = 0;
  switch (node.op) {
  case Node::Number:
    out = node.value;
    return true;
  case Node::N:
    out = n;
    return true;
  case Node::Not:
    if (!Eval(*node.a, n, a))
      return false;
    out = !a;
    return true;
  case Node::Cond:
    if (!Eval(*node.a, n, a))
      return false;
    return Eval(a ? *node.b : *node.c, n, out);
  case Node::And:
    if (!Eval(*node.a, n, a))
      return false;
    if (!a) {
      out = 0;
      return true;
    }
    if (!Eval(*node.b, n, b))
      return false;
    out = b != 0;
    return true;
  case Node::Or:
    if (!Eval(*node.a, n, a))
      return false;
    if (a) {
      out = 1;
      return true;
    }
    if (!Eval(*node.b, n, b))
      return false;
    out = b != 0;
    return true;
  default:
    break;
  }
  if (!Eval(*node.a, n, a) || !Eval(*node.b, n, b))
    return false;
  switch (node.op) {
  case Node::Mul:
    out = a * b;
    return true;
  case Node::Div:
    if (b == 0)
      return false;
    out = a / b;
    return true;
  case Node::Mod:
    if (b == 0)
      return false;
    out = a % b;
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

std::string Trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos)
    return "";
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

} // namespace

PluralForms::PluralForms(PluralForms &&) noexcept = default;
PluralForms &PluralForms::operator=(PluralForms &&) noexcept = default;
PluralForms::~PluralForms() = default;

std::optional<PluralForms> PluralForms::Parse(std::string_view text,
                                              std::string &error) {
  PluralForms forms;
  forms.source = Trim(text);
  const std::size_t np = text.find("nplurals");
  const std::size_t pl =
      text.find("plural", np == std::string_view::npos ? 0 : np + 8);
  if (np == std::string_view::npos || pl == std::string_view::npos) {
    error = "expected 'nplurals=N; plural=EXPRESSION;'";
    return std::nullopt;
  }
  std::string_view count = text.substr(np + 8, pl - np - 8);
  std::string number = Trim(count);
  if (number.empty() || number[0] != '=') {
    error = "expected '=' after nplurals";
    return std::nullopt;
  }
  number = Trim(std::string_view(number).substr(1));
  if (!number.empty() && number.back() == ';')
    number.pop_back();
  number = Trim(number);
  if (number.empty() || number.size() > 3 ||
      number.find_first_not_of("0123456789") != std::string::npos ||
      std::stoul(number) == 0) {
    error = "nplurals must be a number from 1";
    return std::nullopt;
  }
  forms.nPlurals = std::stoul(number);
  std::string expr = Trim(text.substr(pl + 6));
  if (expr.empty() || expr[0] != '=') {
    error = "expected '=' after plural";
    return std::nullopt;
  }
  expr = Trim(std::string_view(expr).substr(1));
  if (!expr.empty() && expr.back() == ';')
    expr.pop_back();
  ExprParser parser(expr);
  forms.root = parser.Parse(error);
  if (!forms.root)
    return std::nullopt;
  return forms;
}

bool PluralForms::Evaluate(unsigned long n, unsigned long &index) const {
  return root && Eval(*root, n, index);
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
    taken[CategoryRank(categories[s])].emplace(index, n);
  }
  for (const auto &[rank, indices] : taken) {
    if (indices.size() > 1) {
      auto first = indices.begin(), second = std::next(first);
      error = "category '" + std::string(kPluralCategories[rank]) +
              "' takes form " + std::to_string(first->first) +
              " (n = " + std::to_string(first->second) + ") and form " +
              std::to_string(second->first) +
              " (n = " + std::to_string(second->second) + ")";
      return std::nullopt;
    }
  }
  for (unsigned long i = 0; i < forms.Count(); ++i)
    if (!reached[i]) {
      error = "no number selects form " + std::to_string(i);
      return std::nullopt;
    }
  PluralMapping mapping;
  for (const auto &[rank, indices] : taken)
    mapping.forms.emplace_back(kPluralCategories[rank], indices.begin()->first);
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
