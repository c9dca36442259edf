#include "CalendarDates.h"
#include "Database.h"
#include "Error.h"
#include "RuFormat.h"
#include "Schema.h"
#include "Upgrade.h"

#include <QStringList>

namespace vi23 {

QString notCalendarDateCondition(QStringView field)
{
    // The store reads the first ten characters as the date; an empty text is a blank date.
    return QStringLiteral("%1 IS NOT NULL AND %1 <> '' "
                          "AND (typeof(%1) <> 'text' OR date(substr(%1, 1, 10), '+0 days') IS NOT substr(%1, 1, 10))")
        .arg(quoteIdentifier(field));
}

QString notCalendarDateIndex(QStringView table, QStringView field)
{
    return QStringLiteral("%1_%2_not_calendar").arg(table, field);
}

void requireCalendarDates(Database& db, QStringView tableName)
{
    // A server keeps dates as dates: every one is in the calendar.
    if (db.isServer())
        return;
    const TableDef& table = schemaTable(tableName);
    const int counter = table.counterIndex();
    const QString key = counter >= 0 ? quoteIdentifier(table.fields[size_t(counter)].name) : QStringLiteral("rowid");
    const QString keyName = counter >= 0 ? table.fields[size_t(counter)].name : QStringLiteral("rowid");
    QStringList found;
    for (const FieldDef& field : table.fields) {
        if (field.type != FieldType::Date)
            continue;
        // The planner, without statistics, may prefer the date index and read every row.
        const QString index = notCalendarDateIndex(table.name, field.name);
        const QString indexed = indexExists(db, index) ? QStringLiteral(" INDEXED BY ") + quoteIdentifier(index) : QString();
        Statement bad = db.prepare(QStringLiteral("SELECT %1, CAST(%2 AS TEXT) FROM %3%4 WHERE %5 ORDER BY 1 LIMIT 10")
                                       .arg(key, quoteIdentifier(field.name), quoteIdentifier(table.name), indexed,
                                            notCalendarDateCondition(field.name)));
        while (bad.step() && found.size() < 10) {
            found << QStringLiteral("строка %1=%2, поле %3: «%4»")
                         .arg(keyName)
                         .arg(bad.integer(0))
                         .arg(field.name, ru::quoteForMessage(bad.text(1)));
        }
    }
    if (!found.isEmpty())
        throw UserError(QStringLiteral("В таблице %1 есть даты, которых нет в календаре (%2). Исправьте их: "
                                       "иначе одни книги учтут эти строки без даты, а другие пропустят")
                            .arg(table.name, found.join(QStringLiteral("; "))));
}

} // namespace vi23
