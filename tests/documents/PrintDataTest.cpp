// A document prints from its own record: the stored figures are the printed ones, the print lines
// carry what the lines keep, and what cannot be printed is refused before anything is written.
#include "documents/DocumentPrinting.h"
#include "data/Database.h"
#include "data/Error.h"
#include "reports/templates/BuiltInTemplates.h"
#include "tests/TestStore.h"

#include <QSet>

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vi23;

namespace {

struct LineText {
    const char16_t* name;
    const char* quantity;
    const char* price;
    const char* rate;
};

class PrintData : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("kn.mdb"));
        Database::create(path);
        store = std::make_unique<DataStore>(path);
        DataSet& pr1 = store->dataSet(u"ADOTable_pr1");
        pr1.edit();
        pr1.setText(u"np", QStringLiteral("ООО Наше"));
        pr1.post();
    }

    // A document stored as any writer stores one: its lines as typed, the figures by the store.
    long long document(std::initializer_list<LineText> lines)
    {
        DataSet& doc = store->jur1();
        doc.append();
        doc.setText(u"dok", QStringLiteral("Счет"));
        int i = 0;
        for (const LineText& l : lines) {
            const QString n = QString::number(i++);
            doc.setText(QStringLiteral("naz") + n, QString::fromUtf16(l.name));
            doc.setText(QStringLiteral("kol") + n, QString::fromUtf8(l.quantity));
            doc.setText(QStringLiteral("cen") + n, QString::fromUtf8(l.price));
            doc.setText(QStringLiteral("nds") + n, QString::fromUtf8(l.rate));
            doc.setText(QStringLiteral("eu") + n, QStringLiteral("шт"));
        }
        for (; i < 10; ++i)
            doc.setText(QStringLiteral("naz") + QString::number(i), QStringLiteral("-"));
        doc.post();
        return doc.integer(u"k");
    }

    QString value(const PrintRequest& request, const char* name)
    {
        const std::optional<Value> v = request.values(QString::fromLatin1(name));
        return v ? v->toText() : QStringLiteral("<none>");
    }

    QStringList printLines()
    {
        DataSet& bl = store->dataSet(u"ADOQuery_bl");
        QStringList out;
        for (bl.first(); !bl.eof(); bl.next())
            out << QStringList{bl.text(u"naz"), bl.text(u"kol"), bl.text(u"cen"), bl.text(u"nds"), bl.text(u"eu")}.join(u'|');
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
};

} // namespace

TEST_F(PrintData, TheStoredFiguresAreThePrintedOnesAndTheWordsSpellThem)
{
    struct Case {
        LineText line;
        const char* total;
        const char* vat;
        const char* words;
    };
    const Case cases[] = {
        {{u"Бумага", "3", "10,15", "18"}, "35,93", "5,48", "Тридцать пять рублей 93 копейки"},
        {{u"Ручка", "1", "1180", "0"}, "1180", "0", "Одна тысяча сто восемьдесят рублей 00 копеек"},
        // 0,125 is 0,13; its 20 % is 0,026, so 0,03.
        {{u"Бумага", "1", "0,125", "20"}, "0,16", "0,03", "Ноль рублей 16 копеек"},
        // 3 × 10,15 × 10 % is the tie 3,045: away from zero, as the VAT column prints it.
        {{u"Гайка", "3", "10,15", "10"}, "33,5", "3,05", "Тридцать три рубля 50 копеек"},
        {{u"Курс", "2", "1200", "Без НДС"}, "2400", "", "Две тысячи четыреста рублей 00 копеек"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.price);
        const long long key = document({c.line});
        const PrintRequest request = printDocument(*store, key);
        EXPECT_EQ(value(request, "str8"), QString::fromLatin1(c.total));
        EXPECT_EQ(value(request, "str9"), QString::fromLatin1(c.vat));
        EXPECT_EQ(value(request, "str5"), QString::fromUtf8(c.words));
        // The one row's own figure and the stored line sum and total are the total the words spell.
        store->dataSet(u"ADOQuery_bl").first();
        EXPECT_EQ(value(request, "lineGross"), QString::fromLatin1(c.total));
        EXPECT_EQ(store->jur1().money(u"s0").toString(), QString::fromLatin1(c.total));
        EXPECT_EQ(store->jur1().money(u"sss").toString(), QString::fromLatin1(c.total));
    }
}

TEST_F(PrintData, OnlyTheLastDocumentsLinesStayInLineOrderWithWhatTheyKeep)
{
    printDocument(*store, document({{u"Бумага", "1", "1", "18"}, {u"Ручка", "2", "2", "0"}}));
    const long long second = document({{u"Ручка", "3", "3", "22"}, {u"-", "1", "0", "0"}, {u"", "", "", ""},
                                       {u"O'Brien tea", "4", "4", "Без НДС"}});
    printDocument(*store, second);
    EXPECT_EQ(printLines(), (QStringList{QStringLiteral("Ручка|3|3|22|шт"), QStringLiteral("O'Brien tea|4|4|Без НДС|шт")}));
    EXPECT_EQ(tableRows("tov"), 2);
    EXPECT_EQ(tableRows("z"), 2);
    Statement lastLog = store->database().prepare(QStringLiteral("SELECT pr FROM z ORDER BY k DESC LIMIT 1"));
    ASSERT_TRUE(lastLog.step());
    EXPECT_EQ(lastLog.text(0), QStringLiteral("ООО Наше"));
}

