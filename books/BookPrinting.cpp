#include "BookPrinting.h"

#include "data/CalendarDates.h"
#include "data/Database.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/FixedQueries.h"
#include "data/FormKinds.h"
#include "data/RuFormat.h"
#include "data/Upgrade.h"
#include "ReconciliationAct.h"

#include <algorithm>
#include <memory>

namespace vi23 {

std::optional<Value> bookValue(QDate periodStart, const QString& name)
{
    if (name == QLatin1StringView("periodYear"))
        return Value(QString::number(periodStart.year()));
    return std::nullopt;
}

int incomeBookRowsBefore(Database& db, QDate day)
{
    Statement count = db.prepare(incomeBookRowCountSql());
    count.bind(1, Value(QDate(day.year(), 1, 1)));
    count.bind(2, Value(day));
    return count.step() ? int(count.integer(0)) : 0;
}

GetValueCallback bookValues(DataStore& store, QDate periodStart)
{
    DataSet& requisites = store.dataSet(u"ADOTable_pr1");
    if (!requisites.isOpen())
        requisites.open();
    requisites.first();
    const QString innKpp = requisites.eof() ? QString() : requisites.fieldValue(u"unn").toText();
    // The book prints its rows in order, each once: a row asked for at a new position is the next of its
    // year. The rows are those the report reads, the data set or its stream, found at the first row.
    struct YearLines {
        RowSource* rows = nullptr;
        int yearField = -1;
        QString year;
        int position = -1;
        int number = 0;
    };
    auto lines = std::make_shared<YearLines>();
    return [&store, periodStart, innKpp, lines](const QString& name) -> std::optional<Value> {
        if (name == QLatin1StringView("yearLine")) {
            if (!lines->rows) {
                lines->rows = store.findByName(u"ADOQuery11");
                lines->yearField = lines->rows->fieldIndex(u"g");
            }
            RowSource& rows = *lines->rows;
            if (rows.position() != lines->position) {
                const QString year =
                    (lines->yearField >= 0 ? rows.fieldValueAt(lines->yearField) : rows.fieldValue(u"g")).toText();
                if (year != lines->year) {
                    lines->year = year;
                    lines->number = year == QString::number(periodStart.year())
                        ? incomeBookRowsBefore(store.database(), periodStart) : 0;
                }
                lines->position = rows.position();
                ++lines->number;
            }
            return std::optional<Value>(std::in_place, std::int64_t(lines->number));
        }
        if (name == QLatin1StringView("payerInn"))
            return Value(innKpp.section(u'/', 0, 0).trimmed());
        if (name == QLatin1StringView("payerKpp"))
            return Value(innKpp.section(u'/', 1, 1).trimmed());
        return bookValue(periodStart, name);
    };
}

std::vector<std::pair<QDate, QDate>> taxYears(QDate from, QDate to)
{
    std::vector<std::pair<QDate, QDate>> years;
    for (QDate start = from; start <= to; start = QDate(start.year() + 1, 1, 1))
        years.emplace_back(start, std::min(to, QDate(start.year(), 12, 31)));
    if (years.empty())
        years.emplace_back(from, to);
    return years;
}

bool printsPerYear(const QString& kind)
{
    const FormKind* formKind = reportKind(kind);
    return formKind && formKind->perYear;
}

void setBookPeriod(DataStore& store, QDate from, QDate to)
{
    // Each query is closed and reads the journal as it is, for the period alone, when a form opens it.
    QStringList done;
    for (const FormKind& kind : reportKindTable()) {
        if (!kind.periodQuery.isEmpty() && !done.contains(kind.periodQuery)) {
            store.dataSet(kind.periodQuery).setPeriod(from, to);
            done.push_back(kind.periodQuery);
        }
    }
}

int rebuildCashBook(DataStore& store, QDate from, QDate to)
{
    Database& db = store.database();
    DataSet& source = store.dataSet(u"ADOQuery_kas");
    source.close();
    source.open();
    int rows = 0;
    {
        Database::Transaction unit(db);
        db.exec(QStringLiteral("DELETE FROM kassa"));
        Statement insert = db.prepare(QStringLiteral(
            "INSERT INTO kassa (dd, nn, sr, k, sd, sk, srr, sdd, skk, srrr) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        double receipts = 0;
        double payments = 0;
        double balance = 0;
        const int dd = source.requireField(u"dd"), nn = source.requireField(u"nn"), sr = source.requireField(u"sr"),
                  k = source.requireField(u"k"), sd = source.requireField(u"sd"), sk = source.requireField(u"sk"),
                  rr = source.requireField(u"rr");
        for (int position = 0; position < source.recordCount(); ++position) {
            auto value = [&](int field) { return source.valueAt(position, field); };
            auto money = [&](int field) { return value(field).isNull() ? Money() : value(field).money(); };
            // Every order counts in the balance from the earliest on; the book keeps the period's.
            receipts += money(sd).toDouble();
            payments += money(sk).toDouble();
            balance += money(rr).toDouble();
            const QDate day = value(dd).isNull() ? QDate() : value(dd).date();
            if ((from.isValid() && day < from) || (to.isValid() && day > to))
                continue;
            insert.reset();
            const Value cells[] = {value(dd), value(nn), value(sr), value(k), value(sd), value(sk), value(rr),
                                   Money::fromDouble(receipts), Money::fromDouble(payments), Money::fromDouble(balance)};
            for (int i = 0; i < 10; ++i)
                insert.bind(i + 1, cells[i]);
            insert.run();
            ++rows;
        }
        unit.commit();
    }
    store.dataSet(u"ADOTable_kassa").refresh();
    return rows;
}

} // namespace vi23

namespace vi23 {

namespace {

// One book for each year of the period, each with its own period, values and numbering.
PrintRequest printPerYear(DataStore& store, const QString& form, QDate from, QDate to)
{
    const std::vector<std::pair<QDate, QDate>> years = taxYears(from, to);
    auto current = std::make_shared<GetValueCallback>();
    auto startYear = [&store, years, current](int run) {
        if (run < 0 || size_t(run) >= years.size())
            return false;
        setBookPeriod(store, years[size_t(run)].first, years[size_t(run)].second);
        *current = bookValues(store, years[size_t(run)].first);
        return true;
    };
    startYear(0);
    PrintRequest request{form, [current](const QString& name) { return (*current)(name); }};
    request.runs = startYear;
    return request;
}

} // namespace

PrintRequest printBook(DataStore& store, const QString& kind, QDate from, QDate to, std::optional<FormSet> set,
                           const QString& counterparty)
{
    // Every book reads the journal; one with a date that is no date would disagree with the others.
    requireCalendarDates(store.database(), u"jur");
    setBookPeriod(store, from, to);
    const FormKind* formKind = reportKind(kind);
    if (formKind && formKind->cashBook) {
        if (rebuildCashBook(store, from, to) == 0)
            throw UserError(QStringLiteral("За период с %1 по %2 нет кассовых ордеров: кассовая книга не печатается")
                                .arg(ru::formatDate(from), ru::formatDate(to)));
        return {formKind->form, {}};
    }
    const QString form = formOf(reportKindTable(), kind, set ? *set : formSet(store.database()));
    if (formKind && formKind->counterparty)
        return {form, reconciliationValues(store, counterparty, from, to)};
    if (printsPerYear(kind))
        return printPerYear(store, form, from, to);
    return {form, bookValues(store, from)};
}

} // namespace vi23
