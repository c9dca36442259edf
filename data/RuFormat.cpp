#include "RuFormat.h"
#include "Error.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace vi23::ru {

namespace {

// Reads an unsigned decimal number of 1..maxDigits digits at position i.
std::optional<int> readNumber(QStringView text, qsizetype& i, int maxDigits, int& digits)
{
    int value = 0;
    digits = 0;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        if (++digits > maxDigits)
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

} // namespace

QString quoteForMessage(QStringView text, qsizetype limit)
{
    if (text.size() <= limit)
        return text.toString();
    return text.left(limit).toString() + QStringLiteral("… (всего %1 знаков)").arg(text.size());
}

QString formatDate(QDate date)
{
    if (!date.isValid())
        return {};
    return QStringLiteral("%1.%2.%3")
        .arg(date.day(), 2, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.year(), 4, 10, QChar(u'0'));
}

std::optional<QDate> tryParseDate(QStringView text)
{
    QStringView s = text.trimmed();
    qsizetype i = 0;
    int digits = 0;
    auto day = readNumber(s, i, 2, digits);
    if (!day || i >= s.size() || s[i] != u'.')
        return std::nullopt;
    ++i;
    auto month = readNumber(s, i, 2, digits);
    if (!month || i >= s.size() || s[i] != u'.')
        return std::nullopt;
    ++i;
    auto year = readNumber(s, i, 4, digits);
    if (!year || i != s.size() || (digits != 2 && digits != 4))
        return std::nullopt;
    int fullYear = digits == 2 ? 2000 + *year : *year;
    QDate date(fullYear, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QDate parseDate(QStringView text)
{
    if (auto date = tryParseDate(text))
        return *date;
    throw UserError(QStringLiteral("«%1» — не дата: введите дату в виде дд.мм.гггг").arg(quoteForMessage(text)));
}

std::optional<QDate> tryParseTypedDate(QStringView text, QDate today)
{
    const QStringView s = text.trimmed();
    if (auto date = tryParseDate(s))
        return date;
    const bool allDigits = !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    QDate date;
    if (allDigits && (s.size() == 6 || s.size() == 8)) {
        const int year = s.mid(4).toInt();
        date = QDate(s.size() == 6 ? 2000 + year : year, s.mid(2, 2).toInt(), s.left(2).toInt());
    } else if (const qsizetype dot = s.indexOf(u'.'); dot > 0 && s.indexOf(u'.', dot + 1) < 0) {
        // Day and month: the year is the current one.
        if (auto withYear = tryParseDate(s.toString() + u'.' + QString::number(today.year())))
            date = *withYear;
    }
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QDate parseTypedDate(QStringView text, QDate today)
{
    if (auto date = tryParseTypedDate(text, today))
        return *date;
    throw UserError(QStringLiteral("«%1» — не дата: введите дату в виде дд.мм.гггг, ддммгг или дд.мм")
                        .arg(quoteForMessage(text)));
}

QString formatReal(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    // 15 significant digits, written out in full: 1e-07 reads "0,0000001", 1e+17 "100000000000000000".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    QByteArray text(buffer);
    const qsizetype e = text.indexOf('e');
    const int exponent = text.mid(e + 1).toInt();
    QByteArray digits = text.left(e);
    const bool negative = digits.startsWith('-');
    digits.replace("-", "").replace(".", "");
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    QByteArray result;
    if (exponent < 0) {
        result = "0," + QByteArray(-exponent - 1, '0') + digits;
    } else if (digits.size() > exponent + 1) {
        result = digits.left(exponent + 1) + ',' + digits.mid(exponent + 1);
    } else {
        result = digits + QByteArray(exponent + 1 - digits.size(), '0');
    }
    return QString::fromLatin1((negative ? "-" : "") + result);
}

std::optional<double> tryParseReal(QStringView text)
{
    QString s = text.trimmed().toString();
    if (s.isEmpty())
        return std::nullopt;
    s.replace(u',', u'.');
    QByteArray bytes = s.toLatin1();
    // No exponent: "1e17" is a typing slip more often than a quantity.
    for (char c : bytes) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+'))
            return std::nullopt;
    }
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (*begin == '+')
        ++begin;
    double value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double parseReal(QStringView text)
{
    if (auto value = tryParseReal(text))
        return *value;
    throw UserError(QStringLiteral("«%1» — не число: введите цифры, дробную часть через запятую").arg(quoteForMessage(text)));
}

std::optional<long long> tryParseInteger(QStringView text)
{
    QByteArray bytes = text.trimmed().toString().toLatin1();
    if (bytes.isEmpty())
        return std::nullopt;
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (*begin == '+')
        ++begin;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

long long parseInteger(QStringView text)
{
    if (auto value = tryParseInteger(text))
        return *value;
    throw UserError(QStringLiteral("«%1» — не целое число: введите только цифры").arg(quoteForMessage(text)));
}

QString monthShortName(int month)
{
    static const std::array<const char16_t*, 12> names = {u"янв", u"фев", u"мар", u"апр", u"мая", u"июн",
                                                          u"июл", u"авг", u"сен", u"окт", u"ноя", u"дек"};
    return month >= 1 && month <= 12 ? QString::fromUtf16(names[month - 1]) : QString();
}

QString monthGenitiveName(int month)
{
    static const std::array<const char16_t*, 12> names = {
        u"января", u"февраля", u"марта", u"апреля", u"мая", u"июня",
        u"июля", u"августа", u"сентября", u"октября", u"ноября", u"декабря"};
    return month >= 1 && month <= 12 ? QString::fromUtf16(names[month - 1]) : QString();
}

QString isoDate(QDate date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

std::optional<QDate> tryParseIsoDate(QStringView s)
{
    // Only the date part counts; a time after it is ignored.
    if (s.size() < 10 || s[4] != u'-' || s[7] != u'-')
        return std::nullopt;
    auto digitsAt = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            if (!s[i].isDigit())
                return -1;
            value = value * 10 + (s[i].unicode() - u'0');
        }
        return value;
    };
    QDate date(digitsAt(0, 4), digitsAt(5, 2), digitsAt(8, 2));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace vi23::ru
