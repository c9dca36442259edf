// One golden case per display format code, on the prepared text.
#include "TestSupport.h"

#include "reports/ValueFormat.h"

#include <gtest/gtest.h>

namespace vi23::test {
namespace {

QString formatThroughReport(const Value& v, const QString& fmt)
{
    MemoryResolver rows;
    const Template t = tpl(QStringLiteral("band ReportTitle1 kind=0 top=0 height=20\n"
                                          "| 20 | 0 | 700 | 18 | - | A10 | LT | %1 | \"[v]\" |\n")
                               .arg(fmt));
    const auto cb = [&](const QString& name) -> std::optional<Value> {
        if (name == u"v")
            return v;
        return std::nullopt;
    };
    return prepareReport(t, rows, cb).pages.at(0).boxes.at(0).texts().join(u'|');
}

struct FormatCase {
    Value value;
    const char* fmt;
    const char* expected;
};
void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << safeLabel(c.fmt) << "_to_" << safeLabel(c.expected);
}

class DisplayFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DisplayFormats, FormatTheValue)
{
    const auto& c = GetParam();
    EXPECT_EQ(formatThroughReport(c.value, QString::fromUtf8(c.fmt)), QString::fromUtf8(c.expected))
        << c.fmt << " " << c.value.toText().toStdString();
}

const QDate kDay(1998, 11, 5);

INSTANTIATE_TEST_SUITE_P(
    Codes, DisplayFormats,
    ::testing::Values(
        // empty or Null: a single space whatever the format
        FormatCase{Value(), "", " "}, FormatCase{Value(), "G", " "}, FormatCase{Value(), "F2", " "},
        FormatCase{Value(QString()), "D2", " "},
        // text: the value's own text form
        FormatCase{Value(10.15), "", "10,15"}, FormatCase{Value(3.0), "", "3"},
        FormatCase{Value(kDay), "", "05.11.1998"}, FormatCase{Value(QStringLiteral("ООО \"Ромашка\"")), "", "ООО \"Ромашка\""},
        FormatCase{Value(Money::fromUnits(12345000)), "", "1234,5"},
        // G: at most two decimals, no trailing zeros, no grouping
        FormatCase{Value(12), "G", "12"}, FormatCase{Value(1234567.891), "G", "1234567,89"},
        FormatCase{Value(2.5), "G", "2,5"}, FormatCase{Value(2.005), "G", "2,01"}, FormatCase{Value(0.0), "G", "0"},
        // F0..F3 with the comma
        FormatCase{Value(1250), "F0", "1250"}, FormatCase{Value(2.5), "F0", "3"},
        FormatCase{Value(1.25), "F1", "1,3"}, FormatCase{Value(1250.0), "F2", "1250,00"},
        FormatCase{Value(-0.001), "F2", "0,00"}, FormatCase{Value(-12.345), "F2", "-12,35"},
        FormatCase{Value(2.675), "F2", "2,68"}, FormatCase{Value(3.0), "F3", "3,000"},
        FormatCase{Value(Money::fromUnits(12345)), "F3", "1,235"}, FormatCase{Value(99.995), "F2", "100,00"},
        // F2- writes "-" between roubles and kopecks; a number text is formatted as a number
        FormatCase{Value(1250.0), "F2-", "1250-00"}, FormatCase{Value(QStringLiteral("1250")), "F2-", "1250-00"},
        FormatCase{Value(QStringLiteral("47,5")), "F2-", "47-50"},
        // a text a number format cannot show stays as it is
        FormatCase{Value(QStringLiteral("итого")), "F2", "итого"},
        // dates
        FormatCase{Value(kDay), "D0", "05.11.98"}, FormatCase{Value(kDay), "D1", "05.11.1998"},
        FormatCase{Value(kDay), "D2", "5 ноя 1998"}, FormatCase{Value(kDay), "D3", "5 ноября 1998"},
        FormatCase{Value(QDate(2024, 5, 31)), "D3", "31 мая 2024"},
        FormatCase{Value(QStringLiteral("05.11.1998")), "D2", "5 ноя 1998"},
        FormatCase{Value(QStringLiteral("не дата")), "D2", "не дата"}));

TEST(DisplayFormats, FixedTextTable)
{
    EXPECT_EQ(formatFixed(0.005, 2, u','), QStringLiteral("0,01"));
    EXPECT_EQ(formatFixed(0.0049, 2, u','), QStringLiteral("0,00"));
    EXPECT_EQ(formatFixed(123456789012.345, 2, u','), QStringLiteral("123456789012,35"));
    EXPECT_EQ(formatFixed(0.1 + 0.2, 15, u','), QStringLiteral("0,300000000000000"));
    EXPECT_EQ(formatFixed(-9.5, 0, u','), QStringLiteral("-10"));
    // Past the 15 digits, below the last place kept, a carry into a new digit, no "-0".
    const struct {
        double value;
        int decimals;
        const char* text;
    } edges[] = {{1e20, 2, "100000000000000000000,00"}, {1e-20, 2, "0,00"}, {9.999, 2, "10,00"},
                 {-0.4, 0, "0"},  {0.0, 3, "0,000"},     {-1234.5678, 3, "-1234,568"}};
    for (const auto& e : edges)
        EXPECT_EQ(formatFixed(e.value, e.decimals, u','), QString::fromLatin1(e.text)) << e.value;
    EXPECT_EQ(roundTo15Digits(0.1 + 0.2), 0.3);
}

} // namespace
} // namespace vi23::test
