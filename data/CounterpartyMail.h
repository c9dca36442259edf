#pragma once
// The counterparty's e-mail address (the kept field k.email): how an address must look, the address
// of a counterparty named on a document, and the envelope a printed document is mailed in.
#include <QString>

namespace vi23 {

class Database;
class DataSet;

// What a report is mailed with: the message's subject ("Счет № 31 от 01.01.2026"; empty: the words of
// the proposed file name) and the counterparty's address, when known.
struct MailEnvelope {
    QString subject;
    QString address;
};

// One address as a mail program takes it: name@domain.zone, letters of any alphabet, no blanks.
bool isMailAddress(const QString& text);
// Refuses the current counterparty row when its e-mail is filled but is no address (a beforePost check).
void checkCounterpartyMail(DataSet& counterparties);
// The address of the counterparty of that name (letter case ignored); empty when none is kept.
QString counterpartyMail(Database& db, const QString& name);

} // namespace vi23
