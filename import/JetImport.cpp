#include "JetImport.h"

#include "data/Database.h"
#include "data/IssuedDocument.h"
#include "data/Error.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace vi23::jet {

namespace {

const QDate kDayZero(1899, 12, 30);
constexpr double kLastDay = 2958465;   // 31.12.9999

QString typeName(FieldType type)
{
    switch (type) {
    case FieldType::Text: return QStringLiteral("текст");
    case FieldType::Money: return QStringLiteral("деньги");
    case FieldType::Real: return QStringLiteral("число с плавающей точкой");
    case FieldType::Date: return QStringLiteral("дату");
    case FieldType::Counter: return QStringLiteral("номер счётчика");
    case FieldType::Short:
    case FieldType::Long: return QStringLiteral("целое число");
    }
    return {};
}

// Decimal text such as "-1500.0001" as ten-thousandths, exactly; nullopt when it has more
// decimals than money keeps or does not fit 64 bits.
std::optional<std::int64_t> exactUnits(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    std::int64_t units = 0;
    int decimals = -1;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        digits = true;
        const int digit = c.unicode() - u'0';
        if (decimals >= 4) {
            if (digit != 0)
                return std::nullopt;
            continue;
        }
        if (decimals >= 0)
            ++decimals;
        // Accumulated as a negative number so that the most negative value fits too.
        if (__builtin_mul_overflow(units, 10, &units) || __builtin_sub_overflow(units, digit, &units))
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    for (int d = std::max(decimals, 0); d < 4; ++d) {
        if (__builtin_mul_overflow(units, 10, &units))
            return std::nullopt;
    }
    if (negative)
        return units;
    if (units == std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return -units;
}

QString describeRow(const TableDef& table, long long ordinal, const std::vector<Cell>& cells,
                    const std::vector<int>& sourceOf)
{
    QString text = QStringLiteral("строка %1").arg(ordinal);
    const int counter = table.counterIndex();
    if (counter >= 0 && !cells[size_t(sourceOf[size_t(counter)])].null)
        text += QStringLiteral(" (%1 = %2)").arg(table.fields[size_t(counter)].name, cells[size_t(sourceOf[size_t(counter)])].text);
    return text;
}

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

struct Source {
    const TableDef* table = nullptr;
    std::unique_ptr<JetTable> old;
    std::vector<int> sourceOf;       // the old column of each field
};

// Matches the eleven tables and their fields against the old file before anything is written.
std::vector<Source> matchTables(JetFile& file, QStringList& skipped)
{
    const QString notOurs = QStringLiteral("Файл %1 не является базой данных прежней версии программы: ")
                                .arg(QFileInfo(file.path()).absoluteFilePath());
    const QStringList oldTables = file.tableNames();
    std::vector<Source> sources;
    for (const TableDef& table : schemaTables()) {
        auto found = std::find_if(oldTables.begin(), oldTables.end(),
                                  [&](const QString& name) { return name.compare(table.name, Qt::CaseInsensitive) == 0; });
        if (found == oldTables.end())
            throw UserError(notOurs + QStringLiteral("в нём нет таблицы «%1».").arg(table.name));
        Source source;
        source.table = &table;
        source.old = file.openTable(*found);
        const std::vector<Column>& columns = source.old->columns();
        for (const FieldDef& field : table.fields) {
            auto column = std::find_if(columns.begin(), columns.end(),
                                       [&](const Column& c) { return c.name.compare(field.name, Qt::CaseInsensitive) == 0; });
            if (column == columns.end() && field.added) {
                source.sourceOf.push_back(-1);   // kept by this program only: filled after the copy
                continue;
            }
            if (column == columns.end())
                throw UserError(notOurs + QStringLiteral("в таблице «%1» нет поля «%2».").arg(table.name, field.name));
            if (!canHold(field, *column))
                throw UserError(notOurs + QStringLiteral("поле «%1» таблицы «%2» имеет тип «%3», а программа хранит в нём %4.")
                                              .arg(field.name, table.name, column->typeName, typeName(field.type)));
            source.sourceOf.push_back(int(column - columns.begin()));
        }
        for (const Column& column : columns) {
            if (table.fieldIndex(column.name) < 0)
                skipped << QStringLiteral("поле «%1» таблицы «%2»").arg(column.name, table.name);
        }
        sources.push_back(std::move(source));
    }
    for (const QString& name : oldTables) {
        bool known = std::any_of(schemaTables().begin(), schemaTables().end(),
                                 [&](const TableDef& t) { return t.name.compare(name, Qt::CaseInsensitive) == 0; });
        if (!known)
            skipped << QStringLiteral("таблица «%1»").arg(name);
    }
    return sources;
}

long long copyRows(Database& db, Source& source, const QString& oldPath)
{
    const TableDef& table = *source.table;
    QStringList names;
    QStringList marks;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        const FieldDef& field = table.fields[i];
        if (source.sourceOf[i] < 0)
            continue;
        names << quoteIdentifier(field.name);
        marks << QStringLiteral("?");
    }
    Statement insert = db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(quoteIdentifier(table.name), names.join(u','), marks.join(u',')));
    std::vector<Cell> cells;
    long long rows = 0;
    while (source.old->next(cells)) {
        ++rows;
        int bound = 0;
        for (size_t i = 0; i < table.fields.size(); ++i) {
            const FieldDef& field = table.fields[i];
            const int column = source.sourceOf[i];
            if (column < 0)
                continue;
            Value value;
            try {
                value = convertCell(field, source.old->columns()[size_t(column)], cells[size_t(column)]);
            } catch (const UserError& e) {
                throw UserError(QStringLiteral("Таблица «%1», %2, поле «%3»: %4")
                                    .arg(table.name, describeRow(table, rows, cells, source.sourceOf), field.name, e.text()));
            }
            insert.bind(++bound, value);
        }
        try {
            insert.run();
        } catch (const UserError& e) {
            throw UserError(QStringLiteral("Таблица «%1», %2: %3")
                                .arg(table.name, describeRow(table, rows, cells, source.sourceOf), e.text()));
        }
        insert.reset();
    }
    // Rows on pages that the library could not read are skipped by it without a word.
    if (rows != source.old->declaredRows())
        throw UserError(QStringLiteral("Файл %1 повреждён: в таблице «%2» прочитано строк %3 из %4.")
                            .arg(QFileInfo(oldPath).absoluteFilePath(), table.name)
                            .arg(rows)
                            .arg(source.old->declaredRows()));
    return rows;
}

} // namespace

