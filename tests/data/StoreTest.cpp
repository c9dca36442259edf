#include "tests/TestStore.h"

#include "data/DocumentMoney.h"
#include "data/DocumentNumbers.h"
#include "data/Error.h"
#include "data/FilterExpression.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <chrono>
#include <future>
#include <thread>

using namespace vi23;
using vi23::test::Store;
using vi23::test::TempDatabase;

using vi23::test::errorOf;

namespace {

void addCounterparty(DataSet& k, const QString& name, const QString& address = {})
{
    k.append();
    k.setText(u"k", name);
    if (!address.isEmpty())
        k.setText(u"ad", address);
    k.post();
}

class RecordingObserver : public DataSetObserver {
public:
    void currentRowChanged(DataSet&) override { events << QStringLiteral("row"); }
    void fieldChanged(DataSet& ds, int field) override { events << QStringLiteral("field:") + ds.fields()[size_t(field)].name; }
    void stateChanged(DataSet& ds) override { events << QStringLiteral("state:%1").arg(int(ds.state())); }
    void writePendingChanges(DataSet& ds) override
    {
        events << QStringLiteral("pending");
        if (!pendingText.isEmpty()) {
            ds.setText(u"ad", pendingText);
            pendingText.clear();
        }
    }
    QStringList events;
    QString pendingText;
};

} // namespace

