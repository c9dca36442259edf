#include "CalendarDates.h"
#include "Error.h"
#include "RuFormat.h"
#include "Schema.h"

#include <QStringList>

namespace vi23 {

void requireCalendarDates(Database& db, QStringView tableName)
{
    const TableDef& table = schemaTable(tableName);
    const int counter = table.counterIndex();
    const QString key = counter >= 0 ? quoteIdentifier(table.fields[size_t(counter)].name) : QStringLiteral("rowid");
    const QString keyName = counter >= 0 ? table.fields[size_t(counter)].name : QStringLiteral("rowid");
    QStringList found;
    for (const FieldDef& field : table.fields) {
        if (field.type != FieldType::Date)
            continue;
        const QString column = quoteIdentifier(field.name);
        // The store reads the first ten characters as the date; an empty text is a blank date.
        Statement bad = db.prepare(QStringLiteral("SELECT %1, CAST(%2 AS TEXT) FROM %3 WHERE %2 IS NOT NULL AND %2 <> '' "
                                                  "AND (typeof(%2) <> 'text' OR date(substr(%2, 1, 10), '+0 days') IS NOT substr(%2, 1, 10)) "
                                                  "ORDER BY 1 LIMIT 10")
                                       .arg(key, column, quoteIdentifier(table.name)));
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
