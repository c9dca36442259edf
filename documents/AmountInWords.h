#pragma once
// The amount to pay in Russian words, as printed documents state it.
#include "data/Money.h"

#include <QString>

namespace vi23 {

// The orders of magnitude a three-digit group can name.
enum class AmountOrder { Roubles, Thousands, Millions, Billions };

// "Одна тысяча сто восемьдесят рублей 00 копеек". Kopecks are truncated, not rounded.
// Negative amounts read "Минус …"; amounts of 10^12 roubles or more in magnitude are refused
// with a UserError, since the words stop at billions.
QString AmountInWords(Money amount);

// The words for n (1…999) followed by the order word in its declined form.
QString TriadInWords(int n, AmountOrder order);

// The kopeck part for k (0…99): two digits, a blank and the declined word, as "01 копейка".
QString MinorUnitText(int k);

} // namespace vi23