TEST(Connection, OpeningFailsClearlyForAMissingOrDamagedFile)
{
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("garbage.mdb"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString missing = dir.filePath(QStringLiteral("kn.mdb"));
    const QString noFolder = dir.filePath(QStringLiteral("нет/kn.mdb"));
    using Open = std::function<void(const QString&)>;
    const Open open = [](const QString& path) { DataStore store(path); };
    const Open read = [](const QString& path) { Database::openForReading(path); };
    const Open create = [](const QString& path) { Database::create(path); };
    const struct {
        const char* what;
        QString path;
        Open opener;
        QString expected;
    } cases[] = {
        {"missing", missing, open, QStringLiteral("Не найден файл базы данных %1").arg(missing)},
        {"a folder", dir.path(), open, QStringLiteral("%1 не является файлом базы данных").arg(dir.path())},
        {"not a database", garbage, open, QStringLiteral("не является базой данных программы или повреждён. "
                                                          "Откройте другой файл или восстановите")},
        {"missing, read", missing, read, QStringLiteral("файла %1 нет. Проверьте путь").arg(missing)},
        {"a folder, read", dir.path(), read, QStringLiteral("%1 - это папка, а не файл базы данных").arg(dir.path())},
        {"no folder to create in", noFolder, create, QStringLiteral("папки %1 нет").arg(QFileInfo(noFolder).absolutePath())},
    };
    for (const auto& c : cases) {
        QString text = errorOf([&] { c.opener(c.path); });
        EXPECT_TRUE(text.contains(c.expected)) << c.what << ": " << text.toStdString();
        // SQLite's own English stays only as the detail in brackets.
        text.remove(QRegularExpression(QStringLiteral(" \\(подробности: [^)]*\\)$")));
        text.remove(QRegularExpression(QStringLiteral("/[^ :]*")));
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << c.what << ": " << text.toStdString();
    }

    TempDatabase db;
    db.sql(QStringLiteral("DROP TABLE dok"));
    EXPECT_TRUE(errorOf([&] { db.openStore(); }).contains(QStringLiteral("нет таблицы «dok»")));

    TempDatabase db2;
    db2.sql(QStringLiteral("ALTER TABLE jur1 DROP COLUMN ru"));
    EXPECT_TRUE(errorOf([&] { db2.openStore(); }).contains(QStringLiteral("В таблице «jur1»")));
    EXPECT_TRUE(errorOf([&] { db2.openStore(); }).contains(QStringLiteral("нет поля «ru»")));

    EXPECT_TRUE(errorOf([&] { Database::create(db.path()); }).contains(QStringLiteral("не будет перезаписан")));
}

TEST(Connection, NewFileHasEveryTableAndFieldAndOneRequisitesRow)
{
    TempDatabase db;
    auto store = db.openStore();
    for (const TableDef& table : schemaTables()) {
        Statement info = store->database().prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
        info.bind(1, table.name);
        size_t i = 0;
        QStringList added;
        while (info.step()) {
            if (i < table.fields.size())
                EXPECT_EQ(info.text(0), table.fields[i].name);
            else
                added << table.name + u'.' + info.text(0);
            ++i;
        }
        EXPECT_GE(i, table.fields.size()) << table.name.toStdString();
        // Beyond the fields, the transfer document's status and the row version, the work tables aside.
        QStringList expected;
        if (table.name == u"jur1")
            expected << QStringLiteral("jur1.status");
        if (!isWorkTable(table.name))
            expected << table.name + QStringLiteral(".row_version");
        EXPECT_EQ(added, expected);
    }
    EXPECT_EQ(store->dataSet(u"ADOTable_pr1").recordCount(), 1);
    EXPECT_EQ(schemaTables().size(), 11u);
    // Each line also keeps the unit, country and customs declaration copied when its goods were picked,
    // and a cash expense order its basis, the payee's identity document and the debit account.
    EXPECT_EQ(schemaTable(u"jur1").fields.size(), 13u + 50u + 3u + 30u + 3u);
    EXPECT_EQ(schemaTable(u"k").fields[size_t(schemaTable(u"k").fieldIndex(u"unn"))].size, 20);
}

// The file's statements as the server takes them; quoted texts are left as they are.
TEST(ServerSql, PlaceholdersCollationSortKeyAndNullOrderAreTheServersOutsideQuotes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT a FROM t WHERE a = ?1 AND b = ?2 OR c = ?1", "SELECT a FROM t WHERE a = $1 AND b = $2 OR c = $1"},
        {"UPDATE t SET a = ?,b = ? WHERE rowid = ?", "UPDATE t SET a = $1,b = $2 WHERE rowid = $3"},
        {"SELECT '?1', \"a?\" FROM t WHERE x = 'it''s ?' AND y = ?", "SELECT '?1', \"a?\" FROM t WHERE x = 'it''s ?' AND y = $1"},
        {"x = 'ПП' COLLATE RUNOCASE AND y COLLATE nocase IN (SELECT 1)",
         "x = 'ПП' COLLATE vi23_nocase AND y COLLATE vi23_nocase IN (SELECT 1)"},
        // Nulls sort before every value, as in the file; a row key is never null and keeps its index's order.
        {"ORDER BY runocase_key(jur.k), IFNULL(s, 0)",
         "ORDER BY (translate(jur.k, 'ёЁ', 'єЄ') COLLATE vi23_sort) NULLS FIRST, COALESCE(s, 0) NULLS FIRST"},
        {"SELECT (SELECT x FROM t ORDER BY a DESC, t.rowid LIMIT 1), (SELECT z FROM t ORDER BY b LIMIT 1) FROM u ORDER BY \"n\"",
         "SELECT (SELECT x FROM t ORDER BY a DESC NULLS LAST, t.rowid LIMIT 1), (SELECT z FROM t ORDER BY b NULLS FIRST LIMIT 1) "
         "FROM u ORDER BY \"n\""},
        {"SELECT sum(s) OVER (ORDER BY dd, 'a,b') FROM jur ORDER BY k NULLS LAST;",
         "SELECT sum(s) OVER (ORDER BY dd NULLS FIRST, 'a,b' NULLS FIRST) FROM jur ORDER BY k NULLS LAST;"},
        {"SELECT 'COLLATE RUNOCASE'", "SELECT 'COLLATE RUNOCASE'"},
    };
    for (const auto& [file, server] : cases)
        EXPECT_EQ(toServerSql(QString::fromUtf8(file)).toStdString(), server) << file;
    for (const char* location : {"postgresql://office@server/vi23", "postgres:///vi23?host=/run/pg", "host=server dbname=vi23",
                                 " dbname=vi23"})
        EXPECT_TRUE(isServerLocation(QString::fromUtf8(location))) << location;
    for (const char* location : {"kn.mdb", "/home/a=b/kn.mdb", "папка/kn.mdb", ""})
        EXPECT_FALSE(isServerLocation(QString::fromUtf8(location))) << location;
}

