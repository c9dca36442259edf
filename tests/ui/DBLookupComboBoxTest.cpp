#include "tests/ui/UiFixture.h"
#include "ui/DBLookupComboBox.h"

#include <QAbstractItemView>
#include <QTest>

namespace vi23::test {
namespace {

const QString kLong = QString(40, u'Я');

class DBLookupComboBoxTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        counterparties = &dataSet(u"ADOTable_k");
        for (const QString& name : {QStringLiteral("Альфа"), QStringLiteral("альтаир"), QStringLiteral("Бета"),
                                    QStringLiteral("Вега"), kLong})
            addRow(*counterparties, {{"k", name}});
        jur = &dataSet(u"ADOTable_jur");
        addRow(*jur, {{"k", "Бета"}, {"nn", "1"}});
        jur->first();
        showWindow();
        box = lookup(source(u"ADOTable_jur"));
    }

    ui::DBLookupComboBox* lookup(ui::DataSource* target)
    {
        auto* combo = new ui::DBLookupComboBox(window());
        combo->setGeometry(10, 10, 300, 24);
        combo->setDataSource(target);
        combo->setDataField(QStringLiteral("k"));
        combo->setListSource(source(u"ADOTable_k"));
        combo->setListField(QStringLiteral("k"));
        combo->setClock([this] { return now; });
        combo->show();
        return combo;
    }

    QStringList entries() const
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }

    QStringList listInDataSetOrder() const
    {
        QStringList list;
        for (int i = 0; i < counterparties->recordCount(); ++i)
            list << counterparties->valueAt(i, 0).toText();
        return list;
    }

    DataSet* counterparties = nullptr;
    DataSet* jur = nullptr;
    ui::DBLookupComboBox* box = nullptr;
    qint64 now = 0;
};

