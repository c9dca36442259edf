#include "DocumentPrinting.h"

#include "AmountInWords.h"
#include "PaymentQr.h"
#include "data/Database.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/RuFormat.h"
#include "data/UnitAndCountryCodes.h"

#include <memory>

namespace vi23 {

QString documentTemplateFor(const QString& kind, FormSet set)
{
    return formOf(documentKindTable(), kind, set);
}

void writePrintLines(DataStore& store, const IssuedDocument& document)
{
    Database& db = store.database();
    DataSet& log = store.dataSet(u"ADOTable_z");
    DataSet& lines = store.dataSet(u"ADOTable_tov");
    DataSet& print = store.dataSet(u"ADOQuery_bl");
    Database::Transaction unit(db);
    Statement logRow = db.prepare(QStringLiteral("INSERT INTO z (pr) VALUES (?)"));
    logRow.bind(1, log.convert(log.requireField(u"pr"), Value(document.seller.name)));
    logRow.run();
    db.exec(QStringLiteral("DELETE FROM tov"));
    Statement line = db.prepare(
        QStringLiteral("INSERT INTO tov (k, naz, kol, cen, nds, eu, str, gtd) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const IssuedLine& l : document.lines) {
        line.reset();
        line.bind(1, Value(std::int64_t(document.key)));
        line.bind(2, l.name);
        line.bind(3, l.quantity);
        line.bind(4, l.price);
        line.bind(5, Value(std::int64_t(l.rate)));
        line.bind(6, l.unit);
        line.bind(7, l.country);
        line.bind(8, l.customsDeclaration);
        line.run();
    }
    // The print reads its lines while it still holds the write lock.
    print.setKey(document.key);
    print.open();
    unit.commit();
    // tov is small; the print log may hold hundreds of thousands of rows and is not re-read to
    // print one document (its data set shows the rows read when it was opened).
    lines.refresh();
}

namespace {

// A value for the engine, made in place: the optional is never copied from a temporary Value.
template <typename T>
std::optional<Value> some(T&& value)
{
    return std::optional<Value>(std::in_place, std::forward<T>(value));
}

// A unit or country name the code table does not know prints a dash, to be written by hand.
QString printedCode(const QString& code)
{
    return code.isEmpty() ? QStringLiteral("—") : code;
}

// The document's line printed on the print query's current row: the rows are the lines in order.
const IssuedLine* currentLine(const IssuedDocument& document, const RowSource* print)
{
    if (!print || !print->isOpen())
        return nullptr;
    const int at = print->position();
    if (at < 0 || at >= int(document.lines.size()))
        return nullptr;
    return &document.lines[size_t(at)];
}

std::optional<Value> lineValue(const IssuedLine& line, const QString& name)
{
    const LineAmounts& a = line.amounts;
    if (name == u"lineNet")
        return some(a.net);
    if (name == u"lineVat")
        return some(a.vat);
    if (name == u"lineGross")
        return some(a.gross);
    if (name == u"lineGrossPrice")
        return some(a.grossPrice);
    if (name == u"linePlaces")
        return some(Money::fromRoubles(wholePlaces(line.quantity)));
    if (name == u"lineRate")
        return some(printedVatRate(line.rate));
    if (name == u"lineVatText" && isVatExempt(line.rate))
        return some(printedVatRate(kVatExempt));
    if (name == u"lineVatText")
        return some(a.vat);
    if (name == u"lineUnitCode")
        return some(printedCode(unitCodeOf(line.unit)));
    if (name == u"lineCountryCode")
        return some(printedCode(countryCodeOf(line.country)));
    // An exempt line's rate reads "без НДС" on every form, the described ones too.
    if (name == u"ADOQuery_bl.\"nds\"" && isVatExempt(line.rate))
        return some(printedVatRate(kVatExempt));
    return std::nullopt;
}

std::optional<Value> documentValue(const IssuedDocument& document, const QString& name)
{
    const bool exempt = document.exempt;
    if (name == u"str5")
        return some(AmountInWords(document.totals.gross));
    if (name == u"str8")
        return some(document.totals.gross.toString());
    if (name == u"str9")
        return some(exempt ? QString() : document.totals.vat.toString());
    // The document's VAT as every form states it; a document without VAT reads "Без налога (НДС)".
    if (name == u"vatTotalText" && exempt)
        return some(QStringLiteral("Без налога (НДС)"));
    if (name == u"vatTotalText")
        return some(document.totals.vat);
    // The cash receipt order's VAT line: "В том числе НДС 28-31", or "Без налога (НДС)" alone.
    if (name == u"vatIncluded" || name == u"vatWord")
        return Value(exempt ? QStringLiteral("Без налога (НДС)")
                     : name == u"vatWord" ? QStringLiteral("НДС") : QStringLiteral("В том числе НДС"));
    // What the cash expense order states beside its payee and sum, and the cashier who signs it.
    if (name == u"cashBasis")
        return some(document.cashBasis);
    if (name == u"cashIdentity")
        return some(document.payeeIdentity);
    if (name == u"cashDebit")
        return some(document.debitAccount);
    if (name == u"cashier")
        return some(document.seller.cashier);
    // The buyer's payment, which some forms read from the document record itself.
    if (name == u"ADOTable_jur1.\"np\"")
        return some(document.paymentNumber);
    if (name == u"ADOTable_jur1.\"dp\"" && document.paymentDate.isValid())
        return some(document.paymentDate);
    if (name == u"ADOTable_jur1.\"dp\"")
        return std::optional<Value>(std::in_place);
    if (name == u"shipmentRows")
        return some(shipmentRowsText(document));
    if (name == u"updStatus")
        {
        const FormKind* kind = documentKind(document.kind);
        return some(kind && kind->transferStatus ? QString::number(document.transferStatus) : QString());
    }
    if (name == u"soleTraderRegistration") {
        // "ОГРНИП 304… от dd.MM.yyyy" as kept; older text (certificate requisites) prints as it is.
        const QString& rup = document.seller.soleTraderRegistration;
        const std::optional<SoleTraderRegistration> registration = parseRegistration(rup);
        return some(registration ? registrationText(*registration) : rup);
    }
    return std::nullopt;
}

} // namespace

QString shipmentRowsText(const IssuedDocument& document)
{
    const int rows = int(document.lines.size());
    return rows <= 1 ? QStringLiteral("1") : QStringLiteral("1–%1").arg(rows);
}

std::optional<Value> frReport_shGetValue(const IssuedDocument& document, const RowSource* print, const QString& name)
{
    if (const IssuedLine* line = currentLine(document, print)) {
        if (std::optional<Value> value = lineValue(*line, name))
            return value;
    }
    return documentValue(document, name);
}

PrintRequest printDocument(DataStore& store, long long key)
{
    return printDocument(store, key, formSet(store.database()));
}

PrintRequest printDocument(DataStore& store, long long key, FormSet set)
{
    auto document = std::make_shared<const IssuedDocument>(readIssuedDocument(store.database(), key));
    PrintRequest request{documentTemplateFor(document->kind, set), {}};
    if (request.templateName.isEmpty())
        return request;
    // A form without a line would print blanks where the number, the date and the sums belong.
    if (document->lines.empty())
        throw UserError(QStringLiteral("В документе № %1 от %2 нет ни одной строки: выберите товары и сохраните "
                                       "документ, затем печатайте")
                            .arg(document->number, ru::formatDate(document->date)));
    writePrintLines(store, *document);
    const RowSource* rows = &store.dataSet(u"ADOQuery_bl");
    request.values = [document, rows](const QString& name) { return frReport_shGetValue(*document, rows, name); };
    // The invoice carries the payment QR code when the requisites allow one; otherwise it prints as before.
    if (documentKind(document->kind)->paymentQr) {
        if (const std::optional<QString> payload = invoicePaymentPayload(*document))
            request.finish = [payload = *payload](PreparedReport& pages) { addPaymentQr(pages, payload); };
    }
    return request;
}

} // namespace vi23
