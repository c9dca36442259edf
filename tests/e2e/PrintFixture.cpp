#include "PrintFixture.h"

#include "books/BookPrinting.h"
#include "data/Database.h"
#include "documents/DocumentPrinting.h"
#include "reports/ReportPreparer.h"

#include <gtest/gtest.h>

namespace vi23::e2e {

namespace {

QString s(const char16_t* text)
{
    return QString::fromUtf16(text);
}

} // namespace

PrintFixture::PrintFixture(test::Store store) : db_(store)
{
    store_ = db_.openStore();
    templates_ = loadBuiltInTemplates();
}

void PrintFixture::fillReferenceLists()
{
    DataSet& pr1 = store_->dataSet(u"ADOTable_pr1");
    pr1.first();
    pr1.edit();
    const std::pair<const char16_t*, const char16_t*> requisites[] = {
        {u"np", u"ООО «Север»"},
        {u"unn", u"6950000001/695001001"},
        {u"ad", u"г. Тверь, ул. Новая, 3"},
        {u"tel", u"(4822) 11-22-33"},
        {u"bank", u"ПАО Тверьбанк"},
        {u"rs", u"40702810000000000077"},
        {u"ks", u"30101810000000000001"},
        {u"buk", u"042800001"},
        {u"fr", u"Петров П. П."},
        {u"fb", u"Сидорова С. С."},
        {u"fup", u""},
        {u"rup", u""},
        {u"okpo", u"12121212"},
        {u"okdp", u"7400000"},
        {u"dr", u"Директор"},
        {u"kas", u"Орлова О. О."},
    };
    for (const auto& [field, value] : requisites)
        pr1.setText(field, s(value));
    pr1.post();

    struct Goods {
        const char16_t* name;
        const char16_t* unit;
        const char16_t* country;
        const char16_t* customs;
        int vat;
    };
    const Goods goods[] = {
        {u"Бумага А4", u"пач", u"Россия", u"", 18},
        {u"Ручка гелевая", u"шт", u"Россия", u"", 0},
        {u"Картридж", u"шт", u"Китай", u"10702030/010124/0000001", 20},
    };
    DataSet& stov = store_->dataSet(u"ADOTable_stov");
    for (const Goods& g : goods) {
        stov.append();
        stov.setText(u"naz", s(g.name));
        stov.setText(u"eu", s(g.unit));
        stov.setText(u"str", s(g.country));
        stov.setText(u"gtd", s(g.customs));
        stov.setValue(u"nds", g.vat);
        stov.post();
    }
}

void PrintFixture::addGoods(const QString& name, int rate)
{
    DataSet& stov = store_->dataSet(u"ADOTable_stov");
    stov.append();
    stov.setText(u"naz", name);
    stov.setText(u"eu", QStringLiteral("шт"));
    stov.setValue(u"nds", rate);
    stov.post();
}

std::vector<Line> PrintFixture::standardLines()
{
    return {
        {s(u"Бумага А4"), QStringLiteral("3"), QStringLiteral("10,15")},
        {QStringLiteral("-"), QString(), QString()},
        {s(u"Ручка гелевая"), QStringLiteral("2"), QStringLiteral("25")},
        {s(u"Картридж"), QStringLiteral("1,5"), QStringLiteral("1000")},
    };
}

long long PrintFixture::addDocument(const QString& kind, const std::vector<Line>& lines)
{
    DataSet& doc = store_->jur1();
    doc.append();
    doc.setText(u"dok", kind);
    doc.setText(u"n", QStringLiteral("15"));
    doc.setValue(u"dd", QDate(2024, 11, 5));
    doc.setText(u"np", QStringLiteral("42"));
    doc.setValue(u"dp", QDate(2024, 11, 3));
    doc.setText(u"z", s(u"ООО «Ромашка»"));
    doc.setText(u"a", s(u"г. Клин, ул. Садовая, 1"));
    doc.setText(u"unn", QStringLiteral("5020000002/502001001"));
    doc.setText(u"rb", s(u"Банк «Клин», р/с 40702810000000000002"));
    doc.setText(u"okpo", QStringLiteral("33445566"));
    // What only the cash expense order prints.
    doc.setText(u"osn", s(u"Выдача под отчёт на хозяйственные нужды"));
    doc.setText(u"udl", s(u"Паспорт 28 04 123456"));
    doc.setText(u"deb", QStringLiteral("71.01"));
    DataSet& goods = store_->dataSet(u"ADOTable_stov");
    for (size_t i = 0; i < 10; ++i) {
        const QString n = QString::number(i);
        if (i >= lines.size()) {
            doc.setText(QStringLiteral("naz") + n, QStringLiteral("-"));
            continue;
        }
        int row = -1;
        for (int r = 0; r < goods.recordCount() && row < 0; ++r) {
            if (goods.valueAt(r, goods.requireField(u"naz")).toText() == lines[i].name)
                row = r;
        }
        if (row >= 0)
            putGoodsIntoLine(doc, int(i), goods, row);
        else
            doc.setText(QStringLiteral("naz") + n, lines[i].name);
        doc.setText(QStringLiteral("kol") + n, lines[i].quantity);
        doc.setText(QStringLiteral("cen") + n, lines[i].price);
    }
    doc.post();
    return doc.integer(u"k");
}

std::optional<PreparedReport> PrintFixture::printDocument(long long key, FormSet set)
{
    PrintRequest request = vi23::printDocument(*store_, key, set);
    last_ = readIssuedDocument(store_->database(), key);
    if (request.templateName.isEmpty())
        return std::nullopt;
    const Template* form = templates_.find(request.templateName);
    if (!form) {
        ADD_FAILURE() << "no template " << request.templateName.toStdString();
        return std::nullopt;
    }
    // The invoice's payment QR code (request.finish) is left out: the boxes counted here are the form's;
    // the code has tests of its own.
    request.finish = {};
    return preparePrint(*form, *store_, request);
}

void PrintFixture::fillJournal()
{
    DataSet& sr = store_->dataSet(u"ADOTable_sr");
    const std::pair<const char16_t*, const char16_t*> operations[] = {
        {u"Выручка", u"Приход"}, {u"Аренда", u"Расход"}, {u"Закупка", u"Расход"}, {u"Прочий доход", u"Приход"}};
    for (const auto& [text, kind] : operations) {
        sr.append();
        sr.setText(u"sr", s(text));
        sr.setText(u"vr", s(kind));
        sr.post();
    }
    struct Entry {
        QDate date;
        const char16_t* kind;
        const char16_t* operation;
        const char16_t* settlement;
        const char* amount;
        const char16_t* counterparty;
    };
    const Entry entries[] = {
        {{2022, 12, 15}, u"КО", u"Выручка", u"Приход", "2000", u"ООО Альфа"},       // before the period
        {{2023, 1, 10}, u"ПП", u"Выручка", u"Приход", "1000", u"ООО Альфа"},
        {{2023, 2, 20}, u"КО", u"Аренда", u"Расход", "1500", u"ООО Бета"},          // the query says "расход"
        {{2023, 4, 5}, u"ПП", u"Закупка", u"Расход", "300", u"ООО Бета"},
        {{2023, 5, 15}, u"ТН", u"Выручка", u"Приход", "777", u"ООО Гамма"},
        {{2023, 8, 7}, u"ПП", u"Прочий доход", u"Приход", "400", u"ООО Гамма"},
        {{2023, 8, 20}, u"ПП", u"Удалённая операция", u"Приход", "55", u"ООО Альфа"},  // not in sr
        {{2023, 11, 11}, u"КО", u"Выручка", u"Приход", "250", u"ООО Альфа"},
        {{2023, 11, 12}, u"А", u"Аренда", u"Расход", "88", u"ООО Бета"},
        {{2024, 1, 15}, u"ПП", u"Выручка", u"Приход", "600", u"ООО Гамма"},          // the end date
        {{2024, 1, 16}, u"КО", u"Аренда", u"Расход", "120", u"ООО Альфа"},          // the day after
    };
    DataSet& jur = store_->jur();
    int number = 1;
    for (const Entry& e : entries) {
        jur.append();
        jur.setValue(u"dd", e.date);
        jur.setText(u"nn", QString::number(number++));
        jur.setText(u"dok", s(e.kind));
        jur.setText(u"sr", s(e.operation));
        jur.setText(u"vr", s(e.settlement));
        jur.setText(u"s", QString::fromLatin1(e.amount));
        jur.setText(u"k", s(e.counterparty));
        jur.post();
    }
    DataSet& k = store_->dataSet(u"ADOTable_k");
    for (const char16_t* name : {u"ООО Альфа", u"ООО Бета", u"ООО Гамма"}) {
        k.append();
        k.setText(u"k", s(name));
        k.post();
    }
    struct Issued {
        const char16_t* kind;
        const char* number;
        QDate date;
        const char16_t* buyer;
        const char* price;
    };
    const Issued issued[] = {
        {u"Товарная накладная", "7", {2022, 12, 1}, u"ООО Альфа", "3000"},
        {u"Акт", "8", {2023, 3, 1}, u"ООО Альфа", "1234,56"},
        {u"Счет", "9", {2023, 11, 11}, u"ООО Альфа", "500"},
        {u"Товарная накладная", "10", {2024, 1, 20}, u"ООО Альфа", "999,99"},
        {u"Кассовый ордер-пр", "11", {2023, 6, 1}, u"ООО Альфа", "777"},
        {u"Акт", "12", {2023, 6, 2}, u"ООО Бета", "4444"},
    };
    DataSet& doc = store_->jur1();
    for (const Issued& d : issued) {
        doc.append();
        doc.setText(u"dok", s(d.kind));
        doc.setText(u"n", QString::fromLatin1(d.number));
        doc.setValue(u"dd", d.date);
        doc.setValue(u"dp", d.date);
        doc.setText(u"z", s(d.buyer));
        doc.setText(u"naz0", s(u"Услуги"));
        doc.setText(u"kol0", QStringLiteral("1"));
        doc.setText(u"cen0", QString::fromLatin1(d.price));
        doc.setValue(u"nds0", 0);
        for (int i = 1; i < 10; ++i)
            doc.setText(QStringLiteral("naz%1").arg(i), QStringLiteral("-"));
        doc.post();
    }
}

PreparedReport PrintFixture::printBook(const QString& kind, QDate from, QDate to, const QString& counterparty)
{
    const PrintRequest request = vi23::printBook(*store_, kind, from, to, std::nullopt, counterparty);
    const Template* book = templates_.find(request.templateName);
    if (!book)
        throw UserError(QStringLiteral("no template for %1").arg(kind));
    return preparePrint(*book, *store_, request);
}

QString flat(const PreparedBox& box)
{
    return box.texts().join(u' ').simplified();
}

std::vector<const PreparedBox*> boxesWithText(const PreparedPage& page, const QString& text)
{
    std::vector<const PreparedBox*> out;
    for (const PreparedBox& b : page.boxes) {
        if (flat(b) == text)
            out.push_back(&b);
    }
    return out;
}

const PreparedBox& boxAt(const PreparedPage& page, int x, int y)
{
    for (const PreparedBox& b : page.boxes) {
        if (b.x == x && b.y == y)
            return b;
    }
    ADD_FAILURE() << "no box at " << x << "," << y;
    static const PreparedBox none;
    return none;
}

QStringList column(const PreparedPage& page, int x)
{
    std::vector<const PreparedBox*> boxes;
    for (const PreparedBox& b : page.boxes) {
        if (b.x == x)
            boxes.push_back(&b);
    }
    std::stable_sort(boxes.begin(), boxes.end(), [](auto a, auto b) { return a->y < b->y; });
    QStringList out;
    for (const PreparedBox* b : boxes)
        out << flat(*b);
    return out;
}

QStringList column(const PreparedReport& report, int x)
{
    QStringList out;
    for (const PreparedPage& page : report.pages)
        out += column(page, x);
    return out;
}

QStringList pageTexts(const PreparedPage& page)
{
    QStringList out;
    for (const PreparedBox& b : page.boxes)
        out << flat(b);
    return out;
}

QStringList bandTexts(const PreparedPage& page, int y, int height)
{
    QStringList out;
    for (const PreparedBox& b : page.boxes) {
        if (b.y >= y && b.y < y + height)
            out << flat(b);
    }
    return out;
}

} // namespace vi23::e2e