TEST_F(PrintData, DocumentKeysAboveSixteenBitsPrint)
{
    store->database().exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('jur1', 32767)"));
    store->jur1().refresh();
    const long long key = document({{u"Бумага", "2", "100", "18"}});
    ASSERT_EQ(key, 32768);
    const PrintRequest request = printDocument(*store, key);
    EXPECT_EQ(printLines(), QStringList{QStringLiteral("Бумага|2|100|18|шт")});
    EXPECT_EQ(value(request, "str8"), QStringLiteral("236"));
}

// Two workplaces print at once: the print's lines belong to the connection that wrote them, so neither
// print reads the other's lines nor loses its own to the other's emptying them; the log keeps both.
using TwoWorkplaces = test::TwoWorkplaces;
VI23_INSTANTIATE_ON_BOTH_STORES(TwoWorkplaces);

TEST_P(TwoWorkplaces, EachPrintReadsOnlyItsOwnLines)
{
    auto print = [](DataStore& store, std::initializer_list<const char16_t*> names) {
        DataSet& doc = store.jur1();
        doc.append();
        doc.setText(u"dok", QStringLiteral("Счет"));
        int line = 0;
        for (const char16_t* name : names)
            doc.setText(QStringLiteral("naz") + QString::number(line++), QString::fromUtf16(name));
        for (; line < 10; ++line)
            doc.setText(QStringLiteral("naz") + QString::number(line), QStringLiteral("-"));
        doc.post();
        printDocument(store, doc.integer(u"k"));
    };
    const QString lines = QStringLiteral("SELECT naz FROM tov ORDER BY xx");
    print(*here, {u"Бумага", u"Ручка"});
    print(*there, {u"Скрепки"});
    EXPECT_EQ(test::rowsOf(here->database(), lines), (QStringList{QStringLiteral("Бумага"), QStringLiteral("Ручка")}));
    EXPECT_EQ(test::rowsOf(there->database(), lines), QStringList{QStringLiteral("Скрепки")});
    EXPECT_EQ(test::rowsOf(here->database(), QStringLiteral("SELECT count(*) FROM z")), QStringList{QStringLiteral("2")});
}

TEST(DocumentKinds, EveryKindOfTheDropDownPrintsOnAStoredFormInBothSetsAndOtherTextsOnNone)
{
    const BuiltInTemplates templates = loadBuiltInTemplates();
    for (const FormSet set : {FormSet::Described, FormSet::Current2026}) {
        QSet<QString> forms;
        for (const QString& kind : captionsOf(documentKindTable())) {
            const QString form = documentTemplateFor(kind, set);
            EXPECT_NE(templates.find(form), nullptr) << kind.toStdString();
            forms.insert(form);
        }
        // No two kinds share a form.
        EXPECT_EQ(forms.size(), qsizetype(documentKindTable().size()));
    }
    for (const char16_t* text : {u"счет", u"Счет ", u"Договор", u""})
        EXPECT_TRUE(documentTemplateFor(QString::fromUtf16(text)).isEmpty());
}

TEST_F(PrintData, WhatCannotBePrintedIsRefusedBeforeAnythingIsWritten)
{
    // Another program (or an old file) may store what the program never stores itself.
    struct Case {
        const char* assignments;
        const char16_t* error;
    };
    const Case cases[] = {
        {"naz1 = 'Гайка', kol1 = 1, cen1 = 10000, nds1 = 15",
         u"Строка 2 («Гайка»): ставка НДС 15 % недопустима; допустимы 22 %, 20 %, 18 %, 10 %, 7 %, 5 %, 0 % или «Без НДС»"},
        {"nds0 = -5", u"Строка 1 («Бумага»): ставка НДС -5 % недопустима"},
        {"kol0 = 1e15, cen0 = 1000000000000000000", u"Строка 1 («Бумага»): количество × цена даёт сумму больше допустимой"},
        {"naz1 = 'Ручка', kol1 = 8e14, cen1 = 10000, kol0 = 8e14, cen0 = 10000, nds0 = 0",
         u"Строка 2 («Ручка»): итог документа выходит за пределы допустимой суммы"},
        {"kol0 = 1000000, cen0 = 10000000000",
         u"Итог документа 1180000000000,00 руб. больше 999 999 999 999,99 руб.: такую сумму нельзя написать прописью"},
    };
    printDocument(*store, document({{u"Ручка", "1", "1", "0"}}));
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.error).toStdString());
        const long long key = document({{u"Бумага", "1", "1", "18"}});
        store->database().exec(QStringLiteral("UPDATE jur1 SET %1 WHERE k = %2").arg(QString::fromUtf8(c.assignments)).arg(key));
        try {
            printDocument(*store, key);
            ADD_FAILURE() << "printed";
        } catch (const UserError& e) {
            EXPECT_TRUE(e.text().startsWith(QString::fromUtf16(c.error))) << e.text().toStdString();
        }
        EXPECT_EQ(tableRows("tov"), 1);
        EXPECT_EQ(tableRows("z"), 1);
    }
    // The largest total the words can name still prints.
    const PrintRequest largest = printDocument(*store, document({{u"Ручка", "1", "999999999999,99", "0"}}));
    EXPECT_EQ(value(largest, "str5"), QStringLiteral("Девятьсот девяносто девять миллиардов девятьсот девяносто девять "
                                                     "миллионов девятьсот девяносто девять тысяч девятьсот девяносто "
                                                     "девять рублей 99 копеек"));
}
