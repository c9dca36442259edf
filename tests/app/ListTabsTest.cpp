#include "MainWindowFixture.h"

#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBLookupComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace vi23;
using vi23::test::MainWindowTest;

namespace {

class Lists : public MainWindowTest {
protected:
    void fill(DataStore& store) override
    {
        DataSet& k = store.dataSet(u"ADOTable_k");
        const std::pair<const char16_t*, int> names[] = {{u"ооо Бета", 3}, {u"ООО Альфа", 1}, {u"Зета", 2}};
        for (const auto& [name, day] : names) {
            k.append();
            k.setText(u"k", QString::fromUtf16(name));
            k.setValue(u"dd", QDate(2010, 1, day));
            k.post();
        }
    }
};

// One row per list: its buttons, the field typed and the inputMode values around its save.
struct ListCase {
    const char* name;
    const char16_t* dataSet;
    const char* add;
    const char* edit;
    const char* remove;
    const char* save;
    const char16_t* field;
    int mode;
    int afterSave;
};

const ListCase kLists[] = {
    {"goods", u"ADOTable_stov", "Button33", "Button34", "Button35", "Button36", u"naz", 5, 25},
    {"operations", u"ADOTable_sr", "Button9", "Button19", "Button18", "Button21", u"sr", 3, 25},
    {"counterparties", u"ADOTable_k", "Button12", "Button17", "Button2", "Button22", u"k", 7, 17},
};

} // namespace

TEST_F(Lists, AddEditSaveAndDeleteOnEveryList)
{
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.name);
        DataSet& list = dataSet(c.dataSet);
        const int before = list.recordCount();
        click(c.add);
        EXPECT_EQ(window->state().inputMode, c.mode);
        list.setText(c.field, QStringLiteral("Новая строка"));      // as typed into the grid
        click(c.save);
        EXPECT_EQ(window->state().inputMode, c.afterSave);
        EXPECT_EQ(list.recordCount(), before + 1);
        EXPECT_EQ(list.state(), DataSet::State::Browse);

        // Saving outside the list's mode stores nothing; the row stays in editing.
        click(c.edit);
        list.setText(c.field, QStringLiteral("Изменённая строка"));
        window->state().inputMode = 0;
        click(c.save);
        EXPECT_EQ(list.state(), DataSet::State::Edit);
        EXPECT_EQ(window->state().inputMode, c.afterSave);
        click(c.edit);
        click(c.save);
        EXPECT_EQ(list.text(c.field), QStringLiteral("Изменённая строка"));

        // The list's mode while nothing is being written: the store's error, every time.
        window->state().inputMode = c.mode;
        errors.clear();
        click(c.save);
        click(c.save);
        EXPECT_EQ(errors, QStringList(2, QStringLiteral("Dataset not in edit or insert mode")));
        EXPECT_EQ(window->state().inputMode, c.mode);

        click(c.remove);
        EXPECT_EQ(list.recordCount(), before);
    }
}

TEST_F(Lists, DeleteOnAnEmptyListReportsTheError)
{
    click("Button35");
    click("Button18");
    EXPECT_EQ(errors, QStringList(2, QStringLiteral("Cannot perform this operation on an empty dataset")));
}

TEST_F(Lists, AddingAnOperationShowsIncomeAndANewCounterpartyIsDatedToday)
{
    click("Button9");
    EXPECT_EQ(child<QComboBox>("DBComboBox7")->currentText(), QStringLiteral("Приход"));
    child<ui::DBEdit>("DBEditOperation")->setPendingText(QStringLiteral("Продажа"));
    click("Button21");
    EXPECT_EQ(dataSet(u"ADOTable_sr").text(u"vr"), QStringLiteral("Приход"));

    click("Button12");
    dataSet(u"ADOTable_k").setText(u"k", QStringLiteral("Новый"));
    click("Button22");
    EXPECT_EQ(dataSet(u"ADOTable_k").date(u"dd"), QDate::currentDate());
    window->FormActivate();
    dataSet(u"ADOTable_k").first();
    EXPECT_EQ(dataSet(u"ADOTable_k").text(u"k"), QStringLiteral("Новый"));   // newest first
}

TEST_F(Lists, APriceOrRateThatIsNotANumberIsRefused)
{
    click("Button33");
    DataSet& goods = dataSet(u"ADOTable_stov");
    goods.setText(u"naz", QStringLiteral("Гвоздь"));
    EXPECT_THROW(goods.setText(u"cen", QStringLiteral("дёшево")), UserError);
    EXPECT_THROW(goods.setText(u"nds", QStringLiteral("18%")), UserError);
    click("Button36");
    EXPECT_EQ(countRows("stov"), 1);
    EXPECT_TRUE(goods.isNull(u"cen"));
}

TEST_F(Lists, CounterpartySearchOrdersByNameAndTheJournalListFollows)
{
    vi23::test::typeInto(child<QLineEdit>("Edit2"), QStringLiteral("ооо б"));
    DataSet& k = dataSet(u"ADOTable_k");
    EXPECT_EQ(k.text(u"k"), QStringLiteral("ооо Бета"));
    EXPECT_EQ(k.recordCount(), 3);                          // nothing is filtered out
    auto* journalList = child<QComboBox>("DBL3");
    ASSERT_EQ(journalList->count(), 3);
    EXPECT_EQ(journalList->itemText(0), QStringLiteral("Зета"));
    EXPECT_EQ(journalList->itemText(1), QStringLiteral("ООО Альфа"));
    EXPECT_EQ(journalList->itemText(2), QStringLiteral("ооо Бета"));
    vi23::test::typeInto(child<QLineEdit>("Edit2"), QStringLiteral("ы"));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("ооо Бета"));   // no match: the row stays
}

TEST_F(Lists, RequisitesAreEditedAndSavedOnlyInTheirMode)
{
    auto* name = child<ui::DBEdit>("DBEdit_pr1_np");
    click("Button6");
    EXPECT_EQ(window->state().inputMode, 2);
    name->setPendingText(QStringLiteral("ООО «Ромашка»"));
    click("Button7");
    EXPECT_EQ(window->state().inputMode, 25);
    auto db = Database::open(path);
    Statement row = db->prepare(QStringLiteral("SELECT np FROM pr1"));
    ASSERT_TRUE(row.step());
    EXPECT_EQ(row.text(0), QStringLiteral("ООО «Ромашка»"));
}
