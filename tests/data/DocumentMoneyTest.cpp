// The money of a document's lines: exact decimal products, one rounding to kopecks per amount,
// halves away from zero, the VAT from the rounded amount, and totals that are the sums of the rows.
#include "data/DocumentMoney.h"
#include "data/Error.h"

#include <gtest/gtest.h>
#include <tuple>

namespace vi23 {
namespace {

Money m(const char* text)
{
    return Money::parse(QString::fromLatin1(text));
}

TEST(DocumentMoney, EachAmountIsRoundedOnceFromTheExactProduct)
{
    struct Case {
        double quantity;
        const char* price;
        int rate;
        const char *net, *vat, *gross, *grossPrice;
    };
    const Case cases[] = {
        {2, "2450", 20, "4900", "980", "5880", "2940"},
        {10, "14,90", 20, "149", "29,8", "178,8", "17,88"},
        // 31,465 is a tie: away from zero, so the row is 314,65 + 31,47.
        {3.5, "89,90", 10, "314,65", "31,47", "346,12", "98,89"},
        {1, "12,25", 10, "12,25", "1,23", "13,48", "13,48"},
        {3, "10,15", 18, "30,45", "5,48", "35,93", "11,98"},
        {3, "10,15", 10, "30,45", "3,05", "33,5", "11,17"},
        // The VAT is taken from the rounded amount: 0,045 is 0,05, whose 10 % is the tie 0,005.
        {1, "0,045", 10, "0,05", "0,01", "0,06", "0,06"},
        // Ties a binary product would miss: 2,675 and 0,135 lie below the half as doubles.
        {2.675, "1", 0, "2,68", "0", "2,68", "1"},
        {0.135, "1", 0, "0,14", "0", "0,14", "1,04"},
        {1, "0,125", 20, "0,13", "0,03", "0,16", "0,16"},
        {0.5, "0,05", 0, "0,03", "0", "0,03", "0,06"},
        {3, "0,005", 0, "0,02", "0", "0,02", "0,01"},
        {-1, "0,125", 0, "-0,13", "0", "-0,13", "0,13"},
        {0.3333, "3", 18, "1", "0,18", "1,18", "3,54"},
        // A quantity below 18 decimal places is none: the price with VAT is the price raised by the rate.
        {1e-20, "1000", 20, "0", "0", "0", "1200"},
        // The rates of 2026: 22 %, and 5 % and 7 % of the simplified system, ties away from zero.
        {2, "2450", 22, "4900", "1078", "5978", "2989"},
        {1, "0,25", 22, "0,25", "0,06", "0,31", "0,31"},
        {1, "0,75", 22, "0,75", "0,17", "0,92", "0,92"},
        {1, "0,5", 5, "0,5", "0,03", "0,53", "0,53"},
        {1, "0,7", 5, "0,7", "0,04", "0,74", "0,74"},
        {3, "1234,56", 5, "3703,68", "185,18", "3888,86", "1296,29"},
        {1, "1,5", 7, "1,5", "0,11", "1,61", "1,61"},
        {3.5, "89,90", 7, "314,65", "22,03", "336,68", "96,19"},
        // "Без НДС" bears no VAT at all; 0 % is a rate with the same arithmetic.
        {2, "1200", kVatExempt, "2400", "0", "2400", "1200"},
        {3.5, "89,90", kVatExempt, "314,65", "0", "314,65", "89,9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.quantity << " x " << c.price << " at " << c.rate);
        const LineAmounts line = lineAmounts(c.quantity, m(c.price), c.rate);
        EXPECT_EQ(line.net, m(c.net));
        EXPECT_EQ(line.vat, m(c.vat));
        EXPECT_EQ(line.gross, m(c.gross));
        EXPECT_EQ(line.grossPrice, m(c.grossPrice));
    }
}

TEST(DocumentMoney, TotalsAreTheSumsOfTheRows)
{
    DocumentTotals totals;
    for (const auto& [q, p, r] : {std::tuple{2.0, "2450", 20}, {10.0, "14,90", 20}, {3.5, "89,90", 10}})
        totals.add(lineAmounts(q, m(p), r));
    EXPECT_EQ(totals.net, m("5363,65"));
    EXPECT_EQ(totals.vat, m("1041,27"));
    EXPECT_EQ(totals.gross, m("6404,92"));
}

TEST(DocumentMoney, PlacesAndKopecksOfStoredReals)
{
    const std::pair<double, long long> places[] = {{6.5, 7}, {2.5, 3}, {0.4, 0}, {12, 12}, {-1.5, -2}};
    for (const auto& [quantity, whole] : places)
        EXPECT_EQ(wholePlaces(quantity), whole) << quantity;
    EXPECT_EQ(kopecksOf(1.005), m("1,01"));
    EXPECT_EQ(kopecksOf(1.015), m("1,02"));
    EXPECT_EQ(kopecksOf(-57906.015), m("-57906,02"));
}

TEST(DocumentMoney, AnAmountBeyondTheMoneyTypeIsRefused)
{
    EXPECT_THROW(lineAmounts(1e15, m("900000000000000"), 20), UserError);
}


TEST(DocumentMoney, RatesAreTypedShownAndPrintedWithTheExemptMark)
{
    struct Case {
        const char16_t* typed;
        int rate;            // kVatExempt - 1: refused
        const char16_t* shown;
        const char16_t* printed;
    };
    const Case cases[] = {
        {u"22", 22, u"22", u"22%"},
        {u" 5 %", 5, u"5", u"5%"},
        {u"7%", 7, u"7", u"7%"},
        {u"0", 0, u"0", u"0%"},
        {u"Без НДС", kVatExempt, u"Без НДС", u"без НДС"},
        {u"без  ндс", kVatExempt, u"Без НДС", u"без НДС"},
        {u"-1", kVatExempt - 1, nullptr, nullptr},
        {u"-5", kVatExempt - 1, nullptr, nullptr},
        {u"15", kVatExempt - 1, nullptr, nullptr},
        {u"12%", kVatExempt - 1, nullptr, nullptr},
        {u"2210", kVatExempt - 1, nullptr, nullptr},
        {u"двадцать", kVatExempt - 1, nullptr, nullptr},
        {u"", kVatExempt - 1, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        SCOPED_TRACE(typed.toStdString());
        if (c.rate < kVatExempt) {
            EXPECT_THROW(parseVatRate(typed), UserError);
            continue;
        }
        EXPECT_EQ(parseVatRate(typed), c.rate);
        EXPECT_EQ(vatRateText(c.rate), QString::fromUtf16(c.shown));
        EXPECT_EQ(printedVatRate(c.rate), QString::fromUtf16(c.printed));
    }
    // Every offered choice reads back as itself.
    for (const QString& choice : vatRateChoices())
        EXPECT_EQ(vatRateText(parseVatRate(choice)), choice);
    // A negative rate other than the mark would hand VAT back; another rate is not in force.
    EXPECT_THROW(lineAmounts(1, m("100"), -5), UserError);
    EXPECT_THROW(lineAmounts(1, m("100"), 15), UserError);
}

} // namespace
} // namespace vi23
