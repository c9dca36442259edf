#include "JetImport.h"

#include "data/Database.h"
#include "data/IssuedDocument.h"
#include "data/Error.h"
#include "data/SafeOutput.h"
#include "ServerCopy.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <map>
#include <cerrno>
#include <cstdio>

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

__extension__ typedef __int128 WideUnits;

// Money of many rows summed without leaving the range, by year.
struct YearTotals {
    std::map<int, WideUnits> journal;
    std::map<int, WideUnits> documents;

    // A row of jur or jur1 as stored: its date and its amount or total.
    void add(const QString& table, int year, const Value& amount)
    {
        if (amount.kind() != Value::Kind::Money)
            return;
        if (table == u"jur")
            journal[year] += amount.money().units();
        else if (table == u"jur1")
            documents[year] += amount.money().units();
    }
};

// "20000,00", "1500,0001", exactly, whatever the size.
QString unitsText(WideUnits units)
{
    __extension__ typedef unsigned __int128 Magnitude;
    Magnitude magnitude = units < 0 ? Magnitude(0) - Magnitude(units) : Magnitude(units);
    QString fraction = QString::number(int(magnitude % 10000)).rightJustified(4, u'0');
    while (fraction.size() > 2 && fraction.endsWith(u'0'))
        fraction.chop(1);
    magnitude /= 10000;
    QString whole;
    do {
        whole.prepend(QChar(char16_t(u'0' + int(magnitude % 10))));
        magnitude /= 10;
    } while (magnitude != 0);
    return (units < 0 ? QStringLiteral("-") : QString()) + whole + u',' + fraction;
}

// The year sums of the new file, read back as it stores them.
YearTotals storedTotals(Database& db)
{
    YearTotals totals;
    for (const char* table : {"jur", "jur1"}) {
        const QString amount = QLatin1String(table) == QLatin1String("jur") ? QStringLiteral("s") : QStringLiteral("sss");
        Statement rows = db.prepare(QStringLiteral("SELECT CAST(%3 AS INTEGER), %1 FROM %2 WHERE %1 IS NOT NULL")
                                        .arg(amount, QLatin1String(table), db.dialect().yearOf(QStringLiteral("dd"))));
        while (rows.step())
            totals.add(QLatin1String(table), int(rows.integer(0)), Money::fromUnits(rows.integer(1)));
    }
    return totals;
}

// Both files' sums side by side; a year whose sums differ stops the import.
std::vector<YearSums> compareTotals(const YearTotals& old, const YearTotals& stored)
{
    std::set<int> years;
    for (const auto* totals : {&old, &stored}) {
        for (const auto* sums : {&totals->journal, &totals->documents}) {
            for (const auto& [year, units] : *sums)
                years.insert(year);
        }
    }
    auto sumOf = [](const std::map<int, WideUnits>& sums, int year) {
        const auto found = sums.find(year);
        return found == sums.end() ? WideUnits(0) : found->second;
    };
    std::vector<YearSums> result;
    for (int year : years) {
        const WideUnits journal[] = {sumOf(old.journal, year), sumOf(stored.journal, year)};
        const WideUnits documents[] = {sumOf(old.documents, year), sumOf(stored.documents, year)};
        if (journal[0] != journal[1] || documents[0] != documents[1])
            throw UserError(QStringLiteral("Суммы %1 в новом файле не совпали с суммами старого.")
                                .arg(year ? QStringLiteral("за %1 год").arg(year) : QStringLiteral("строк без даты")));
        result.push_back({year, unitsText(journal[0]), unitsText(journal[1]), unitsText(documents[0]), unitsText(documents[1])});
    }
    // The rows without a date close the list.
    if (!result.empty() && result.front().year == 0)
        std::rotate(result.begin(), result.begin() + 1, result.end());
    return result;
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

long long copyRows(Database& db, Source& source, const QString& oldPath, YearTotals& totals)
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
    const int dateField = table.fieldIndex(u"dd");
    const int amountField = table.fieldIndex(table.name == u"jur" ? u"s" : u"sss");
    while (source.old->next(cells)) {
        ++rows;
        int bound = 0;
        int year = 0;
        Value amount;
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
            if (int(i) == dateField && value.kind() == Value::Kind::Date)
                year = value.date().year();
            if (int(i) == amountField)
                amount = value;
        }
        totals.add(table.name, year, amount);
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

namespace {

Value convertText(const FieldDef& field, const QString& text)
{
    const qsizetype length = text.toUcs4().size();
    if (length > field.size)
        throw UserError(QStringLiteral("текст из %1 символов не помещается в поле длиной %2 символов").arg(length).arg(field.size));
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            throw UserError(QStringLiteral("в тексте управляющий символ с кодом %1, которого прежняя программа не записывает: "
                                           "файл, вероятно, повреждён")
                                .arg(c.unicode()));
    }
    return text;
}

Value convertDate(double days)
{
    // Days before 30.12.1899 are stored with a negative count that the reader turns into
    // a day 0 of January 1900; such a date cannot be carried over as it is.
    if (!std::isfinite(days) || days < 0 || days >= kLastDay + 1)
        throw UserError(QStringLiteral("дата раньше 30.12.1899 или позже 31.12.9999 не может быть перенесена"));
    const QDate date = kDayZero.addDays(qint64(std::floor(days)));
    if (date.year() < 1900 || date.year() > 2099)
        throw UserError(QStringLiteral("дата %1 вне 1900–2099 годов; таких дат прежняя программа не записывала: "
                                       "файл, вероятно, повреждён")
                            .arg(date.toString(QStringLiteral("dd.MM.yyyy"))));
    return date;
}

} // namespace

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
    case FieldType::Text:
        return convertText(field, cell.text);
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
    case FieldType::Date:
        return convertDate(cell.number);
    }
    return {};
}

