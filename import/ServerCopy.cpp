#include "ServerCopy.h"

#include "data/CalendarDates.h"
#include "data/DataSet.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/Schema.h"

#include <QStringList>

namespace vi23 {

void continueCounter(Database& to, const TableDef& table, long long last)
{
    const int counter = table.counterIndex();
    if (!to.isServer() || counter < 0)
        return;
    const QString name = table.fields[size_t(counter)].name;
    Statement set = to.prepare(QStringLiteral("SELECT setval(pg_get_serial_sequence(?1, ?2), GREATEST(?3, "
                                              "(SELECT COALESCE(max(%1), 0) FROM %2), 1), GREATEST(?3, "
                                              "(SELECT COALESCE(max(%1), 0) FROM %2)) > 0)")
                                   .arg(quoteIdentifier(name), quoteIdentifier(table.name)));
    set.bind(1, table.name);
    set.bind(2, name);
    set.bind(3, Value(std::int64_t(last)));
    set.run();
}

void dropProgramTables(Database& db)
{
    for (const auto* list : {&schemaTables(), &addedTables()}) {
        for (const TableDef& table : *list)
            db.exec(QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(quoteIdentifier(table.name)));
    }
}

namespace {

// The columns both stores have, typed as the program keeps them; a column the program adds beside
// the described fields is a whole number.
std::vector<FieldDef> sharedColumns(Database& from, Database& to, const TableDef& table)
{
    QStringList target;
    for (const auto& column : to.columnsOf(table.name))
        target << column.first;
    std::vector<FieldDef> shared;
    for (const auto& [name, type] : from.columnsOf(table.name)) {
        if (!target.contains(name, Qt::CaseInsensitive))
            continue;
        const int field = table.fieldIndex(name);
        shared.push_back(field >= 0 ? table.fields[size_t(field)] : FieldDef{name, FieldType::Long, 0});
    }
    return shared;
}

long long count(Database& db, const QString& table)
{
    Statement rows = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table)));
    rows.step();
    return rows.integer(0);
}

// The counter continues from the file's next number, also past rows deleted at the end.
void continueFileCounter(Database& from, Database& to, const TableDef& table)
{
    long long last = 0;
    if (from.hasTable(QStringLiteral("sqlite_sequence"))) {
        Statement seq = from.prepare(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?1"));
        seq.bind(1, table.name);
        if (seq.step())
            last = seq.integer(0);
    }
    continueCounter(to, table, last);
}

jet::TableCount copyTable(Database& from, Database& to, const TableDef& table)
{
    const std::vector<FieldDef> columns = sharedColumns(from, to, table);
    QStringList names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        names << quoteIdentifier(columns[i].name);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    Statement read = from.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(names.join(u','), quoteIdentifier(table.name)));
    Statement write = to.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quoteIdentifier(table.name), names.join(u','), marks.join(u',')));
    while (read.step()) {
        write.reset();
        for (size_t i = 0; i < columns.size(); ++i)
            write.bind(int(i) + 1, readColumn(read, int(i), columns[i].type));
        write.run();
    }
    continueFileCounter(from, to, table);
    const jet::TableCount counted{table.name, count(from, table.name), count(to, table.name)};
    if (counted.oldRows != counted.newRows)
        throw UserError(QStringLiteral("В таблице «%1» перенесено строк %2 из %3.").arg(table.name).arg(counted.newRows).arg(counted.oldRows));
    return counted;
}

} // namespace

jet::ImportResult copyFileToServer(const QString& file, const QString& server)
{
    if (!isServerLocation(server))
        throw UserError(QStringLiteral("«%1» не строка подключения к серверу PostgreSQL").arg(server));
    std::unique_ptr<Database> from = Database::openForReading(file);
    for (const TableDef& table : schemaTables())
        requireCalendarDates(*from, table.name);
    std::unique_ptr<Database> to = Database::create(server);
    jet::ImportResult result;
    try {
        Database::Transaction transaction(*to);
        // The new database's own requisites row and settings give way to the file's.
        to->exec(QStringLiteral("DELETE FROM pr1"));
        to->exec(QStringLiteral("DELETE FROM settings"));
        for (const auto* list : {&schemaTables(), &addedTables()}) {
            for (const TableDef& table : *list) {
                if (from->hasTable(table.name))
                    result.counts.push_back(copyTable(*from, *to, table));
            }
        }
        result.years = jet::compareStoredSums(*from, *to);
        transaction.commit();
    } catch (const UserError& e) {
        dropProgramTables(*to);
        throw UserError(QStringLiteral("Перенос остановлен: %1 Таблицы на сервере не оставлены.").arg(e.text()));
    }
    jet::gatherPlannerStatistics(*to);
    return result;
}

} // namespace vi23
