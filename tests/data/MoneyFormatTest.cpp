#include "data/Error.h"
#include "data/Money.h"
#include "data/RuFormat.h"
#include "data/Value.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>

using namespace vi23;

TEST(Money, FromDoubleRoundsToTenThousandthsHalfAwayFromZero)
{
    struct Case { double in; std::int64_t units; };
    const Case cases[] = {
        {35.931, 359310},                       // 3 x 10,15 at 18 %
        {(18 + 100) * (3 * 10.15) / 100, 359310},
        {0.00005, 1},                           // a hair above the half in binary
        {0.03125, 313},                         // exact halves go away from zero
        {0.09375, 938},
        {-0.03125, -313},
        {1180.0, 11800000},
        {-0.0001, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Money::fromDouble(c.in).units(), c.units) << c.in;
    EXPECT_THROW(Money::fromDouble(1e300), UserError);
}

TEST(Money, ParsesWithCommaOrPointAndWritesTheComma)
{
    struct Case { const char* in; std::int64_t units; const char* shortest; const char* fixed2; };
    const Case cases[] = {
        {"1234,56", 12345600, "1234,56", "1234,56"},
        {"1234.5", 12345000, "1234,5", "1234,50"},
        {" -0,0001 ", -1, "-0,0001", "0,00"},
        {"0", 0, "0", "0,00"},
        {"10,15", 101500, "10,15", "10,15"},
        {"0,00005", 1, "0,0001", "0,00"},      // half away from zero
        {"0,00015", 2, "0,0002", "0,00"},
        {"0,000151", 2, "0,0002", "0,00"},
        {"2,005", 20050, "2,005", "2,01"},      // 2 decimals: half away from zero
        {"-2,005", -20050, "-2,005", "-2,01"},
        {"2,015", 20150, "2,015", "2,02"},
        {"+7", 70000, "7", "7,00"},
    };
    for (const Case& c : cases) {
        Money m = Money::parse(QString::fromUtf8(c.in));
        EXPECT_EQ(m.units(), c.units) << c.in;
        EXPECT_EQ(m.toString(), QString::fromUtf8(c.shortest)) << c.in;
        EXPECT_EQ(m.toFixed(2), QString::fromUtf8(c.fixed2)) << c.in;
    }
    for (const char* bad : {"", "abc", "1,2,3", "1 000", "--1", ",", "12a"}) {
        try {
            Money::parse(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const UserError& e) {
            EXPECT_EQ(e.text(), QStringLiteral("«%1» — не число: введите цифры, дробную часть через запятую").arg(QString::fromUtf8(bad)));
        }
    }
    EXPECT_EQ(Money::parse(u"1250").toFixed(2, u'-'), QStringLiteral("1250-00"));
}

TEST(Money, SumsAreExact)
{
    Money total;
    for (int i = 0; i < 1000; ++i)
        total += Money::parse(u"0,1");
    EXPECT_EQ(total, Money::fromRoubles(100));
    EXPECT_EQ(Money::parse(u"5,4810").rounded(2), Money::parse(u"5,48"));
    EXPECT_EQ(Money::parse(u"0,125").rounded(2), Money::parse(u"0,13"));
    EXPECT_EQ(Money::parse(u"-0,125").rounded(2), Money::parse(u"-0,13"));
    EXPECT_EQ(Money::parse(u"0,135").rounded(2), Money::parse(u"0,14"));
}

TEST(RuFormat, DatesAndNumbersIgnoreTheMachineLocale)
{
    EXPECT_EQ(ru::formatDate(QDate(1998, 11, 5)), QStringLiteral("05.11.1998"));
    EXPECT_EQ(ru::parseDate(u"5.11.1998"), QDate(1998, 11, 5));
    EXPECT_EQ(ru::parseDate(u"05.11.10"), QDate(2010, 11, 5));
    EXPECT_EQ(ru::tryParseDate(u"31.02.2010"), std::nullopt);
    EXPECT_EQ(ru::tryParseDate(u"2010-01-01"), std::nullopt);
    EXPECT_THROW(ru::parseDate(u"завтра"), UserError);
    // What a date box takes: whole, ddMMyy, ddMMyyyy, or day and month of the current year.
    const QDate today(2026, 12, 9);
    const std::pair<const char16_t*, QDate> typed[] = {
        {u"15.03.2026", QDate(2026, 3, 15)}, {u"150326", QDate(2026, 3, 15)}, {u"15032025", QDate(2025, 3, 15)},
        {u"15.03", QDate(2026, 3, 15)},      {u"1.4", QDate(2026, 4, 1)},      {u"31.02.2026", QDate()},
        {u"310226", QDate()},                {u"29.02", QDate()},              {u"1503", QDate()},
        {u"15.03.", QDate()},                {u"", QDate()}};
    for (const auto& [text, date] : typed)
        EXPECT_EQ(ru::tryParseTypedDate(text, today).value_or(QDate()), date) << QString::fromUtf16(text).toStdString();
    EXPECT_THROW(ru::parseTypedDate(u"1503", today), UserError);
    EXPECT_EQ(ru::formatReal(10.15), QStringLiteral("10,15"));
    EXPECT_EQ(ru::formatReal(3.0), QStringLiteral("3"));
    EXPECT_EQ(ru::formatReal(0.1 + 0.2), QStringLiteral("0,3"));
    EXPECT_EQ(ru::parseReal(u"1,5"), 1.5);
    EXPECT_EQ(ru::monthShortName(11), QStringLiteral("ноя"));
    EXPECT_EQ(ru::monthShortName(5), QStringLiteral("мая"));   // "1 мая 2026", never "1 май 2026"
    EXPECT_EQ(ru::monthGenitiveName(11), QStringLiteral("ноября"));
    try {
        ru::parseReal(u"1,5кг");
        ADD_FAILURE();
    } catch (const UserError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("«1,5кг» — не число: введите цифры, дробную часть через запятую"));
    }
    try {
        ru::parseInteger(u"7,5");
        ADD_FAILURE();
    } catch (const UserError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("«7,5» — не целое число: введите только цифры"));
    }
    EXPECT_EQ(Value(Money::parse(u"12,30")).toText(), QStringLiteral("12,3"));
    EXPECT_EQ(Value(QDate(2010, 3, 1)).toText(), QStringLiteral("01.03.2010"));
}

