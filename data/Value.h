#pragma once
// One field value as the data layer and the report engine see it: Null, integer, real, money, text or date.
#include "Money.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <variant>

namespace vi23 {

class Value {
public:
    enum class Kind { Null, Integer, Real, Money, Text, Date };

    Value() = default;
    Value(std::int64_t v) : data_(v) {}
    Value(int v) : data_(std::int64_t(v)) {}
    Value(double v) : data_(v) {}
    Value(vi23::Money v) : data_(v) {}
    Value(const QString& v) : data_(v) {}
    Value(QString&& v) : data_(std::move(v)) {}
    Value(const char16_t* v) : data_(QString::fromUtf16(v)) {}
    Value(QDate v) : data_(v) {}

    Kind kind() const { return Kind(data_.index()); }
    bool isNull() const { return data_.index() == 0; }
    bool isNumber() const { auto k = kind(); return k == Kind::Integer || k == Kind::Real || k == Kind::Money; }

    std::int64_t integer() const { return std::get<std::int64_t>(data_); }
    double real() const { return std::get<double>(data_); }
    vi23::Money money() const { return std::get<vi23::Money>(data_); }
    const QString& text() const { return std::get<QString>(data_); }
    QDate date() const { return std::get<QDate>(data_); }

    // The value as a floating-point number: numbers as they are, text read with comma or point, else 0.
    double toDouble() const;
    // The value's own text form: shortest decimal text with the comma, dates dd.MM.yyyy, Null as "".
    QString toText() const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, std::int64_t, double, vi23::Money, QString, QDate> data_;
};

} // namespace vi23
