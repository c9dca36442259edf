#include "reports/ValueFormat.h"

#include "data/RuFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace vi23 {

namespace {

std::optional<double> numberOf(const Value& value)
{
    switch (value.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Real:
    case Value::Kind::Money:
        return value.toDouble();
    case Value::Kind::Text:
        return ru::tryParseReal(value.text().trimmed());
    default:
        return std::nullopt;
    }
}

std::optional<QDate> dateOf(const Value& value)
{
    if (value.kind() == Value::Kind::Date)
        return value.date();
    if (value.kind() == Value::Kind::Text)
        return ru::tryParseDate(value.text().trimmed());
    return std::nullopt;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString formatDateAs(QDate d, int subFormat)
{
    switch (subFormat) {
    case 0:
        return twoDigits(d.day()) + u'.' + twoDigits(d.month()) + u'.' + twoDigits(d.year() % 100);
    case 2:
        return QStringLiteral("%1 %2 %3").arg(d.day()).arg(ru::monthShortName(d.month())).arg(d.year());
    case 3:
        return QStringLiteral("%1 %2 %3").arg(d.day()).arg(ru::monthGenitiveName(d.month())).arg(d.year());
    default:
        return ru::formatDate(d);
    }
}

} // namespace

double roundTo15Digits(double value)
{
    if (!std::isfinite(value) || value == 0)
        return value;
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
    double rounded = value;
    std::from_chars(buf, end, rounded);
    return rounded;
}

QString formatFixed(double value, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const bool negative = value < 0;
    // The 15 significant digits and the decimal exponent of the first one.
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14).ptr;
    *end = 0;
    QByteArray digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    if (value == 0)
        digits = QByteArray(15, '0');
    // Digit i has weight 10^(exponent - i); keep those down to 10^-decimals.
    int keep = exponent + 1 + decimals;
    QByteArray kept;
    if (keep >= 0) {
        kept = digits.left(keep);
        while (kept.size() < keep)
            kept.append('0');
        const bool roundUp = keep < digits.size() && digits[keep] >= '5';
        if (roundUp) {
            int i = int(kept.size()) - 1;
            for (; i >= 0; --i) {
                if (kept[i] == '9') {
                    kept[i] = '0';
                } else {
                    kept[i] = char(kept[i] + 1);
                    break;
                }
            }
            if (i < 0) {
                kept.prepend('1');
                ++keep;
            }
        }
    }
    // kept now holds the digits from 10^(keep - decimals - 1) down to 10^-decimals.
    while (kept.size() < decimals + 1)
        kept.prepend('0');
    QString intPart = QString::fromLatin1(kept.left(kept.size() - decimals));
    const QString fracPart = QString::fromLatin1(kept.right(decimals));
    while (intPart.size() > 1 && intPart.startsWith(u'0'))
        intPart.remove(0, 1);
    const bool zero = kept.count('0') == kept.size();
    QString text = negative && !zero ? QStringLiteral("-") + intPart : intPart;
    if (decimals > 0)
        text += separator + fracPart;
    return text;
}

QString valueText(const Value& value)
{
    if (value.kind() == Value::Kind::Real)
        return ru::formatReal(value.real() == 0 ? 0.0 : value.real());
    return value.toText();
}

QString formatValue(const Value& value, const DisplayFormat& format)
{
    if (value.isNull() || (value.kind() == Value::Kind::Text && value.text().isEmpty()))
        return QStringLiteral(" ");
    switch (format.category) {
    case DisplayFormat::Number:
        if (const auto n = numberOf(value)) {
            const QChar separator = QChar::fromLatin1(format.separator ? format.separator : ',');
            if (format.subFormat == 0) {
                // "###.##": up to two decimals, no trailing zeros, no grouping.
                QString text = formatFixed(*n, 2, separator);
                while (text.endsWith(u'0'))
                    text.chop(1);
                if (text.endsWith(separator))
                    text.chop(1);
                return text == QLatin1StringView("-0") ? QStringLiteral("0") : text;
            }
            return formatFixed(*n, format.digits, separator);
        }
        break;
    case DisplayFormat::Date:
        if (const auto d = dateOf(value); d && d->isValid())
            return formatDateAs(*d, format.subFormat);
        break;
    default:
        break;
    }
    return valueText(value);
}

} // namespace vi23
