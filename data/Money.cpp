#include "Money.h"
#include "Error.h"
#include "RuFormat.h"

#include <cassert>
#include <cmath>
#include <limits>

namespace vi23 {

namespace {

std::int64_t divideRounded(std::int64_t value, std::int64_t divisor)
{
    return std::int64_t(roundedQuotient(value, divisor));
}

std::int64_t powerOfTen(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

WideInteger roundedQuotient(WideInteger value, WideInteger divisor)
{
    WideInteger quotient = value / divisor;
    const WideInteger remainder = value % divisor;
    if (2 * (remainder < 0 ? -remainder : remainder) >= divisor)
        quotient += value < 0 ? -1 : 1;
    return quotient;
}

long double roundedToWhole(long double value)
{
    return std::roundl(value);
}

void Money::throwOutOfRange()
{
    throw UserError(QStringLiteral("Сумма выходит за пределы денежного поля: допустимо не более "
                                   "922 337 203 685 477,5807 по абсолютной величине"));
}

// A count of ten-thousandths computed in extended precision, rounded once by the rule.
Money Money::fromScaled(long double scaled)
{
    if (std::isnan(scaled))
        throw UserError(QStringLiteral("Сумма не является числом"));
    const long double whole = roundedToWhole(scaled);
    assert(std::fabs(whole - scaled) <= 0.5L);
    // 2^63 is exact in long double; anything from it upwards in magnitude does not fit.
    if (!(std::fabs(whole) < 9223372036854775808.0L))
        throwOutOfRange();
    return Money(static_cast<std::int64_t>(whole));
}

Money Money::times(long double factor) const
{
    return fromScaled(static_cast<long double>(units_) * factor);
}

Money Money::fromDouble(double value)
{
    return fromExtended(static_cast<long double>(value));
}

Money Money::fromExtended(long double value)
{
    return fromScaled(value * kScale);
}

std::optional<Money> Money::tryParse(QStringView text)
{
    QStringView s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool negative = false;
    qsizetype i = 0;
    if (s[0] == u'-' || s[0] == u'+') {
        negative = s[0] == u'-';
        ++i;
    }
    std::int64_t whole = 0;
    std::int64_t fraction = 0;     // ten-thousandths, plus one extra place group for rounding
    int fractionDigits = 0;
    bool anyDigit = false;
    bool seenSeparator = false;
    int fifthDigit = 0;
    for (; i < s.size(); ++i) {
        QChar c = s[i];
        if (c == u',' || c == u'.') {
            if (seenSeparator)
                return std::nullopt;
            seenSeparator = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        anyDigit = true;
        int digit = c.unicode() - u'0';
        if (!seenSeparator) {
            if (whole > (std::numeric_limits<std::int64_t>::max() / kScale - 9) / 10)
                return std::nullopt;
            whole = whole * 10 + digit;
        } else if (fractionDigits < 4) {
            fraction = fraction * 10 + digit;
            ++fractionDigits;
        } else if (fractionDigits == 4) {
            fifthDigit = digit;
            ++fractionDigits;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    for (int d = std::min(fractionDigits, 4); d < 4; ++d)
        fraction *= 10;
    std::int64_t units = whole * kScale + fraction;
    if (fifthDigit >= 5)
        ++units;
    return Money(negative ? -units : units);
}

Money Money::parse(QStringView text)
{
    if (auto value = tryParse(text))
        return *value;
    throw UserError(QStringLiteral("«%1» — не число: введите цифры, дробную часть через запятую").arg(ru::quoteForMessage(text)));
}

QString Money::toString() const
{
    QString text = toFixed(4);
    if (text.contains(u',')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u','))
            text.chop(1);
    }
    return text;
}

QString Money::toFixed(int decimals, QChar separator) const
{
    // Money has four decimals: asking for more would print digits it never kept.
    assert(decimals >= 0 && decimals <= 4);
    decimals = std::clamp(decimals, 0, 4);
    std::int64_t scaled = divideRounded(units_, powerOfTen(4 - decimals));
    std::uint64_t magnitude = scaled < 0 ? std::uint64_t(0) - std::uint64_t(scaled) : std::uint64_t(scaled);
    std::uint64_t divisor = std::uint64_t(powerOfTen(decimals));
    QString text = QString::number(magnitude / divisor);
    if (decimals > 0)
        text += separator + QStringLiteral("%1").arg(magnitude % divisor, decimals, 10, QChar(u'0'));
    if (scaled < 0)
        text.prepend(u'-');
    return text;
}

Money Money::rounded(int decimals) const
{
    assert(decimals >= 0 && decimals <= 4);
    decimals = std::clamp(decimals, 0, 4);
    std::int64_t step = powerOfTen(4 - decimals);
    return Money(divideRounded(units_, step) * step);
}

} // namespace vi23
