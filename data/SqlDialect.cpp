#include "SqlDialect.h"
#include "Schema.h"

#include <QRegularExpression>
#include <QStringList>
#include <functional>

namespace vi23 {

bool isServerLocation(QStringView location)
{
    const QString text = location.trimmed().toString();
    if (text.startsWith(u"postgresql://") || text.startsWith(u"postgres://"))
        return true;
    // A key=value string names at least one known key; a file name with "=" in it is still a file.
    static const QRegularExpression keyValue(
        QStringLiteral("(^|\\s)(host|hostaddr|dbname|user|port|service|sslmode)\\s*="));
    return keyValue.match(text).hasMatch();
}

namespace {

// Copies SQL outside quoted parts through `plain`, quoted parts unchanged.
QString mapOutsideQuotes(QStringView sql, const std::function<QString(QStringView)>& plain)
{
    QString out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar quote = sql[i];
        if (quote != u'\'' && quote != u'"')
            continue;
        out += plain(sql.sliced(start, i - start));
        qsizetype end = i + 1;
        while (end < sql.size()) {
            if (sql[end] == quote && (end + 1 >= sql.size() || sql[end + 1] != quote))
                break;
            end += sql[end] == quote ? 2 : 1;
        }
        end = std::min(end + 1, sql.size());
        out += sql.sliced(i, end - i);
        start = end;
        i = end - 1;
    }
    out += plain(sql.sliced(start));
    return out;
}

// The server's placeholders, collations and functions for the file's.
QString serverWords(QStringView sql)
{
    int bare = 0;
    return mapOutsideQuotes(sql, [&bare](QStringView part) {
        QString out;
        out.reserve(part.size() + 8);
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] != u'?') {
                out += part[i];
                continue;
            }
            out += u'$';
            if (i + 1 < part.size() && part[i + 1].isDigit()) {
                while (i + 1 < part.size() && part[i + 1].isDigit())
                    out += part[++i];
            } else {
                out += QString::number(++bare);
            }
        }
        static const QRegularExpression noCase(QStringLiteral("\\bCOLLATE\\s+(RUNOCASE|NOCASE)\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
        out.replace(noCase, QStringLiteral("COLLATE %1").arg(QLatin1String(kServerNoCaseCollation)));
        static const QRegularExpression ifNull(QStringLiteral("\\bIFNULL\\("), QRegularExpression::CaseInsensitiveOption);
        out.replace(ifNull, QStringLiteral("COALESCE("));
        // Ё as the letter after Е: the server's collation cannot be tailored, but Є sorts there.
        static const QRegularExpression sortKey(QStringLiteral("\\brunocase_key\\(([^()]*)\\)"),
                                                QRegularExpression::CaseInsensitiveOption);
        out.replace(sortKey, QStringLiteral("(translate(\\1, 'ёЁ', 'єЄ') COLLATE %1)").arg(QLatin1String(kServerSortCollation)));
        return out;
    });
}

