#include "reports/Expression.h"

#include "data/Error.h"
#include "data/Money.h"
#include "data/RuFormat.h"
#include "reports/ValueFormat.h"

#include <algorithm>
#include <cmath>

namespace vi23 {

namespace {

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'#';
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'#';
}

class Parser {
public:
    explicit Parser(const QString& text) : s_(text) {}

    std::unique_ptr<ExprNode> parseAll()
    {
        auto node = parseComparison();
        skipSpaces();
        if (pos_ != s_.size())
            fail();
        return node;
    }

private:
    [[noreturn]] void fail() const
    {
        throw UserError(QStringLiteral("Ошибка в выражении \"%1\"").arg(s_));
    }

    void skipSpaces()
    {
        while (pos_ < s_.size() && s_[pos_].isSpace())
            ++pos_;
    }

    bool peek(QChar c)
    {
        skipSpaces();
        return pos_ < s_.size() && s_[pos_] == c;
    }

    std::unique_ptr<ExprNode> binary(QChar op, std::unique_ptr<ExprNode> l, std::unique_ptr<ExprNode> r)
    {
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Kind::Binary;
        node->op = op;
        node->children.push_back(std::move(l));
        node->children.push_back(std::move(r));
        return node;
    }

    // a = b: 1 when the two numbers are equal, else 0.
    std::unique_ptr<ExprNode> parseComparison()
    {
        auto left = parseSum();
        if (peek(u'=')) {
            ++pos_;
            left = binary(u'=', std::move(left), parseSum());
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseSum()
    {
        auto left = parseProduct();
        while (peek(u'+') || peek(u'-')) {
            const QChar op = s_[pos_++];
            left = binary(op, std::move(left), parseProduct());
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseProduct()
    {
        auto left = parseUnary();
        while (peek(u'*') || peek(u'/')) {
            const QChar op = s_[pos_++];
            left = binary(op, std::move(left), parseUnary());
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseUnary()
    {
        if (peek(u'-')) {
            ++pos_;
            auto node = std::make_unique<ExprNode>();
            node->kind = ExprNode::Kind::Negate;
            node->children.push_back(parseUnary());
            return node;
        }
        if (peek(u'+')) {
            ++pos_;
            return parseUnary();
        }
        return parsePrimary();
    }

    std::unique_ptr<ExprNode> parsePrimary()
    {
        skipSpaces();
        if (pos_ >= s_.size())
            fail();
        const QChar c = s_[pos_];
        if (c.isDigit() || ((c == u'.' || c == u',') && pos_ + 1 < s_.size() && s_[pos_ + 1].isDigit()))
            return parseNumber();
        if (c == u'[') {
            const qsizetype end = findClosingBracket(s_, pos_);
            if (end < 0)
                fail();
            auto node = leaf(ExprNode::Kind::Bracket, s_.mid(pos_ + 1, end - pos_ - 2));
            pos_ = end;
            return node;
        }
        if (c == u'"' || c == u'\'') {
            const qsizetype end = s_.indexOf(c, pos_ + 1);
            if (end < 0)
                fail();
            auto node = leaf(ExprNode::Kind::String, s_.mid(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            return node;
        }
        if (c == u'(') {
            ++pos_;
            auto inner = parseSum();
            if (!peek(u')'))
                fail();
            ++pos_;
            return inner;
        }
        if (isIdentifierStart(c))
            return parseName();
        fail();
    }

    static std::unique_ptr<ExprNode> leaf(ExprNode::Kind kind, const QString& text)
    {
        auto node = std::make_unique<ExprNode>();
        node->kind = kind;
        node->text = text;
        return node;
    }

    // Digits with a point or a comma before the fraction.
    std::unique_ptr<ExprNode> parseNumber()
    {
        const qsizetype start = pos_;
        while (pos_ < s_.size() && s_[pos_].isDigit())
            ++pos_;
        if (pos_ + 1 < s_.size() && (s_[pos_] == u'.' || s_[pos_] == u',') && s_[pos_ + 1].isDigit()) {
            ++pos_;
            while (pos_ < s_.size() && s_[pos_].isDigit())
                ++pos_;
        }
        QString number = s_.mid(start, pos_ - start);
        number.replace(u',', u'.');
        bool ok = false;
        auto node = leaf(ExprNode::Kind::Number, {});
        node->number = number.toDouble(&ok);
        if (!ok)
            fail();
        return node;
    }

    // A variable, or a function call with its arguments parted by ";" or ",".
    std::unique_ptr<ExprNode> parseName()
    {
        const qsizetype start = pos_;
        while (pos_ < s_.size() && isIdentifierChar(s_[pos_]))
            ++pos_;
        const QString name = s_.mid(start, pos_ - start).toUpper();
        if (!peek(u'('))
            return leaf(ExprNode::Kind::Identifier, name);
        const qsizetype argStart = pos_ + 1;
        const qsizetype argEnd = findClosingParen(pos_);
        auto node = leaf(ExprNode::Kind::Call, name);
        node->argText = s_.mid(argStart, argEnd - argStart);
        ++pos_;
        if (!peek(u')')) {
            node->children.push_back(parseSum());
            while (peek(u';') || peek(u',')) {
                ++pos_;
                node->children.push_back(parseSum());
            }
        }
        if (!peek(u')') || pos_ != argEnd)
            fail();
        ++pos_;
        return node;
    }

    // Index of the ")" closing the "(" at `open`; brackets and quotes hide their contents.
    qsizetype findClosingParen(qsizetype open) const
    {
        int depth = 0;
        for (qsizetype i = open; i < s_.size(); ++i) {
            const QChar c = s_[i];
            if (c == u'[') {
                const qsizetype end = findClosingBracket(s_, i);
                if (end < 0)
                    fail();
                i = end - 1;
            } else if (c == u'"' || c == u'\'') {
                const qsizetype end = s_.indexOf(c, i + 1);
                if (end < 0)
                    fail();
                i = end;
            } else if (c == u'(') {
                ++depth;
            } else if (c == u')') {
                if (--depth == 0)
                    return i;
            }
        }
        fail();
    }

    const QString& s_;
    qsizetype pos_ = 0;
};

} // namespace

qsizetype findClosingBracket(const QString& text, qsizetype open)
{
    int depth = 0;
    QChar quote;
    for (qsizetype i = open; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'[') {
            ++depth;
        } else if (c == u']') {
            if (--depth == 0)
                return i + 1;
        }
    }
    return -1;
}

bool isAggregateFunction(const QString& upperName)
{
    return upperName == QLatin1StringView("SUM") || upperName == QLatin1StringView("COUNT") || upperName == QLatin1StringView("MAX") || upperName == QLatin1StringView("MIN")
        || upperName == QLatin1StringView("AVG");
}

std::unique_ptr<ExprNode> parseExpression(const QString& text)
{
    return Parser(text).parseAll();
}

double arithmeticOperand(const Value& value)
{
    switch (value.kind()) {
    case Value::Kind::Null:
        return 0;
    case Value::Kind::Text: {
        const QString t = value.text().trimmed();
        return t.isEmpty() ? 0 : ru::parseReal(t);
    }
    case Value::Kind::Date:
        // Day count from 30.12.1899, as date arithmetic in the forms' world expects.
        return double(QDate(1899, 12, 30).daysTo(value.date()));
    default:
        return value.toDouble();
    }
}

double roundToWhole(double value)
{
    const double r = double(roundedToWhole(roundTo15Digits(value)));
    return r == 0 ? 0.0 : r;   // no "-0" in print
}

Value evaluate(const ExprNode& node, ExpressionContext& context)
{
    switch (node.kind) {
    case ExprNode::Kind::Number:
        return Value(node.number);
    case ExprNode::Kind::String:
        return Value(node.text);
    case ExprNode::Kind::Bracket:
    case ExprNode::Kind::Identifier:
        return context.resolve(node);
    case ExprNode::Kind::Negate:
        return Value(-arithmeticOperand(evaluate(*node.children[0], context)));
    case ExprNode::Kind::Binary: {
        const double l = arithmeticOperand(evaluate(*node.children[0], context));
        const double r = arithmeticOperand(evaluate(*node.children[1], context));
        switch (node.op.unicode()) {
        case '+': return Value(l + r);
        case '-': return Value(l - r);
        case '*': return Value(l * r);
        case '=': return Value(l == r ? 1.0 : 0.0);
        default:
            if (r == 0)
                throw UserError(QStringLiteral("Деление на ноль"));
            return Value(l / r);
        }
    }
    case ExprNode::Kind::Call: {
        if ((node.text == QLatin1StringView("MAX") || node.text == QLatin1StringView("MIN")) && node.children.size() == 2) {
            // With two arguments the larger or smaller of them, not an aggregate.
            const double a = arithmeticOperand(evaluate(*node.children[0], context));
            const double b = arithmeticOperand(evaluate(*node.children[1], context));
            return Value(node.text == QLatin1StringView("MAX") ? std::max(a, b) : std::min(a, b));
        }
        if (isAggregateFunction(node.text)) {
            if (node.children.size() != 1)
                throw UserError(QStringLiteral("Ошибка в выражении \"%1(%2)\"").arg(node.text, node.argText));
            return context.aggregate(node);
        }
        if (node.text == QLatin1StringView("PLURAL") && node.children.size() == 4) {
            // The noun form agreeing with a count: plural(n; 'запись'; 'записи'; 'записей').
            const double n = std::fabs(arithmeticOperand(evaluate(*node.children[0], context)));
            const long long whole = static_cast<long long>(n);
            const int lastTwo = int(whole % 100), last = int(whole % 10);
            size_t form = 3;
            if (whole != n)
                form = 2;
            else if (lastTwo < 11 || lastTwo > 14)
                form = last == 1 ? 1 : (last >= 2 && last <= 4) ? 2 : 3;
            return Value(valueText(evaluate(*node.children[form], context)));
        }
        if (node.text == QLatin1StringView("ROUND") && node.children.size() == 1)
            return Value(roundToWhole(arithmeticOperand(evaluate(*node.children[0], context))));
        throw UserError(QStringLiteral("Неизвестное имя «%1»").arg(node.text));
    }
    }
    return Value();
}

} // namespace vi23