class OnBothStores : public ::testing::TestWithParam<Store> {};

VI23_INSTANTIATE_ON_BOTH_STORES(OnBothStores);

TEST_P(OnBothStores, CounterIsAssignedOnSaveAndRowsPersist)
{
    VI23_REQUIRE_STORE(GetParam());
    TempDatabase db(GetParam());
    {
        auto store = db.openStore();
        DataSet& jur = store->jur();
        jur.append();
        EXPECT_TRUE(jur.isNull(u"n"));
        jur.setText(u"sr", QStringLiteral("Оплата"));
        jur.setText(u"s", QStringLiteral("1234,56"));
        jur.setText(u"dd", QStringLiteral("05.11.2010"));
        jur.post();
        EXPECT_EQ(jur.integer(u"n"), 1);
        jur.append();
        jur.setText(u"sr", QStringLiteral("Второй"));
        jur.post();
        EXPECT_EQ(jur.integer(u"n"), 2);
        jur.remove();                      // numbers are never reused
        jur.append();
        jur.setText(u"sr", QStringLiteral("Третий"));
        jur.post();
        EXPECT_EQ(jur.integer(u"n"), 3);
    }
    auto store = db.openStore();
    DataSet& jur = store->jur();
    EXPECT_EQ(jur.recordCount(), 2);
    EXPECT_EQ(jur.money(u"s"), Money::parse(u"1234,56"));
    EXPECT_EQ(jur.date(u"dd"), QDate(2010, 11, 5));
    EXPECT_EQ(jur.text(u"dd"), QStringLiteral("05.11.2010"));
}

// Two workplaces on one store: a row another one changed or deleted since this one read it is never
// overwritten or deleted unseen, whichever fields each changed; reading it again shows what is
// stored, keeping the typing leaves it unsaved. Tables with and without a counter alike.
TEST_P(OnBothStores, ARowChangedElsewhereIsNeverOverwrittenNorDeleted)
{
    VI23_REQUIRE_STORE(GetParam());
    enum Act { Nothing, Change, Delete };
    const QString changed = QStringLiteral("Запись изменена на другом рабочем месте, после того как была прочитана здесь; ");
    const QString deleted =
        QStringLiteral("Запись изменена на другом рабочем месте: ее удалили там, после того как она была прочитана здесь; ");
    const QString unsaved = QStringLiteral("ваше изменение не сохранено");
    const struct {
        const char* what;
        const char16_t* table;
        Act theirs, mine;
        bool reload;         // the answer "Да" to the question
        QString error;       // how the refusal begins; empty when mine is stored
        QString mineShows;   // "field1|field2" of my current row afterwards, "-" for no row
        QString stored;      // the same of the stored row, "-" for none
    } cases[] = {
        {"their change, mine to another field, read again", u"k", Change, Change, true, changed + unsaved, "Тверь|", "Тверь|"},
        {"their change, mine kept unsaved", u"k", Change, Change, false, changed + unsaved, "Москва|Петров", "Тверь|"},
        {"their deletion, my change read again", u"k", Delete, Change, true, deleted + unsaved, "-", "-"},
        {"their change, my deletion refused", u"k", Change, Delete, false, changed + "запись не удалена", "Москва|", "Тверь|"},
        {"both deleted", u"k", Delete, Delete, false, {}, "-", "-"},
        {"nobody else: two changes in a row", u"k", Nothing, Change, false, {}, "Москва|Сидоров", "Москва|Сидоров"},
        {"a table with a counter: their change", u"jur", Change, Change, true, changed + unsaved, "Тверь|", "Тверь|"},
        {"a table with a counter: their deletion", u"jur", Delete, Delete, false, {}, "-", "-"},
    };
    TempDatabase db(GetParam());
    auto here = db.openStore();
    auto there = db.openStore();
    int made = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString table = QString::fromUtf16(c.table);
        // jur: the counterparty k names the row, sr and nn stand for the address and the person.
        const bool journal = table == u"jur";
        const QString key = QStringLiteral("Ряд %1").arg(++made);
        const QString first = journal ? QStringLiteral("sr") : QStringLiteral("ad");
        const QString second = journal ? QStringLiteral("nn") : QStringLiteral("fio");
        DataSet& mine = here->dataSet(QStringLiteral("ADOTable_") + table);
        mine.append();
        mine.setText(u"k", key);
        mine.setText(first, QStringLiteral("Москва"));
        mine.post();
        DataSet& theirs = there->dataSet(QStringLiteral("ADOTable_") + table);
        theirs.refresh();
        ASSERT_TRUE(theirs.locate(u"k", key));
        if (c.theirs == Change) {
            theirs.edit();
            theirs.setText(first, QStringLiteral("Тверь"));
            theirs.post();
        } else if (c.theirs == Delete) {
            theirs.remove();
        }
        ASSERT_TRUE(mine.locate(u"k", key));
        const QString error = errorOf([&] {
            if (c.mine == Delete) {
                mine.remove();
                return;
            }
            mine.edit();
            mine.setText(second, QStringLiteral("Петров"));
            mine.post();
            if (c.theirs == Nothing) {   // the version this workplace stored is the one it checks next
                mine.edit();
                mine.setText(second, QStringLiteral("Сидоров"));
                mine.post();
            }
        });
        EXPECT_EQ(error.section(u'.', 0, 0), c.error.isEmpty() ? QStringLiteral("(no error)") : c.error);
        if (!c.error.isEmpty()) {
            EXPECT_TRUE(error.contains(QStringLiteral("Прочитать запись заново?"))) << error.toStdString();
            if (c.reload)
                mine.reloadCurrentRow();
        }
        const bool shown = mine.recordCount() > 0 && mine.text(u"k") == key;
        EXPECT_EQ(shown ? mine.text(first) + u'|' + mine.text(second) : QStringLiteral("-"), c.mineShows);
        EXPECT_EQ(mine.isEditing(), !c.error.isEmpty() && !c.reload && c.mine == Change);
        mine.cancel();
        const QStringList stored = test::rowsOf(
            here->database(), QStringLiteral("SELECT %1, %2 FROM %3 WHERE k = '%4'").arg(first, second, table, key));
        EXPECT_EQ(stored.isEmpty() ? QStringLiteral("-") : stored.join(u';'), c.stored);
    }
}

