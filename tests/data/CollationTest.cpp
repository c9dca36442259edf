// Russian alphabetical order, letter case ignored, the same in the store's queries and in memory.
#include "tests/TestStore.h"
#include "data/RuCollation.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace vi23 {
namespace {

using test::Store;
using test::TempDatabase;

const QStringList kOrdered = {QStringLiteral("Еж"),      QStringLiteral("Ёлка"),    QStringLiteral("Жук"),
                              QStringLiteral("Федотов"), QStringLiteral("Фёдоров"), QStringLiteral("Фролов"),
                              QStringLiteral("Яблоко"),  QStringLiteral("Apple")};
const QStringList kShuffled = {QStringLiteral("Яблоко"), QStringLiteral("Фролов"), QStringLiteral("Apple"),
                               QStringLiteral("Ёлка"),   QStringLiteral("Фёдоров"), QStringLiteral("Жук"),
                               QStringLiteral("Федотов"), QStringLiteral("Еж")};

class RussianOrderIn : public ::testing::TestWithParam<Store> {};

TEST_P(RussianOrderIn, EveryTextSortPutsYoBesideYe)
{
    VI23_REQUIRE_STORE(GetParam());
    TempDatabase db(GetParam());
    auto store = db.openStore();
    DataSet& counterparties = store->dataSet(u"ADOTable_k");
    DataSet& operations = store->dataSet(u"ADOTable_sr");
    DataSet& journal = store->dataSet(u"ADOTable_jur");
    operations.append();
    operations.setText(u"sr", QStringLiteral("Оплата"));
    operations.post();
    for (const QString& name : kShuffled) {
        counterparties.append();
        counterparties.setText(u"k", name);
        counterparties.post();
        journal.append();
        journal.setText(u"k", name.toUpper());   // case does not count
        journal.setText(u"sr", QStringLiteral("Оплата"));
        journal.setValue(u"dd", QDate(2026, 3, 1));
        journal.post();
    }
    auto column = [](DataSet& set, QStringView field) {
        QStringList out;
        for (int i = 0; i < set.recordCount(); ++i)
            out << set.valueAt(i, set.fieldIndex(field)).toText();
        return out;
    };
    auto sql = [&](const QString& text) {
        QStringList out;
        Statement s = store->database().prepare(text);
        while (s.step())
            out << s.text(0);
        return out;
    };
    QStringList upper;
    for (const QString& name : kOrdered)
        upper << name.toUpper();

    QStringList inMemory = kShuffled;
    std::sort(inMemory.begin(), inMemory.end(), [](const QString& a, const QString& b) { return ruCompare(a, b) < 0; });
    counterparties.setSort(QStringLiteral("k"));
    DataSet& book = store->dataSet(u"ADOQueryss");
    book.open();

    // The server's collation ignores case but cannot be tailored: its queries sort by the key.
    std::vector<std::pair<const char*, QStringList>> orders = {
        {"ruCompare", inMemory},
        {"data set sort", column(counterparties, u"k")},
        {"key function", sql(QStringLiteral("SELECT k FROM k ORDER BY runocase_key(k)"))},
    };
    if (GetParam() == Store::File)
        orders.push_back({"collation", sql(QStringLiteral("SELECT k FROM k ORDER BY k COLLATE RUNOCASE"))});
    for (const auto& [how, order] : orders)
        EXPECT_EQ(order, kOrdered) << how;
    // Joined ignoring case: every upper-case journal name finds its counterparty.
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM jur JOIN k ON jur.k = k.k COLLATE RUNOCASE")),
              QStringList{QString::number(kOrdered.size())});
    EXPECT_EQ(column(book, u"k"), upper) << "counterparty book";
}

VI23_INSTANTIATE_ON_BOTH_STORES(RussianOrderIn);

TEST(RussianOrder, EqualityStillIgnoresOnlyLetterCase)
{
    struct Case {
        const char16_t *a, *b;
        int order;
    };
    const Case cases[] = {
        {u"ёлка", u"ЁЛКА", 0}, {u"Елка", u"Ёлка", -1}, {u"ООО «Север»", u"ооо «север»", 0},
        {u"Север", u"Север ", -1}, {u"а-б", u"аб", -1}, {u"Z", u"Я", 1}, {u"", u"а", -1},
    };
    TempDatabase db;
    auto store = db.openStore();
    for (const Case& c : cases) {
        const QString a = QString::fromUtf16(c.a), b = QString::fromUtf16(c.b);
        EXPECT_EQ(ruCompare(a, b), c.order) << a.toStdString() << " " << b.toStdString();
        EXPECT_EQ(ruCompare(b, a), -c.order);
        const int keyOrder = ruSortKey(a).compare(ruSortKey(b));
        EXPECT_EQ(keyOrder < 0 ? -1 : keyOrder > 0 ? 1 : 0, c.order) << a.toStdString();
        Statement s = store->database().prepare(QStringLiteral("SELECT ? = ? COLLATE RUNOCASE"));
        s.bind(1, Value(a));
        s.bind(2, Value(b));
        ASSERT_TRUE(s.step());
        EXPECT_EQ(s.text(0), c.order == 0 ? QStringLiteral("1") : QStringLiteral("0")) << a.toStdString();
    }
}

} // namespace
} // namespace vi23
