#include "tests/TestStore.h"

#include "data/FixedQueries.h"
#include "data/StreamedRows.h"

#include <QFile>
#include <gtest/gtest.h>
#include <map>

using namespace vi23;
using vi23::test::Store;
using vi23::test::TempDatabase;

namespace {

struct Entry {
    const char* date;          // dd.MM.yyyy
    const char16_t* kind;      // jur.dok
    const char16_t* operation; // jur.sr
    const char16_t* settlement;// jur.vr, nullptr for empty
    const char* amount;
    const char16_t* counterparty;
};

void addEntry(DataSet& jur, const Entry& e)
{
    jur.append();
    jur.setText(u"dd", QString::fromLatin1(e.date));
    jur.setText(u"dok", QString::fromUtf16(e.kind));
    jur.setText(u"sr", QString::fromUtf16(e.operation));
    if (e.settlement)
        jur.setText(u"vr", QString::fromUtf16(e.settlement));
    jur.setText(u"s", QString::fromLatin1(e.amount));
    jur.setText(u"k", QString::fromUtf16(e.counterparty));
    jur.post();
}

void addOperation(DataSet& sr, const char16_t* text, const char16_t* kind)
{
    sr.append();
    sr.setText(u"sr", QString::fromUtf16(text));
    sr.setText(u"vr", QString::fromUtf16(kind));
    sr.post();
}

// Every visible row of a data set as "field=value" texts for the given fields.
QStringList rows(DataSet& ds, const QStringList& fields)
{
    ds.refresh();
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next()) {
        QStringList cells;
        for (const QString& f : fields)
            cells << ds.text(f);
        out << cells.join(u'|');
    }
    return out;
}

// Every case on the file and on the server: the same rows, the same figures.
class Journal : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override
    {
        VI23_REQUIRE_STORE(GetParam());
        db = std::make_unique<TempDatabase>(GetParam());
        store = db->openStore();
        DataSet& sr = store->dataSet(u"ADOTable_sr");
        addOperation(sr, u"Выручка", u"Приход");
        addOperation(sr, u"Аренда", u"Расход");
        addOperation(sr, u"Двойная", u"Приход");
        addOperation(sr, u"двойная", u"Приход");     // the same text twice, in another case
        DataSet& jur = store->jur();
        const Entry entries[] = {
            {"15.02.2010", u"ПП", u"Выручка", u"Приход", "100", u"Альфа"},     // n 1, quarter 1
            {"10.08.2010", u"КО", u"Аренда", u"Расход", "30,5", u"Бета"},      // n 2, quarter 3
            {"20.11.2010", u"ПП", u"Аренда", u"Расход", "7", u"Альфа"},        // n 3, quarter 4
            {"01.05.2010", u"КО", u"выручка", u"приход", "12,25", u"Гамма"},   // n 4, case differs
            {"02.05.2010", u"ПП", u"Неизвестная", u"Приход", "999", u"Альфа"}, // n 5, not in sr
            {"03.05.2010", u"КО", u"Двойная", u"Приход", "1", u"Бета"},        // n 6, twice in sr
            {"04.05.2010", u"ТН", u"Выручка", u"Приход", "50", u"Альфа"},      // n 7, consignment note
            {"05.05.2010", u"А", u"Выручка", nullptr, "40", u"Бета"},          // n 8, no settlement kind
        };
        for (const Entry& e : entries)
            addEntry(jur, e);
    }

    std::unique_ptr<TempDatabase> db;
    std::unique_ptr<DataStore> store;
};

} // namespace

VI23_INSTANTIATE_ON_BOTH_STORES(Journal);

