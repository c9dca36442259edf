#include "Value.h"
#include "RuFormat.h"

namespace vi23 {

double Value::toDouble() const
{
    switch (kind()) {
    case Kind::Integer: return double(integer());
    case Kind::Real: return real();
    case Kind::Money: return money().toDouble();
    case Kind::Text: return ru::tryParseReal(text()).value_or(0.0);
    case Kind::Null:
    case Kind::Date: break;
    }
    return 0.0;
}

QString Value::toText() const
{
    switch (kind()) {
    case Kind::Null: return {};
    case Kind::Integer: return QString::number(integer());
    case Kind::Real: return ru::formatReal(real());
    case Kind::Money: return money().toString();
    case Kind::Text: return text();
    case Kind::Date: return ru::formatDate(date());
    }
    return {};
}

} // namespace vi23
