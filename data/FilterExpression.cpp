#include "FilterExpression.h"
#include "Error.h"

#include <QStringList>
#include "RuFormat.h"

#include <algorithm>
#include <cmath>

namespace vi23 {

namespace {

enum class Op { Eq, Ne, Lt, Le, Gt, Ge };

// Deeper nesting, or a longer chain of And/Or, is refused: parsing, evaluating and freeing the tree
// recurse once per level, and a text of many thousands of brackets would exhaust the stack.
constexpr int kMaxDepth = 500;

struct Token {
    enum class Kind { End, Identifier, Text, Number, Date, Operator, LeftParen, RightParen } kind = Kind::End;
    QString text;
    Op op = Op::Eq;
    int position = 0;
};

class Lexer {
public:
    explicit Lexer(const QString& text) : text_(text) {}

    Token next()
    {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
        Token token;
        token.position = int(pos_);
        if (pos_ >= text_.size())
            return token;
        const QChar c = text_[pos_];
        if (c == u'(' || c == u')') {
            ++pos_;
            token.kind = c == u'(' ? Token::Kind::LeftParen : Token::Kind::RightParen;
        } else if (c == u'\'' || c == u'"' || c == u'#') {
            quoted(token, c);
        } else if (c == u'=' || c == u'<' || c == u'>') {
            comparison(token, c);
        } else if (c.isDigit() || c == u'-' || c == u'+') {
            const qsizetype start = pos_++;
            while (pos_ < text_.size() && (text_[pos_].isDigit() || text_[pos_] == u'.' || text_[pos_] == u','))
                ++pos_;
            token.text = text_.mid(start, pos_ - start);
            token.kind = token.text.count(u'.') == 2 ? Token::Kind::Date : Token::Kind::Number;
        } else if (c.isLetter() || c == u'_' || c == u'[') {
            identifier(token, c == u'[');
        } else {
            fail(QStringLiteral("непонятный знак «%1»").arg(c));
        }
        return token;
    }

    // A text in quotes (a doubled quote stands for itself) or a date between "#".
    void quoted(Token& token, QChar quote)
    {
        token.kind = quote == u'#' ? Token::Kind::Date : Token::Kind::Text;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size())
                fail(QStringLiteral("не закрыта кавычка"));
            if (text_[pos_] == quote) {
                if (quote != u'#' && pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                    token.text += quote;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return;
            }
            token.text += text_[pos_++];
        }
    }

    void comparison(Token& token, QChar c)
    {
        ++pos_;
        token.kind = Token::Kind::Operator;
        const QChar n = pos_ < text_.size() ? text_[pos_] : QChar();
        if (c == u'=') {
            token.op = Op::Eq;
        } else if (c == u'<' && n == u'>') {
            token.op = Op::Ne;
            ++pos_;
        } else if (n == u'=') {
            token.op = c == u'<' ? Op::Le : Op::Ge;
            ++pos_;
        } else {
            token.op = c == u'<' ? Op::Lt : Op::Gt;
        }
    }

    // A field's name, bare or in square brackets.
    void identifier(Token& token, bool bracketed)
    {
        const qsizetype start = bracketed ? ++pos_ : pos_;
        while (pos_ < text_.size() &&
               (bracketed ? text_[pos_] != u']' : (text_[pos_].isLetterOrNumber() || text_[pos_] == u'_')))
            ++pos_;
        token.text = text_.mid(start, pos_ - start);
        if (bracketed) {
            if (pos_ >= text_.size())
                fail(QStringLiteral("не закрыта скобка ]"));
            ++pos_;
        }
        token.kind = Token::Kind::Identifier;
    }

    [[noreturn]] void fail(const QString& why) const
    {
        throw UserError(QStringLiteral("Неверное условие отбора «%1»: %2").arg(ru::quoteForMessage(text_), why));
    }

private:
    const QString& text_;
    qsizetype pos_ = 0;
};

bool compareResult(int order, Op op)
{
    switch (op) {
    case Op::Eq: return order == 0;
    case Op::Ne: return order != 0;
    case Op::Lt: return order < 0;
    case Op::Le: return order <= 0;
    case Op::Gt: return order > 0;
    case Op::Ge: return order >= 0;
    }
    return false;
}

template <typename T>
int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

struct FilterExpression::Node {
    enum class Kind { And, Or, Not, Compare } kind = Kind::Compare;
    std::unique_ptr<Node> left, right;
    int field = -1;
    FieldType fieldType = FieldType::Text;
    int height = 1;
    Op op = Op::Eq;
    Value literal;       // converted to the field's kind
    bool literalIsNull = false;

    bool eval(const std::vector<Value>& row) const
    {
        switch (kind) {
        case Kind::And: return left->eval(row) && right->eval(row);
        case Kind::Or: return left->eval(row) || right->eval(row);
        case Kind::Not: return !left->eval(row);
        case Kind::Compare: break;
        }
        const Value& value = row[size_t(field)];
        if (literalIsNull)
            return op == Op::Eq ? value.isNull() : !value.isNull();
        if (value.isNull())
            return false;
        int order = 0;
        switch (value.kind()) {
        case Value::Kind::Text: order = value.text().compare(literal.text(), Qt::CaseInsensitive); break;
        case Value::Kind::Date: order = threeWay(value.date(), literal.date()); break;
        case Value::Kind::Money: order = threeWay(value.money(), literal.money()); break;
        case Value::Kind::Integer:
        case Value::Kind::Real: order = threeWay(value.toDouble(), literal.toDouble()); break;
        case Value::Kind::Null: return false;
        }
        return compareResult(order, op);
    }
};

namespace {

class Parser {
public:
    Parser(const QString& text, const std::vector<FieldDef>& fields) : lexer_(text), fields_(fields) { advance(); }

