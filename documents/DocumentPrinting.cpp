#include "DocumentPrinting.h"

#include "PaymentQr.h"
#include "AmountInWords.h"
#include "data/Database.h"
#include "data/EnterpriseSettings.h"
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

QString documentTemplateFor(const QString& kind, FormSet set)
{
    return formOf(documentKindTable(), kind, set);
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
    state.printExempt = false;
    DocumentTotals totals;
    int row = 0;
    int exempt = 0;
    for (print.first(); !print.eof(); print.next()) {
        ++row;
        const Value rate = print.fieldValue(u"nds");
        if (!rate.isNull() && isVatExempt(int(rate.toDouble())))
            ++exempt;
        const QString name = ru::quoteForMessage(print.text(u"naz"));
        if (!rate.isNull() && rate.toDouble() < 0 && !isVatExempt(int(rate.toDouble())))
            throw UserError(QStringLiteral("Строка %1 («%2»): ставка НДС %3 % в списке товаров невозможна; укажите "
                                           "ставку или «Без НДС»; документ не печатается")
                                .arg(row)
                                .arg(name)
                                .arg(int(rate.toDouble())));
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
    state.printExempt = row > 0 && exempt == row;
    state.printLines = row;
    state.printStatus = form.kind == kUpdKind ? transferStatus(store.database(), key) : 0;
    print.first();
}

ui::PrintRequest printDocument(DataStore& store, ui::MainState& state, const DocumentForm& form)
{
    return printDocument(store, state, form, formSet(store.database()));
}

ui::PrintRequest printDocument(DataStore& store, ui::MainState& state, const DocumentForm& form, FormSet set)
{
    preparePrintData(store, state, form);
    const ui::MainState* totals = &state;
    DataSet& print = store.dataSet(u"ADOQuery_bl");
    const RowSource* rows = &print;
    ui::PrintRequest request{documentTemplateFor(form.kind, set),
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

namespace {

// Codes of the units and countries the forms of 2026 print beside their names (ОКЕИ, ОКСМ); a
// name the table does not know prints a dash, to be written by hand.
QString codeOf(const RowSource& print, const char16_t* field, std::initializer_list<std::pair<const char16_t*, const char*>> codes)
{
    const QString name = print.fieldValue(field).toText().trimmed().toCaseFolded();
    for (const auto& [known, code] : codes) {
        if (name == QStringView(known))
            return QString::fromLatin1(code);
    }
    return QStringLiteral("—");
}

QString unitCode(const RowSource& print)
{
    return codeOf(print, u"eu",
                  {{u"шт", "796"}, {u"шт.", "796"}, {u"пач", "728"}, {u"уп", "778"}, {u"упак", "778"}, {u"час", "356"},
                   {u"ч", "356"}, {u"кг", "166"}, {u"г", "163"}, {u"т", "168"}, {u"л", "112"}, {u"м", "006"},
                   {u"м2", "055"}, {u"м3", "113"}, {u"компл", "839"}});
}

QString countryCode(const RowSource& print)
{
    return codeOf(print, u"str",
                  {{u"россия", "643"}, {u"китай", "156"}, {u"беларусь", "112"}, {u"казахстан", "398"},
                   {u"польша", "616"}, {u"германия", "276"}, {u"италия", "380"}, {u"турция", "792"},
                   {u"япония", "392"}, {u"корея", "410"}, {u"индия", "356"}, {u"сша", "840"}});
}

int rateOf(const RowSource& print)
{
    const Value rate = print.fieldValue(u"nds");
    return rate.isNull() ? 0 : int(rate.toDouble());
}

} // namespace

std::optional<Value> frReport_shGetValue(const ui::MainState& state, const RowSource* print, const QString& name)
{
    QString text;
    // An exempt line's rate reads "без НДС" on every form, the described ones too.
    if (print && name == u"ADOQuery_bl.\"nds\"" && isVatExempt(rateOf(*print)))
        return std::optional<Value>(std::in_place, printedVatRate(kVatExempt));
    if (print && name == u"lineRate")
        return std::optional<Value>(std::in_place, printedVatRate(rateOf(*print)));
    if (print && name == u"lineVatText") {
        if (isVatExempt(rateOf(*print)))
            return std::optional<Value>(std::in_place, printedVatRate(kVatExempt));
        return std::optional<Value>(std::in_place, printedLine(*print).vat);
    }
    // The document's VAT as every form states it; a document without VAT reads "Без налога (НДС)".
    if (name == u"vatTotalText") {
        if (state.printExempt)
            return std::optional<Value>(std::in_place, QStringLiteral("Без налога (НДС)"));
        return std::optional<Value>(std::in_place, state.printVat);
    }
    if (print && name == u"lineUnitCode")
        return std::optional<Value>(std::in_place, unitCode(*print));
    if (print && name == u"lineCountryCode")
        return std::optional<Value>(std::in_place,
                                    print->fieldValue(u"str").toText().trimmed().isEmpty() ? QStringLiteral("—")
                                                                                            : countryCode(*print));
    if (print && name == u"soleTraderRegistration") {
        // "ОГРНИП 304… от dd.MM.yyyy" as kept; older text (certificate requisites) prints as it is.
        const QString rup = print->fieldValue(u"rup").toText();
        const std::optional<SoleTraderRegistration> registration = parseRegistration(rup);
        return std::optional<Value>(std::in_place, registration ? registrationText(*registration) : rup);
    }
    // The cash receipt order's VAT line: "В том числе НДС 28-31", or "Без налога (НДС)" alone.
    if (name == u"vatIncluded" || name == u"vatWord")
        return std::optional<Value>(std::in_place, state.printExempt ? QStringLiteral("Без налога (НДС)")
                                                   : name == u"vatWord" ? QStringLiteral("НДС")
                                                                        : QStringLiteral("В том числе НДС"));
    if (name == u"shipmentRows")
        return std::optional<Value>(std::in_place, state.printLines <= 1 ? QStringLiteral("1")
                                                                          : QStringLiteral("1–%1").arg(state.printLines));
    if (name == u"updStatus")
        return std::optional<Value>(std::in_place, state.printStatus == 0 ? QString() : QString::number(state.printStatus));
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
        text = state.printExempt ? QString() : state.printVat.toString();
    else
        return std::nullopt;
    return std::optional<Value>(std::in_place, std::move(text));
}

} // namespace vi23