// One item of an ORDER BY as the file orders it: SQLite puts nulls before every value, the server
// after them. A row key (rowid or a quoted counter) is never null and keeps the order its index gives.
QString orderedAsInFile(QStringView item)
{
    const QString text = item.trimmed().toString();
    static const QRegularExpression key(QStringLiteral("^(\\w+\\.)?(rowid|\"[^\"]*\")$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nulls(QStringLiteral("\\bNULLS\\s+(FIRST|LAST)$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression desc(QStringLiteral("\\bDESC$"), QRegularExpression::CaseInsensitiveOption);
    if (text.isEmpty() || key.match(text).hasMatch() || nulls.match(text).hasMatch())
        return item.toString();
    const qsizetype end = item.lastIndexOf(text.back()) + 1;
    return item.first(end).toString() + (desc.match(text).hasMatch() ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST"))
        + item.sliced(end).toString();
}

// Every ORDER BY of the statement (subqueries too) with its items ordered as in the file.
QString nullsAsInFile(const QString& sql)
{
    static const QRegularExpression orderBy(QStringLiteral("\\bORDER\\s+BY\\s"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression clauseEnd(QStringLiteral("\\b(LIMIT|OFFSET)\\b"), QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype copied = 0;
    for (auto match = orderBy.match(sql); match.hasMatch(); match = orderBy.match(sql, copied)) {
        qsizetype item = match.capturedEnd();
        out += QStringView(sql).sliced(copied, item - copied);
        int depth = 0;
        QChar quote;
        qsizetype i = item;
        for (; i <= sql.size(); ++i) {
            const QChar c = i < sql.size() ? sql[i] : QChar(u')');
            if (!quote.isNull()) {
                quote = c == quote ? QChar() : quote;
                continue;
            }
            if (c == u'\'' || c == u'"')
                quote = c;
            const bool ends = depth == 0 && (c == u')' || c == u';' || clauseEnd.match(sql, i, QRegularExpression::NormalMatch,
                                                                                    QRegularExpression::AnchorAtOffsetMatchOption).hasMatch());
            if (ends || (depth == 0 && c == u',')) {
                out += orderedAsInFile(QStringView(sql).sliced(item, i - item));
                if (ends)
                    break;
                out += c;
                item = i + 1;
            }
            depth += c == u'(' ? 1 : c == u')' ? -1 : 0;
        }
        copied = std::min(i, sql.size());
    }
    out += QStringView(sql).sliced(copied);
    return out;
}

} // namespace

QString toServerSql(QStringView sql)
{
    return nullsAsInFile(serverWords(sql));
}

QStringList serverCollationSql()
{
    return {QStringLiteral("CREATE COLLATION IF NOT EXISTS %1 (provider = icu, locale = 'und-u-ks-level2', deterministic = false)")
                .arg(QLatin1String(kServerNoCaseCollation)),
            QStringLiteral("CREATE COLLATION IF NOT EXISTS %1 (provider = icu, locale = 'und-u-kr-cyrl-ks-level2', deterministic = false)")
                .arg(QLatin1String(kServerSortCollation))};
}

QString SqlDialect::rowKey(const TableDef& table) const
{
    const int counter = table.counterIndex();
    if (isServer() && counter >= 0)
        return quoteIdentifier(table.fields[size_t(counter)].name);
    return QStringLiteral("rowid");
}

QString SqlDialect::sameAs(const QString& left, const QString& right) const
{
    return left + (isServer() ? QStringLiteral(" IS NOT DISTINCT FROM ") : QStringLiteral(" IS ")) + right;
}

QString SqlDialect::column(const FieldDef& field) const
{
    const QString name = quoteIdentifier(field.name);
    if (isServer()) {
        switch (field.type) {
        case FieldType::Counter: return name + QStringLiteral(" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        case FieldType::Date: return name + QStringLiteral(" date");
        case FieldType::Text: return name + QStringLiteral(" varchar(%1)").arg(field.size);
        case FieldType::Money: return name + QStringLiteral(" bigint");
        case FieldType::Real: return name + QStringLiteral(" double precision");
        case FieldType::Short: return name + QStringLiteral(" smallint");
        case FieldType::Long: return name + QStringLiteral(" integer");
        }
        return name;
    }
    switch (field.type) {
    case FieldType::Counter:
        return name + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Date:
        return name + QStringLiteral(" DATE CHECK (%1 IS NULL OR (typeof(%1) = 'text' AND %1 GLOB "
                                     "'[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]' AND date(%1, '+0 days') IS %1))").arg(name);
    case FieldType::Text:
        return name + QStringLiteral(" TEXT(%1) CHECK (%2 IS NULL OR length(%2) <= %1)").arg(field.size).arg(name);
    case FieldType::Money:
        return name + QStringLiteral(" MONEY CHECK (%1 IS NULL OR typeof(%1) = 'integer')").arg(name);
    case FieldType::Real:
        return name + QStringLiteral(" REAL");
    case FieldType::Short:
        return name + QStringLiteral(" SMALLINT CHECK (%1 IS NULL OR %1 BETWEEN -32768 AND 32767)").arg(name);
    case FieldType::Long:
        return name + QStringLiteral(" INTEGER CHECK (%1 IS NULL OR %1 BETWEEN -2147483648 AND 2147483647)").arg(name);
    }
    return name;
}

QString SqlDialect::createTable(const TableDef& table, bool ofConnection) const
{
    QStringList columns;
    for (const FieldDef& field : table.fields)
        columns << column(field);
    // A connection's own table starts empty: its counter need not outlive deleted rows, and the file's
    // record of counters (sqlite_sequence) stays the kept tables' alone, never shadowed by a temporary one.
    if (ofConnection && !isServer())
        columns.replaceInStrings(QStringLiteral(" PRIMARY KEY AUTOINCREMENT"), QStringLiteral(" PRIMARY KEY"));
    // The file numbers every row; a server table without a counter gets the same number by name.
    if (isServer() && table.counterIndex() < 0)
        columns << QStringLiteral("rowid bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY");
    return QStringLiteral("CREATE %1TABLE %2 (\n  %3\n)")
        .arg(ofConnection ? QStringLiteral("TEMP ") : QString(), quoteIdentifier(table.name), columns.join(QStringLiteral(",\n  ")));
}

QString SqlDialect::digitsOnly(const QString& text) const
{
    return isServer() ? QStringLiteral("%1 !~ '[^0-9]'").arg(text) : QStringLiteral("%1 NOT GLOB '*[^0-9]*'").arg(text);
}

QString SqlDialect::insertOrReplace(const QString& table, const QString& columns, const QString& values,
                                    const QString& key) const
{
    if (!isServer())
        return QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)").arg(table, columns, values);
    QStringList updates;
    for (const QString& column : columns.split(u',')) {
        const QString name = column.trimmed();
        if (name != key)
            updates << QStringLiteral("%1 = EXCLUDED.%1").arg(name);
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO UPDATE SET %5")
        .arg(table, columns, values, key, updates.join(QStringLiteral(", ")));
}

QString SqlDialect::numberingLock(const QString& table) const
{
    return isServer() ? QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('vi23 numbering %1'))").arg(table) : QString();
}

QString SqlDialect::yearOf(const QString& date) const
{
    return isServer() ? QStringLiteral("to_char(%1, 'YYYY')").arg(date) : QStringLiteral("substr(%1, 1, 4)").arg(date);
}

QString SqlDialect::monthOf(const QString& date) const
{
    return isServer() ? QStringLiteral("to_char(%1, 'MM')").arg(date) : QStringLiteral("substr(%1, 6, 2)").arg(date);
}

QString SqlDialect::quarterOf(const QString& date) const
{
    return isServer() ? QStringLiteral("CAST(EXTRACT(QUARTER FROM %1) AS INTEGER)").arg(date)
                      : QStringLiteral("((CAST(substr(%1, 6, 2) AS INTEGER) + 2) / 3)").arg(date);
}

QString SqlDialect::monthStart(const QString& date) const
{
    return isServer() ? QStringLiteral("CAST(date_trunc('month', %1) AS date)").arg(date)
                      : QStringLiteral("date(%1, 'start of month')").arg(date);
}

QString SqlDialect::quarterStart(const QString& date) const
{
    return isServer() ? QStringLiteral("CAST(date_trunc('quarter', %1) AS date)").arg(date)
                      : QStringLiteral("date(%1, 'start of month', printf('-%d months', (CAST(substr(%1, 6, 2) AS INTEGER) - 1) % 3))")
                            .arg(date);
}

QString SqlDialect::yearStart(const QString& date) const
{
    return isServer() ? QStringLiteral("CAST(date_trunc('year', %1) AS date)").arg(date)
                      : QStringLiteral("substr(%1, 1, 4) || '-01-01'").arg(date);
}

QString SqlDialect::nextMonth(const QString& date) const
{
    return isServer() ? QStringLiteral("CAST(date_trunc('month', %1) + interval '1 month' AS date)").arg(date)
                      : QStringLiteral("date(%1, 'start of month', '+1 month')").arg(date);
}

} // namespace vi23
