#include "reports/ValueFormat.h"

#include "data/RuFormat.h"

#include <QVarLengthArray>

#include <algorithm>
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
        return QString::number(d.day()) + u' ' + ru::monthShortName(d.month()) + u' ' + QString::number(d.year());
    case 3:
        return QString::number(d.day()) + u' ' + ru::monthGenitiveName(d.month()) + u' ' + QString::number(d.year());
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

namespace {

// The 15 significant digits of |value| and the decimal exponent of the first one.
int significantDigits(double value, char (&digits)[16], int& digitCount)
{
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14).ptr;
    *end = 0;
    digitCount = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && digitCount < 16)
            digits[digitCount++] = *p;
    }
    if (value == 0) {
        std::fill(digits, digits + 15, '0');
        digitCount = 15;
    }
    return *p == 'e' ? std::atoi(p + 1) : 0;
}

// The first `keep` digits, rounded half up on the next one; a carry out of the first adds a digit.
void keepRounded(QVarLengthArray<char, 64>& kept, const char* digits, int digitCount, int keep)
{
    for (int i = 0; i < keep; ++i)
        kept.append(i < digitCount ? digits[i] : '0');
    if (keep >= digitCount || digits[keep] < '5')
        return;
    qsizetype i = kept.size() - 1;
    for (; i >= 0; --i) {
        if (kept[i] != '9') {
            kept[i] = char(kept[i] + 1);
            return;
        }
        kept[i] = '0';
    }
    kept.insert(kept.begin(), '1');
}

} // namespace

QString formatFixed(double value, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return QString::number(value);
    char digits[16];
    int digitCount = 0;
    const int exponent = significantDigits(value, digits, digitCount);
    // Digit i has weight 10^(exponent - i); keep those down to 10^-decimals. Built in place: every
    // amount of a long book passes here.
    const int keep = exponent + 1 + decimals;
    QVarLengthArray<char, 64> kept;
    if (keep >= 0)
        keepRounded(kept, digits, digitCount, keep);
    // kept now holds the digits from 10^(kept.size() - decimals - 1) down to 10^-decimals.
    while (kept.size() < decimals + 1)
        kept.insert(kept.begin(), '0');
    const qsizetype intEnd = kept.size() - decimals;
    qsizetype intStart = 0;
    while (intStart < intEnd - 1 && kept[intStart] == '0')
        ++intStart;
    const bool zero = std::all_of(kept.begin(), kept.end(), [](char c) { return c == '0'; });
    QString text;
    text.reserve(intEnd - intStart + decimals + 2);
    if (value < 0 && !zero)
        text += u'-';
    text += QLatin1StringView(kept.data() + intStart, intEnd - intStart);
    if (decimals > 0) {
        text += separator;
        text += QLatin1StringView(kept.data() + intEnd, decimals);
    }
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