TEST_F(DBLookupComboBoxTest, ListIsTheListFieldOfEveryVisibleRowInItsCurrentOrder)
{
    EXPECT_EQ(entries(), (QStringList{"Альфа", "альтаир", "Бета", "Вега", kLong}));
    struct Case {
        const char* name;
        std::function<void()> change;
        int count;
    };
    const std::vector<Case> cases = {
        {"descending", [this] { counterparties->setSort(QStringLiteral("k DESC")); }, 5},
        {"ascending", [this] { counterparties->setSort(QStringLiteral("k")); }, 5},
        {"filtered", [this] { counterparties->setFilter(QStringLiteral("k ='бета'")); }, 1},
        {"unfiltered", [this] { counterparties->setFilter({}); }, 5},
        {"row added", [this] { addRow(*counterparties, {{"k", "Гамма"}}); }, 6},
        {"row deleted", [this] { counterparties->remove(); }, 5},
        {"closed", [this] { counterparties->close(); }, 0},
        {"opened", [this] { counterparties->open(); }, 5},
        {"read order", [this] { counterparties->setSort({}); }, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        EXPECT_EQ(box->count(), c.count);
        EXPECT_EQ(entries(), listInDataSetOrder());
        EXPECT_EQ(box->currentText(), c.count > 1 ? "Бета" : box->currentText());
    }
    EXPECT_EQ(entries(), (QStringList{"Альфа", "альтаир", "Бета", "Вега", kLong})) << entries().join(u'|').toStdString();
    EXPECT_EQ(jur->state(), DataSet::State::Browse);
}

TEST_F(DBLookupComboBoxTest, ShowsTheFieldsValueAlsoWhenTheListLacksIt)
{
    struct Case {
        QString value;
        int index;
        QString placeholder;
    };
    const std::vector<Case> cases = {
        {"Вега", 3, ""}, {"Неизвестный", -1, "Неизвестный"}, {"вега", -1, "вега"}, {"", -1, ""}, {"Бета", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        jur->edit();
        jur->setText(u"k", c.value);
        EXPECT_EQ(box->currentIndex(), c.index);
        EXPECT_EQ(box->placeholderText(), c.placeholder);
        if (c.index >= 0) {
            EXPECT_EQ(box->currentText(), c.value);
        }
        jur->post();
    }
}

TEST_F(DBLookupComboBoxTest, ChoosingAnEntryWritesItAtOnceStartingEditing)
{
    struct Case {
        const char* name;
        std::function<void()> choose;
        QString chosen;
    };
    const std::vector<Case> cases = {
        {"list",
         [this] {
             box->showPopup();
             box->view()->setCurrentIndex(box->model()->index(3, 0));
             QTest::keyClick(box->view(), Qt::Key_Return);
         },
         "Вега"},
        {"arrow key", [] { press(Qt::Key_Up); }, "альтаир"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        focus(box);
        ASSERT_EQ(jur->state(), DataSet::State::Browse);
        c.choose();
        EXPECT_EQ(jur->state(), DataSet::State::Edit);
        EXPECT_EQ(jur->text(u"k"), c.chosen);
        EXPECT_EQ(box->currentText(), c.chosen);
        jur->post();
        EXPECT_EQ(storedText("jur", "k", 0), c.chosen);
        jur->edit();
        jur->setText(u"k", QStringLiteral("Бета"));
        jur->post();
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBLookupComboBoxTest, TypedLettersSearchTheListByTheStartOfItsEntries)
{
    struct Key {
        qint64 at;           // ms
        QString text;        // empty: the special key
        Qt::Key special = Qt::Key_unknown;
    };
    struct Case {
        const char* name;
        std::vector<Key> keys;
        QString search;
        QString value;
    };
    const std::vector<Case> cases = {
        {"one letter, case ignored", {{0, "а"}}, "а", "Альфа"},
        {"letters add up", {{0, "а"}, {500, "л"}, {1000, "ь"}, {1500, "т"}}, "альт", "альтаир"},
        {"capitals", {{0, "А"}, {10, "Л"}, {20, "Ь"}, {30, "Т"}}, "АЛЬТ", "альтаир"},
        {"just under 2 s", {{0, "б"}, {1999, "е"}}, "бе", "Бета"},
        {"2 s pause starts anew", {{0, "б"}, {2000, "в"}}, "в", "Вега"},
        {"unmatched letter dropped", {{0, "б"}, {1999, "в"}}, "б", "Бета"},
        {"unmatched first letter", {{0, "щ"}}, "", "Бета"},
        {"backspace clears", {{0, "в"}, {100, {}, Qt::Key_Backspace}, {200, "а"}}, "а", "Альфа"},
        {"escape clears", {{0, "в"}, {100, {}, Qt::Key_Escape}, {200, "б"}}, "б", "Бета"},
    };
    focus(box);
    qint64 base = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        base += 100000;
        for (const Key& key : c.keys) {
            now = base + key.at;
            if (key.text.isEmpty())
                press(key.special);
            else
                type(key.text);
        }
        EXPECT_EQ(box->searchText(), c.search);
        EXPECT_EQ(jur->text(u"k"), c.value);
        EXPECT_EQ(box->currentText(), c.value);
        jur->cancel();
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBLookupComboBoxTest, SearchTextStopsAt32Characters)
{
    focus(box);
    now = 50000;
    for (int i = 0; i < 33; ++i) {
        now += 10;
        type(QStringLiteral("я"));
    }
    EXPECT_EQ(box->searchText(), QString(32, u'я'));
    EXPECT_EQ(jur->text(u"k"), kLong);
}

TEST_F(DBLookupComboBoxTest, SearchWritesAtOnceAndAnUnmatchedLetterWritesNothing)
{
    focus(box);
    type(QStringLiteral("щ"));
    EXPECT_EQ(jur->state(), DataSet::State::Browse);
    now += 5000;
    type(QStringLiteral("в"));
    EXPECT_EQ(jur->state(), DataSet::State::Edit);
    EXPECT_TRUE(jur->isModified());
    jur->post();
    EXPECT_EQ(storedText("jur", "k", 0), "Вега");
}

TEST_F(DBLookupComboBoxTest, AFailedWriteIsShownAndTheStoredValueStays)
{
    // The settlements query cannot be written to.
    dataSet(u"ADOQueryss").open();
    ui::DBLookupComboBox* readOnly = lookup(source(u"ADOQueryss"));
    focus(readOnly);
    type(QStringLiteral("в"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, "Вельмар");
    EXPECT_TRUE(errors[0].second.contains(QStringLiteral("только для чтения"))) << errors[0].second.toStdString();
    EXPECT_EQ(readOnly->currentIndex(), -1);
}

} // namespace
} // namespace vi23::test
