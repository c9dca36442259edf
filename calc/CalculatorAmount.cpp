#include "calc/CalculatorAmount.h"

#include "data/Error.h"

#include <cstdint>
#include <limits>

namespace vi23 {

namespace {

constexpr int kDecimals = 4;
constexpr int kSignificantDigits = 15;

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

[[noreturn]] void throwUnreadable(QStringView entry)
{
    throw UserError(QStringLiteral("«%1» — не число: введите цифры, дробную часть через запятую").arg(entry.toString()));
}

[[noreturn]] void throwTooLarge(QStringView entry)
{
    throw UserError(QStringLiteral("«%1» — слишком большая сумма: калькулятор вмещает не более %2")
                        .arg(entry.toString(),
                             Money::fromUnits(std::numeric_limits<std::int64_t>::max()).toString()));
}

} // namespace

Money readCalculatorAmount(QStringView entry)
{
    qsizetype begin = 0;
    qsizetype end = entry.size();
    while (begin < end && isBlank(entry[begin]))
        ++begin;
    while (end > begin && isBlank(entry[end - 1]))
        --end;
    QStringView s = entry.sliced(begin, end - begin);

    // Shape first, so that an unreadable text is never reported as too large.
    qsizetype comma = -1;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u',') {
            if (comma >= 0)
                throwUnreadable(entry);
            comma = i;
        } else if (!isDigit(s[i])) {
            throwUnreadable(entry);
        }
    }
    if (s.isEmpty())
        throwUnreadable(entry);

    QStringView whole = comma >= 0 ? s.first(comma) : s;
    QStringView fraction = comma >= 0 ? s.sliced(comma + 1) : QStringView();

    // Whole part: at most 15 significant digits keep whole * 10^4 inside uint64.
    while (!whole.isEmpty() && whole.front() == u'0')
        whole = whole.sliced(1);
    if (whole.size() > kSignificantDigits)
        throwTooLarge(entry);
    std::uint64_t units = 0;
    for (QChar c : whole)
        units = units * 10 + std::uint64_t(c.unicode() - u'0');

    std::uint64_t fractionUnits = 0;
    for (qsizetype i = 0; i < kDecimals; ++i)
        fractionUnits = fractionUnits * 10 + (i < fraction.size() ? std::uint64_t(fraction[i].unicode() - u'0') : 0);
    units = units * std::uint64_t(Money::kScale) + fractionUnits;

    // The fifth decimal and anything after it decide the rounding, a tie going to even.
    if (fraction.size() > kDecimals) {
        int fifth = fraction[kDecimals].unicode() - u'0';
        bool beyond = false;
        for (qsizetype i = kDecimals + 1; i < fraction.size(); ++i)
            beyond = beyond || fraction[i] != u'0';
        if (fifth > 5 || (fifth == 5 && (beyond || units % 2 != 0)))
            ++units;
    }
    if (units > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        throwTooLarge(entry);
    return Money::fromUnits(std::int64_t(units));
}

QString formatCalculatorAmount(Money amount)
{
    std::int64_t signedUnits = amount.units();
    bool negative = signedUnits < 0;
    std::uint64_t units = negative ? std::uint64_t(0) - std::uint64_t(signedUnits) : std::uint64_t(signedUnits);

    // Round to 15 significant digits; uint64 leaves room for the carry past int64's maximum.
    int digits = 0;
    for (std::uint64_t rest = units; rest > 0; rest /= 10)
        ++digits;
    if (digits > kSignificantDigits) {
        std::uint64_t step = 1;
        for (int i = 0; i < digits - kSignificantDigits; ++i)
            step *= 10;
        std::uint64_t quotient = units / step;
        std::uint64_t remainder = units % step;
        if (2 * remainder > step || (2 * remainder == step && quotient % 2 != 0))
            ++quotient;
        units = quotient * step;
    }

    const auto scale = std::uint64_t(Money::kScale);
    QString text = QString::number(units / scale);
    std::uint64_t fraction = units % scale;
    if (fraction != 0) {
        QString decimals = QStringLiteral("%1").arg(fraction, kDecimals, 10, QChar(u'0'));
        while (decimals.endsWith(u'0'))
            decimals.chop(1);
        text += u',' + decimals;
    }
    if (negative && units != 0)
        text.prepend(u'-');
    return text;
}

} // namespace vi23
