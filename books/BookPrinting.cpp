#include "BookPrinting.h"

#include "data/CalendarDates.h"
#include "data/Database.h"
#include "data/EnterpriseSettings.h"
#include "data/FormKinds.h"
#include "data/Upgrade.h"

#include <map>
#include <memory>

namespace vi23 {

QString bookTemplateFor(const QString& kind)
{
    if (kind == kCashBookKind)
        return {};
    return formOf(reportKindTable(), kind);
}

std::optional<Value> bookValue(QDate periodStart, const QString& name)
{
    if (name == QLatin1StringView("periodYear"))
        return Value(QString::number(periodStart.year()));
    return std::nullopt;
}

ui::MainContext::ValueLookup bookValues(DataStore& store, QDate periodStart)
{
    DataSet& requisites = store.dataSet(u"ADOTable_pr1");
    if (!requisites.isOpen())
        requisites.open();
    requisites.first();
    const QString innKpp = requisites.eof() ? QString() : requisites.fieldValue(u"unn").toText();
    // The rows of a year are contiguous (the book is ordered by date) and the book prints them in
    // order: the row at which a year is first numbered starts it. The rows are those the report reads,
    // the data set or its stream.
    // The rows and their year field are found once, at the first row: one print reads one of them.
    struct YearLines {
        RowSource* rows = nullptr;
        int yearField = -1;
        std::map<QString, int> starts;
    };
    auto years = std::make_shared<YearLines>();
    return [&store, periodStart, innKpp, years](const QString& name) -> std::optional<Value> {
        if (name == QLatin1StringView("yearLine")) {
            if (!years->rows) {
                years->rows = store.findByName(u"ADOQuery11");
                years->yearField = years->rows->fieldIndex(u"g");
            }
            RowSource& rows = *years->rows;
            const int at = rows.position();
            const QString year = (years->yearField >= 0 ? rows.fieldValueAt(years->yearField) : rows.fieldValue(u"g")).toText();
            const int start = years->starts.try_emplace(year, at).first->second;
            return std::optional<Value>(std::in_place, std::int64_t(at - start + 1));
        }
        if (name == QLatin1StringView("payerInn"))
            return Value(innKpp.section(u'/', 0, 0).trimmed());
        if (name == QLatin1StringView("payerKpp"))
            return Value(innKpp.section(u'/', 1, 1).trimmed());
        return bookValue(periodStart, name);
    };
}

void setBookPeriod(DataStore& store, QDate from, QDate to)
{
    // Each query is closed and reads the journal as it is, for the period alone, when a form opens it.
    for (const char16_t* name : {u"ADOQuerys", u"ADOQueryss", u"ADOQuery11", u"ADOQuery_bank", u"ADOQuery_kassa"})
        store.dataSet(name).setPeriod(from, to);
}

int rebuildCashBook(DataStore& store)
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
            const Money receipt = value(sd).isNull() ? Money() : value(sd).money();
            const Money payment = value(sk).isNull() ? Money() : value(sk).money();
            const Money difference = value(rr).isNull() ? Money() : value(rr).money();
            receipts += receipt.toDouble();
            payments += payment.toDouble();
            balance += difference.toDouble();
            insert.reset();
            insert.bind(1, value(dd));
            insert.bind(2, value(nn));
            insert.bind(3, value(sr));
            insert.bind(4, value(k));
            insert.bind(5, value(sd));
            insert.bind(6, value(sk));
            insert.bind(7, value(rr));
            insert.bind(8, Money::fromDouble(receipts));
            insert.bind(9, Money::fromDouble(payments));
            insert.bind(10, Money::fromDouble(balance));
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

ui::PrintRequest printBook(DataStore& store, const QString& kind, QDate from, QDate to, std::optional<FormSet> set)
{
    // Every book reads the journal; one with a date that is no date would disagree with the others.
    requireCalendarDates(store.database(), u"jur");
    setBookPeriod(store, from, to);
    if (kind == kCashBookKind) {
        rebuildCashBook(store);
        return {QStringLiteral("frReport_kas"), {}};
    }
    const QString form = formOf(reportKindTable(), kind, set ? *set : formSet(store.database()));
    return {form, bookValues(store, from)};
}

} // namespace vi23
