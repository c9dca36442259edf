#pragma once
// Bracket expressions of memo texts: parsed once into a tree, evaluated against a context.
#include "data/Value.h"

#include <QString>
#include <memory>
#include <vector>

namespace vi23 {

struct ExprNode {
    enum class Kind { Number, String, Bracket, Identifier, Call, Binary, Negate };
    Kind kind = Kind::Number;
    double number = 0;
    QString text;       // string literal, bracket content as written, identifier upper-cased, function upper-cased
    QString argText;    // call: its argument text exactly as written
    QChar op;           // binary operator
    std::vector<std::unique_ptr<ExprNode>> children;
    // The context's own note on this node while the tree lives, 0 until it makes one: what a name
    // turned out to be, which total a call keeps. Saves finding them again on every row.
    mutable int memo = 0;
};

// What an expression reaches outside itself.
class ExpressionContext {
public:
    virtual ~ExpressionContext() = default;
    // The full resolution order for a bracket's content or an upper-cased identifier (its text).
    virtual Value resolve(const ExprNode& name) = 0;
    // SUM, COUNT, MAX, MIN, AVG (the call's text) of its one argument, keyed by the function and the
    // argument text.
    virtual Value aggregate(const ExprNode& call) = 0;
};

// Throws UserError when the text is not an expression.
std::unique_ptr<ExprNode> parseExpression(const QString& text);
Value evaluate(const ExprNode& node, ExpressionContext& context);

bool isAggregateFunction(const QString& upperName);

// Index just past the "]" matching the "[" at `open`, skipping quoted stretches; -1 if unmatched.
qsizetype findClosingBracket(const QString& text, qsizetype open);

// A number for arithmetic: numbers as they are, text read with comma or point (else an error),
// Null and empty text 0, dates as day counts.
double arithmeticOperand(const Value& value);

// Nearest integer by the money layer's rounding rule, the value taken at 15 significant digits.
double roundToWhole(double value);

} // namespace vi23
