#include "books/BookPrinting.h"
#include "books/JournalTab.h"
#include "data/CalendarDates.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/FilterExpression.h"
#include "reports/templates/BuiltInTemplates.h"

#include "tests/TestStore.h"

#include <gtest/gtest.h>
#include <optional>

using namespace vi23;

namespace {

using test::Store;

void addEntry(DataStore& store, const char* date, const char16_t* kind, const char16_t* operation,
              const char16_t* settlement, const char* amount)
{
    DataSet& jur = store.jur();
    jur.append();
    jur.setText(u"dd", QString::fromLatin1(date));
    jur.setText(u"dok", QString::fromUtf16(kind));
    jur.setText(u"sr", QString::fromUtf16(operation));
    if (settlement)
        jur.setText(u"vr", QString::fromUtf16(settlement));
    jur.setText(u"s", QString::fromLatin1(amount));
    jur.post();
}

// The books over the file and over a server database, the same cases on both.
class Books : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override
    {
        VI23_REQUIRE_STORE(GetParam());
        db.emplace(GetParam());
        path = db->path();
        store = db->openStore();
        DataSet& sr = store->dataSet(u"ADOTable_sr");
        for (auto [text, kind] : {std::pair{u"Выручка", u"Приход"}, std::pair{u"Аренда", u"Расход"}}) {
            sr.append();
            sr.setText(u"sr", QString::fromUtf16(text));
            sr.setText(u"vr", QString::fromUtf16(kind));
            sr.post();
        }
    }

    void entry(const char* date, const char16_t* kind, const char16_t* operation, const char16_t* settlement,
               const char* amount)
    {
        addEntry(*store, date, kind, operation, settlement, amount);
    }

    QStringList cashBook()
    {
        DataSet& kassa = store->dataSet(u"ADOTable_kassa");
        kassa.refresh();
        QStringList rows;
        for (kassa.first(); !kassa.eof(); kassa.next()) {
            QStringList cells;
            for (const char16_t* f : {u"dd", u"sd", u"sk", u"srr", u"sdd", u"skk", u"srrr"})
                cells << kassa.text(f);
            rows << cells.join(u'|');
        }
        return rows;
    }

    std::optional<test::TempDatabase> db;
    QString path;
    std::unique_ptr<DataStore> store;
};

} // namespace

VI23_INSTANTIATE_ON_BOTH_STORES(Books);

// What only the file meets: a lock on the whole file, and dates another program wrote past its checks
// (the server's date type holds calendar dates only).
class FileBooks : public Books {};
INSTANTIATE_TEST_SUITE_P(File, FileBooks, ::testing::Values(Store::File),
                         [](const auto& info) { return test::storeName(info.param); });

TEST_P(Books, CashBookRunsBalancesOverEveryCashOrder)
{
    entry("02.01.2009", u"КО", u"Выручка", u"Приход", "2000");     // before any period: still counts
    entry("02.01.2009", u"КО", u"Аренда", u"Расход", "1500");
    entry("03.01.2009", u"КО", u"Выручка", nullptr, "99");          // no kind: all zero
    entry("04.01.2009", u"КО", u"Нет в списке", u"Приход", "7");    // not in sr: left out
    entry("05.01.2009", u"ПП", u"Выручка", u"Приход", "5");         // not a cash order
    entry("06.01.2009", u"КО", u"выручка", u"приход", "0,1");
    entry("06.01.2009", u"КО", u"Выручка", u"Приход", "0,2");
    EXPECT_EQ(rebuildCashBook(*store), 5);
    const QStringList expected = {
        QStringLiteral("02.01.2009|2000|0|2000|2000|0|2000"),
        QStringLiteral("02.01.2009|0|1500|-1500|2000|1500|500"),
        QStringLiteral("03.01.2009|0|0|0|2000|1500|500"),
        QStringLiteral("06.01.2009|0,1|0|0,1|2000,1|1500|500,1"),
        QStringLiteral("06.01.2009|0,2|0|0,2|2000,3|1500|500,3"),
    };
    EXPECT_EQ(cashBook(), expected);
    // A second rebuild gives the same rows.
    EXPECT_EQ(rebuildCashBook(*store), 5);
    EXPECT_EQ(cashBook(), expected);
}

