#include "tests/ui/UiFixture.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace vi23::test {
namespace {

class DBGridTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        goods = &dataSet(u"ADOTable_stov");
        addRow(*goods, {{"naz", "Болт"}, {"eu", "шт"}, {"cen", "1,5"}, {"nds", "18"}});
        addRow(*goods, {{"naz", "Гайка"}, {"eu", "шт"}, {"cen", "0,75"}, {"nds", "20"}});
        addRow(*goods, {{"naz", "Шайба"}, {"eu", "кг"}, {"cen", "100"}, {"nds", "0"}});
        goods->first();
        goodsSource = source(u"ADOTable_stov");
        grid = new ui::DBGrid(window());
        grid->setObjectName(QStringLiteral("DBGrid5"));
        grid->setGeometry(10, 60, 600, 300);
        grid->setDataSource(goodsSource);
        grid->addColumn(QStringLiteral("naz"), QStringLiteral("Наименование товара, работы"), 200);
        grid->addColumn(QStringLiteral("eu"), QStringLiteral("Ед.изм"), 50);
        grid->addColumn(QStringLiteral("cen"), QStringLiteral("Цена единицы"), 90);
        grid->addColumn(QStringLiteral("nds"), QStringLiteral("Ст.НДС"), 60);
        showWindow();
    }

    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }
    QStringList names() const
    {
        QStringList list;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            list << cell(row, 0);
        return list;
    }
    QStringList namesInDataSetOrder() const
    {
        QStringList list;
        for (int row = 0; row < goods->recordCount(); ++row)
            list << goods->valueAt(row, 0).toText();
        return list;
    }
    int selectedLine() const
    {
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows[0].row() : -1;
    }
    // Enter commits a cell editor once the event has been handled.
    static void commitCell()
    {
        press(Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    void clickLine(int row, int column = 0)
    {
        const QRect rect = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }

    DataSet* goods = nullptr;
    ui::DataSource* goodsSource = nullptr;
    ui::DBGrid* grid = nullptr;
};

TEST_F(DBGridTest, ShowsOneLinePerVisibleRowWithTheGivenColumns)
{
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->columnCount(), 4);
    EXPECT_EQ((QStringList{cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3)}), (QStringList{"Болт", "шт", "1,50", "18"}));
    EXPECT_EQ(cell(1, 2), "0,75");
    const QStringList titles = {"Наименование товара, работы", "Ед.изм", "Цена единицы", "Ст.НДС"};
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(grid->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
    EXPECT_EQ(grid->columnWidth(0), 200);
    grid->setColumnWidthFor(QStringLiteral("cen"), 120);
    EXPECT_EQ(grid->columnWidth(2), 120);
    EXPECT_TRUE(grid->verticalHeader()->isHidden());
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(selectedLine(), 0);
}