bool canHold(const FieldDef& field, const Column& column)
{
    switch (field.type) {
    case FieldType::Text:
        return column.kind == ColumnKind::Text && !column.integer && !column.money;
    case FieldType::Money:
        return column.kind == ColumnKind::Text && (column.money || column.integer);
    case FieldType::Counter:
    case FieldType::Short:
    case FieldType::Long:
        return column.kind == ColumnKind::Text && column.integer;
    case FieldType::Real:
        return column.kind == ColumnKind::Real || (column.kind == ColumnKind::Text && column.integer);
    case FieldType::Date:
        return column.kind == ColumnKind::Date;
    }
    return false;
}

Value convertCell(const FieldDef& field, const Column& column, const Cell& cell)
{
    if (cell.null) {
        if (field.type == FieldType::Counter)
            throw UserError(QStringLiteral("у строки нет номера"));
        return {};
    }
    if (cell.cut)
        throw UserError(QStringLiteral("значение длиннее, чем может храниться в поле"));
    switch (field.type) {
    case FieldType::Text: {
        const qsizetype length = cell.text.toUcs4().size();
        if (length > field.size)
            throw UserError(QStringLiteral("текст из %1 символов не помещается в поле длиной %2 символов")
                                .arg(length)
                                .arg(field.size));
        return cell.text;
    }
    case FieldType::Money: {
        std::optional<std::int64_t> units = exactUnits(cell.text);
        if (!units)
            throw UserError(QStringLiteral("сумма «%1» не помещается в денежное поле").arg(cell.text));
        return Money::fromUnits(*units);
    }
    case FieldType::Counter:
    case FieldType::Short:
    case FieldType::Long: {
        bool ok = false;
        const long long number = cell.text.toLongLong(&ok);
        const long long limit = field.type == FieldType::Short ? 32767 : field.type == FieldType::Long ? 2147483647LL
                                                                                                      : std::numeric_limits<long long>::max();
        if (!ok || number > limit || number < -limit - 1)
            throw UserError(QStringLiteral("число «%1» вне пределов поля (от %2 до %3)").arg(cell.text).arg(-limit - 1).arg(limit));
        return std::int64_t(number);
    }
    case FieldType::Real: {
        if (column.kind != ColumnKind::Real) {
            bool ok = false;
            const double number = cell.text.toDouble(&ok);
            if (!ok)
                throw UserError(QStringLiteral("«%1» не является числом").arg(cell.text));
            return number;
        }
        if (!std::isfinite(cell.number))
            throw UserError(QStringLiteral("значение не является конечным числом"));
        return cell.number;
    }
    case FieldType::Date: {
        // Days before 30.12.1899 are stored with a negative count that the reader turns into
        // a day 0 of January 1900; such a date cannot be carried over as it is.
        if (!std::isfinite(cell.number) || cell.number < 0 || cell.number >= kLastDay + 1)
            throw UserError(QStringLiteral("дата раньше 30.12.1899 или позже 31.12.9999 не может быть перенесена"));
        return kDayZero.addDays(qint64(std::floor(cell.number)));
    }
    }
    return {};
}