// Two workplaces propose the same number for a new document at the same moment: the one stored first
// keeps it, the other gets the next number no document of its kind has. It is decided inside the
// unit of work that stores the row, with the other workplace's numbering held off meanwhile.
TEST_P(OnBothStores, NumbersProposedAtTheSameMomentNeverCollide)
{
    VI23_REQUIRE_STORE(GetParam());
    TempDatabase db(GetParam());
    auto here = db.openStore();
    auto there = db.openStore();
    auto start = [](DataStore& store, const QString& kind, const QString& number, bool typed) -> DataSet& {
        DataSet& doc = store.jur1();
        doc.append();
        doc.setText(u"dok", kind);
        if (typed)
            doc.setText(u"n", number);
        else
            doc.propose(u"n", number);
        return doc;
    };
    const QString invoice = QStringLiteral("Счет");
    DataSet& mine = start(*here, invoice, QStringLiteral("31"), false);
    DataSet& theirs = start(*there, invoice, QStringLiteral("31"), false);
    // This workplace has decided its number but not stored the row when the other one saves.
    std::promise<void> decided;
    mine.whileStoringNew = [&decided](DataSet& doc) {
        numberNewDocument(doc);
        decided.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    std::thread saving([&mine] { mine.post(); });
    decided.get_future().wait();
    theirs.post();
    saving.join();
    EXPECT_EQ(mine.text(u"n"), QStringLiteral("31"));
    EXPECT_EQ(theirs.text(u"n"), QStringLiteral("32"));
    mine.whileStoringNew = &numberNewDocument;

    const struct {
        const char* what;
        QString kind;
        bool typed;
        QString stored;
    } cases[] = {
        {"proposed again: past both", invoice, false, QStringLiteral("33")},
        {"typed: kept as typed", invoice, true, QStringLiteral("31")},
        {"another kind has its own numbers", QStringLiteral("Акт"), false, QStringLiteral("31")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DataSet& doc = start(*there, c.kind, QStringLiteral("31"), c.typed);
        doc.post();
        EXPECT_EQ(doc.text(u"n"), c.stored);
    }
    EXPECT_EQ(test::rowsOf(here->database(), QStringLiteral("SELECT dok, n FROM jur1 ORDER BY k")),
              (QStringList{QStringLiteral("Счет|31"), QStringLiteral("Счет|32"), QStringLiteral("Счет|33"),
                           QStringLiteral("Счет|31"), QStringLiteral("Акт|31")}));
}

TEST(DataSet, ValuesThatDoNotFitAreRefusedAndNothingIsStored)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& doc = store->jur1();
    doc.append();
    struct Case { const char16_t* field; QString text; QString error; };
    const Case cases[] = {
        {u"kol0", QStringLiteral("3 шт"), QStringLiteral("«3 шт» — не число: введите цифры, дробную часть через запятую")},
        {u"cen0", QStringLiteral("10.15.1"), QStringLiteral("«10.15.1» — не число: введите цифры, дробную часть через запятую")},
        {u"nds0", QStringLiteral("18 процентов"),
         QStringLiteral("«18 процентов» — не ставка НДС: допустимы 22 %, 20 %, 18 %, 10 %, 7 %, 5 %, 0 % или «Без НДС»")},
        {u"nds0", QStringLiteral("40000"),
         QStringLiteral("«40000» — не ставка НДС: допустимы 22 %, 20 %, 18 %, 10 %, 7 %, 5 %, 0 % или «Без НДС»")},
        {u"dd", QStringLiteral("32.01.2010"), QStringLiteral("«32.01.2010» — не дата: введите дату в виде дд.мм.гггг")},
        {u"n", QString(16, u'7'),
         QStringLiteral("Текст «%1» длиннее 15 знаков, допустимых в поле «n»; сократите его").arg(QString(16, u'7'))},
        {u"k", QStringLiteral("5"), QStringLiteral("Поле «k» — счетчик, его значение назначает программа")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf([&] { doc.setText(c.field, c.text); }), c.error);
        EXPECT_TRUE(doc.isNull(c.field));
    }
    doc.setText(u"n", QString(15, u'7'));      // exactly the size fits
    doc.setText(u"nds0", QStringLiteral("5"));
    EXPECT_EQ(errorOf([&] { doc.setValue(u"nds1", 12); }),
              QStringLiteral("Ставка НДС 12 % недопустима: допустимы 22 %, 20 %, 18 %, 10 %, 7 %, 5 %, 0 % или «Без НДС»"));
    doc.post();
    auto again = db.openStore();
    EXPECT_EQ(again->jur1().text(u"n"), QString(15, u'7'));
    EXPECT_EQ(again->jur1().integer(u"nds0"), 5);
}

TEST(DataSet, RateFieldsTakeAndShowTheExemptMark)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& doc = store->jur1();
    doc.append();
    doc.setText(u"nds0", QStringLiteral("без ндс"));
    doc.setText(u"nds1", QStringLiteral("22%"));
    doc.setText(u"kol0", QStringLiteral("-1"));     // not a rate field: the number as it is
    doc.post();
    auto again = db.openStore();
    DataSet& stored = again->jur1();
    EXPECT_EQ(stored.integer(u"nds0"), kVatExempt);
    EXPECT_EQ(stored.text(u"nds0"), QStringLiteral("Без НДС"));
    EXPECT_EQ(stored.text(u"nds1"), QStringLiteral("22"));
    EXPECT_EQ(stored.text(u"kol0"), QStringLiteral("-1"));
}