    std::unique_ptr<FilterExpression::Node> parseAll()
    {
        auto node = parseOr();
        if (current_.kind != Token::Kind::End)
            lexer_.fail(QStringLiteral("лишний текст в позиции %1").arg(current_.position + 1));
        return node;
    }

private:
    using Node = FilterExpression::Node;

    void advance() { current_ = lexer_.next(); }

    bool isWord(const char* word) const
    {
        return current_.kind == Token::Kind::Identifier && current_.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    std::unique_ptr<Node> combine(Node::Kind kind, std::unique_ptr<Node> left, std::unique_ptr<Node> right)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->height = 1 + std::max(left->height, right ? right->height : 0);
        if (node->height > kMaxDepth)
            tooDeep();
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    [[noreturn]] void tooDeep() const
    {
        lexer_.fail(QStringLiteral("вложенность условий больше %1 уровней").arg(kMaxDepth));
    }

    // Counts the brackets and Not being parsed, so that the descent itself stops in time.
    struct Descent {
        explicit Descent(const Parser& p) : parser(p)
        {
            if (++parser.nesting_ > kMaxDepth)
                parser.tooDeep();
        }
        ~Descent() { --parser.nesting_; }
        const Parser& parser;
    };

    std::unique_ptr<Node> parseOr()
    {
        auto node = parseAnd();
        while (isWord("or")) {
            advance();
            node = combine(Node::Kind::Or, std::move(node), parseAnd());
        }
        return node;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto node = parseNot();
        while (isWord("and")) {
            advance();
            node = combine(Node::Kind::And, std::move(node), parseNot());
        }
        return node;
    }

    std::unique_ptr<Node> parseNot()
    {
        const Descent descent(*this);
        if (isWord("not")) {
            advance();
            return combine(Node::Kind::Not, parseNot(), nullptr);
        }
        if (current_.kind == Token::Kind::LeftParen) {
            advance();
            auto node = parseOr();
            if (current_.kind != Token::Kind::RightParen)
                lexer_.fail(QStringLiteral("не закрыта скобка"));
            advance();
            return node;
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison()
    {
        if (current_.kind != Token::Kind::Identifier)
            lexer_.fail(QStringLiteral("ожидалось имя поля в позиции %1").arg(current_.position + 1));
        auto node = std::make_unique<Node>();
        node->field = fieldIndex(current_.text);
        node->fieldType = fields_[size_t(node->field)].type;
        advance();
        if (isWord("is")) {
            advance();
            bool negated = false;
            if (isWord("not")) {
                negated = true;
                advance();
            }
            if (!isWord("null"))
                lexer_.fail(QStringLiteral("ожидалось NULL"));
            advance();
            node->op = negated ? Op::Ne : Op::Eq;
            node->literalIsNull = true;
            return node;
        }
        if (current_.kind != Token::Kind::Operator)
            lexer_.fail(QStringLiteral("ожидался знак сравнения в позиции %1").arg(current_.position + 1));
        node->op = current_.op;
        advance();
        if (current_.kind == Token::Kind::End || current_.kind == Token::Kind::Operator ||
            current_.kind == Token::Kind::LeftParen || current_.kind == Token::Kind::RightParen)
            lexer_.fail(QStringLiteral("ожидалось значение в позиции %1").arg(current_.position + 1));
        node->literal = convertLiteral(fields_[size_t(node->field)], current_);
        advance();
        return node;
    }

    int fieldIndex(const QString& name) const
    {
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        lexer_.fail(QStringLiteral("нет поля «%1»").arg(ru::quoteForMessage(name)));
    }

    Value convertLiteral(const FieldDef& field, const Token& token) const
    {
        const QString& text = token.text;
        switch (field.type) {
        case FieldType::Text:
            return text;
        case FieldType::Date:
            if (auto date = ru::tryParseDate(text))
                return *date;
            lexer_.fail(QStringLiteral("«%1» не является датой").arg(ru::quoteForMessage(text)));
        case FieldType::Money:
            if (auto money = Money::tryParse(text))
                return *money;
            lexer_.fail(QStringLiteral("«%1» не является числом").arg(ru::quoteForMessage(text)));
        case FieldType::Real:
        case FieldType::Counter:
        case FieldType::Short:
        case FieldType::Long:
            if (auto number = ru::tryParseReal(text))
                return *number;
            lexer_.fail(QStringLiteral("«%1» не является числом").arg(ru::quoteForMessage(text)));
        }
        return {};
    }

    Lexer lexer_;
    const std::vector<FieldDef>& fields_;
    Token current_;
    mutable int nesting_ = 0;
};

} // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::parse(const QString& text, const std::vector<FieldDef>& fields)
{
    FilterExpression expression;
    if (!text.trimmed().isEmpty())
        expression.root_ = Parser(text, fields).parseAll();
    return expression;
}

bool FilterExpression::matches(const std::vector<Value>& row) const
{
    return !root_ || root_->eval(row);
}

QString textEqualsFilter(const QString& field, const QString& value)
{
    QString quoted = value;
    quoted.replace(u'\'', QStringLiteral("''"));
    return field + QStringLiteral(" ='") + quoted + u'\'';
}

QString periodFilter(const QString& field, QDate from, QDate to)
{
    return QStringLiteral("%1 >=%2 And %1 <=%3").arg(field, ru::formatDate(from), ru::formatDate(to));
}

} // namespace vi23