// The cash book of a period lists the days inside it; its balances run over every cash order from the
// earliest, so its first day opens with the balance of all before.
TEST_P(Books, TheCashBookOfAPeriodCarriesTheBalanceOfEveryEarlierOrder)
{
    entry("20.02.2009", u"КО", u"Выручка", u"Приход", "1000");
    entry("27.02.2009", u"КО", u"Аренда", u"Расход", "300");
    entry("02.03.2009", u"КО", u"Выручка", u"Приход", "50,5");
    entry("02.03.2009", u"КО", u"Аренда", u"Расход", "20");
    entry("31.03.2009", u"КО", u"Выручка", u"Приход", "5");
    entry("01.04.2009", u"КО", u"Аренда", u"Расход", "100");
    entry("15.03.2009", u"ПП", u"Выручка", u"Приход", "999");   // not a cash order
    struct Case {
        QDate from, to;
        QStringList rows;   // dd|sd|sk|srr|sdd|skk|srrr
    };
    const Case cases[] = {
        {{2009, 3, 1},
         {2009, 3, 31},
         {QStringLiteral("02.03.2009|50,5|0|50,5|1050,5|300|750,5"), QStringLiteral("02.03.2009|0|20|-20|1050,5|320|730,5"),
          QStringLiteral("31.03.2009|5|0|5|1055,5|320|735,5")}},
        {{2009, 3, 31}, {2009, 4, 30}, {QStringLiteral("31.03.2009|5|0|5|1055,5|320|735,5"),
                                        QStringLiteral("01.04.2009|0|100|-100|1055,5|420|635,5")}},
        {{2009, 1, 1}, {2009, 2, 20}, {QStringLiteral("20.02.2009|1000|0|1000|1000|0|1000")}},
        {{2009, 3, 3}, {2009, 3, 30}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(rebuildCashBook(*store, c.from, c.to), c.rows.size());
        EXPECT_EQ(cashBook(), c.rows);
    }
    // A period without a cash order says so instead of printing.
    try {
        printBook(*store, kCashBookKind, QDate(2009, 3, 3), QDate(2009, 3, 30));
        ADD_FAILURE() << "printed";
    } catch (const UserError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("За период с 03.03.2009 по 30.03.2009 нет кассовых ордеров: кассовая книга не печатается"));
    }
    EXPECT_EQ(printBook(*store, kCashBookKind, QDate(2009, 3, 1), QDate(2009, 3, 31)).templateName, QStringLiteral("frReport_kas"));
    EXPECT_EQ(cashBook().size(), 3);
}

// Two workplaces build the cash book at once, each for a period of its own: the book's rows belong to
// the connection that built them, so neither reads the other's nor loses its own to the other's rebuild.
using TwoWorkplaces = test::TwoWorkplaces;
VI23_INSTANTIATE_ON_BOTH_STORES(TwoWorkplaces);

TEST_P(TwoWorkplaces, EachCashBookReadsOnlyItsOwnRows)
{
    DataSet& sr = here->dataSet(u"ADOTable_sr");
    sr.append();
    sr.setText(u"sr", QStringLiteral("Выручка"));
    sr.setText(u"vr", QStringLiteral("Приход"));
    sr.post();
    for (const char* day : {"10.01.2026", "10.04.2026", "11.04.2026"})
        addEntry(*here, day, u"КО", u"Выручка", u"Приход", "100");
    const QString days = QStringLiteral("SELECT dd FROM kassa ORDER BY n");
    EXPECT_EQ(rebuildCashBook(*here, QDate(2026, 1, 1), QDate(2026, 3, 31)), 1);
    EXPECT_EQ(rebuildCashBook(*there, QDate(2026, 4, 1), QDate(2026, 6, 30)), 2);
    EXPECT_EQ(test::rowsOf(here->database(), days), QStringList{QStringLiteral("2026-01-10")});
    EXPECT_EQ(test::rowsOf(there->database(), days), (QStringList{QStringLiteral("2026-04-10"), QStringLiteral("2026-04-11")}));
}

TEST_P(FileBooks, ACashBookRebuildThatFailsKeepsThePreviousOneWhole)
{
    entry("02.01.2009", u"КО", u"Выручка", u"Приход", "2000");
    ASSERT_EQ(rebuildCashBook(*store), 1);
    auto other = Database::open(path);
    store->database().setBusyTimeout(10);
    {
        Database::Transaction lock(*other);
        other->exec(QStringLiteral("UPDATE pr1 SET np = 'x'"));
        EXPECT_THROW(rebuildCashBook(*store), UserError);
    }
    EXPECT_EQ(cashBook(), QStringList{QStringLiteral("02.01.2009|2000|0|2000|2000|0|2000")});
    EXPECT_EQ(rebuildCashBook(*store), 1);
}

TEST_P(Books, AnEmptyJournalGivesAnEmptyCashBook)
{
    EXPECT_EQ(rebuildCashBook(*store), 0);
    EXPECT_TRUE(cashBook().isEmpty());
}

