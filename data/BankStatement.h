#pragma once
// A bank statement in the client-bank exchange text format, read into documents.
#include "Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
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

// A "СекцияРасчСчет": the account's period and the bank's own totals of it, where given.
struct AccountSection {
    int line = 0;
    QString account;
    QDate from;
    QDate to;
    std::optional<Money> opening;   // НачальныйОстаток
    std::optional<Money> in;        // ВсегоПоступило
    std::optional<Money> out;       // ВсегоСписано
    std::optional<Money> closing;   // КонечныйОстаток
};

struct BankStatement {
    QString encoding;               // "UTF-8", "Windows-1251" or "CP866", as read
    QStringList accounts;           // the accounts the statement is about
    std::vector<AccountSection> sections;
    std::vector<StatementDocument> documents;
};

// Reads the file's bytes. A file without its first line, a section without its end, a missing end of
// file, a key that does not read, an odd value (a control character, a letter no code page has, a bad
// date, sum, ИНН or КПП) is refused with a message naming the line and the field (UserError); so is a
// file of payment orders for the bank, and a statement whose totals disagree with its documents.
BankStatement parseBankStatement(const QByteArray& bytes);

// "Выписка не загружена: строка N: …", the form of every refusal that points into the file.
QString statementLineError(int line, const QString& text);

// The single-byte Cyrillic code pages of the format.
enum class CodePage { Windows1251, Cp866 };
QString decodeCodePage(const QByteArray& bytes, CodePage page);

} // namespace vi23
