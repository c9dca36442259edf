#pragma once
// Russian text forms whatever the machine's locale: dd.MM.yyyy dates, the decimal comma, month names.
#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

namespace vi23::ru {

// A value as messages repeat it: a long text is cut with "…" and its length, so that a
// 10,000-character mistake does not fill the message box.
QString quoteForMessage(QStringView text, qsizetype limit = 60);

QString formatDate(QDate date);                 // "05.11.1998"
std::optional<QDate> tryParseDate(QStringView text);  // d.M.yyyy or d.M.yy
QDate parseDate(QStringView text);              // throws "«%s» — не дата: …"
// A date as a user types it into a box: d.M.yyyy, d.M.yy, ddMMyy, ddMMyyyy, or d.M of `today`'s year.
std::optional<QDate> tryParseTypedDate(QStringView text, QDate today);
// The same, or throws the message naming the forms a date box takes.
QDate parseTypedDate(QStringView text, QDate today);

// Shortest decimal text with at most 15 significant digits and the comma, never an exponent:
// 10.15 -> "10,15", 3.0 -> "3", 1e-7 -> "0,0000001".
QString formatReal(double value);
std::optional<double> tryParseReal(QStringView text);   // comma or point; no exponent
double parseReal(QStringView text);             // throws "«%s» — не число: …"
std::optional<long long> tryParseInteger(QStringView text);
long long parseInteger(QStringView text);       // throws "«%s» — не целое число: …"

QString monthShortName(int month);              // "ноя", "мая": the short genitive, as dates print
QString monthGenitiveName(int month);           // "ноября"

// ISO text "YYYY-MM-DD" as the store keeps dates.
QString isoDate(QDate date);
std::optional<QDate> tryParseIsoDate(QStringView text);

} // namespace vi23::ru
