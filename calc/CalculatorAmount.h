#pragma once
// Reading and writing the calculator's amount: exact decimal text to ten-thousandths and back.
#include "data/Money.h"

#include <QString>
#include <QStringView>

namespace vi23 {

// Reads blanks, digits, optionally the comma and more digits, blanks; "," alone reads 0.
// More than four decimals round half to even. Throws UserError "«%s» — не число: …" for unreadable
// text and a UserError of the same kind for amounts past the int64 range.
Money readCalculatorAmount(QStringView entry);

// The general number format: at most 15 significant digits (rounded half to even), no
// thousands separators, no trailing zeros, the decimal comma: 12,5  7  0  0,0001.
QString formatCalculatorAmount(Money amount);

} // namespace vi23