TEST(Money, ArithmeticRefusesToLeaveTheMoneyRange)
{
    const Money max = Money::max();
    const Money cent = Money::parse(u"0,01");
    struct Case {
        const char* what;
        std::function<Money()> compute;
        std::int64_t units;   // when it fits
        bool fits;
    };
    const Case cases[] = {
        {"max + 0", [&] { return max + Money(); }, Money::kMaxUnits, true},
        {"max + 0,01", [&] { return max + cent; }, 0, false},
        {"-max - 0,01 - 0,01", [&] { return -max - cent - cent; }, 0, false},
        {"sum in place", [&] { Money m = max; m += cent; return m; }, 0, false},
        {"difference in place", [&] { Money m = -max; m -= max; return m; }, 0, false},
        {"whole multiple", [&] { return cent * 3; }, 300, true},
        {"whole multiple beyond", [&] { return Money::fromRoubles(1'000'000'000'000) * 1'000'000; }, 0, false},
        {"roubles beyond", [] { return Money::fromRoubles(1'000'000'000'000'000); }, 0, false},
        {"times rounds once", [] { return Money::parse(u"10,15").times(3.00005L); }, 304505, true},
        {"times a huge quantity", [] { return Money::parse(u"100000").times(1e17L); }, 0, false},
        {"times not a number", [&] { return cent.times(std::nanl("")); }, 0, false},
        {"from a double beyond", [] { return Money::fromDouble(1e15); }, 0, false},
        {"from the largest double that fits", [] { return Money::fromDouble(9e14); }, 9'000'000'000'000'000'000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fits) {
            EXPECT_EQ(c.compute().units(), c.units);
            continue;
        }
        try {
            c.compute();
            ADD_FAILURE() << "no error";
        } catch (const UserError& e) {
            EXPECT_TRUE(e.text().startsWith(u"Сумма")) << e.text().toStdString();
        }
    }
}

TEST(RuFormat, RealsAreWrittenOutInFullAndReadWithoutAnExponent)
{
    const struct {
        double value;
        const char* text;
    } written[] = {
        {1e-7, "0,0000001"},   {-2.5e-5, "-0,000025"},   {1e17, "100000000000000000"},
        {0.1 + 0.2, "0,3"},    {123456.789, "123456,789"}, {1.0 / 3, "0,333333333333333"},
        {-1000, "-1000"},      {0, "0"},
    };
    for (const auto& c : written) {
        EXPECT_EQ(ru::formatReal(c.value), QString::fromLatin1(c.text)) << c.value;
        EXPECT_EQ(ru::tryParseReal(ru::formatReal(c.value)), std::optional<double>(std::stod(
                                                                 QString::fromLatin1(c.text).replace(u',', u'.').toStdString())));
    }
    for (const char16_t* typed : {u"1e17", u"2.5e2", u"1E-7", u"inf", u"nan"}) {
        EXPECT_EQ(ru::tryParseReal(typed), std::nullopt) << QString::fromUtf16(typed).toStdString();
    }
    // A long mistake is not repeated whole.
    const QString longText(10000, u'x');
    for (const std::function<void()>& parse : std::initializer_list<std::function<void()>>{
             [&] { ru::parseReal(longText); }, [&] { ru::parseInteger(longText); }, [&] { ru::parseDate(longText); },
             [&] { Money::parse(longText); }}) {
        try {
            parse();
            ADD_FAILURE();
        } catch (const UserError& e) {
            EXPECT_LT(e.text().size(), 150);
            EXPECT_TRUE(e.text().contains(QStringLiteral("… (всего 10000 знаков)"))) << e.text().toStdString();
        }
    }
}
