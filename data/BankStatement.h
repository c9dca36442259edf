#pragma once
// A bank statement in the client-bank exchange text format, read into documents.
#include "Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace vi23 {

// One side of a payment.
struct PaymentParty {
    QString account;        // "…Счет", else "…РасчСчет"
    QString name;           // "…1", else the plain key
    QString inn;
    QString kpp;
    QString bank;
    QString bik;
};

struct StatementDocument {
    int line = 0;                   // the line of "СекцияДокумент"
    QString kind;                   // "Платежное поручение", "Банковский ордер", …
    QString number;
    QDate date;
    Money sum;
    PaymentParty payer;
    PaymentParty payee;
    QDate debited;                  // ДатаСписано: money left the account
    QDate credited;                 // ДатаПоступило: money came in
    QString purpose;
};

struct BankStatement {
    QString encoding;               // "UTF-8", "Windows-1251" or "CP866", as read
    QStringList accounts;           // the accounts the statement is about, ours
    std::vector<StatementDocument> documents;
};

// Reads the file's bytes. A file without its first line, a section without its end, a missing end of
// file, a bad date or sum is refused with a message naming the line (UserError).
BankStatement parseBankStatement(const QByteArray& bytes);

// The single-byte Cyrillic code pages of the format.
enum class CodePage { Windows1251, Cp866 };
QString decodeCodePage(const QByteArray& bytes, CodePage page);

} // namespace vi23
