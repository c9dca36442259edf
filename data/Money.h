#pragma once
// Exact money: a signed count of ten-thousandths of a rouble.
#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

namespace vi23 {

class Money {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t tenThousandths) { return Money(tenThousandths); }
    static constexpr Money fromRoubles(std::int64_t roubles) { return Money(roubles * kScale); }
    // Rounds to the nearest ten-thousandth, an exact half to the even neighbour; throws on NaN or overflow.
    static Money fromDouble(double value);
    // The same for a value computed in extended precision, which is rounded once, not twice.
    static Money fromExtended(long double value);
    // Reads "1234,56", "-0.5", " 12 " (comma or point); more than four decimals round half to even.
    static std::optional<Money> tryParse(QStringView text);
    // As tryParse, throwing "«%s» — не число: …".
    static Money parse(QStringView text);

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return double(units_) / double(kScale); }
    // Shortest text with the decimal comma: "1234,5", "0", "-0,0001".
    QString toString() const;
    // Fixed decimals (0..4), rounded half to even, with the given separator.
    QString toFixed(int decimals, QChar separator = u',') const;
    // Rounded half to even to the given number of decimals (0..4).
    Money rounded(int decimals) const;
    bool isZero() const { return units_ == 0; }

    friend constexpr Money operator+(Money a, Money b) { return Money(a.units_ + b.units_); }
    friend constexpr Money operator-(Money a, Money b) { return Money(a.units_ - b.units_); }
    constexpr Money operator-() const { return Money(-units_); }
    Money& operator+=(Money other) { units_ += other.units_; return *this; }
    Money& operator-=(Money other) { units_ -= other.units_; return *this; }
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

} // namespace vi23
