#pragma once
// The data side of the period books and the cash book.
#include "data/DataStore.h"
#include "data/FormKinds.h"
#include "reports/PrintRequest.h"

#include <QDate>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace vi23 {

// The period of the book queries (each report kind's `periodQuery`), taken by their SQL; each is closed and
// reads the journal as it is when next opened.
void setBookPeriod(DataStore& store, QDate from, QDate to);

// The named values of the books: "periodYear", the year of the period's start, which the title
// page prints in "На … год"; every other name is left to the engine.
std::optional<Value> bookValue(QDate periodStart, const QString& name);

// The values above and, for the current book's title page, "payerInn" and "payerKpp": the two halves
// of the requisites' "ИНН/КПП" as it reads when the book is printed; "yearLine", the current row's
// number within its year in ADOQuery11: the books of income and expenses number their operations
// through the year, the rows of the year before the period counted.
GetValueCallback bookValues(DataStore& store, QDate periodStart);

// The number of rows of the book of income and expenses in its year before `day`.
int incomeBookRowsBefore(Database& db, QDate day);

// The parts of a period that lie in one year each, in order: a tax book prints one book for each.
// An empty period (its start after its end) is one part as it is.
std::vector<std::pair<QDate, QDate>> taxYears(QDate from, QDate to);

// Whether the kind prints one book for each year of its period: the books of income and expenses
// and their title page.
bool printsPerYear(const QString& kind);

// Empties kassa and refills it with the cash orders of ADOQuery_kas from `from` to `to` (an invalid
// date leaves that end open), with the running totals of receipts, payments and balance over every
// cash order from the earliest, kept in double precision and stored as money (by the one rounding rule). One
// unit of work: if it fails part-way, the previous cash book stays whole. Returns the row count.
int rebuildCashBook(DataStore& store, QDate from = {}, QDate to = {});

// "Печать отчета" of a report kind, for the window and vi23-print alike: the period, the cash
// book rebuilt for its period, and the form with its values and its runs, one for each year of the
// period for a tax book; an empty template name for any other text. A cash book with no cash order
// in the period is refused with a message. `set` chooses the forms (the current book and title page
// with FormSet::Current2026); by default the enterprise's choice on the requisites tab. The
// reconciliation act is drawn up with `counterparty`, which must be in the list; other kinds ignore it.
PrintRequest printBook(DataStore& store, const QString& kind, QDate from, QDate to,
                           std::optional<FormSet> set = std::nullopt, const QString& counterparty = {});

} // namespace vi23
