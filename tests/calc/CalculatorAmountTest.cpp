// Reading the keypad's entry into ten-thousandths and writing it back in the general format.
#include "calc/CalculatorAmount.h"

#include "data/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vi23 {
namespace {

TEST(CalculatorAmount, ReadsDigitsAndOneCommaRoundingHalfToEven)
{
    struct Case { const char* entry; std::int64_t units; };
    const Case cases[] = {
        {"12,5", 125000},
        {"007", 70000},
        {",", 0},
        {"12,", 120000},
        {",5", 5000},
        {"0", 0},
        {" 12,5 ", 125000},
        {"0,0001", 1},
        {"0,00007", 1},
        {"0,00005", 0},             // tie to the even neighbour
        {"0,00015", 2},
        {"0,00025", 2},
        {"0,000250001", 3},         // anything past the tie rounds up
        {"0,00004999", 0},
        {"1,99995", 20000},
        {"922337203685477,5807", std::numeric_limits<std::int64_t>::max()},
        {"000000000000000000922337203685477,58074", std::numeric_limits<std::int64_t>::max()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(readCalculatorAmount(QString::fromUtf8(c.entry)).units(), c.units);
    }
}

TEST(CalculatorAmount, RefusesTextThatIsNotADecimalWithTheComma)
{
    const char* entries[] = {"", " ", "1,2,", ",,", "1.5", "-1", "+1", "1e3", "12a", "1 2", "١٢"};
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        try {
            readCalculatorAmount(QString::fromUtf8(entry));
            ADD_FAILURE() << "read without error";
        } catch (const UserError& error) {
            EXPECT_EQ(error.text(), QStringLiteral("«%1» — не число: введите цифры, дробную часть через запятую").arg(QString::fromUtf8(entry)));
        }
    }
}

TEST(CalculatorAmount, RefusesAmountsPastTheCalculatorRange)
{
    const char* entries[] = {"922337203685477,5808", "922337203685477,58075", "922337203685478",
                             "1000000000000000", "99999999999999999999999", "999999999999999,9999"};
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        try {
            readCalculatorAmount(QString::fromUtf8(entry));
            ADD_FAILURE() << "read without error";
        } catch (const UserError& error) {
            EXPECT_EQ(error.text(), QStringLiteral("«%1» — слишком большая сумма: калькулятор вмещает не более "
                                                   "922337203685477,5807").arg(QString::fromUtf8(entry)));
        }
    }
}

TEST(CalculatorAmount, WritesTheGeneralFormatWithFifteenSignificantDigits)
{
    struct Case { std::int64_t units; const char* text; };
    const Case cases[] = {
        {0, "0"},
        {1, "0,0001"},
        {125000, "12,5"},
        {70000, "7"},
        {120000, "12"},
        {10000000, "1000"},
        {-5000, "-0,5"},
        {1234567890123456, "123456789012,346"},     // 16 digits, the last rounded away
        {1234567890123450, "123456789012,345"},
        {1234567890123255, "123456789012,326"},     // ties to the even neighbour
        {1234567890123245, "123456789012,324"},
        {9999999999999999, "1000000000000"},
        {std::numeric_limits<std::int64_t>::max(), "922337203685478"},
        {std::numeric_limits<std::int64_t>::min(), "-922337203685478"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatCalculatorAmount(Money::fromUnits(c.units)).toStdString(), c.text);
    }
}

} // namespace
} // namespace vi23