TEST_P(Journal, BookOfIncomeAndExpensesFollowsTheEngineRules)
{
    QStringList fields = {QStringLiteral("n"), QStringLiteral("g"), QStringLiteral("q"), QStringLiteral("m"),
                          QStringLiteral("d"), QStringLiteral("k"), QStringLiteral("ds6"), QStringLiteral("ds9"),
                          QStringLiteral("d6"), QStringLiteral("d9"), QStringLiteral("k6"), QStringLiteral("k9"),
                          QStringLiteral("np")};
    // By date; only payment and cash orders whose operation is in sr; "расход" in the query text
    // counts the stored "Расход"; an operation listed twice in sr (in two letter cases) gives one row.
    QStringList expected = {
        QStringLiteral("1|2010|1|02|100|0|6|9|100|100|0|0|Альфа"),
        QStringLiteral("4|2010|2|05|12,25|0|6|9|12,25|12,25|0|0|Гамма"),
        QStringLiteral("6|2010|2|05|1|0|6|9|1|1|0|0|Бета"),
        QStringLiteral("2|2010|3|08|0|30,5|0|9|0|0|0|30,5|Бета"),
        QStringLiteral("3|2010|4|11|0|7|0|0|0|0|0|0|Альфа"),
    };
    EXPECT_EQ(rows(store->dataSet(u"ADOQuery11"), fields), expected);
    // The journal's index gives the rows in order: the first comes without the whole period sorted.
    // Only the few opening rows of the months of a period are sorted.
    if (GetParam() == Store::Server)
        return;
    for (const QString& sql : {fixedQuery(u"ADOQuery11").definition.periodSql, fixedQuery(u"ADOQuery_kas").definition.sql}) {
        Statement plan = store->database().prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        std::map<long long, std::pair<long long, QString>> nodes;   // id: parent, detail
        while (plan.step())
            nodes[plan.integer(0)] = {plan.integer(1), plan.text(3)};
        int journalReads = 0;
        for (const auto& [id, node] : nodes) {
            journalReads += node.second.startsWith(QStringLiteral("SEARCH jur USING INDEX jur_dd_n"))
                || node.second == QStringLiteral("SCAN jur USING INDEX jur_dd_n");
            if (!node.second.contains(QStringLiteral("TEMP B-TREE")))
                continue;
            bool overMonths = false;
            for (const auto& [otherId, other] : nodes)
                overMonths |= other.first == node.first && other.second == QStringLiteral("SCAN months");
            EXPECT_TRUE(overMonths) << node.second.toStdString();
        }
        EXPECT_GE(journalReads, 1) << sql.toStdString();
    }
}

// Over a period the book is a tax year: every month of the period opens with a row that prints
// nothing, the first carrying the year's sums before the period (its month's in d and k, its quarter's
// in dq and kq, the half-year's, nine months' and year's in d6, d9, dy and their expenses).
TEST_P(Journal, ABookOfAPeriodCarriesTheYearBeforeItAndOpensEveryMonth)
{
    addEntry(store->jur(), {"05.05.2010", u"ПП", u"Аренда", u"Расход", "2", u"Альфа"});    // n 9: before the period
    addEntry(store->jur(), {"20.04.2010", u"КО", u"Выручка", u"Приход", "3", u"Бета"});    // n 10: its quarter
    addEntry(store->jur(), {"31.12.2009", u"КО", u"Выручка", u"Приход", "1000", u"Бета"}); // n 11: the year before
    DataSet& book = store->dataSet(u"ADOQuery11");
    book.setPeriod(QDate(2010, 5, 10), QDate(2010, 8, 31));
    const QStringList fields = {QStringLiteral("shown"), QStringLiteral("n"), QStringLiteral("dd"), QStringLiteral("q"),
                                QStringLiteral("m"), QStringLiteral("d"), QStringLiteral("k"), QStringLiteral("dq"),
                                QStringLiteral("kq"), QStringLiteral("d6"), QStringLiteral("k6"), QStringLiteral("d9"),
                                QStringLiteral("dy"), QStringLiteral("ky"), QStringLiteral("ds6"), QStringLiteral("ds9")};
    // Before 10.05.2010 in 2010: 100 (Feb), 3 (Apr), 12,25 and 1 (May) income, 2 (May) expense.
    EXPECT_EQ(rows(book, fields),
              (QStringList{QStringLiteral("0||10.05.2010|2|05|13,25|2|16,25|2|116,25|2|116,25|116,25|2|6|9"),
                           QStringLiteral("0||01.06.2010|2|06|0|0|0|0|0|0|0|0|0|6|9"),
                           QStringLiteral("0||01.07.2010|3|07|0|0|0|0|0|0|0|0|0|0|9"),
                           QStringLiteral("0||01.08.2010|3|08|0|0|0|0|0|0|0|0|0|0|9"),
                           QStringLiteral("1|2|10.08.2010|3|08|0|30,5|0|30,5|0|0|0|0|30,5|0|9")}));
    // The rows the book numbers before the period: five of 2010.
    Statement count = store->database().prepare(incomeBookRowCountSql());
    count.bind(1, Value(QDate(2010, 1, 1)));
    count.bind(2, Value(QDate(2010, 5, 10)));
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.integer(0), 5);
    // A period that ends before it starts has no row at all.
    book.setPeriod(QDate(2010, 9, 1), QDate(2010, 8, 31));
    EXPECT_TRUE(rows(book, fields).isEmpty());
}

