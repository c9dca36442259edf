#pragma once
// Turning a bank statement into journal rows: what would be added and skipped, then storing it as one unit.
#include "BankStatement.h"

#include <QDate>
#include <QString>
#include <vector>

namespace vi23 {

class Database;

struct NewCounterparty {
    QString name;
    QString inn;
    QString unn;        // "ИНН/КПП" as the list keeps it
    QString bank;       // "Банк, № расчетного счета"
};

struct ImportLine {
    int line = 0;                 // the document's line in the file
    bool add = false;
    QString reason;               // why skipped; for an added row a remark, if any
    bool incoming = false;
    QString account;              // our account
    QDate date;
    QString number;
    Money sum;
    QString counterparty;
    bool newCounterparty = false;
    QString operation;
    QString kind;                 // the operation's "Приход" / "Расход", empty without one
    QString purpose;
};

struct ImportPlan {
    QString encoding;
    std::vector<ImportLine> lines;
    std::vector<NewCounterparty> counterparties;
    int added() const;
    int skipped() const;
};

// Reads the store and decides each document; writes nothing.
ImportPlan planImport(Database& db, const BankStatement& statement);
// Stores the plan's rows, new counterparties and the import record in one transaction: all or nothing.
// Returns the number of journal rows added.
int applyImport(Database& db, const ImportPlan& plan);

// The statement file read; the file's errors come as UserError naming the line.
BankStatement readBankStatementFile(const QString& path);
ImportPlan planImportFile(Database& db, const QString& path);

} // namespace vi23
