#include "IssuedDocument.h"

#include "DataSet.h"
#include "Database.h"
#include "EnterpriseSettings.h"
#include "Error.h"
#include "RuFormat.h"
#include "Schema.h"

#include <QStringList>
#include <cassert>

namespace vi23 {

namespace {

// The largest total the amount in words can name.
const Money kWordsLimit = Money::fromRoubles(1'000'000'000'000) - Money::fromUnits(1);

QString field(const char* name, int line)
{
    assert(line >= 0 && line < kDocumentLines);
    return QString::fromLatin1(name) + QString::number(line);
}

QString lineLabel(int printed, const QString& name)
{
    return QStringLiteral("Строка %1 («%2»)").arg(printed).arg(ru::quoteForMessage(name));
}

// The values of a line as the record keeps them; a quantity or price never written reads as 0.
struct StoredLine {
    QString name;
    double quantity = 0;
    Money price;
    Value rate;
};

// Checks the line and makes its figures by the money rule; `printed` numbers the used lines from 1.
LineAmounts figuresOf(const StoredLine& line, int printed)
{
    const int rate = line.rate.isNull() ? 0 : int(line.rate.integer());
    if (!isAllowedVatRate(rate))
        throw UserError(QStringLiteral("%1: ставка НДС %2 % недопустима; допустимы %3. Исправьте ставку строки "
                                       "(«Редактор», «Сохранить»); документ не печатается")
                            .arg(lineLabel(printed, line.name))
                            .arg(rate)
                            .arg(allowedVatRatesText()));
    try {
        return lineAmounts(line.quantity, line.price, rate);
    } catch (const UserError&) {
        throw UserError(QStringLiteral("%1: количество × цена даёт сумму больше допустимой "
                                       "(922 337 203 685 477,58 руб.); документ не печатается")
                            .arg(lineLabel(printed, line.name)));
    }
}

void addToTotals(DocumentTotals& totals, const LineAmounts& amounts, int printed, const QString& name)
{
    try {
        totals.add(amounts);
    } catch (const UserError&) {
        throw UserError(QStringLiteral("%1: итог документа выходит за пределы допустимой суммы "
                                       "(922 337 203 685 477,58 руб.); документ не печатается")
                            .arg(lineLabel(printed, name)));
    }
}

void checkWordsLimit(const DocumentTotals& totals)
{
    if (totals.gross > kWordsLimit || -totals.gross > kWordsLimit)
        throw UserError(QStringLiteral("Итог документа %1 руб. больше 999 999 999 999,99 руб.: такую сумму нельзя "
                                       "написать прописью; документ не печатается")
                            .arg(totals.gross.toFixed(2)));
}

// The document's row by name: every field of jur1, the copied ones as empty where the file lacks them.
class DocumentRow {
public:
    DocumentRow(Database& db, long long key) : table_(schemaTable(u"jur1")), statement_(prepare(db, table_))
    {
        statement_.bind(1, Value(std::int64_t(key)));
        found_ = statement_.step();
    }
    bool found() const { return found_; }
    Value value(const QString& name) const
    {
        const int index = table_.fieldIndex(name);
        assert(index >= 0);
        return readColumn(statement_, index, table_.fields[size_t(index)].type);
    }
    QString text(const QString& name) const { return value(name).toText(); }
    QString text(const char* name) const { return text(QString::fromLatin1(name)); }
    QDate date(const char* name) const
    {
        const Value v = value(QString::fromLatin1(name));
        return v.isNull() ? QDate() : v.date();
    }

private:
    static Statement prepare(Database& db, const TableDef& table)
    {
        const QSet<QString> missing = missingAddedFields(db, table);
        QStringList columns;
        for (const FieldDef& f : table.fields)
            columns << (missing.contains(f.name) ? QStringLiteral("NULL") : quoteIdentifier(f.name));
        return db.prepare(QStringLiteral("SELECT %1 FROM jur1 WHERE k = ?1").arg(columns.join(u',')));
    }

