#include "documents/DocumentPrinting.h"
#include "data/Database.h"
#include "data/Error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vi23;

namespace {

class PrintData : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("kn.mdb"));
        Database::create(path);
        store = std::make_unique<DataStore>(path);
        DataSet& goods = store->dataSet(u"ADOTable_stov");
        for (auto [name, vat] : {std::pair{u"Бумага", 18}, std::pair{u"Ручка", 0}, std::pair{u"O'Brien tea", 10}}) {
            goods.append();
            goods.setText(u"naz", QString::fromUtf16(name));
            goods.setValue(u"nds", vat);
            goods.post();
        }
        DataSet& pr1 = store->dataSet(u"ADOTable_pr1");
        pr1.edit();
        pr1.setText(u"np", QStringLiteral("ООО Наше"));
        pr1.post();
    }

    DocumentForm form(long long key, std::initializer_list<std::tuple<const char16_t*, const char*, const char*>> lines)
    {
        DocumentForm f;
        f.key = QString::number(key);
        f.kind = QStringLiteral("Счет");
        f.names.fill(QStringLiteral("-"));
        f.quantities.fill(QStringLiteral("1"));
        f.prices.fill(QStringLiteral("0"));
        size_t i = 0;
        for (const auto& [name, quantity, price] : lines) {
            f.names[i] = QString::fromUtf16(name);
            f.quantities[i] = QString::fromUtf8(quantity);
            f.prices[i] = QString::fromUtf8(price);
            ++i;
        }
        return f;
    }

    long long document()
    {
        DataSet& doc = store->jur1();
        doc.append();
        doc.setText(u"dok", QStringLiteral("Счет"));
        doc.post();
        return doc.integer(u"k");
    }

    QStringList printLines()
    {
        DataSet& bl = store->dataSet(u"ADOQuery_bl");
        QStringList out;
        for (bl.first(); !bl.eof(); bl.next())
            out << bl.text(u"naz") + u'|' + bl.text(u"kol") + u'|' + bl.text(u"cen");
        return out;
    }

    int tableRows(const char* table)
    {
        Statement count = store->database().prepare(QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromLatin1(table)));
        count.step();
        return int(count.integer(0));
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<DataStore> store;
    ui::MainState state;
};

} // namespace

TEST_F(PrintData, TotalsRoundEachRowToKopecksHalfToEven)
{
    struct Case {
        const char16_t* name;
        const char* quantity;
        const char* price;
        const char* total;
        const char* vat;
        const char* words;
    };
    const Case cases[] = {
        {u"Бумага", "3", "10,15", "35,93", "5,48", "Тридцать пять рублей 93 копейки"},
        {u"Ручка", "1", "1180", "1180", "0", "Одна тысяча сто восемьдесят рублей 00 копеек"},
        {u"Бумага", "1", "0,125", "0,14", "0,02", "Ноль рублей 14 копеек"},   // 0,125 -> 0,12; VAT 2,25 -> 2 kopecks
        {u"Нет в списке", "1", "100", "0", "0", "Ноль рублей 00 копеек"},
    };
    const RowSource& print = store->dataSet(u"ADOQuery_bl");
    for (const Case& c : cases) {
        const long long key = document();
        preparePrintData(*store, state, form(key, {{c.name, c.quantity, c.price}}));
        EXPECT_EQ(state.printTotal.toString(), QString::fromLatin1(c.total)) << c.price;
        EXPECT_EQ(state.printVat.toString(), QString::fromLatin1(c.vat)) << c.price;
        EXPECT_EQ(frReport_shGetValue(state, &print, QStringLiteral("str8"))->toText(), QString::fromLatin1(c.total));
        EXPECT_EQ(frReport_shGetValue(state, &print, QStringLiteral("str9"))->toText(), QString::fromLatin1(c.vat));
        EXPECT_EQ(frReport_shGetValue(state, &print, QStringLiteral("str5"))->toText(), QString::fromUtf8(c.words));
        // The one row's own figure is the total the words spell.
        EXPECT_EQ(frReport_shGetValue(state, &print, QStringLiteral("lineGross"))->toText(), QString::fromLatin1(c.total));
    }
    EXPECT_FALSE(frReport_shGetValue(state, &print, QStringLiteral("ADOQuery_bl.\"naz\"")).has_value());
}

TEST_F(PrintData, OnlyTheLastDocumentsLinesStayInLineOrder)
{
    const long long first = document();
    preparePrintData(*store, state, form(first, {{u"Бумага", "1", "1"}, {u"Ручка", "2", "2"}}));
    const long long second = document();
    preparePrintData(*store, state, form(second, {{u"Ручка", "3", "3"}, {u"-", "1", "0"}, {u"", "", ""}, {u"O'Brien tea", "4", "4"}}));
    EXPECT_EQ(printLines(), (QStringList{QStringLiteral("Ручка|3|3"), QStringLiteral("O'Brien tea|4|4")}));
    EXPECT_EQ(tableRows("tov"), 2);
    EXPECT_EQ(tableRows("z"), 2);
    Statement lastLog = store->database().prepare(QStringLiteral("SELECT pr FROM z ORDER BY k DESC LIMIT 1"));
    ASSERT_TRUE(lastLog.step());
    EXPECT_EQ(lastLog.text(0), QStringLiteral("ООО Наше"));
}

