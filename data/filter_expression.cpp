#include "filter_expression.h"

#include <cctype>

#include "toolkit/locale_settings.h"

namespace data {

namespace {

enum class TokenKind { kName, kText, kNumber, kOperator, kOpen, kClose, kEnd };

struct Token {
  TokenKind kind;
  std::string text;
  bool bracketed = false;  // a name in [..] or "..": never a keyword
  size_t position = 0;
};

[[noreturn]] void Fail(const std::string& reason, size_t position) {
  throw FilterSyntaxError(reason + " at position " + std::to_string(position + 1));
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '#' ||
         c == '$' || static_cast<unsigned char>(c) >= 128;
}

std::vector<Token> Tokens(const std::string& text) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    size_t start = i;
    if (c == '(' || c == ')') {
      tokens.push_back(
          {c == '(' ? TokenKind::kOpen : TokenKind::kClose, std::string(1, c), false, start});
      ++i;
    } else if (c == '=' || c == '<' || c == '>') {
      std::string op(1, c);
      if (i + 1 < text.size() && c != '=' &&
          (text[i + 1] == '=' || (c == '<' && text[i + 1] == '>')))
        op += text[++i];
      ++i;
      tokens.push_back({TokenKind::kOperator, op, false, start});
    } else if (c == '\'') {
      std::string value;
      ++i;
      for (;;) {
        if (i >= text.size()) Fail("Unterminated text", start);
        if (text[i] == '\'') {
          if (i + 1 < text.size() && text[i + 1] == '\'') {
            value += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      tokens.push_back({TokenKind::kText, value, false, start});
    } else if (c == '[' || c == '"') {
      char close = c == '[' ? ']' : '"';
      size_t end = text.find(close, i + 1);
      if (end == std::string::npos) Fail("Unterminated field name", start);
      tokens.push_back({TokenKind::kName, text.substr(i + 1, end - i - 1), true, start});
      i = end + 1;
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               ((c == '-' || c == '+') && i + 1 < text.size() &&
                (std::isdigit(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '.'))) {
      ++i;
      while (i < text.size() &&
             (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.' ||
              text[i] == 'e' || text[i] == 'E' ||
              ((text[i] == '-' || text[i] == '+') && (text[i - 1] == 'e' || text[i - 1] == 'E'))))
        ++i;
      tokens.push_back({TokenKind::kNumber, text.substr(start, i - start), false, start});
    } else if (IsNameChar(c)) {
      while (i < text.size() && IsNameChar(text[i])) ++i;
      tokens.push_back({TokenKind::kName, text.substr(start, i - start), false, start});
    } else {
      Fail(std::string("Unexpected character '") + c + "'", start);
    }
  }
  tokens.push_back({TokenKind::kEnd, "", false, text.size()});
  return tokens;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsBlobStoreType(char type) {
  return type == 'M' || type == 'B' || type == 'F' || type == 'O' || type == 'G';
}

std::string Folded(const std::string& text, const toolkit::TextCodec* caseRules) {
  if (caseRules != nullptr) return caseRules->lowerCase(text);
  const auto& locale = toolkit::localeSettings();
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(locale.lowerCase(static_cast<unsigned char>(c)));
  return folded;
}

enum class Op { kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual };

Op OpOf(const std::string& text) {
  if (text == "=") return Op::kEqual;
  if (text == "<>") return Op::kNotEqual;
  if (text == "<") return Op::kLess;
  if (text == ">") return Op::kGreater;
  if (text == "<=") return Op::kLessEqual;
  return Op::kGreaterEqual;
}

Op Mirrored(Op op) {
  switch (op) {
    case Op::kLess:
      return Op::kGreater;
    case Op::kGreater:
      return Op::kLess;
    case Op::kLessEqual:
      return Op::kGreaterEqual;
    case Op::kGreaterEqual:
      return Op::kLessEqual;
    default:
      return op;
  }
}

// -1, 0, 1, or 2 when the values cannot be compared.
int CompareValues(const FieldValue& a, const FieldValue& b, const toolkit::TextCodec* caseRules) {
  auto number = [](const FieldValue& value, double& out) {
    if (const auto* i = std::get_if<int64_t>(&value)) {
      out = static_cast<double>(*i);
      return true;
    }
    if (const auto* d = std::get_if<double>(&value)) {
      out = *d;
      return true;
    }
    return false;
  };
  double x, y;
  if (number(a, x) && number(b, y)) return x < y ? -1 : (x > y ? 1 : 0);
  const auto* s = std::get_if<std::string>(&a);
  const auto* t = std::get_if<std::string>(&b);
  if (s && t) {
    int order = Folded(*s, caseRules).compare(Folded(*t, caseRules));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
  }
  return 2;
}

}  // namespace

struct FilterExpression::Node {
  enum class Kind { kAnd, kOr, kNot, kCompare, kBlank, kPrefix } kind;
  std::shared_ptr<const Node> left, right;
  Op op = Op::kEqual;
  int leftField = -1;   // index into the row's values
  int rightField = -1;  // -1: the literal
  FieldValue literal;
  std::string prefix;  // folded
  bool negate = false;

  bool Matches(const Row& row, const toolkit::TextCodec* caseRules) const {
    switch (kind) {
      case Kind::kAnd:
        return left->Matches(row, caseRules) && right->Matches(row, caseRules);
      case Kind::kOr:
        return left->Matches(row, caseRules) || right->Matches(row, caseRules);
      case Kind::kNot:
        return !left->Matches(row, caseRules);
      case Kind::kBlank:
        return IsBlank(Value(row, leftField)) != negate;
      case Kind::kPrefix: {
        const auto* text = std::get_if<std::string>(&Value(row, leftField));
        bool begins = text && Folded(*text, caseRules).compare(0, prefix.size(), prefix) == 0;
        return begins != negate;
      }
      case Kind::kCompare: {
        const FieldValue& a = Value(row, leftField);
        const FieldValue& b = rightField >= 0 ? Value(row, rightField) : literal;
        if (IsBlank(a) || IsBlank(b)) return false;
        int order = CompareValues(a, b, caseRules);
        if (order == 2) return false;
        switch (op) {
          case Op::kEqual:
            return order == 0;
          case Op::kNotEqual:
            return order != 0;
          case Op::kLess:
            return order < 0;
          case Op::kGreater:
            return order > 0;
          case Op::kLessEqual:
            return order <= 0;
          case Op::kGreaterEqual:
            return order >= 0;
        }
      }
    }
    return false;
  }

  static const FieldValue& Value(const Row& row, int index) {
    static const FieldValue kBlank;
    return static_cast<size_t>(index) < row.values.size() ? row.values[static_cast<size_t>(index)]
                                                          : kBlank;
  }
};

namespace {

using Node = FilterExpression::Node;
using NodePtr = std::shared_ptr<const Node>;

class Parser {
 public:
  Parser(const std::string& text, const std::vector<FieldDef>& fields,
         const FilterExpression::Converter& convert, const toolkit::TextCodec* caseRules)
      : tokens_(Tokens(text)), fields_(fields), convert_(convert), caseRules_(caseRules) {}

  NodePtr Parse() {
    NodePtr root = Or();
    if (Peek().kind != TokenKind::kEnd) Fail("Unexpected '" + Peek().text + "'", Peek().position);
    return root;
  }

 private:
  const Token& Peek() const { return tokens_[at_]; }
  const Token& Take() { return tokens_[at_ < tokens_.size() - 1 ? at_++ : at_]; }
  bool IsKeyword(const Token& token, const char* word) const {
    return token.kind == TokenKind::kName && !token.bracketed && SameIgnoringCase(token.text, word);
  }
  bool TakeKeyword(const char* word) {
    if (!IsKeyword(Peek(), word)) return false;
    ++at_;
    return true;
  }

  NodePtr Combine(Node::Kind kind, NodePtr left, NodePtr right) {
    auto node = std::make_shared<Node>();
    node->kind = kind;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
  }

  NodePtr Or() {
    NodePtr left = And();
    while (TakeKeyword("OR")) left = Combine(Node::Kind::kOr, left, And());
    return left;
  }
  NodePtr And() {
    NodePtr left = Not();
    while (TakeKeyword("AND")) left = Combine(Node::Kind::kAnd, left, Not());
    return left;
  }
  NodePtr Not() {
    if (TakeKeyword("NOT")) return Combine(Node::Kind::kNot, Not(), nullptr);
    return Primary();
  }
  NodePtr Primary() {
    if (Peek().kind == TokenKind::kOpen) {
      Take();
      NodePtr inner = Or();
      if (Peek().kind != TokenKind::kClose) Fail("Missing ')'", Peek().position);
      Take();
      return inner;
    }
    return Comparison();
  }

  const FieldDef* FieldOf(const Token& token) const {
    if (token.kind != TokenKind::kName) return nullptr;
    for (const FieldDef& field : fields_) {
      // Field names are in the table's code page too.
      const bool same = caseRules_ != nullptr
                            ? caseRules_->upperCase(field.name) == caseRules_->upperCase(token.text)
                            : SameIgnoringCase(field.name, token.text);
      if (same) return &field;
    }
    return nullptr;
  }

  const FieldDef& RequireField(const Token& token) const {
    const FieldDef* field = FieldOf(token);
    if (!field) {
      if (token.kind == TokenKind::kName)
        Fail("Unknown field '" + token.text + "'", token.position);
      Fail("A comparison needs a field", token.position);
    }
    return *field;
  }

  bool IsOperand(const Token& token) const {
    return token.kind == TokenKind::kName || token.kind == TokenKind::kText ||
           token.kind == TokenKind::kNumber;
  }

  NodePtr Comparison() {
    Token first = Take();
    if (!IsOperand(first)) Fail("Expected a field name", first.position);
    if (IsKeyword(Peek(), "IS")) {
      Take();
      bool negate = TakeKeyword("NOT");
      if (!TakeKeyword("BLANK") && !TakeKeyword("NULL"))
        Fail("Expected BLANK after IS", Peek().position);
      return BlankTest(RequireField(first), negate);
    }
    if (Peek().kind != TokenKind::kOperator)
      Fail("Expected a comparison operator", Peek().position);
    Op op = OpOf(Take().text);
    Token second = Take();
    if (!IsOperand(second)) Fail("Expected a value", second.position);
    const FieldDef* left = FieldOf(first);
    const FieldDef* right = FieldOf(second);
    if (!left && !right) Fail("A comparison needs a field", first.position);
    if (!left) {
      std::swap(first, second);
      std::swap(left, right);
      op = Mirrored(op);
    }
    if (IsBlobStoreType(left->storeType) || (right && IsBlobStoreType(right->storeType)))
      Fail("Memo and blob fields can only be tested for blank", first.position);
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::kCompare;
    node->op = op;
    node->leftField = left->number - 1;
    if (right) {
      node->rightField = right->number - 1;
      return node;
    }
    const std::string& value = second.text;
    if (second.kind == TokenKind::kText && value.empty()) {
      if (op == Op::kEqual) return BlankTest(*left, false);
      if (op == Op::kNotEqual) return BlankTest(*left, true);
    }
    if (second.kind == TokenKind::kText && value.size() > 1 && value.back() == '*' &&
        (op == Op::kEqual || op == Op::kNotEqual) && (left->storeType == 'A')) {
      node->kind = Node::Kind::kPrefix;
      node->prefix = Folded(value.substr(0, value.size() - 1), caseRules_);
      node->negate = op == Op::kNotEqual;
      return node;
    }
    try {
      node->literal = convert_(*left, value);
    } catch (const std::exception& error) {
      Fail(error.what(), second.position);
    }
    return node;
  }

  NodePtr BlankTest(const FieldDef& field, bool negate) {
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::kBlank;
    node->leftField = field.number - 1;
    node->negate = negate;
    return node;
  }

  std::vector<Token> tokens_;
  size_t at_ = 0;
  const std::vector<FieldDef>& fields_;
  const FilterExpression::Converter& convert_;
  const toolkit::TextCodec* caseRules_;
};

}  // namespace

FilterExpression FilterExpression::Compile(const std::string& text,
                                           const std::vector<FieldDef>& fields,
                                           const Converter& convert,
                                           const toolkit::TextCodec* caseRules) {
  return FilterExpression(Parser(text, fields, convert, caseRules).Parse(), caseRules);
}

bool FilterExpression::Matches(const Row& row) const {
  return root_->Matches(row, caseRules_);
}

}  // namespace data