TEST_P(Journal, EqualTextsReadFromTheFileShareOneString)
{
    DataSet& jur = store->jur();
    jur.refresh();
    const int k = jur.fieldIndex(u"k");
    const Value first = jur.valueAt(0, k), third = jur.valueAt(2, k), second = jur.valueAt(1, k);
    ASSERT_EQ(first.text(), QStringLiteral("Альфа"));
    EXPECT_EQ(third.text(), QStringLiteral("Альфа"));
    EXPECT_EQ(first.text().constData(), third.text().constData());
    EXPECT_EQ(second.text(), QStringLiteral("Бета"));
    EXPECT_NE(first.text().constData(), second.text().constData());
}

TEST_P(Journal, BankAndCashSettlementBooksKeepEntriesWithUnknownOperations)
{
    QStringList fields = {QStringLiteral("n"), QStringLiteral("q"), QStringLiteral("sr"), QStringLiteral("d"),
                          QStringLiteral("k1"), QStringLiteral("r")};
    EXPECT_EQ(rows(store->dataSet(u"ADOQuery_bank"), fields),
              (QStringList{QStringLiteral("1|1|Выручка|100|0|100"), QStringLiteral("5|2|Неизвестная|999|0|999"),
                           QStringLiteral("3|4|Аренда|0|7|-7")}));
    EXPECT_EQ(rows(store->dataSet(u"ADOQuery_kassa"), fields),
              (QStringList{QStringLiteral("4|2|выручка|12,25|0|12,25"), QStringLiteral("6|2|Двойная|1|0|1"),
                           QStringLiteral("2|3|Аренда|0|30,5|-30,5")}));
}

TEST_P(Journal, SummariesAndCashOrdersJoinTheOperations)
{
    QStringList fields = {QStringLiteral("n"), QStringLiteral("d"), QStringLiteral("k1")};
    // Grouped by operation (letter case ignored), then date; every kind of document; an operation
    // listed twice counts its rows once.
    EXPECT_EQ(rows(store->dataSet(u"ADOQuerys"), fields),
              (QStringList{QStringLiteral("2|0|30,5"), QStringLiteral("3|0|7"), QStringLiteral("1|100|0"),
                           QStringLiteral("4|12,25|0"), QStringLiteral("7|50|0"), QStringLiteral("8|0|0"),
                           QStringLiteral("6|1|0")}));
    QStringList byCounterparty = rows(store->dataSet(u"ADOQueryss"), {QStringLiteral("k"), QStringLiteral("n")});
    EXPECT_EQ(byCounterparty,
              (QStringList{QStringLiteral("Альфа|1"), QStringLiteral("Альфа|7"), QStringLiteral("Альфа|3"),
                           QStringLiteral("Бета|6"), QStringLiteral("Бета|8"),
                           QStringLiteral("Бета|2"), QStringLiteral("Гамма|4")}));
    EXPECT_EQ(rows(store->dataSet(u"ADOQuery_kas"),
                   {QStringLiteral("n"), QStringLiteral("sd"), QStringLiteral("sk"), QStringLiteral("rr")}),
              (QStringList{QStringLiteral("4|12,25|0|12,25"), QStringLiteral("6|1|0|1"), QStringLiteral("2|0|30,5|-30,5")}));
}

TEST_P(Journal, PeriodFilterOnABookQuery)
{
    DataSet& book = store->dataSet(u"ADOQuery11");
    book.setFilter(QStringLiteral("dd >=01.04.2010 And dd <=30.09.2010"));
    EXPECT_EQ(rows(book, {QStringLiteral("n")}),
              (QStringList{QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("2")}));
}

// A report walking a book query's stream sees what it would see walking the data set: the period and
// the filter applied, a step back after a look ahead, a move back to the start, the end.
TEST_P(Journal, AStreamedBookQueryWalksAsItsDataSet)
{
    for (const char16_t* name : {u"ADOQuery11", u"ADOQuery_bank", u"ADOQuerys"}) {
        SCOPED_TRACE(QString::fromUtf16(name).toStdString());
        DataSet& set = store->dataSet(name);
        set.setPeriod(QDate(2010, 3, 1), QDate(2010, 12, 31));
        set.setFilter(QStringLiteral("dd <>04.05.2010"));
        set.open();
        StreamedRows stream(set);
        stream.open();
        auto walk = [&](RowSource& rows) {
            QStringList seen;
            auto look = [&](const char* step) {
                QStringList cells{QString::fromLatin1(step), QString::number(rows.position()), rows.eof() ? "eof" : ""};
                for (int f = 0; f < int(set.fields().size()); ++f)
                    cells << rows.fieldValueAt(f).toText();
                seen << cells.join(u'|');
            };
            look("open");
            for (rows.first(); !rows.eof(); rows.next()) {
                look("row");
                const int at = rows.position();
                rows.next();
                look("ahead");
                rows.moveToPosition(at);
                look("back");
            }
            look("end");
            rows.moveToPosition(0);
            look("start");
            rows.next();
            look("second");
            return seen;
        };
        const QString expected = walk(set).join(u'\n');
        // More rows than the stream keeps: the move back to the start reads the query again. The
        // book of income and expenses: four journal rows and the ten months' opening rows.
        if (set.name() == u"ADOQuery11") {
            EXPECT_EQ(expected.count(QStringLiteral("\nrow|")), 14);
        }
        EXPECT_EQ(walk(stream).join(u'\n').toStdString(), expected.toStdString());
        stream.close();
        stream.open();
        set.first();
        EXPECT_EQ(walk(stream).join(u'\n').toStdString(), expected.toStdString());
    }
}

