#include "tests/ui/UiFixture.h"
#include "ui/DBComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

namespace vi23::test {
namespace {

const QStringList kKinds = {"ПП", "КО", "ТН", "А"};

class DBComboBoxTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        jur = &dataSet(u"ADOTable_jur");
        addRow(*jur, {{"dok", "ПП"}, {"nn", "1"}});
        addRow(*jur, {{"dok", "КО"}, {"nn", "2"}});
        jur->first();
        jurSource = source(u"ADOTable_jur");
        showWindow();
    }

    ui::DBComboBox* combo(const QString& field = QStringLiteral("dok"), const QStringList& items = kKinds,
                          ui::DataSource* from = nullptr)
    {
        auto* box = new ui::DBComboBox(window());
        box->setGeometry(10, 10, 200, 24);
        box->setItems(items);
        box->setDataSource(from ? from : jurSource);
        box->setDataField(field);
        box->show();
        return box;
    }

    DataSet* jur = nullptr;
    ui::DataSource* jurSource = nullptr;
};

TEST_F(DBComboBoxTest, ShowsTheFieldWhetherOrNotItIsAnItem)
{
    ui::DBComboBox* box = combo();
    EXPECT_EQ(box->count(), 4);
    EXPECT_EQ(box->currentText(), "ПП");
    EXPECT_EQ(box->currentIndex(), 0);
    jur->next();
    EXPECT_EQ(box->currentText(), "КО");
    EXPECT_EQ(box->currentIndex(), 1);
    jur->edit();
    jur->setText(u"dok", QStringLiteral("Прочее"));
    EXPECT_EQ(box->currentText(), "Прочее");
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_FALSE(box->hasPendingChange());
}

TEST_F(DBComboBoxTest, ChoosingAnItemStartsEditingAndMakesItPending)
{
    struct Case {
        const char* name;
        std::function<void(ui::DBComboBox*)> choose;
        QString chosen;
    };
    const std::vector<Case> cases = {
        {"arrow key", [](ui::DBComboBox*) { press(Qt::Key_Down); }, "КО"},
        {"list",
         [](ui::DBComboBox* box) {
             box->showPopup();
             box->view()->setCurrentIndex(box->model()->index(2, 0));
             QTest::keyClick(box->view(), Qt::Key_Return);
         },
         "ТН"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        jur->first();
        ui::DBComboBox* box = combo();
        focus(box);
        c.choose(box);
        EXPECT_EQ(jur->state(), DataSet::State::Edit);
        EXPECT_EQ(box->currentText(), c.chosen);
        EXPECT_TRUE(box->hasPendingChange());
        EXPECT_EQ(jur->text(u"dok"), "ПП");
        focus(elsewhere());
        EXPECT_EQ(jur->text(u"dok"), c.chosen);
        jur->post();
        EXPECT_EQ(storedText("jur", "dok", 0), c.chosen);
        EXPECT_TRUE(errors.empty());
        jur->edit();
        jur->setText(u"dok", QStringLiteral("ПП"));
        jur->post();
    }
}

TEST_F(DBComboBoxTest, TypedTextIsStoredAsTypedAndTheListDoesNotGrow)
{
    ui::DBComboBox* box = combo();
    focus(box);
    press(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("П"));
    EXPECT_EQ(jur->state(), DataSet::State::Edit);
    EXPECT_EQ(box->currentText(), "П");   // no completion to "ПП"
    type(QStringLiteral("рочее"));
    press(Qt::Key_Return);
    focus(elsewhere());
    EXPECT_EQ(jur->text(u"dok"), "Прочее");
    EXPECT_EQ(box->count(), 4);
    EXPECT_TRUE(errors.empty());
}

TEST_F(DBComboBoxTest, PendingTextIsKeptOnFocusGainAndDroppedOnEscapeAndRowChange)
{
    struct Case {
        const char* name;
        bool typed;
        std::function<void(ui::DBComboBox*)> action;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"escape", true, [](ui::DBComboBox*) { press(Qt::Key_Escape); }, "ПП"},
        {"focus gain", false, [](ui::DBComboBox* box) { focus(box); }, "ТН"},
        {"row change", false, [this](ui::DBComboBox*) { jur->next(); }, "КО"},
        {"start of edit", false, [this](ui::DBComboBox*) { jur->edit(); }, "ПП"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        jur->first();
        ui::DBComboBox* box = combo();
        if (c.typed) {
            focus(box);
            type("X");
        } else {
            focus(elsewhere());
            box->setPendingText(QStringLiteral("ТН"));
        }
        ASSERT_TRUE(box->hasPendingChange());
        c.action(box);
        EXPECT_EQ(box->hasPendingChange(), c.shown == "ТН");
        EXPECT_EQ(box->currentText(), c.shown);
        box->discardPending();
        jur->cancel();
        EXPECT_EQ(storedText("jur", "dok", 0), "ПП");
    }
}

TEST_F(DBComboBoxTest, TakesOnlyWhatTheFieldCanHold)
{
    ui::DBComboBox* kind = combo();
    EXPECT_EQ(kind->lineEdit()->maxLength(), 10);
    focus(kind);
    press(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("Кассовый ордер"));
    EXPECT_EQ(kind->currentText(), "Кассовый о");
    EXPECT_EQ(beeps, 4);                          // one for each letter past the size, and the limit shown
    EXPECT_EQ(kind->toolTip(), QStringLiteral("В этом поле не более 10 знаков"));
    beeps = 0;
    jur->cancel();

    DataSet& jur1 = dataSet(u"ADOTable_jur1");
    addRow(jur1, {{"nds0", "18"}});
    ui::DBComboBox* rate = combo("nds0", {"0", "10", "18", "20"}, source(u"ADOTable_jur1"));
    focus(rate);
    type("x,");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(rate->currentText(), "18");
    EXPECT_EQ(jur1.state(), DataSet::State::Browse);
    type("5");
    EXPECT_EQ(rate->currentText(), "185");
    EXPECT_EQ(jur1.state(), DataSet::State::Edit);
}

TEST_F(DBComboBoxTest, FailedWriteOnFocusLossKeepsTheFocusUntilEscape)
{
    ui::DBComboBox* box = combo();
    focus(box);
    box->setPendingText(QStringLiteral("ТН"));
    focus(elsewhere());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].second, "Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите");
    EXPECT_EQ(focused(), box);
    EXPECT_EQ(box->currentText(), "ТН");
    press(Qt::Key_Escape);
    EXPECT_EQ(box->currentText(), "ПП");
    focus(elsewhere());
    EXPECT_EQ(focused(), elsewhere());
    EXPECT_EQ(errors.size(), 1u);
}

} // namespace
} // namespace vi23::test
