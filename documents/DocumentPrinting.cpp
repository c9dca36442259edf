#include "DocumentPrinting.h"

#include "PaymentQr.h"
#include "UserUnit.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/RuFormat.h"

#include <cmath>


namespace vi23 {


DocumentForm documentFormFromRecord(const DataSet& documents)
{
    DocumentForm form;
    form.key = documents.text(documents.requireField(u"k"));
    form.kind = documents.text(documents.requireField(u"dok"));
    for (int line = 0; line < 10; ++line) {
        const QString n = QString::number(line);
        form.names[size_t(line)] = documents.text(documents.requireField(QStringLiteral("naz") + n));
        form.quantities[size_t(line)] = documents.text(documents.requireField(QStringLiteral("kol") + n));
        form.prices[size_t(line)] = documents.text(documents.requireField(QStringLiteral("cen") + n));
    }
    return form;
}

QString documentTemplateFor(const QString& kind)
{
    return formOf(documentKindTable(), kind);
}

namespace {

// The largest total the amount in words can name.
const Money kWordsLimit = Money::fromRoubles(1'000'000'000'000) - Money::fromUnits(1);

} // namespace

void preparePrintData(DataStore& store, ui::MainState& state, const DocumentForm& form)
{
    Database& db = store.database();
    DataSet& lines = store.dataSet(u"ADOTable_tov");
    DataSet& log = store.dataSet(u"ADOTable_z");
    DataSet& requisites = store.dataSet(u"ADOTable_pr1");
    DataSet& print = store.dataSet(u"ADOQuery_bl");
    const long long key = ru::parseInteger(form.key);
    {
        Database::Transaction unit(db);
        Statement logRow = db.prepare(QStringLiteral("INSERT INTO z (pr) VALUES (?)"));
        logRow.bind(1, log.convert(log.requireField(u"pr"), requisites.fieldValue(u"np")));
        logRow.run();
        db.exec(QStringLiteral("DELETE FROM tov"));
        Statement line = db.prepare(QStringLiteral("INSERT INTO tov (k, naz, kol, cen) VALUES (?, ?, ?, ?)"));
        for (size_t i = 0; i < form.names.size(); ++i) {
            // "-" marks an unused line; an old file may hold one as nothing at all (NULL name,
            // quantity and price), which is unused too rather than a bad number.
            if (form.names[i] == QStringLiteral("-")
                || (form.names[i].trimmed().isEmpty() && form.quantities[i].trimmed().isEmpty()
                    && form.prices[i].trimmed().isEmpty()))
                continue;
            line.reset();
            line.bind(1, lines.convert(lines.requireField(u"k"), Value(std::int64_t(key))));
            line.bind(2, lines.convert(lines.requireField(u"naz"), Value(form.names[i])));
            line.bind(3, ru::parseReal(form.quantities[i]));
            line.bind(4, Money::fromDouble(ru::parseReal(form.prices[i])));
            line.run();
        }
        // The print reads its lines while it still holds the write lock: another print (another
        // window, vi23-print) may empty tov the moment this unit ends.
        print.close();
        print.setFilter(QStringLiteral("k=%1").arg(key));
        print.open();
        unit.commit();
    }
    // tov is small; the print log may hold hundreds of thousands of rows and is not re-read to
    // print one document (its data set shows the rows read when it was opened).
    lines.refresh();

    state.printTotal = Money();
    state.printVat = Money();
    DocumentTotals totals;
    int row = 0;
    for (print.first(); !print.eof(); print.next()) {
        ++row;
        const QString name = ru::quoteForMessage(print.text(u"naz"));
        LineAmounts line;
        try {
            line = printedLine(print);
        } catch (const UserError&) {
            throw UserError(QStringLiteral("Строка %1 («%2»): количество × цена даёт сумму больше допустимой "
                                           "(922 337 203 685 477,58 руб.); документ не печатается")
                                .arg(row)
                                .arg(name));
        }
        try {
            totals.add(line);
        } catch (const UserError&) {
            throw UserError(QStringLiteral("Строка %1 («%2»): итог документа выходит за пределы допустимой суммы "
                                           "(922 337 203 685 477,58 руб.); документ не печатается")
                                .arg(row)
                                .arg(name));
        }
    }
    if (totals.gross > kWordsLimit || -totals.gross > kWordsLimit)
        throw UserError(QStringLiteral("Итог документа %1 руб. больше 999 999 999 999,99 руб.: такую сумму нельзя "
                                       "написать прописью; документ не печатается")
                            .arg(totals.gross.toFixed(2)));
    state.printTotal = totals.gross;
    state.printVat = totals.vat;
    print.first();
}

ui::PrintRequest printDocument(DataStore& store, ui::MainState& state, const DocumentForm& form)
{
    preparePrintData(store, state, form);
    const ui::MainState* totals = &state;
    DataSet& print = store.dataSet(u"ADOQuery_bl");
    const RowSource* rows = &print;
    ui::PrintRequest request{documentTemplateFor(form.kind),
                             [totals, rows](const QString& name) { return frReport_shGetValue(*totals, rows, name); }};
    // The invoice carries the payment QR code when the requisites allow one; otherwise it prints as before.
    if (request.templateName == u"frReport_sh") {
        if (const std::optional<QString> payload = invoicePaymentPayload(print, state.printTotal, state.printVat))
            request.finish = [payload = *payload](PreparedReport& pages) { addPaymentQr(pages, payload); };
    }
    return request;
}

DocumentForm storedDocument(DataStore& store, long long key)
{
    DataSet& documents = store.jur1();
    if (!documents.isOpen())
        documents.open();
    for (documents.first(); !documents.eof(); documents.next()) {
        if (!documents.isNull(u"k") && documents.integer(u"k") == key)
            return documentFormFromRecord(documents);
    }
    throw UserError(QStringLiteral("Документа с ключом %1 нет в базе данных").arg(key));
}

LineAmounts printedLine(const RowSource& print)
{
    const Value quantity = print.fieldValue(u"kol");
    const Value price = print.fieldValue(u"cen");
    const Value rate = print.fieldValue(u"nds");
    return lineAmounts(quantity.isNull() ? 0.0 : quantity.toDouble(), price.isNull() ? Money() : price.money(),
                       rate.isNull() ? 0 : int(rate.toDouble()));
}

namespace {

// The current print row's printed figure by its variable name.
std::optional<Money> lineFigure(const RowSource& print, const QString& name)
{
    if (name == u"linePlaces") {
        const Value quantity = print.fieldValue(u"kol");
        return Money::fromRoubles(wholePlaces(quantity.isNull() ? 0.0 : quantity.toDouble()));
    }
    const LineAmounts line = printedLine(print);
    const std::pair<const char16_t*, Money> amounts[] = {
        {u"lineNet", line.net}, {u"lineVat", line.vat}, {u"lineGross", line.gross},
        {u"lineGrossPrice", line.grossPrice}};
    for (const auto& [variable, amount] : amounts) {
        if (name == QStringView(variable))
            return amount;
    }
    return std::nullopt;
}

} // namespace

std::optional<Value> frReport_shGetValue(const ui::MainState& state, const RowSource* print, const QString& name)
{
    QString text;
    if (print && name.startsWith(u"line")) {
        const std::optional<Money> figure = lineFigure(*print, name);
        if (!figure)
            return std::nullopt;
        return std::optional<Value>(std::in_place, *figure);
    }
    if (name == u"str5")
        text = AmountInWords(state.printTotal);
    else if (name == u"str8")
        text = state.printTotal.toString();
    else if (name == u"str9")
        text = state.printVat.toString();
    else
        return std::nullopt;
    return std::optional<Value>(std::in_place, std::move(text));
}

} // namespace vi23