TEST(DataSet, StateRulesAndTheirMessages)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& k = store->dataSet(u"ADOTable_k");
    EXPECT_EQ(errorOf([&] { k.remove(); }), QStringLiteral("В списке нет записей: сначала добавьте запись"));
    EXPECT_EQ(errorOf([&] { k.post(); }), QStringLiteral("Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите"));
    EXPECT_EQ(errorOf([&] { k.setText(u"k", QStringLiteral("x")); }), QStringLiteral("Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите"));

    // Edit on an empty data set starts a new row.
    k.edit();
    EXPECT_EQ(k.state(), DataSet::State::Insert);
    k.setText(u"k", QStringLiteral("Альфа"));
    k.post();
    EXPECT_EQ(k.recordCount(), 1);

    // Leaving an unchanged new row abandons it; leaving a changed row saves it.
    k.append();
    k.first();
    EXPECT_EQ(k.recordCount(), 1);
    k.edit();
    k.setText(u"ad", QStringLiteral("Тверь"));
    k.append();                                // leaves the edited row first
    k.cancel();
    EXPECT_EQ(k.recordCount(), 1);
    EXPECT_EQ(db.openStore()->dataSet(u"ADOTable_k").text(u"ad"), QStringLiteral("Тверь"));

    // Cancel restores the values the row had.
    k.edit();
    k.setText(u"ad", QStringLiteral("Москва"));
    k.cancel();
    EXPECT_EQ(k.text(u"ad"), QStringLiteral("Тверь"));

    // A second edit while editing changes nothing; delete while inserting abandons the new row.
    k.append();
    k.edit();
    EXPECT_EQ(k.state(), DataSet::State::Insert);
    k.remove();
    EXPECT_EQ(k.state(), DataSet::State::Browse);
    EXPECT_EQ(k.recordCount(), 1);

    DataSet& query = store->dataSet(u"ADOQuery_bl");
    query.open();
    EXPECT_EQ(errorOf([&] { query.append(); }), QStringLiteral("ADOQuery_bl: эти данные только для чтения"));
    DataSet& closed = store->dataSet(u"ADOQuery11");
    EXPECT_FALSE(closed.isOpen());
    EXPECT_EQ(errorOf([&] { closed.first(); }), QStringLiteral("ADOQuery11: данные закрыты; перезапустите программу"));
}

