#include "Upgrade.h"
#include "CalendarDates.h"
#include "DataSet.h"
#include "Database.h"
#include "IssuedDocument.h"
#include "Error.h"
#include "Schema.h"
#include "EnterpriseSettings.h"

#include <QRegularExpression>
#include <QStringList>

namespace vi23 {

namespace {

UpgradeStep createTable(const QString& table)
{
    return {QStringLiteral("таблица «%1»").arg(table), [table](Database& db) { return !tableExists(db, table); },
            [table](Database& db) { db.exec(db.dialect().createTable(schemaTable(table))); }};
}

UpgradeStep createIndex(const QString& index, const QString& sql)
{
    return {QStringLiteral("индекс «%1»").arg(index), [index](Database& db) { return !indexExists(db, index); },
            [sql](Database& db) { db.exec(sql); }};
}

UpgradeStep fileOnly(UpgradeStep step)
{
    step.needed = [needed = std::move(step.needed)](Database& db) { return !db.isServer() && needed(db); };
    return step;
}

// A text field declared narrower than the program now declares it.
UpgradeStep widenField(const QString& table, const QString& field)
{
    return {QStringLiteral("расширение поля %1.%2").arg(table, field),
            [table, field](Database& db) {
                const FieldDef& def = schemaTable(table).fields[size_t(schemaTable(table).fieldIndex(field))];
                int width = declaredTextWidth(db, table, field);
                return width > 0 && width < def.size;
            },
            [table, field](Database& db) {
                // The server widens a column in place; the file's table is built again.
                if (!db.isServer()) {
                    rebuildTable(db, table);
                    return;
                }
                const FieldDef& def = schemaTable(table).fields[size_t(schemaTable(table).fieldIndex(field))];
                db.exec(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE varchar(%3)")
                            .arg(quoteIdentifier(table), quoteIdentifier(def.name)).arg(def.size));
            }};
}

// A column the program keeps beside a described table's fields; the table's data set never reads it.
struct AddedColumn {
    QString table;
    QString column;
    QString definition;
};

std::vector<AddedColumn> buildAddedColumns()
{
    std::vector<AddedColumn> columns = {
        // The status of a universal transfer document: 1 invoice and transfer, 2 transfer only.
        {QStringLiteral("jur1"), kTransferStatusColumn,
         QStringLiteral("INTEGER NOT NULL DEFAULT 1 CHECK (%1 IN (1, 2))").arg(kTransferStatusColumn)},
    };
    for (const TableDef& table : schemaTables()) {
        if (!isWorkTable(table.name))
            columns.push_back({table.name, kRowVersionColumn, QStringLiteral("INTEGER NOT NULL DEFAULT 0")});
    }
    return columns;
}

const std::vector<AddedColumn>& addedColumns()
{
    static const std::vector<AddedColumn> columns = buildAddedColumns();
    return columns;
}

UpgradeStep addColumn(const AddedColumn& added)
{
    return {QStringLiteral("поле %1.%2").arg(added.table, added.column),
            [added](Database& db) { return !db.hasColumn(added.table, added.column); },
            [added](Database& db) {
                db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                            .arg(quoteIdentifier(added.table), quoteIdentifier(added.column), added.definition));
            }};
}

// The fields a table keeps beside its described ones (FieldDef::added), added where missing; `then`
// runs once after they are added, to give the rows what they should have held, and only when
// `thenFor` was among them: a field added later must not refill what the file already holds.
UpgradeStep addAddedFields(const QString& table, const std::function<void(Database&)>& then = {},
                           const QString& thenFor = {})
{
    return {QStringLiteral("новые поля таблицы %1").arg(table),
            [table](Database& db) { return !missingAddedFields(db, schemaTable(table)).isEmpty(); },
            [table, then, thenFor](Database& db) {
                const QSet<QString> missing = missingAddedFields(db, schemaTable(table));
                for (const FieldDef& field : schemaTable(table).fields) {
                    if (missing.contains(field.name))
                        db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdentifier(table), db.dialect().column(field)));
                }
                if (then && missing.contains(thenFor))
                    then(db);
            }};
}

