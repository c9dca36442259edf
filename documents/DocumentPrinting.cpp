#include "DocumentPrinting.h"

#include "UserUnit.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/RuFormat.h"
#include "reports/Expression.h"

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
    static const std::pair<const char16_t*, const char*> kTemplates[] = {
        {u"Счет", "frReport_sh"},          {u"Счет-фактура", "frReport_sf"},
        {u"Товарная накладная", "frReport_tn"}, {u"Акт", "frReport_akt"},
        {u"Товарный чек", "frReport_chek"}, {u"Наряд-заказ", "frReport_nz"},
        {u"Расходная накладная", "frReport_zh"}, {u"Бланк заказа", "frReport_z"},
        {u"Кассовый ордер-пр", "frReportpr"},
    };
    for (const auto& [documentKind, templateName] : kTemplates) {
        if (kind == QStringView(documentKind))
            return QString::fromLatin1(templateName);
    }
    return {};
}

namespace {

// The largest total the amount in words can name.
const Money kWordsLimit = Money::fromRoubles(1'000'000'000'000) - Money::fromUnits(1);

// Whole kopecks of a product formed in double precision, refused beyond the money range.
Money kopecks(double product, int row, const QString& name)
{
    const double rounded = roundHalfEven(product);
    if (!(std::fabs(rounded) < 9.2e16))
        throw UserError(QStringLiteral("Строка %1 («%2»): количество × цена даёт сумму больше допустимой "
                                       "(922 337 203 685 477,58 руб.); документ не печатается")
                            .arg(row)
                            .arg(ru::quoteForMessage(name)));
    return Money::fromUnits(static_cast<std::int64_t>(rounded)) * 100;
}

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
            if (form.names[i] == QStringLiteral("-"))
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
    Money total;
    Money vatTotal;
    int row = 0;
    for (print.first(); !print.eof(); print.next()) {
        ++row;
        // The products and their rounding are the printed forms' own (round(kol*cen*nds) and
        // round(kol*cen*100), halves to even at 15 significant digits), so the amount in words
        // always agrees with the VAT and net totals printed beside it.
        const double q = print.real(u"kol");
        const double p = print.money(u"cen").toDouble();
        const double r = print.real(u"nds");
        const QString name = print.text(u"naz");
        const Money vat = kopecks(q * p * r, row, name);
        const Money amount = kopecks(q * p * 100, row, name);
        try {
            vatTotal += vat;
            total += amount + vat;
        } catch (const UserError&) {
            throw UserError(QStringLiteral("Строка %1 («%2»): итог документа выходит за пределы допустимой суммы "
                                           "(922 337 203 685 477,58 руб.); документ не печатается")
                                .arg(row)
                                .arg(ru::quoteForMessage(name)));
        }
    }
    if (total > kWordsLimit || -total > kWordsLimit)
        throw UserError(QStringLiteral("Итог документа %1 руб. больше 999 999 999 999,99 руб.: такую сумму нельзя "
                                       "написать прописью; документ не печатается")
                            .arg(total.toFixed(2)));
    state.printTotal = total;
    state.printVat = vatTotal;
    print.first();
}

ui::PrintRequest printDocument(DataStore& store, ui::MainState& state, const DocumentForm& form)
{
    preparePrintData(store, state, form);
    const ui::MainState* totals = &state;
    return {documentTemplateFor(form.kind),
            [totals](const QString& name) { return frReport_shGetValue(*totals, name); }};
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

std::optional<Value> frReport_shGetValue(const ui::MainState& state, const QString& name)
{
    if (name == u"str5")
        return Value(AmountInWords(state.printTotal));
    if (name == u"str8")
        return Value(state.printTotal.toString());
    if (name == u"str9")
        return Value(state.printVat.toString());
    return std::nullopt;
}

} // namespace vi23