TEST_F(PrintData, AFailedPrintLeavesTheScratchTableAndLogAsTheyWere)
{
    const long long key = document();
    preparePrintData(*store, state, form(key, {{u"Бумага", "1", "1"}}));
    struct Case { DocumentForm form; QString error; };
    const Case cases[] = {
        {form(key, {{u"Ручка", "2", "2"}, {u"Бумага", "3 шт", "1"}}), QStringLiteral("«3 шт» — не число: введите цифры, дробную часть через запятую")},
        {form(key, {{u"Ручка", "2", "2,5,"}}), QStringLiteral("«2,5,» — не число: введите цифры, дробную часть через запятую")},
        {[&] { DocumentForm f = form(key, {{u"Ручка", "1", "1"}}); f.key.clear(); return f; }(),
         QStringLiteral("«» — не целое число: введите только цифры")},
    };
    for (const Case& c : cases) {
        try {
            preparePrintData(*store, state, c.form);
            ADD_FAILURE() << c.error.toStdString();
        } catch (const UserError& e) {
            EXPECT_EQ(e.text(), c.error);
        }
        EXPECT_EQ(tableRows("tov"), 1);
        EXPECT_EQ(tableRows("z"), 1);
    }
}

TEST_F(PrintData, DocumentKeysAboveSixteenBitsPrint)
{
    store->database().exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('jur1', 32767)"));
    store->jur1().refresh();
    const long long key = document();
    ASSERT_EQ(key, 32768);
    preparePrintData(*store, state, form(key, {{u"Бумага", "2", "100"}}));
    EXPECT_EQ(printLines(), QStringList{QStringLiteral("Бумага|2|100")});
    EXPECT_EQ(state.printTotal.toString(), QStringLiteral("236"));
}

TEST(DocumentKinds, TenKindsChooseTheirFormsExactly)
{
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"Счет", "frReport_sh"}, {u"Счет-фактура", "frReport_sf"}, {u"Товарная накладная", "frReport_tn"},
        {u"Акт", "frReport_akt"}, {u"Товарный чек", "frReport_chek"}, {u"Наряд-заказ", "frReport_nz"},
        {u"Расходная накладная", "frReport_zh"}, {u"Бланк заказа", "frReport_z"}, {u"Кассовый ордер-пр", "frReportpr"},
        {u"УПД", "frReport_upd"}, {u"счет", ""}, {u"Счет ", ""}, {u"Договор", ""},
    };
    for (const auto& [kind, name] : cases)
        EXPECT_EQ(documentTemplateFor(QString::fromUtf16(kind)), QString::fromLatin1(name));
}

TEST_F(PrintData, TheWordsAgreeWithTheVatTheFormPrints)
{
    // 3 × 10,15 × 10 % is 3,045 exactly: half to even gives 3,04, as the form's VAT column shows,
    // although the binary product lies a hair above the half.
    DataSet& goods = store->dataSet(u"ADOTable_stov");
    goods.append();
    goods.setText(u"naz", QStringLiteral("Гайка"));
    goods.setValue(u"nds", 10);
    goods.post();
    const long long key = document();
    preparePrintData(*store, state, form(key, {{u"Гайка", "3", "10,15"}}));
    EXPECT_EQ(state.printVat.toString(), QStringLiteral("3,04"));
    EXPECT_EQ(state.printTotal.toString(), QStringLiteral("33,49"));
}

TEST_F(PrintData, AmountsBeyondWhatPrintsAreRefusedBeforePrinting)
{
    struct Case {
        std::initializer_list<std::tuple<const char16_t*, const char*, const char*>> lines;
        const char16_t* error;
    };
    const Case cases[] = {
        {{{u"Бумага", "1000000000000000", "100000"}},
         u"Строка 1 («Бумага»): количество × цена даёт сумму больше допустимой (922 337 203 685 477,58 руб.)"},
        {{{u"Ручка", "1", "1"}, {u"Бумага", "-1000000000000000", "100000"}},
         u"Строка 2 («Бумага»): количество × цена даёт сумму больше допустимой"},
        {{{u"Ручка", "800000000000000", "1"}, {u"Ручка", "800000000000000", "1"}},
         u"Строка 2 («Ручка»): итог документа выходит за пределы допустимой суммы"},
        {{{u"Бумага", "1000000", "1000000"}},
         u"Итог документа 1180000000000,00 руб. больше 999 999 999 999,99 руб.: такую сумму нельзя написать прописью"},
        {{{u"Ручка", "1e17", "1"}}, u"«1e17» — не число"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.error).toStdString());
        state.printTotal = Money::fromRoubles(5);
        try {
            preparePrintData(*store, state, form(document(), c.lines));
            ADD_FAILURE() << "printed";
        } catch (const UserError& e) {
            EXPECT_TRUE(e.text().startsWith(QString::fromUtf16(c.error))) << e.text().toStdString();
        }
    }
    // The largest total the words can name still prints.
    preparePrintData(*store, state, form(document(), {{u"Ручка", "1", "999999999999,99"}}));
    EXPECT_EQ(frReport_shGetValue(state, nullptr, QStringLiteral("str5"))->toText(),
              QStringLiteral("Девятьсот девяносто девять миллиардов девятьсот девяносто девять миллионов девятьсот "
                             "девяносто девять тысяч девятьсот девяносто девять рублей 99 копеек"));
}