TEST_F(DBGridTest, LinesFollowTheRowsOfTheDataSet)
{
    struct Case {
        const char* name;
        std::function<void()> change;
        int lines;
    };
    const std::vector<Case> cases = {
        {"descending", [this] { goods->setSort(QStringLiteral("naz DESC")); }, 3},
        {"current row kept by a new order", [this] { goods->last(); goods->setSort(QStringLiteral("naz")); }, 3},
        {"filtered", [this] { goods->setFilter(QStringLiteral("naz ='гайка'")); }, 1},
        {"unfiltered", [this] { goods->setFilter({}); }, 3},
        {"row being added", [this] { goods->append(); }, 4},
        {"added row saved", [this] { goods->setText(u"naz", QStringLiteral("Винт")); goods->post(); }, 4},
        {"row deleted", [this] { goods->first(); goods->remove(); }, 3},
        {"closed", [this] { goods->close(); }, 0},
        {"opened", [this] { goods->open(); }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        EXPECT_EQ(grid->model()->rowCount(), c.lines);
        EXPECT_EQ(names(), namesInDataSetOrder());
        EXPECT_EQ(selectedLine(), goods->isOpen() ? goods->position() : -1);
    }
    EXPECT_EQ(names(), (QStringList{"Винт", "Гайка", "Шайба"}));
}

TEST_F(DBGridTest, TheSelectedLineFollowsTheCurrentRow)
{
    struct Case {
        const char* name;
        std::function<void()> move;
        int line;
    };
    const std::vector<Case> cases = {
        {"last", [this] { goods->last(); }, 2},
        {"prior", [this] { goods->prior(); }, 1},
        {"first", [this] { goods->first(); }, 0},
        {"locate", [this] { goods->locate(u"naz", u"ш"); }, 2},
        {"value changed", [this] { goods->edit(); goods->setText(u"cen", QStringLiteral("2")); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.move();
        EXPECT_EQ(selectedLine(), c.line);
        EXPECT_EQ(grid->currentIndex().row(), c.line);
    }
    EXPECT_EQ(cell(2, 2), "2,00");                // money in whole kopecks, as printed
}

TEST_F(DBGridTest, SelectingALineMakesItsRowCurrent)
{
    struct Case {
        const char* name;
        std::function<void()> select;
        int row;
    };
    const std::vector<Case> cases = {
        {"click", [this] { clickLine(2); }, 2},
        {"arrow up", [] { press(Qt::Key_Up); }, 1},
        {"click on another column", [this] { clickLine(0, 3); }, 0},
        {"arrow down", [] { press(Qt::Key_Down); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.select();
        EXPECT_EQ(focused(), grid);
        EXPECT_EQ(goods->position(), c.row);
        EXPECT_EQ(selectedLine(), c.row);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBGridTest, LeavingARowThroughTheGridWritesPendingTextsAndSavesIt)
{
    auto* name = new ui::DBEdit(window());
    name->setGeometry(10, 10, 200, 24);
    name->setDataSource(goodsSource);
    name->setDataField(QStringLiteral("naz"));
    name->show();
    focus(name);
    type(QStringLiteral(" М6"));
    ASSERT_EQ(goods->state(), DataSet::State::Edit);
    clickLine(1);
    EXPECT_EQ(goods->state(), DataSet::State::Browse);
    EXPECT_EQ(goods->position(), 1);
    EXPECT_EQ(storedText("stov", "naz", 0), "Болт М6");
    EXPECT_EQ(cell(0, 0), "Болт М6");
    EXPECT_EQ(name->text(), "Гайка");

    // A row that was only opened for editing is left unchanged and unsaved.
    goods->edit();
    clickLine(2);
    EXPECT_EQ(goods->state(), DataSet::State::Browse);
    EXPECT_EQ(goods->position(), 2);
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBGridTest, ANewRowLeftUnchangedIsDroppedWhenAnotherLineIsSelected)
{
    goods->append();
    ASSERT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(selectedLine(), 3);
    clickLine(1);
    EXPECT_EQ(goods->state(), DataSet::State::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(goods->position(), 1);
    EXPECT_EQ(selectedLine(), 1);
    EXPECT_EQ(names(), (QStringList{"Болт", "Гайка", "Шайба"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBGridTest, ARowThatCannotBeLeftKeepsItsLineSelected)
{
    auto* price = new ui::DBEdit(window());
    price->setDataSource(goodsSource);
    price->setDataField(QStringLiteral("cen"));
    goods->edit();
    price->setPendingText(QStringLiteral("1,2,3"));
    clickLine(2);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, "Вельмар");
    EXPECT_EQ(goods->position(), 0);
    EXPECT_EQ(goods->state(), DataSet::State::Edit);
    QCoreApplication::processEvents();
    EXPECT_EQ(selectedLine(), 0);
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(DBGridTest, EditableGridChangesTheCurrentRowAndSavesItWhenLeft)
{
    grid->setReadOnly(false);
    clickLine(1);
    type(QStringLiteral("Винт"));
    commitCell();
    EXPECT_EQ(goods->state(), DataSet::State::Edit);
    EXPECT_EQ(goods->text(u"naz"), "Винт");
    EXPECT_EQ(cell(1, 0), "Винт");
    EXPECT_EQ(storedText("stov", "naz", 1), "Гайка");
    clickLine(2);
    EXPECT_EQ(goods->state(), DataSet::State::Browse);
    EXPECT_EQ(storedText("stov", "naz", 1), "Винт");
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBGridTest, EditableGridCellsTakeOnlyWhatTheFieldCanHold)
{
    grid->setReadOnly(false);
    clickLine(1, 2);
    type(QStringLiteral("x"));
    EXPECT_EQ(beeps, 1);
    type(QStringLiteral("1,2,3"));
    EXPECT_EQ(beeps, 1);
    commitCell();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, "Вельмар");
    // The row is being edited, its value unchanged, and the same cell is open again with its text
    // selected, so the correction lands there and not in the next column.
    EXPECT_EQ(goods->state(), DataSet::State::Edit);
    EXPECT_EQ(cell(1, 2), "0,75");
    QCoreApplication::processEvents();                 // the cell opens again once the editor is closed
    auto* price = qobject_cast<QLineEdit*>(focused());
    ASSERT_NE(price, nullptr);
    EXPECT_TRUE(grid->isAncestorOf(price));
    EXPECT_EQ(grid->currentIndex().column(), 2);
    EXPECT_EQ(price->selectedText(), "0,75");
    type(QStringLiteral("1,5"));
    commitCell();
    EXPECT_EQ(cell(1, 2), "1,50");
    EXPECT_EQ(errors.size(), 1u);

    // A rate is one of those in force: a key that begins none is refused where it is typed, the cell's
    // text selected for the next key; one typed over the rate shown replaces it ("10" over 20 is 10).
    clickLine(1, 3);
    type(QStringLiteral("4"));
    EXPECT_EQ(beeps, 2);
    // The rate cell's editor is a drop-down whose line takes the keys.
    auto* choices = qobject_cast<QComboBox*>(focused());
    ASSERT_NE(choices, nullptr);
    EXPECT_TRUE(grid->isAncestorOf(choices));
    EXPECT_EQ(choices->lineEdit()->selectedText(), "20");
    type(QStringLiteral("Без"));
    EXPECT_EQ(beeps, 2);
    commitCell();
    EXPECT_EQ(cell(1, 3), "Без НДС");
    clickLine(1, 3);
    type(QStringLiteral("10"));
    commitCell();
    EXPECT_EQ(cell(1, 3), "10");
    EXPECT_EQ(errors.size(), 1u);

    // Past the field's size a key is refused with a beep, as in a box; Enter still commits.
    clickLine(1, 1);
    type(QString(15, u'ю'));
    EXPECT_EQ(beeps, 7);
    commitCell();
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(cell(1, 1), QString(10, u'ю'));
}

TEST_F(DBGridTest, CtrlDeleteInAnEditableGridAsksAndDeletes)
{
    struct Case {
        const char* name;
        bool readOnly;
        bool answer;
        size_t questions;
        QStringList left;
    };
    const std::vector<Case> cases = {
        {"read-only grid", true, true, 0, {"Болт", "Гайка", "Шайба"}},
        {"answer no", false, false, 1, {"Болт", "Гайка", "Шайба"}},
        {"answer yes", false, true, 1, {"Болт", "Шайба"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        questions.clear();
        grid->setReadOnly(c.readOnly);
        answer = c.answer;
        clickLine(1);
        press(Qt::Key_Delete, Qt::ControlModifier);
        ASSERT_EQ(questions.size(), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(questions[0], "Удалить запись?");
        }
        EXPECT_EQ(names(), c.left);
        EXPECT_EQ(namesInDataSetOrder(), c.left);
    }
    DataSet& stored = dataSet(u"ADOTable_stov");
    stored.refresh();
    EXPECT_EQ(namesInDataSetOrder(), (QStringList{"Болт", "Шайба"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBGridTest, ReadOnlyGridRefusesEdits)
{
    clickLine(1);
    type(QStringLiteral("Z"));
    press(Qt::Key_F2);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
    EXPECT_EQ(focused(), grid);   // no cell editor took it
    for (const QLineEdit* editor : grid->findChildren<QLineEdit*>())
        EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(1, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(goods->state(), DataSet::State::Browse);
    EXPECT_EQ(cell(1, 0), "Гайка");

    grid->setReadOnly(false);
    EXPECT_TRUE(grid->model()->flags(grid->model()->index(1, 0)) & Qt::ItemIsEditable);
}

TEST_F(DBGridTest, DoubleClickOnALineIsReported)
{
    QSignalSpy doubleClicks(grid, &ui::DBGrid::rowDoubleClicked);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, 1)).center());
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(goods->position(), 2);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, grid->viewport()->height() - 5));
    EXPECT_EQ(doubleClicks.count(), 1);
}

} // namespace
} // namespace vi23::test
