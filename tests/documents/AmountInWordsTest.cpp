// The amount in words printed on documents: word tables, declension, kopecks and the limits.
#include "documents/AmountInWords.h"

#include "data/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

namespace vi23 {
namespace {

struct WordsCase {
    std::int64_t units;     // ten-thousandths of a rouble
    const char* text;
};

void PrintTo(const WordsCase& c, std::ostream* out) { *out << c.units; }

constexpr std::int64_t R = Money::kScale;   // one rouble

class AmountInWordsTest : public ::testing::TestWithParam<WordsCase> {};

TEST_P(AmountInWordsTest, WritesTheAmountInRussianWords)
{
    const WordsCase& c = GetParam();
    EXPECT_EQ(AmountInWords(Money::fromUnits(c.units)).toStdString(), c.text);
}

INSTANTIATE_TEST_SUITE_P(PrintedExamples, AmountInWordsTest, ::testing::Values(
    WordsCase{0, "Ноль рублей 00 копеек"},
    WordsCase{5000, "Ноль рублей 50 копеек"},
    WordsCase{1 * R, "Один рубль 00 копеек"},
    WordsCase{2 * R, "Два рубля 00 копеек"},
    WordsCase{11 * R, "Одиннадцать рублей 00 копеек"},
    WordsCase{21 * R + 500, "Двадцать один рубль 05 копеек"},
    WordsCase{100 * R + 100, "Сто рублей 01 копейка"},
    WordsCase{112 * R + 3000, "Сто двенадцать рублей 30 копеек"},
    WordsCase{1000 * R, "Одна тысяча рублей 00 копеек"},
    WordsCase{2000 * R, "Две тысячи рублей 00 копеек"},
    WordsCase{12 * R + 3456, "Двенадцать рублей 34 копейки"},
    WordsCase{1'001'000 * R, "Один миллион одна тысяча рублей 00 копеек"},
    WordsCase{1'234'567 * R + 8900,
              "Один миллион двести тридцать четыре тысячи пятьсот шестьдесят семь рублей 89 копеек"},
    WordsCase{2'000'000'000 * R, "Два миллиарда рублей 00 копеек"},
    WordsCase{1180 * R, "Одна тысяча сто восемьдесят рублей 00 копеек"}));

INSTANTIATE_TEST_SUITE_P(DeclensionBoundaries, AmountInWordsTest, ::testing::Values(
    WordsCase{4 * R, "Четыре рубля 00 копеек"},
    WordsCase{5 * R, "Пять рублей 00 копеек"},
    WordsCase{10 * R, "Десять рублей 00 копеек"},
    WordsCase{12 * R, "Двенадцать рублей 00 копеек"},
    WordsCase{13 * R, "Тринадцать рублей 00 копеек"},
    WordsCase{14 * R, "Четырнадцать рублей 00 копеек"},
    WordsCase{15 * R, "Пятнадцать рублей 00 копеек"},
    WordsCase{16 * R, "Шестнадцать рублей 00 копеек"},
    WordsCase{17 * R, "Семнадцать рублей 00 копеек"},
    WordsCase{18 * R, "Восемнадцать рублей 00 копеек"},
    WordsCase{19 * R, "Девятнадцать рублей 00 копеек"},
    WordsCase{20 * R, "Двадцать рублей 00 копеек"},
    WordsCase{21 * R, "Двадцать один рубль 00 копеек"},
    WordsCase{22 * R, "Двадцать два рубля 00 копеек"},
    WordsCase{40 * R, "Сорок рублей 00 копеек"},
    WordsCase{99 * R, "Девяносто девять рублей 00 копеек"},
    WordsCase{101 * R, "Сто один рубль 00 копеек"},
    WordsCase{111 * R, "Сто одиннадцать рублей 00 копеек"},
    WordsCase{310 * R, "Триста десять рублей 00 копеек"},
    WordsCase{1001 * R, "Одна тысяча один рубль 00 копеек"},
    WordsCase{3000 * R, "Три тысячи рублей 00 копеек"},
    WordsCase{5000 * R, "Пять тысяч рублей 00 копеек"},
    WordsCase{11'000 * R, "Одиннадцать тысяч рублей 00 копеек"},
    WordsCase{21'000 * R, "Двадцать одна тысяча рублей 00 копеек"},
    WordsCase{22'000 * R, "Двадцать две тысячи рублей 00 копеек"},
    WordsCase{1'000'000 * R, "Один миллион рублей 00 копеек"},
    WordsCase{2'000'000 * R, "Два миллиона рублей 00 копеек"},
    WordsCase{5'000'000 * R, "Пять миллионов рублей 00 копеек"},
    WordsCase{21'000'000 * R, "Двадцать один миллион рублей 00 копеек"},
    WordsCase{1'000'000'000 * R, "Один миллиард рублей 00 копеек"},
    WordsCase{5'000'000'000 * R, "Пять миллиардов рублей 00 копеек"},
    WordsCase{1'000'000'001 * R, "Один миллиард один рубль 00 копеек"},
    WordsCase{999'999'999'999 * R + 9900,
              "Девятьсот девяносто девять миллиардов девятьсот девяносто девять миллионов "
              "девятьсот девяносто девять тысяч девятьсот девяносто девять рублей 99 копеек"}));

INSTANTIATE_TEST_SUITE_P(Kopecks, AmountInWordsTest, ::testing::Values(
    WordsCase{100, "Ноль рублей 01 копейка"},
    WordsCase{200, "Ноль рублей 02 копейки"},
    WordsCase{500, "Ноль рублей 05 копеек"},
    WordsCase{1100, "Ноль рублей 11 копеек"},
    WordsCase{2100, "Ноль рублей 21 копейка"},
    WordsCase{2400, "Ноль рублей 24 копейки"},
    WordsCase{9900, "Ноль рублей 99 копеек"},
    // The third and fourth decimals are cut, never rounded up into the next kopeck.
    WordsCase{199, "Ноль рублей 01 копейка"},
    WordsCase{1 * R + 9999, "Один рубль 99 копеек"},
    WordsCase{99, "Ноль рублей 00 копеек"},
    WordsCase{1 * R + 1, "Один рубль 00 копеек"}));

INSTANTIATE_TEST_SUITE_P(Negative, AmountInWordsTest, ::testing::Values(
    WordsCase{-1 * R, "Минус один рубль 00 копеек"},
    WordsCase{-(1180 * R + 5000), "Минус одна тысяча сто восемьдесят рублей 50 копеек"},
    WordsCase{-5000, "Минус ноль рублей 50 копеек"},
    WordsCase{-(999'999'999'999 * R + 9999),
              "Минус девятьсот девяносто девять миллиардов девятьсот девяносто девять миллионов "
              "девятьсот девяносто девять тысяч девятьсот девяносто девять рублей 99 копеек"},
    // Less than a kopeck owed reads as nothing owed, without a sign.
    WordsCase{-99, "Ноль рублей 00 копеек"}));

TEST(AmountInWordsLimits, RefusesAmountsOfATrillionRoublesOrMore)
{
    struct Case { std::int64_t units; const char* shown; };
    const Case cases[] = {
        {1'000'000'000'000 * R, "1000000000000"},
        {1'000'000'000'000 * R + 1, "1000000000000,0001"},
        {-1'000'000'000'000 * R, "-1000000000000"},
        {INT64_MAX, "922337203685477,5807"},
        {INT64_MIN, "-922337203685477,5808"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        try {
            AmountInWords(Money::fromUnits(c.units));
            ADD_FAILURE() << "no error";
        } catch (const UserError& error) {
            EXPECT_EQ(error.text().toStdString(),
                      std::string("Сумма ") + c.shown + " слишком велика для записи прописью");
        }
    }
}

TEST(TriadInWords, DeclinesTheOrderWordAndTheUnitsGender)
{
    struct Case { int n; AmountOrder order; const char* text; };
    const Case cases[] = {
        {1, AmountOrder::Roubles, "один рубль "},
        {1, AmountOrder::Thousands, "одна тысяча "},
        {2, AmountOrder::Thousands, "две тысячи "},
        {2, AmountOrder::Millions, "два миллиона "},
        {3, AmountOrder::Billions, "три миллиарда "},
        {10, AmountOrder::Roubles, "десять рублей "},
        {12, AmountOrder::Thousands, "двенадцать тысяч "},
        {100, AmountOrder::Millions, "сто миллионов "},
        {111, AmountOrder::Billions, "сто одиннадцать миллиардов "},
        {342, AmountOrder::Thousands, "триста сорок две тысячи "},
        {999, AmountOrder::Roubles, "девятьсот девяносто девять рублей "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(TriadInWords(c.n, c.order).toStdString(), c.text);
    }
    EXPECT_THROW(TriadInWords(0, AmountOrder::Roubles), std::invalid_argument);
    EXPECT_THROW(TriadInWords(1000, AmountOrder::Roubles), std::invalid_argument);
}

TEST(MinorUnitText, WritesTwoDigitsAndTheDeclinedWord)
{
    struct Case { int k; const char* text; };
    const Case cases[] = {
        {0, "00 копеек"}, {1, "01 копейка"}, {2, "02 копейки"}, {4, "04 копейки"},
        {5, "05 копеек"}, {9, "09 копеек"}, {10, "10 копеек"}, {11, "11 копеек"},
        {14, "14 копеек"}, {19, "19 копеек"}, {21, "21 копейка"}, {23, "23 копейки"},
        {99, "99 копеек"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        EXPECT_EQ(MinorUnitText(c.k).toStdString(), c.text);
    }
    EXPECT_THROW(MinorUnitText(-1), std::invalid_argument);
    EXPECT_THROW(MinorUnitText(100), std::invalid_argument);
}

} // namespace
} // namespace vi23