TEST(DataSet, ObserversFollowRowsStatesAndPendingTexts)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& k = store->dataSet(u"ADOTable_k");
    addCounterparty(k, QStringLiteral("Альфа"));
    addCounterparty(k, QStringLiteral("Бета"));
    RecordingObserver observer;
    k.addObserver(&observer);
    k.first();
    EXPECT_EQ(observer.events, QStringList{QStringLiteral("row")});
    observer.events.clear();

    // A pending text written by a bound box when the row is left reaches the store.
    k.edit();
    observer.pendingText = QStringLiteral("Адрес из поля ввода");
    k.next();
    EXPECT_TRUE(observer.events.contains(QStringLiteral("pending")));
    EXPECT_TRUE(observer.events.contains(QStringLiteral("field:ad")));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("Бета"));
    k.first();
    EXPECT_EQ(k.text(u"ad"), QStringLiteral("Адрес из поля ввода"));

    int afterInsertCalls = 0;
    k.afterInsert = [&](DataSet& ds) {
        ++afterInsertCalls;
        ds.setValue(u"dd", QDate(2010, 1, 1));
    };
    // Defaults alone do not make a new row worth saving: left, it is dropped; written into, it is stored.
    k.append();
    EXPECT_EQ(afterInsertCalls, 1);
    EXPECT_FALSE(k.isModified());
    EXPECT_TRUE(k.isUntouchedNewRow());
    k.first();
    EXPECT_EQ(k.recordCount(), 2);
    k.append();
    k.setText(u"k", QStringLiteral("Гамма"));
    k.first();
    EXPECT_EQ(k.recordCount(), 3);
    EXPECT_EQ(afterInsertCalls, 2);
    k.removeObserver(&observer);
}