// A stream closed while its reading thread waits far ahead stops at once, and opens again from the start.
TEST_P(Journal, AStreamClosedFarFromItsEndStopsItsReading)
{
    db->sql(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 20000) "
                          "INSERT INTO jur (dd, dok, sr, vr, s) SELECT '2011-01-01', 'ПП', 'Выручка', 'Приход', i * 10000 FROM c"));
    DataSet& set = store->dataSet(u"ADOQuery_bank");
    set.setPeriod(QDate(2011, 1, 1), QDate(2011, 12, 31));
    StreamedRows stream(set);
    for (int round = 0; round < 3; ++round) {
        stream.open();
        EXPECT_EQ(stream.fieldValue(u"d").toText(), QStringLiteral("1"));
        stream.next();
        EXPECT_EQ(stream.fieldValue(u"d").toText(), QStringLiteral("2"));
        stream.close();
    }
    // Every row, looked at again after a look ahead, across the batches the rows come in; the same
    // when the file cannot be opened a second time and the rows are read on this thread.
    auto walk = [](StreamedRows& rows) {
        int count = 0;
        for (rows.open(); !rows.eof(); rows.next()) {
            const int at = rows.position();
            rows.next();
            rows.moveToPosition(at);
            if (rows.fieldValue(u"d").toText() != QString::number(++count))
                return -count;
        }
        return count;
    };
    EXPECT_EQ(walk(stream), 20000);
    if (GetParam() == Store::Server)
        return;
    ASSERT_TRUE(QFile::rename(db->path(), db->path() + QStringLiteral(".moved")));
    StreamedRows onThisThread(set);
    EXPECT_EQ(walk(onThisThread), 20000);
}

// Printed twice with two periods, a streamed book reads the second period: every report closes its
// stream at the end, the counterparty book's too, whose data set stays open after a report. An entry
// made since is read too.
TEST_P(Journal, AStreamedBookClosesAfterEachReportAndReadsTheNextPeriod)
{
    store->setStreamingBookQueries(true);
    EXPECT_FALSE(store->linkClosesAfterReport(u"frDBDataSetss"));
    for (const auto& [from, firstPayment] : {std::pair{QDate(2010, 1, 1), "15.02.2010"}, std::pair{QDate(2010, 6, 1), "20.11.2010"}}) {
        for (const char16_t* name : {u"ADOQuery_bank", u"ADOQueryss"})
            store->dataSet(name).setPeriod(from, QDate(2010, 12, 31));
        for (const char16_t* link : {u"frDBDataSet_bank", u"frDBDataSetss"}) {
            RowSource* rows = store->findByLink(link);
            ASSERT_TRUE(dynamic_cast<StreamedRows*>(rows)) << QString::fromUtf16(link).toStdString();
            if (!rows->isOpen())
                rows->open();
            EXPECT_GE(rows->fieldValue(u"dd").date(), from);
            if (link == std::u16string_view(u"frDBDataSet_bank")) {
                EXPECT_EQ(rows->fieldValue(u"dd").date().toString(QStringLiteral("dd.MM.yyyy")), QLatin1String(firstPayment));
            }
            EXPECT_TRUE(store->linkClosesAfterReport(link));
            rows->close();
        }
    }
    // An entry made between two prints is in the second.
    addEntry(store->jur(), {"01.01.2010", u"ПП", u"Выручка", u"Приход", "5", u"Альфа"});
    store->dataSet(u"ADOQuery_bank").setPeriod(QDate(2010, 1, 1), QDate(2010, 12, 31));
    RowSource* rows = store->findByLink(u"frDBDataSet_bank");
    rows->open();
    EXPECT_EQ(rows->fieldValue(u"dd").date(), QDate(2010, 1, 1));
    EXPECT_EQ(rows->fieldValue(u"d").toText(), QStringLiteral("5"));
    rows->close();
}