namespace {

// Every row of the old file into the new store, in one unit of work; then the counts and sums of both.
void copyAll(JetFile& file, std::vector<Source>& sources, Database& db, ImportResult& result)
{
    YearTotals totals;
    Database::Transaction transaction(db);
    db.exec(QStringLiteral("DELETE FROM pr1"));   // the new store's empty requisites row
    for (Source& source : sources) {
        result.counts.push_back({source.table->name, copyRows(db, source, file.path(), totals), 0});
        continueCounter(db, *source.table);
    }
    for (TableCount& count : result.counts) {
        Statement rows = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(count.table)));
        rows.step();
        count.newRows = rows.integer(0);
        if (count.newRows != count.oldRows)
            throw UserError(QStringLiteral("В таблице «%1» перенесено строк %2 из %3.")
                                .arg(count.table)
                                .arg(count.newRows)
                                .arg(count.oldRows));
    }
    result.years = compareTotals(totals, storedTotals(db));
    // What the old documents did not keep, as a file of the old format gets it when opened; after the
    // comparison, which checks the transfer itself.
    copyGoodsDetailsIntoDocuments(db);
    result.recomputedTotals = recomputeStoredSums(db);
    transaction.commit();
}

} // namespace

QString partialPath(const QString& newPath, qint64 pid)
{
    return newPath + QStringLiteral(".part-%1").arg(pid);
}

namespace {

// Into an empty server database: the tables made, filled, or dropped again when anything fails.
ImportResult importJetToServer(const QString& oldPath, const QString& server)
{
    ImportResult result;
    JetFile file(oldPath);
    std::vector<Source> sources = matchTables(file, result.skipped);
    std::unique_ptr<Database> db = Database::create(server);
    try {
        copyAll(file, sources, *db, result);
    } catch (const UserError& e) {
        dropProgramTables(*db);
        throw UserError(QStringLiteral("Перенос остановлен. %1 Таблицы на сервере не оставлены.").arg(e.text()));
    }
    gatherPlannerStatistics(*db);
    return result;
}

} // namespace

void gatherPlannerStatistics(Database& server)
{
    server.exec(QStringLiteral("ANALYZE"));
}

ImportResult importJet(const QString& oldPath, const QString& newPath)
{
    if (isServerLocation(newPath))
        return importJetToServer(oldPath, newPath);
    const QFileInfo target(newPath);
    // Written beside the target under a name of its own, so that a stopped import leaves no
    // file that looks finished.
    const QString partial = partialPath(newPath, QCoreApplication::applicationPid());
    ImportResult result;
    try {
        if (target.exists())
            throw UserError(QStringLiteral("Файл %1 уже существует; он не будет перезаписан.").arg(target.absoluteFilePath()));
        JetFile file(oldPath);
        std::vector<Source> sources = matchTables(file, result.skipped);
        copyAll(file, sources, *Database::create(partial), result);
        if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(newPath).constData()) != 0)
            throw UserError(fileErrorText(errno, target.absoluteFilePath()));
        syncFolder(target.absolutePath());
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

std::vector<YearSums> compareStoredSums(Database& from, Database& to)
{
    return compareTotals(storedTotals(from), storedTotals(to));
}

QStringList comparisonLines(const ImportResult& result)
{
    QStringList lines = {QStringLiteral("Строк в таблицах, в старом файле и в новом:")};
    for (const TableCount& count : result.counts)
        lines << QStringLiteral("  %1 %2 %3").arg(count.table, -6).arg(count.oldRows, 8).arg(count.newRows, 8);
    lines << QStringLiteral("Суммы по годам, в старом файле | в новом: журнал (jur.s); итоги документов (jur1.sss):");
    for (const YearSums& year : result.years)
        lines << QStringLiteral("  %1  %2 | %3; %4 | %5")
                     .arg(year.year ? QString::number(year.year) : QStringLiteral("без даты"), year.oldJournal, year.newJournal,
                          year.oldDocuments, year.newDocuments);
    if (result.recomputedTotals > 0)
        lines << QStringLiteral("Итоги документов, пересчитанные в новом файле по их строкам до копеек: %1.")
                     .arg(result.recomputedTotals);
    return lines;
}

} // namespace vi23::jet