TEST(DataSet, FiltersMatchIgnoringCaseAndQuoteApostrophes)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& k = store->dataSet(u"ADOTable_k");
    for (const char16_t* name : {u"ООО Ромашка", u"O'Brien Trading", u"ооо ромашка", u"Вектор"})
        addCounterparty(k, QString::fromUtf16(name));
    struct Case { QString filter; int count; };
    const Case cases[] = {
        {QString(), 4},
        {QStringLiteral("   "), 4},
        {textEqualsFilter(QStringLiteral("k"), QStringLiteral("ООО РОМАШКА")), 2},
        {textEqualsFilter(QStringLiteral("k"), QStringLiteral("o'brien trading")), 1},
        {textEqualsFilter(QStringLiteral("k"), QStringLiteral("Нет такого")), 0},
        {QStringLiteral("k ='Вектор' Or k ='O''Brien Trading'"), 2},
        {QStringLiteral("k <> 'вектор'"), 3},
    };
    for (const Case& c : cases) {
        k.setFilter(c.filter);
        EXPECT_EQ(k.recordCount(), c.count) << c.filter.toStdString();
    }
    k.setFilter(textEqualsFilter(QStringLiteral("k"), QStringLiteral("вектор")));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("Вектор"));
    k.setFiltered(false);
    EXPECT_EQ(k.recordCount(), 4);
    k.setFiltered(true);
    EXPECT_EQ(k.recordCount(), 1);

    // A broken filter is refused with a clear message and the old one stays.
    for (const char* bad : {"k ='O'Brien'", "k =", "nosuch = 1", "k ='x' And", "dd >=32.13.2010"}) {
        QString text = errorOf([&] { k.setFilter(QString::fromUtf8(bad)); });
        EXPECT_TRUE(text.startsWith(QStringLiteral("Неверное условие отбора"))) << bad << " " << text.toStdString();
    }
    EXPECT_EQ(k.recordCount(), 1);
}

TEST(DataSet, NumberAndPeriodFilters)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& jur = store->jur();
    const QDate dates[] = {QDate(2009, 12, 31), QDate(2010, 1, 1), QDate(2010, 2, 15), QDate(2010, 3, 31), QDate(2010, 4, 1)};
    for (QDate date : dates) {
        jur.append();
        jur.setValue(u"dd", date);
        jur.post();
    }
    jur.append();                          // an entry without a date is in no period
    jur.setText(u"nn", QStringLiteral("1"));
    jur.post();
    jur.setFilter(periodFilter(QStringLiteral("dd"), QDate(2010, 1, 1), QDate(2010, 3, 31)));
    EXPECT_EQ(jur.filter(), QStringLiteral("dd >=01.01.2010 And dd <=31.03.2010"));
    EXPECT_EQ(jur.recordCount(), 3);
    jur.setFilter(QStringLiteral("n=4"));
    EXPECT_EQ(jur.recordCount(), 1);
    EXPECT_EQ(jur.date(u"dd"), QDate(2010, 3, 31));
    jur.setFilter(QStringLiteral("n=40000"));
    EXPECT_EQ(jur.recordCount(), 0);
    EXPECT_TRUE(jur.eof());
    EXPECT_TRUE(jur.isNull(u"dd"));
}

TEST(DataSet, SortOrdersAndLocate)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& k = store->dataSet(u"ADOTable_k");
    const char16_t* names[] = {u"бета", u"Альфа", u"Гамма", u"альфа-2", u"Beta"};
    int day = 1;
    for (const char16_t* name : names) {
        k.append();
        k.setText(u"k", QString::fromUtf16(name));
        k.setValue(u"dd", QDate(2010, 1, day++));
        k.post();
    }
    auto order = [&] {
        QStringList out;
        for (int i = 0; i < k.recordCount(); ++i)
            out << k.valueAt(i, k.fieldIndex(u"k")).toText();
        return out.join(u',');
    };
    k.setSort(QStringLiteral("k"));
    EXPECT_EQ(order(), QStringLiteral("Альфа,альфа-2,бета,Гамма,Beta"));
    k.setSort(QStringLiteral("dd DESC"));
    EXPECT_EQ(order(), QStringLiteral("Beta,альфа-2,Гамма,Альфа,бета"));
    k.setSort(QString());
    EXPECT_EQ(order(), QStringLiteral("бета,Альфа,Гамма,альфа-2,Beta"));
    EXPECT_THROW(k.setSort(QStringLiteral("nosuch")), UserError);

    k.setSort(QStringLiteral("k"));
    EXPECT_TRUE(k.locate(u"k", u"АЛЬФА-"));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("альфа-2"));
    EXPECT_TRUE(k.locate(u"k", u"г"));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("Гамма"));
    EXPECT_FALSE(k.locate(u"k", u"Дельта"));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("Гамма"));   // no match keeps the row

    // The current row survives a new order.
    k.setSort(QStringLiteral("dd DESC"));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("Гамма"));
}