namespace {

class PrintLines : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override
    {
        VI23_REQUIRE_STORE(GetParam());
        db = std::make_unique<TempDatabase>(GetParam());
        store = db->openStore();
        DataSet& goods = store->dataSet(u"ADOTable_stov");
        for (auto [name, vat] : {std::pair{u"Бумага", 18}, std::pair{u"Ручка", 10}}) {
            goods.append();
            goods.setText(u"naz", QString::fromUtf16(name));
            goods.setValue(u"nds", vat);
            goods.setText(u"eu", QStringLiteral("шт"));
            goods.post();
        }
        DataSet& pr1 = store->dataSet(u"ADOTable_pr1");
        pr1.edit();
        pr1.setText(u"np", QStringLiteral("ООО Наше"));
        pr1.post();
    }

    void addLine(long long document, const QString& name, double quantity, int rate = 18)
    {
        DataSet& tov = store->dataSet(u"ADOTable_tov");
        tov.append();
        tov.setValue(u"k", std::int64_t(document));
        tov.setText(u"naz", name);
        tov.setValue(u"kol", quantity);
        tov.setText(u"cen", QStringLiteral("10,15"));
        tov.setValue(u"nds", rate);
        tov.setText(u"eu", QStringLiteral("пач"));
        tov.post();
    }

    long long addDocument()
    {
        DataSet& doc = store->jur1();
        doc.append();
        doc.setText(u"dok", QStringLiteral("Счет"));
        doc.setText(u"z", QStringLiteral("Покупатель"));
        doc.post();
        return doc.integer(u"k");
    }

    std::unique_ptr<TempDatabase> db;
    std::unique_ptr<DataStore> store;
};

} // namespace

VI23_INSTANTIATE_ON_BOTH_STORES(PrintLines);

// A print line prints what it carries: the goods list is not read, so a name missing from it, or
// listed there in another case with another rate and unit, prints as the line has it.
TEST_P(PrintLines, LinesComeInLineOrderWithWhatTheyCarryAndTheRequisites)
{
    long long document = addDocument();
    addLine(document, QStringLiteral("Ручка"), 2, 10);
    addLine(document, QStringLiteral("Нет в списке"), 1, 0);
    addLine(document, QStringLiteral("бумага"), 3);
    addLine(document + 1, QStringLiteral("Бумага"), 9);     // no such document
    DataSet& bl = store->dataSet(u"ADOQuery_bl");
    const QStringList fields = {QStringLiteral("k"), QStringLiteral("naz"), QStringLiteral("kol"), QStringLiteral("cen"),
                                QStringLiteral("nds"), QStringLiteral("eu"), QStringLiteral("np"), QStringLiteral("z")};
    const QStringList printed = {QStringLiteral("1|Ручка|2|10,15|10|пач|ООО Наше|Покупатель"),
                                 QStringLiteral("1|Нет в списке|1|10,15|0|пач|ООО Наше|Покупатель"),
                                 QStringLiteral("1|бумага|3|10,15|18|пач|ООО Наше|Покупатель")};
    EXPECT_EQ(rows(bl, fields), printed);
    // The document's key is bound to the query.
    bl.setKey(document + 1);
    EXPECT_EQ(bl.recordCount(), 0);
    bl.setKey(document);

    // The enterprise is the first requisites row: a second prints nothing twice, none prints the lines blank.
    db->sql(QStringLiteral("INSERT INTO pr1 (np) VALUES ('Второе')"));
    EXPECT_EQ(rows(bl, fields), printed);
    db->sql(QStringLiteral("DELETE FROM pr1"));
    EXPECT_EQ(rows(bl, {QStringLiteral("naz"), QStringLiteral("np")}),
              (QStringList{QStringLiteral("Ручка|"), QStringLiteral("Нет в списке|"), QStringLiteral("бумага|")}));
}

TEST_P(PrintLines, DocumentKeysAboveSixteenBitsStillPrint)
{
    db->sql(GetParam() == Store::File ? QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('jur1', 40000)")
                                      : QStringLiteral("SELECT setval(pg_get_serial_sequence('jur1', 'k'), 40000)"));
    store->jur1().refresh();
    long long document = addDocument();
    EXPECT_EQ(document, 40001);
    addLine(document, QStringLiteral("Бумага"), 1);
    DataSet& bl = store->dataSet(u"ADOQuery_bl");
    bl.setKey(40001);
    bl.open();
    EXPECT_EQ(bl.recordCount(), 1);
}
