#include "DocumentMoney.h"

#include "Error.h"

#include <QLocale>
#include <QString>
#include <cmath>
#include <limits>

namespace vi23 {

namespace {

// Products of a 17-digit quantity and a 19-digit price need more than 64 bits.
using Wide = WideInteger;

// A decimal number mantissa × 10^-scale.
struct Decimal {
    Wide mantissa = 0;
    int scale = 0;
};

[[noreturn]] void tooLarge()
{
    throw UserError(QStringLiteral("Сумма строки документа слишком велика"));
}

Wide multiply(Wide a, Wide b)
{
    Wide r;
    if (__builtin_mul_overflow(a, b, &r))
        tooLarge();
    return r;
}

Wide powerOfTen(int n)
{
    Wide p = 1;
    while (n-- > 0)
        p = multiply(p, 10);
    return p;
}

// The double's shortest round-trip decimal text, read exactly.
Decimal exactDecimal(double value)
{
    if (!std::isfinite(value))
        throw UserError(QStringLiteral("%1 is not a valid floating point value").arg(value));
    const QString text = QString::number(value, 'e', QLocale::FloatingPointShortest);
    // "d.ddde±xx"
    const qsizetype e = text.indexOf(u'e');
    Decimal d;
    bool negative = false;
    int fractionDigits = 0;
    bool afterPoint = false;
    for (qsizetype i = 0; i < e; ++i) {
        const QChar c = text[i];
        if (c == u'-') {
            negative = true;
        } else if (c == u'.') {
            afterPoint = true;
        } else {
            d.mantissa = d.mantissa * 10 + (c.unicode() - u'0');
            if (afterPoint)
                ++fractionDigits;
        }
    }
    const int exponent = text.mid(e + 1).toInt();
    d.scale = fractionDigits - exponent;
    if (d.scale < 0) {
        d.mantissa = multiply(d.mantissa, powerOfTen(-d.scale));
        d.scale = 0;
    }
    if (d.scale > 18) {
        // Far below a ten-thousandth of a kopeck: keep 18 places.
        d.mantissa = roundedQuotient(d.mantissa, powerOfTen(d.scale - 18));
        d.scale = 18;
    }
    if (negative)
        d.mantissa = -d.mantissa;
    return d;
}

// value (at `scale` places) rounded by the rule to `places` places, as a count of those places.
Wide roundTo(Wide value, int scale, int places)
{
    if (scale >= places)
        return roundedQuotient(value, powerOfTen(scale - places));
    return multiply(value, powerOfTen(places - scale));
}

Money moneyOfKopecks(Wide kopecks)
{
    const Wide units = multiply(kopecks, 100);
    if (units > std::numeric_limits<std::int64_t>::max() || units < std::numeric_limits<std::int64_t>::min())
        tooLarge();
    return Money::fromUnits(std::int64_t(units));
}

// The percent the arithmetic applies: none for an exempt line. A rate outside those in force (a
// negative one would give the buyer VAT back) is never printed or summed.
int appliedRate(int ratePercent)
{
    if (!isAllowedVatRate(ratePercent))
        throw UserError(QStringLiteral("Ставка НДС %1 % недопустима: допустимы %2").arg(ratePercent).arg(allowedVatRatesText()));
    return isVatExempt(ratePercent) ? 0 : ratePercent;
}

const QString kExemptText = QStringLiteral("Без НДС");

} // namespace

const QStringList& vatRateChoices()
{
    static const QStringList choices = {QStringLiteral("22"), QStringLiteral("20"), QStringLiteral("18"),
                                        QStringLiteral("10"), QStringLiteral("7"),  QStringLiteral("5"),
                                        QStringLiteral("0"),  kExemptText};
    return choices;
}

QString vatRateText(int ratePercent)
{
    return isVatExempt(ratePercent) ? kExemptText : QString::number(ratePercent);
}

bool isVatExemptText(const QString& text)
{
    return text.simplified().compare(kExemptText, Qt::CaseInsensitive) == 0;
}

bool isAllowedVatRate(int ratePercent)
{
    return isVatExempt(ratePercent) || vatRateChoices().contains(QString::number(ratePercent));
}

QString allowedVatRatesText()
{
    QStringList rates = vatRateChoices();
    const QString last = rates.takeLast();
    return rates.join(QStringLiteral(" %, ")) + QStringLiteral(" % или «") + last + u'»';
}

int parseVatRate(const QString& text)
{
    QString t = text.simplified();
    if (isVatExemptText(t))
        return kVatExempt;
    if (t.endsWith(u'%'))
        t = t.chopped(1).trimmed();
    bool ok = false;
    const int rate = t.toInt(&ok);
    // The exempt mark is typed as words, never as its stored number.
    if (!ok || rate < 0 || !isAllowedVatRate(rate))
        throw UserError(QStringLiteral("«%1» — не ставка НДС: допустимы %2").arg(text.trimmed(), allowedVatRatesText()));
    return rate;
}

QString printedVatRate(int ratePercent)
{
    return isVatExempt(ratePercent) ? QStringLiteral("без НДС") : QString::number(ratePercent) + u'%';
}

bool isVatRateField(QStringView name)
{
    if (name == u"nds")
        return true;
    return name.size() == 4 && name.startsWith(u"nds") && name[3] >= u'0' && name[3] <= u'9';
}

LineAmounts lineAmounts(double quantity, Money price, int ratePercent)
{
    ratePercent = appliedRate(ratePercent);
    const Decimal q = exactDecimal(quantity);
    // quantity × price at scale q.scale + 4, rounded once to kopecks; the VAT is taken from that amount.
    const Wide netKopecks = roundTo(multiply(q.mantissa, price.units()), q.scale + 4, 2);
    const Wide vatKopecks = roundTo(multiply(netKopecks, ratePercent), 2 + 2, 2);
    LineAmounts line;
    line.net = moneyOfKopecks(netKopecks);
    line.vat = moneyOfKopecks(vatKopecks);
    line.gross = line.net + line.vat;
    // One unit's price with VAT is the amount with VAT shared over the quantity, so the columns agree;
    // without a quantity, the price raised by the rate.
    const Wide grossKopecks = netKopecks + vatKopecks;
    if (q.mantissa != 0) {
        const Wide divisor = q.mantissa < 0 ? -q.mantissa : q.mantissa;
        const Wide shared = roundedQuotient(multiply(grossKopecks, powerOfTen(q.scale)), divisor);
        line.grossPrice = moneyOfKopecks(q.mantissa < 0 ? -shared : shared);
    } else {
        line.grossPrice = moneyOfKopecks(roundTo(multiply(price.units(), 100 + ratePercent), 4 + 2, 2));
    }
    return line;
}

void DocumentTotals::add(const LineAmounts& line)
{
    net += line.net;
    vat += line.vat;
    gross += line.gross;
}

Money kopecksOf(double value)
{
    const Decimal d = exactDecimal(value);
    return moneyOfKopecks(roundTo(d.mantissa, d.scale, 2));
}

long long wholePlaces(double quantity)
{
    const Decimal q = exactDecimal(quantity);
    const Wide step = powerOfTen(q.scale);
    const Wide magnitude = q.mantissa < 0 ? -q.mantissa : q.mantissa;
    Wide whole = magnitude / step;
    if (2 * (magnitude % step) >= step)
        ++whole;
    if (whole > std::numeric_limits<long long>::max())
        tooLarge();
    return q.mantissa < 0 ? -(long long)whole : (long long)whole;
}

} // namespace vi23