TEST(Concurrency, AWriteMeetingAnotherProgramsLockFailsClearlyAndLosesNothing)
{
    TempDatabase db;
    auto store = db.openStore();
    store->database().setBusyTimeout(20);
    DataSet& sr = store->dataSet(u"ADOTable_sr");
    sr.append();
    sr.setText(u"sr", QStringLiteral("Оплата"));
    sr.post();

    auto other = Database::open(db.path());
    {
        Database::Transaction lock(*other);
        other->exec(QStringLiteral("UPDATE pr1 SET np = 'x'"));
        sr.append();
        sr.setText(u"sr", QStringLiteral("Аренда"));
        QString text = errorOf([&] { sr.post(); });
        EXPECT_TRUE(text.contains(QStringLiteral("занята другой программой"))) << text.toStdString();
        EXPECT_EQ(sr.state(), DataSet::State::Insert);   // the row is still there to save again
    }
    sr.post();
    EXPECT_EQ(db.openStore()->dataSet(u"ADOTable_sr").recordCount(), 2);

    // A row changed by another program since it was read is not overwritten unseen.
    other->exec(QStringLiteral("UPDATE sr SET vr = 'Расход' WHERE sr = 'Оплата'"));
    sr.first();
    sr.edit();
    sr.setText(u"vr", QStringLiteral("Приход"));
    EXPECT_TRUE(errorOf([&] { sr.post(); }).startsWith(QStringLiteral("Запись изменена на другом рабочем месте")));
    sr.cancel();
    sr.refresh();
    EXPECT_EQ(sr.text(u"vr"), QStringLiteral("Расход"));
}

TEST(DataSet, MovingToALineBelowAnAbandonedNewRowLandsOnThatRow)
{
    TempDatabase db;
    auto store = db.openStore();
    DataSet& k = store->dataSet(u"ADOTable_k");
    for (const char* name : {"A", "B", "C"})
        addCounterparty(k, QString::fromLatin1(name));
    k.first();
    k.insert();                          // a new row at line 0 pushes A, B, C down a line
    k.moveToPosition(2);                 // the line of B while the new row stands above it
    EXPECT_EQ(k.recordCount(), 3);
    EXPECT_EQ(k.text(u"k"), QStringLiteral("B"));
}

TEST(Filters, NestingIsLimitedAndLongTextsAreCutInMessages)
{
    const std::vector<FieldDef>& fields = schemaTables().front().fields;
    const QString field = fields.front().name;
    auto nested = [&](int depth) { return QString(depth, u'(') + field + QStringLiteral(" IS NULL") + QString(depth, u')'); };
    auto chained = [&](int length) {
        QStringList parts;
        for (int i = 0; i < length; ++i)
            parts << field + QStringLiteral(" IS NULL");
        return parts.join(QStringLiteral(" Or "));
    };
    const struct {
        const char* what;
        QString text;
        bool accepted;
    } cases[] = {
        {"400 brackets", nested(400), true},
        {"21,700 brackets", nested(21700), false},
        {"10,000 Not", QStringLiteral("Not ").repeated(10000) + field + QStringLiteral(" IS NULL"), false},
        {"chain of 400", chained(400), true},
        {"chain of 5,000", chained(5000), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString error = errorOf([&] { FilterExpression::parse(c.text, fields); });
        if (c.accepted) {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
            continue;
        }
        EXPECT_TRUE(error.contains(QStringLiteral("вложенность условий больше 500 уровней"))) << error.left(300).toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("… (всего %1 знаков)").arg(c.text.size())));
        EXPECT_LT(error.size(), 300);
    }
}