    const TableDef& table_;
    Statement statement_;
    bool found_ = false;
};

StoredLine storedLine(const DocumentRow& row, int line)
{
    StoredLine stored;
    stored.name = row.value(field("naz", line)).toText();
    const Value quantity = row.value(field("kol", line));
    const Value price = row.value(field("cen", line));
    stored.quantity = quantity.isNull() ? 0.0 : quantity.toDouble();
    stored.price = price.isNull() ? Money() : price.money();
    stored.rate = row.value(field("nds", line));
    return stored;
}

EnterpriseRequisites readRequisites(Database& db)
{
    // A file that could not be upgraded has no cashier yet.
    const bool hasCashier = !missingAddedFields(db, schemaTable(u"pr1")).contains(kCashierField);
    Statement query = db.prepare(QStringLiteral(
        "SELECT np, unn, ad, tel, bank, rs, ks, buk, fr, fb, fup, rup, okpo, okdp, dr, %1 FROM pr1 ORDER BY rowid LIMIT 1")
                                     .arg(hasCashier ? kCashierField : QStringLiteral("NULL")));
    EnterpriseRequisites r;
    if (!query.step())
        return r;
    QString* fields[] = {&r.name, &r.innKpp, &r.address, &r.phone, &r.bank, &r.account, &r.correspondentAccount, &r.bik,
                         &r.head, &r.accountant, &r.soleTraderName, &r.soleTraderRegistration, &r.okpo, &r.okdp,
                         &r.headPosition, &r.cashier};
    for (int i = 0; i < int(std::size(fields)); ++i)
        *fields[i] = query.isNull(i) ? QString() : query.text(i);
    return r;
}

void readHeader(const DocumentRow& row, IssuedDocument& document)
{
    document.kind = row.text("dok");
    document.number = row.text("n");
    document.date = row.date("dd");
    document.paymentNumber = row.text("np");
    document.paymentDate = row.date("dp");
    document.buyer = row.text("z");
    document.buyerAddress = row.text("a");
    document.buyerInnKpp = row.text("unn");
    document.buyerBank = row.text("rb");
    document.buyerOkpo = row.text("okpo");
    document.cashBasis = row.text(kCashBasisField);
    document.payeeIdentity = row.text(kCashIdentityField);
    document.debitAccount = row.text(kCashDebitField);
}

} // namespace

bool isUnusedLine(const QString& name)
{
    return name == u'-' || name.trimmed().isEmpty();
}

IssuedDocument readIssuedDocument(Database& db, long long key)
{
    const DocumentRow row(db, key);
    if (!row.found())
        throw UserError(QStringLiteral("Документа с ключом %1 нет в базе данных").arg(key));
    IssuedDocument document;
    document.key = key;
    readHeader(row, document);
    int exempt = 0;
    for (int line = 0; line < kDocumentLines; ++line) {
        const StoredLine stored = storedLine(row, line);
        if (isUnusedLine(stored.name))
            continue;
        const int printed = int(document.lines.size()) + 1;
        IssuedLine issued;
        issued.index = line;
        issued.name = stored.name;
        issued.quantity = stored.quantity;
        issued.price = stored.price;
        issued.amounts = figuresOf(stored, printed);
        issued.rate = stored.rate.isNull() ? 0 : int(stored.rate.integer());
        issued.unit = row.text(field("eu", line));
        issued.country = row.text(field("str", line));
        issued.customsDeclaration = row.text(field("gtd", line));
        addToTotals(document.totals, issued.amounts, printed, issued.name);
        exempt += isVatExempt(issued.rate) ? 1 : 0;
        document.lines.push_back(std::move(issued));
    }
    checkWordsLimit(document.totals);
    document.exempt = !document.lines.empty() && exempt == int(document.lines.size());
    document.transferStatus = transferStatus(db, key);
    document.seller = readRequisites(db);
    return document;
}

void completeDocumentRecord(DataSet& documents)
{
    DocumentTotals totals;
    int printed = 0;
    for (int line = 0; line < kDocumentLines; ++line) {
        const QString sum = field("s", line);
        StoredLine stored;
        stored.name = documents.fieldValue(field("naz", line)).toText();
        if (isUnusedLine(stored.name)) {
            // An unused line adds nothing: a sum left there by an older program goes, an empty one stays.
            const Value left = documents.fieldValue(sum);
            if (!left.isNull() && left != Value(Money()))
                documents.setValue(sum, Money());
            continue;
        }
        const Value quantity = documents.fieldValue(field("kol", line));
        const Value price = documents.fieldValue(field("cen", line));
        stored.quantity = quantity.isNull() ? 0.0 : quantity.toDouble();
        stored.price = price.isNull() ? Money() : price.money();
        stored.rate = documents.fieldValue(field("nds", line));
        const LineAmounts amounts = figuresOf(stored, ++printed);
        addToTotals(totals, amounts, printed, stored.name);
        if (documents.fieldValue(sum) != Value(amounts.gross))
            documents.setValue(sum, amounts.gross);
    }
    checkWordsLimit(totals);
    if (documents.fieldValue(u"sss") != Value(totals.gross))
        documents.setValue(u"sss", totals.gross);
}

void putGoodsIntoLine(DataSet& documents, int line, const DataSet& goods, int goodsRow)
{
    assert(line >= 0 && line < kDocumentLines);
    assert(goodsRow >= 0 && goodsRow < goods.recordCount());
    auto goodsValue = [&](const char16_t* name) { return goods.valueAt(goodsRow, goods.requireField(name)); };
    const QString name = goodsValue(u"naz").toText();
    // A line holds fewer characters than a goods name may; never cut it unseen.
    const int lineSize = documents.fields()[size_t(documents.requireField(field("naz", line)))].size;
    if (name.size() > lineSize)
        throw UserError(QStringLiteral("Наименование «%1» длиннее %2 знаков и не помещается в строку документа; "
                                       "сократите его в списке товаров")
                            .arg(name)
                            .arg(lineSize));
    documents.setText(field("naz", line), name);
    const Value price = goodsValue(u"cen");
    documents.setValue(field("cen", line), price.isNull() ? Value(Money()) : price);
    const Value rate = goodsValue(u"nds");
    documents.setValue(field("nds", line), rate.isNull() ? Value(std::int64_t(0)) : rate);
    const std::pair<const char*, const char16_t*> copied[] = {{"eu", u"eu"}, {"str", u"str"}, {"gtd", u"gtd"}};
    for (const auto& [lineField, goodsField] : copied)
        documents.setValue(field(lineField, line), goodsValue(goodsField));
}

void copyGoodsDetailsIntoDocuments(Database& db)
{
    QStringList assignments;
    for (int line = 0; line < kDocumentLines; ++line) {
        for (const char* copied : {"eu", "str", "gtd"}) {
            assignments << QStringLiteral("%1 = (SELECT stov.%2 FROM stov WHERE stov.naz = jur1.%3 COLLATE RUNOCASE "
                                          "ORDER BY stov.rowid LIMIT 1)")
                               .arg(field(copied, line), QString::fromLatin1(copied), field("naz", line));
        }
    }
    db.exec(QStringLiteral("UPDATE jur1 SET %1").arg(assignments.join(QStringLiteral(", "))));
}

int recomputeStoredSums(Database& db)
{
    int changedTotals = 0;
    Statement keys = db.prepare(QStringLiteral("SELECT k FROM jur1"));
    std::vector<long long> all;
    while (keys.step())
        all.push_back(keys.integer(0));
    QStringList assignments;
    for (int line = 0; line < kDocumentLines; ++line)
        assignments << field("s", line) + QStringLiteral(" = ?");
    Statement update = db.prepare(QStringLiteral("UPDATE jur1 SET %1, sss = ? WHERE k = ?").arg(assignments.join(u',')));
    for (long long key : all) {
        const DocumentRow row(db, key);
        std::array<Value, kDocumentLines> sums{};
        DocumentTotals totals;
        try {
            int printed = 0;
            for (int line = 0; line < kDocumentLines; ++line) {
                const StoredLine stored = storedLine(row, line);
                if (isUnusedLine(stored.name)) {
                    if (!row.value(field("s", line)).isNull())
                        sums[size_t(line)] = Money();
                    continue;
                }
                const LineAmounts amounts = figuresOf(stored, ++printed);
                addToTotals(totals, amounts, printed, stored.name);
                sums[size_t(line)] = amounts.gross;
            }
        } catch (const UserError&) {
            continue;   // the print refuses it and names the line; its stored figures stay
        }
        update.reset();
        for (int line = 0; line < kDocumentLines; ++line)
            update.bind(line + 1, sums[size_t(line)]);
        update.bind(kDocumentLines + 1, totals.gross);
        update.bind(kDocumentLines + 2, Value(std::int64_t(key)));
        update.run();
        if (row.value(QStringLiteral("sss")) != Value(totals.gross))
            ++changedTotals;
    }
    return changedTotals;
}

} // namespace vi23