ImportResult importJet(const QString& oldPath, const QString& newPath)
{
    const QFileInfo target(newPath);
    // Written beside the target under a name of its own, so that a stopped import leaves no
    // file that looks finished.
    const QString partial = newPath + QStringLiteral(".part-%1").arg(QCoreApplication::applicationPid());
    ImportResult result;
    try {
        if (target.exists())
            throw UserError(QStringLiteral("Файл %1 уже существует; он не будет перезаписан.").arg(target.absoluteFilePath()));
        JetFile file(oldPath);
        std::vector<Source> sources = matchTables(file, result.skipped);
        {
            std::unique_ptr<Database> db = Database::create(partial);
            Database::Transaction transaction(*db);
            db->exec(QStringLiteral("DELETE FROM pr1"));   // the new file's empty requisites row
            for (Source& source : sources)
                result.counts.push_back({source.table->name, copyRows(*db, source, oldPath), 0});
            // What the old documents did not keep, as a file of the old format gets it when opened.
            copyGoodsDetailsIntoDocuments(*db);
            recomputeStoredSums(*db);
            transaction.commit();
            for (TableCount& count : result.counts) {
                Statement rows = db->prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(count.table)));
                rows.step();
                count.newRows = rows.integer(0);
                if (count.newRows != count.oldRows)
                    throw UserError(QStringLiteral("В таблице «%1» перенесено строк %2 из %3.")
                                        .arg(count.table)
                                        .arg(count.newRows)
                                        .arg(count.oldRows));
            }
        }
        if (!QFile::rename(partial, newPath))
            throw UserError(QStringLiteral("Не удалось записать файл %1.").arg(target.absoluteFilePath()));
    } catch (const UserError& e) {
        removeDatabaseFiles(partial);
        QString reason = e.text();
        if (!reason.endsWith(u'.'))
            reason += u'.';
        throw UserError(QStringLiteral("Перенос остановлен. %1 Новый файл не записан.").arg(reason));
    } catch (...) {
        removeDatabaseFiles(partial);
        throw;
    }
    return result;
}

QString keptOldPath(const QString& path)
{
    return path + QStringLiteral(".jet");
}

ImportResult convertInPlace(const QString& path)
{
    const QString kept = keptOldPath(path);
    if (QFileInfo::exists(kept))
        throw UserError(QStringLiteral("Файл %1 уже существует; прежний файл некуда отложить. Перенос не выполнен.")
                            .arg(QFileInfo(kept).absoluteFilePath()));
    const QString fresh = path + QStringLiteral(".new");
    ImportResult result = importJet(path, fresh);
    if (!QFile::rename(path, kept)) {
        removeDatabaseFiles(fresh);
        throw UserError(QStringLiteral("Не удалось переименовать %1 в %2. Перенос не выполнен.").arg(path, kept));
    }
    if (!QFile::rename(fresh, path)) {
        QFile::rename(kept, path);
        removeDatabaseFiles(fresh);
        throw UserError(QStringLiteral("Не удалось записать новый файл %1. Перенос не выполнен.").arg(path));
    }
    return result;
}

} // namespace vi23::jet
