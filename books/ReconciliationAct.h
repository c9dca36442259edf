#pragma once
// The reconciliation act with one counterparty: its balances and the values its form prints.
#include "data/DataStore.h"
#include "data/Money.h"
#include "reports/PrintRequest.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace vi23 {

// Our side of the act in money: positive balances are the counterparty's debt to us.
struct ReconciliationFigures {
    Money opening;      // from everything before the period
    Money debit;        // the period's documents issued and money paid out
    Money credit;       // the period's money received
    Money closing() const { return opening + debit - credit; }
};

ReconciliationFigures reconciliationFigures(Database& db, const QString& counterparty, QDate from, QDate to);

// The names of the counterparties list, in its order.
QStringList counterpartyNames(Database& db);

// Refuses, in words a user reads, an act without a counterparty or with one the list lacks.
void requireCounterparty(Database& db, const QString& counterparty);

// The closing balance in words: "в пользу" the creditor with the sum, or "Задолженность отсутствует".
QString balanceWording(Money closing, const QString& enterprise, const QString& counterparty);

// A balance on one side of the act: on the debit side when the counterparty owes us (and a nil
// balance as 0,00), on the credit side when we owe; blank on the other side.
Value balanceSide(Money balance, bool debit);

// Checks the counterparty and sets the act's query (ADOQuery_sv) to it.
void chooseActCounterparty(DataStore& store, const QString& counterparty);

// The enterprise's name as the requisites give it.
QString enterpriseName(DataStore& store);

// The act's counterparty chosen and the values its form prints: "actParty", "actOpening…",
// "actDebit", "actCredit", "actClosing…" (each balance on its side, blank on the other), "actBalance".
GetValueCallback reconciliationValues(DataStore& store, const QString& counterparty, QDate from, QDate to);

} // namespace vi23
