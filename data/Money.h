#pragma once
// Exact money: a signed count of ten-thousandths of a rouble.
#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <limits>
#include <optional>

namespace vi23 {

// The one rounding rule of every figure the program stores or prints: to the nearest, an exact half
// away from zero, as Russian bookkeeping rounds. `value / divisor` (divisor > 0) as a whole number.
__extension__ typedef __int128 WideInteger;
WideInteger roundedQuotient(WideInteger value, WideInteger divisor);
// The same rule for a value computed in floating point (the report engine's round()).
long double roundedToWhole(long double value);

class Money {
public:
    static constexpr std::int64_t kScale = 10000;
    // The range a money field holds: ±922 337 203 685 477,5807.
    static constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max();
    static Money max() { return Money(kMaxUnits); }
    // Throws the Russian message that a result does not fit the money range.
    [[noreturn]] static void throwOutOfRange();

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t tenThousandths) { return Money(tenThousandths); }
    static constexpr Money fromRoubles(std::int64_t roubles)
    {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(roubles, kScale, &units))
            throwOutOfRange();
        return Money(units);
    }
    // Rounds to the nearest ten-thousandth by the rounding rule; throws on NaN or overflow.
    static Money fromDouble(double value);
    // The same for a value computed in extended precision, which is rounded once, not twice.
    static Money fromExtended(long double value);
    // Reads "1234,56", "-0.5", " 12 " (comma or point); more than four decimals round by the rule.
    static std::optional<Money> tryParse(QStringView text);
    // As tryParse, throwing "«%s» — не число: …".
    static Money parse(QStringView text);

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return double(units_) / double(kScale); }
    // Shortest text with the decimal comma: "1234,5", "0", "-0,0001".
    QString toString() const;
    // Fixed decimals (0..4), rounded by the rule, with the given separator.
    QString toFixed(int decimals, QChar separator = u',') const;
    // Rounded by the rule to the given number of decimals (0..4).
    Money rounded(int decimals) const;
    bool isZero() const { return units_ == 0; }

    // value × factor, computed in extended precision and rounded once to ten-thousandths by the
    // rule; a result outside the money range is refused.
    Money times(long double factor) const;

    // Sums, differences and whole multiples are exact and refuse to overflow.
    friend constexpr Money operator+(Money a, Money b)
    {
        std::int64_t units = 0;
        if (__builtin_add_overflow(a.units_, b.units_, &units))
            throwOutOfRange();
        return Money(units);
    }
    friend constexpr Money operator-(Money a, Money b)
    {
        std::int64_t units = 0;
        if (__builtin_sub_overflow(a.units_, b.units_, &units))
            throwOutOfRange();
        return Money(units);
    }
    friend constexpr Money operator*(Money a, std::int64_t n)
    {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(a.units_, n, &units))
            throwOutOfRange();
        return Money(units);
    }
    constexpr Money operator-() const { return Money() - *this; }
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    static Money fromScaled(long double tenThousandths);
    std::int64_t units_ = 0;
};

} // namespace vi23