// How a column beyond the described fields is declared again when its table is rebuilt: the
// program's own with its checks, another program's with its type.
QString extraColumnDefinition(const QString& table, const QString& column, const QString& type)
{
    for (const AddedColumn& added : addedColumns()) {
        if (added.table == table && added.column.compare(column, Qt::CaseInsensitive) == 0)
            return added.definition;
    }
    return type;
}

std::vector<UpgradeStep> buildSteps()
{
    std::vector<UpgradeStep> steps = {
        widenField(QStringLiteral("jur"), QStringLiteral("nn")),
        widenField(QStringLiteral("kassa"), QStringLiteral("nn")),
        createTable(QStringLiteral("settings")),
        createIndex(QStringLiteral("settings_key"), QStringLiteral("CREATE UNIQUE INDEX settings_key ON settings (key)")),
        createTable(QStringLiteral("import_rules")),
        createTable(QStringLiteral("bank_imports")),
        createIndex(QStringLiteral("bank_imports_key"), QStringLiteral("CREATE INDEX bank_imports_key ON bank_imports (acc, nn, dd)")),
        addColumn(addedColumns()[0]),
        // The books read a period of the journal in date order.
        createIndex(QStringLiteral("jur_dd_n"), QStringLiteral("CREATE INDEX jur_dd_n ON jur (dd, n)")),
        // Every book first looks for journal dates that are no calendar dates: only such rows are indexed.
        // The server keeps dates as dates: it has no such rows.
        fileOnly(createIndex(notCalendarDateIndex(u"jur", u"dd"), QStringLiteral("CREATE INDEX %1 ON jur (n) WHERE %2")
                                                                     .arg(notCalendarDateIndex(u"jur", u"dd"), notCalendarDateCondition(u"dd")))),
        // Issued lines keep what they print: the goods list as it stands gives them their unit, country
        // and customs declaration once, and the stored sums become the printed ones. These come before
        // the rebuilds below, which would create the fields empty and so skip the filling.
        addAddedFields(QStringLiteral("jur1"),
                       [](Database& db) {
                           copyGoodsDetailsIntoDocuments(db);
                           recomputeStoredSums(db);
                       },
                       QStringLiteral("eu0")),
        addAddedFields(QStringLiteral("tov")),
        // Kept beside the described fields: the counterparty's e-mail address for "Отправить по почте";
        // for electronic documents the participant ids and the signer of the enterprise, the
        // counterparties' ids and countries.
        addAddedFields(QStringLiteral("k")),
        // The enterprise's additions (the cashier who signs the cash orders, the electronic documents'
        // participant id and signer); the journal rows the cash orders were registered as.
        addAddedFields(QStringLiteral("pr1")),
        createTable(QStringLiteral("cash_journal")),
        createIndex(QStringLiteral("cash_journal_k"), QStringLiteral("CREATE UNIQUE INDEX cash_journal_k ON cash_journal (k)")),
        // A counterparty's name is kept whole wherever it is copied: the list, the journal, the
        // document's buyer and the cash book.
        widenField(QStringLiteral("k"), QStringLiteral("k")),
        widenField(QStringLiteral("jur"), QStringLiteral("k")),
        widenField(QStringLiteral("jur1"), QStringLiteral("z")),
        // "Расходный кассовый ордер" is longer than the 20 characters the kinds had.
        widenField(QStringLiteral("jur1"), QStringLiteral("dok")),
        widenField(QStringLiteral("kassa"), QStringLiteral("k")),
    };
    // Every table workplaces edit keeps its rows' versions: a row another workplace changed since it
    // was read is never overwritten. Existing rows start at 0.
    for (const AddedColumn& added : addedColumns()) {
        if (added.column == kRowVersionColumn)
            steps.push_back(addColumn(added));
    }
    return steps;
}

int runNeeded(Database& db)
{
    int ran = 0;
    for (const UpgradeStep& step : upgradeSteps()) {
        if (!step.needed(db))
            continue;
        try {
            step.apply(db);
        } catch (const UserError& e) {
            throw UserError(QStringLiteral("%1: %2").arg(step.what, e.text()));
        }
        ++ran;
    }
    return ran;
}

} // namespace