TEST_P(Books, PeriodReachesEveryBookQueryAndRereadsTheJournal)
{
    entry("31.12.2009", u"ПП", u"Выручка", u"Приход", "5");
    entry("01.01.2010", u"ПП", u"Выручка", u"Приход", "10");
    entry("31.03.2010", u"ПП", u"Выручка", u"Приход", "20");
    entry("01.04.2010", u"ПП", u"Выручка", u"Приход", "40");
    DataSet& byCounterparty = store->dataSet(u"ADOQueryss");
    byCounterparty.open();
    EXPECT_EQ(byCounterparty.recordCount(), 4);           // no period yet: the whole journal
    // The book of income and expenses also opens each month of the period with a row of its own.
    const struct {
        QDate from, to;
        int rows;
        int months;
    } periods[] = {{{2010, 1, 1}, {2010, 3, 31}, 2, 3}, {{2010, 3, 31}, {2010, 3, 31}, 1, 1},
                   {{2010, 4, 1}, {2010, 1, 1}, 0, 0}, {{2009, 1, 1}, {2010, 12, 31}, 4, 24}};
    for (const auto& p : periods) {
        setBookPeriod(*store, p.from, p.to);
        for (const char16_t* name : {u"ADOQuerys", u"ADOQueryss", u"ADOQuery11", u"ADOQuery_bank", u"ADOQuery_kassa"}) {
            DataSet& query = store->dataSet(name);
            EXPECT_FALSE(query.isOpen());
            query.open();
            const int expected = QStringView(name) == u"ADOQuery_kassa" ? 0
                : QStringView(name) == u"ADOQuery11"                ? p.rows + p.months
                                                                    : p.rows;
            EXPECT_EQ(query.recordCount(), expected) << QString::fromUtf16(name).toStdString() << " "
                                                     << p.from.toString().toStdString();
        }
    }
    EXPECT_FALSE(store->dataSet(u"ADOQuery_kas").period());
    EXPECT_THROW(store->dataSet(u"ADOQuery_kas").setPeriod({2010, 1, 1}, {2010, 1, 2}), UserError);
}

TEST_P(Books, EveryKindOfThePanelPrintsAStoredFormInBothSetsAndOtherTextsNothing)
{
    entry("02.01.2009", u"КО", u"Выручка", u"Приход", "2000");
    DataSet& counterparties = store->dataSet(u"ADOTable_k");
    counterparties.append();
    counterparties.setText(u"k", QStringLiteral("ООО Альфа"));
    counterparties.post();
    const BuiltInTemplates templates = loadBuiltInTemplates();
    for (const FormSet set : {FormSet::Described, FormSet::Current2026}) {
        for (const QString& kind : reportKinds()) {
            const QString counterparty = reportKind(kind)->counterparty ? QStringLiteral("ООО Альфа") : QString();
            const PrintRequest request = printBook(*store, kind, {2009, 1, 1}, {2009, 12, 31}, set, counterparty);
            EXPECT_NE(templates.find(request.templateName), nullptr) << kind.toStdString();
        }
    }
    for (const char16_t* text : {u"книга расчетов по банку", u"Книга расчетов по банку ", u""})
        EXPECT_TRUE(printBook(*store, QString::fromUtf16(text), {2009, 1, 1}, {2009, 12, 31}).templateName.isEmpty());
    EXPECT_THROW(printBook(*store, kCashBookKind, {2010, 1, 1}, {2010, 12, 31}), UserError);
}

TEST_P(FileBooks, DatesThatAreNoCalendarDatesStopEveryBookAndNameTheirRow)
{
    entry("02.01.2009", u"КО", u"Выручка", u"Приход", "2000");
    // The search reads only the rows its partial index holds, however long the journal.
    {
        Statement plan = store->database().prepare(QStringLiteral("EXPLAIN QUERY PLAN SELECT n FROM jur INDEXED BY %1 WHERE %2")
                                                       .arg(notCalendarDateIndex(u"jur", u"dd"), notCalendarDateCondition(u"dd")));
        ASSERT_TRUE(plan.step());
        EXPECT_EQ(plan.text(3), QStringLiteral("SCAN jur USING INDEX jur_dd_not_calendar"));
    }
    // A new file refuses them itself.
    EXPECT_THROW(store->database().exec(QStringLiteral("UPDATE jur SET dd = '2026-02-31'")), UserError);
    for (const char* bad : {"2026-02-31", "2026-13-39", "31.02.2026"}) {
        SCOPED_TRACE(bad);
        // Another program, with the file's checks off, writes one anyway.
        {
            auto other = Database::open(path);
            other->exec(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
            other->exec(QStringLiteral("UPDATE jur SET dd = '%1'").arg(QString::fromLatin1(bad)));
        }
        for (const QString& kind : {kCashBookKind, QStringLiteral("Книга расчетов по кассе"),
                                    QStringLiteral("Книга доходов и расходов-квартальная")}) {
            try {
                printBook(*store, kind, QDate(2009, 1, 1), QDate(2009, 12, 31));
                ADD_FAILURE() << kind.toStdString();
            } catch (const UserError& e) {
                EXPECT_TRUE(e.text().startsWith(QStringLiteral("В таблице jur есть даты, которых нет в календаре "
                                                               "(строка n=1, поле dd: «%1»)").arg(QString::fromLatin1(bad))))
                    << e.text().toStdString();
            }
        }
    }
    store->database().exec(QStringLiteral("UPDATE jur SET dd = '2009-01-02'"));
    EXPECT_EQ(printBook(*store, kCashBookKind, QDate(2009, 1, 1), QDate(2009, 12, 31)).templateName,
              QStringLiteral("frReport_kas"));
    EXPECT_EQ(cashBook().size(), 1);
}
