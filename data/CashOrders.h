#pragma once
// Cash orders beyond their print: the number the next cash expense order gets, and the journal row
// "КО" a cash receipt or expense order is registered as, once.
#include "Money.h"

#include <QDate>
#include <QString>

namespace vi23 {

class Database;

// One more than the largest whole number among the documents of the kind; "1" for the first.
QString nextNumberOf(Database& db, const QString& kind);

// The journal row of a cash order. `madeNow` is false when the order had been registered before.
struct CashJournalEntry {
    long long row = 0;    // jur.n
    bool madeNow = false;
    QDate date;
    QString number;
    Money sum;
    QString counterparty;
    QString operation;
};

// Registers the cash order with this key in the journal as a row "КО" with its date and number (a
// receipt order's own are its payment number and date, as its form prints them), its counterparty,
// its total and the typical operation named, which must be of the order's direction ("Приход" for a
// receipt, "Расход" for an expense). An order already registered gets no second row: its row is
// returned. Throws UserError, changing nothing, for another kind, an order without date or sum and
// an operation missing from the list or of the other direction.
CashJournalEntry registerCashOrder(Database& db, long long key, const QString& operation);

} // namespace vi23
