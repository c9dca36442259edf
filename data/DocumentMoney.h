#pragma once
// The money of a document: each line's net amount, VAT and amount with VAT, and the totals, computed
// once in exact decimal arithmetic. The documents tab, printing and the command line all use these,
// so every total printed in figures or in words is the sum of the rows as printed.
#include "Money.h"

#include <QStringList>
#include <QStringView>

namespace vi23 {

// The stored rate of a line or a goods row that bears no VAT at all ("Без НДС"): a value no real
// rate takes, so every rate stored before keeps its meaning. 0 is a real rate (export) and stays 0.
inline constexpr int kVatExempt = -1;
inline bool isVatExempt(int ratePercent) { return ratePercent == kVatExempt; }

// The rates a goods row or a line is offered, in the order the lists show them; "Без НДС" last.
// No other rate is entered, stored by the program or printed.
const QStringList& vatRateChoices();
bool isAllowedVatRate(int ratePercent);
// "22 %, 20 %, … 0 % или «Без НДС»", for messages.
QString allowedVatRatesText();
// A stored rate as the boxes and grids show it: "22", "0", "Без НДС".
QString vatRateText(int ratePercent);
// A typed rate: one of the rates in force ("22", "22%", " 5 ") or "Без НДС" in any letter case.
// Throws UserError for anything else, quoting the text and naming the rates allowed.
int parseVatRate(const QString& text);
// Whether a text is the exempt mark "Без НДС" (any letter case, blanks around).
bool isVatExemptText(const QString& text);
// The rate column of a printed form: "22%", "0%", "без НДС".
QString printedVatRate(int ratePercent);
// Whether a field holds a VAT rate (the goods list's nds and a document's nds0 … nds9), so it is
// shown and typed as a rate.
bool isVatRateField(QStringView name);

// One goods line as the forms print it and the record stores it, every amount in whole kopecks.
struct LineAmounts {
    Money net;          // quantity × price, rounded to the kopeck
    Money vat;          // net × rate / 100, rounded to the kopeck
    Money gross;        // net + vat: the row's amount to pay, stored as the line sum
    Money grossPrice;   // gross / quantity, rounded to the kopeck: one unit's price with VAT
};

// The amounts of a line by the one money rule. The quantity is taken as its shortest decimal text
// (3.5, 0.135), never as a binary fraction; each rounding is the rule of roundedQuotient (an exact
// half away from zero). An exempt line bears no VAT. Throws UserError when an amount does not fit
// the money type, or for a rate outside those in force.
LineAmounts lineAmounts(double quantity, Money price, int ratePercent);

// Totals of the printed rows; the amount in words is `gross`.
struct DocumentTotals {
    Money net;
    Money vat;
    Money gross;
    void add(const LineAmounts& line);
};

// A value rounded to kopecks by the rule as a money amount; for figures that arrive as doubles
// from stored reals, taken at their shortest decimal text.
Money kopecksOf(double value);

// The places a consignment row prints: the quantity to a whole number, a half away from zero.
long long wholePlaces(double quantity);

} // namespace vi23