const std::vector<UpgradeStep>& upgradeSteps()
{
    static const std::vector<UpgradeStep> steps = buildSteps();
    return steps;
}

int applyUpgradeSteps(Database& db)
{
    return runNeeded(db);
}

UpgradeResult upgradeOnOpen(Database& db)
{
    bool anyNeeded = false;
    for (const UpgradeStep& step : upgradeSteps())
        anyNeeded = anyNeeded || step.needed(db);
    if (!anyNeeded)
        return UpgradeResult::UpToDate;
    if (!db.beginIfWritable())
        return UpgradeResult::LeftAsIs;
    try {
        // Checked again under the lock: another program may have upgraded the file meanwhile.
        int ran = runNeeded(db);
        db.exec(QStringLiteral("COMMIT"));
        return ran > 0 ? UpgradeResult::Upgraded : UpgradeResult::UpToDate;
    } catch (...) {
        db.rollback();
        throw;
    }
}

bool tableExists(Database& db, const QString& table)
{
    return db.hasTable(table);
}

bool indexExists(Database& db, const QString& index)
{
    return db.hasIndex(index);
}

int declaredTextWidth(Database& db, const QString& table, const QString& field)
{
    QString type;
    for (const auto& column : db.columnsOf(table)) {
        if (column.first.compare(field, Qt::CaseInsensitive) == 0)
            type = column.second;
    }
    static const QRegularExpression width(QStringLiteral("^\\s*TEXT\\s*\\(\\s*(\\d+)\\s*\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch match = width.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

namespace {

// Counter numbers are never reused, also those of rows deleted before the rebuild.
void keepCounterPast(Database& db, const QString& table, long long sequence)
{
    Statement update = db.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2"));
    update.bind(1, Value(std::int64_t(sequence)));
    update.bind(2, table);
    update.run();
    if (db.changes() == 0) {
        Statement insert = db.prepare(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?2, ?1)"));
        insert.bind(1, Value(std::int64_t(sequence)));
        insert.bind(2, table);
        insert.run();
    }
}

} // namespace

void rebuildTable(Database& db, const QString& table)
{
    TableDef definition = schemaTable(table);
    const QString quoted = quoteIdentifier(table);
    const QString staging = table + QStringLiteral("__rebuilt");
    definition.name = staging;

    QStringList columns;
    QStringList extras;
    {
        for (const auto& [name, type] : db.columnsOf(table)) {
            columns << quoteIdentifier(name);
            if (definition.fieldIndex(name) < 0)
                extras << quoteIdentifier(name) + u' ' + extraColumnDefinition(table, name, type);
        }
    }
    QStringList indexes;
    {
        Statement query = db.prepare(
            QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL"));
        query.bind(1, table);
        while (query.step())
            indexes << query.text(0);
    }
    auto scalar = [&db](const QString& sql, const QString& argument) -> long long {
        Statement query = db.prepare(sql);
        query.bind(1, argument);
        return query.step() ? query.integer(0) : -1;
    };
    const bool hasSequence = tableExists(db, QStringLiteral("sqlite_sequence"));
    const long long sequence =
        hasSequence ? scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?1"), table) : -1;
    const long long rows = scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE ?1 IS NOT NULL").arg(quoted), table);

    QString create = db.dialect().createTable(definition);
    if (!extras.isEmpty()) {
        create.chop(2);   // "\n)"
        create += QStringLiteral(",\n  ") + extras.join(QStringLiteral(",\n  ")) + QStringLiteral("\n)");
    }
    const QString columnList = columns.join(QStringLiteral(", "));
    db.exec(create);
    db.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(quoteIdentifier(staging), columnList, quoted));
    if (scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE ?1 IS NOT NULL").arg(quoteIdentifier(staging)), table) != rows)
        throw UserError(QStringLiteral("при переносе таблицы «%1» потеряны строки").arg(table));
    db.exec(QStringLiteral("DROP TABLE %1").arg(quoted));
    db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteIdentifier(staging), quoted));
    for (const QString& index : indexes)
        db.exec(index);
    if (sequence >= 0)
        keepCounterPast(db, table, sequence);
}

} // namespace vi23
