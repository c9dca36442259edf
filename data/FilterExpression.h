#pragma once
// A data set's filter text, parsed once and evaluated per row:
//   sr ='Продажа'    k=15    dd >=01.01.2010 And dd <=31.03.2010
// Comparisons of text ignore letter case; a quote inside a quoted value is written doubled.
#include "Schema.h"
#include "Value.h"

#include <QString>
#include <memory>
#include <vector>

namespace vi23 {

class FilterExpression {
public:
    FilterExpression();
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    // Throws UserError naming the filter when the text is malformed or names an unknown field.
    static FilterExpression parse(const QString& text, const std::vector<FieldDef>& fields);

    bool isEmpty() const { return root_ == nullptr; }
    bool matches(const std::vector<Value>& row) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
};

// Builds the text of an equality filter on a text field with the value quoted safely: name ='O''Brien'.
QString textEqualsFilter(const QString& field, const QString& value);
// The period filter over a date field, dates written dd.MM.yyyy.
QString periodFilter(const QString& field, QDate from, QDate to);

} // namespace vi23
