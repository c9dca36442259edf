#pragma once
// Turning a bank statement into journal rows: what would be added and skipped, then storing it as one unit.
#include "BankStatement.h"

#include "Error.h"

#include <QDate>
#include <QString>
#include <functional>
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

// Called now and then with the documents done so far; false stops the work, which then throws
// ImportCancelled and leaves the store as it was.
using ImportProgress = std::function<bool(int done, int total)>;

class ImportCancelled : public UserError {
public:
    ImportCancelled() : UserError(QStringLiteral("Загрузка выписки отменена; ничего не записано")) {}
};

// Why the statement is not the enterprise's (neither its account nor its ИНН is in the requisites),
// naming its owner and account; empty for a statement of ours.
QString foreignStatement(Database& db, const BankStatement& statement);

struct PlanOptions {
    bool foreignAccepted = false;   // the user chose to load a statement of another owner
    ImportProgress progress;
};

// Reads the store and decides each document; writes nothing. A statement of another owner, or a
// value that does not fit the field it is stored in, is refused (UserError).
ImportPlan planImport(Database& db, const BankStatement& statement, const PlanOptions& options = {});

enum class ApplyMode { Store, TryOnly };
// Stores the plan's rows, new counterparties and the import record in one transaction: all or nothing.
// TryOnly writes the same and rolls it back, so a check meets every refusal the import would.
// Returns the number of journal rows added.
int applyImport(Database& db, const ImportPlan& plan, ApplyMode mode = ApplyMode::Store,
                const ImportProgress& progress = {});

// The statement file read; the file's errors come as UserError naming the line.
BankStatement readBankStatementFile(const QString& path);
ImportPlan planImportFile(Database& db, const QString& path);

} // namespace vi23
