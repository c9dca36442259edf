#include "tests/ui/UiFixture.h"
#include "ui/DBEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>

namespace vi23::test {
namespace {

class DBEditTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        jur1 = &dataSet(u"ADOTable_jur1");
        addRow(*jur1, {{"n", "A-1"}, {"dd", "05.03.2024"}, {"kol0", "2,5"}, {"cen0", "12,5"}, {"nds0", "18"}});
        addRow(*jur1, {{"n", "B-2"}, {"dd", "31.12.2023"}, {"kol0", "0,25"}, {"cen0", "100"}, {"nds0", "10"}});
        jur1->first();
        jur1Source = source(u"ADOTable_jur1");
        showWindow();
    }

    ui::DBEdit* box(const QString& field, ui::DataSource* from = nullptr)
    {
        auto* edit = new ui::DBEdit(window());
        edit->setObjectName(QStringLiteral("box_") + field);
        edit->setGeometry(10, 10 + 30 * int(window()->children().size() % 12), 200, 24);
        edit->setDataSource(from ? from : jur1Source);
        edit->setDataField(field);
        edit->show();
        return edit;
    }

    DataSet* jur1 = nullptr;
    ui::DataSource* jur1Source = nullptr;
};

TEST_F(DBEditTest, ShowsTheFieldAsTextAgainOnEveryRowAndValueChange)
{
    struct Case {
        QString field;
        QString first, second;
    };
    const std::vector<Case> cases = {
        {"n", "A-1", "B-2"},         {"dd", "05.03.2024", "31.12.2023"}, {"kol0", "2,5", "0,25"},
        {"cen0", "12,5", "100"},     {"nds0", "18", "10"},               {"k", "1", "2"},
        {"dp", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        jur1->first();
        ui::DBEdit* edit = box(c.field);
        EXPECT_EQ(edit->text(), c.first);
        jur1->next();
        EXPECT_EQ(edit->text(), c.second);
        jur1->first();
        EXPECT_EQ(edit->text(), c.first);
        EXPECT_FALSE(edit->hasPendingChange());
    }

    ui::DBEdit* price = box("cen0");
    jur1->edit();
    jur1->setText(u"cen0", QStringLiteral("7.25"));
    EXPECT_EQ(price->text(), "7,25");
    jur1->cancel();
    EXPECT_EQ(price->text(), "12,5");
}

TEST_F(DBEditTest, TypingPastingAndCuttingStartEditingTheRow)
{
    struct Case {
        const char* name;
        std::function<void()> change;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"typing", [] { type("9"); }, "A-19"},
        {"backspace", [] { press(Qt::Key_Backspace); }, "A-"},
        {"paste",
         [] {
             QApplication::clipboard()->setText(QStringLiteral("Z"));
             press(Qt::Key_V, Qt::ControlModifier);
         },
         "A-1Z"},
        {"cut",
         [] {
             press(Qt::Key_A, Qt::ControlModifier);
             press(Qt::Key_X, Qt::ControlModifier);
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::DBEdit* edit = box("n");
        focus(edit);
        ASSERT_EQ(jur1->state(), DataSet::State::Browse);
        c.change();
        EXPECT_EQ(jur1->state(), DataSet::State::Edit);
        EXPECT_EQ(edit->text(), c.expected);
        EXPECT_TRUE(edit->hasPendingChange());
        EXPECT_EQ(jur1->text(u"n"), "A-1");   // not written yet
        jur1->cancel();
        EXPECT_EQ(edit->text(), "A-1");
    }
}

TEST_F(DBEditTest, TypingIntoAnEmptyDataSetStartsANewRow)
{
    DataSet& sr = dataSet(u"ADOTable_sr");
    ASSERT_EQ(sr.recordCount(), 0);
    ui::DBEdit* edit = box("sr", source(u"ADOTable_sr"));
    focus(edit);
    type(QStringLiteral("Оплата"));
    EXPECT_EQ(sr.state(), DataSet::State::Insert);
    EXPECT_EQ(edit->text(), "Оплата");
    sr.post();
    EXPECT_EQ(storedText("sr", "sr", 0), "Оплата");
}

TEST_F(DBEditTest, ReadOnlyBoxTakesNoTypingButReportsClicks)
{
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly);
        ui::DBEdit* edit = box("dd");
        edit->setReadOnly(readOnly);
        QSignalSpy clicks(edit, &ui::DBEdit::clicked);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(clicks.count(), 1);
        EXPECT_EQ(focused(), edit);
        type("1");
        EXPECT_EQ(jur1->state(), readOnly ? DataSet::State::Browse : DataSet::State::Edit);
        // The click put the cursor at the start.
        EXPECT_EQ(edit->text(), readOnly ? "05.03.2024" : "105.03.2024");
        jur1->cancel();
    }
}

TEST_F(DBEditTest, CharactersANumberFieldCannotHoldAreRefusedWithABeep)
{
    struct Case {
        QString field;
        QString accepted;
        QString refused;
        QString takes;       // the refusal's tooltip
    };
    const QString whole = QStringLiteral("Здесь только целое число: цифры 0–9");
    const QString number = QStringLiteral("Здесь только число: цифры 0–9 и запятая");
    const std::vector<Case> cases = {
        {"nds0", "0123456789+-", ",.eEa я", whole},
        {"k", "7+-", ",.eE", whole},
        {"cen0", "0123456789+-,.", "eExр ", number},
        {"kol0", "0123456789+-,.eE", "xр /о", number},
        {"n", "x,.eЯ -", "", {}},
        {"dd", "0.9", "x/ ", QStringLiteral("Дата: дд.мм.гггг, ддммгг или дд.мм")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        ui::DBEdit* edit = box(c.field);
        focus(edit);
        // A refused character does not even start editing.
        for (QChar refused : c.refused) {
            const int before = beeps;
            const QString text = edit->text();
            type(QString(refused));
            EXPECT_EQ(beeps, before + 1) << QString(refused).toStdString();
            EXPECT_EQ(edit->text(), text) << QString(refused).toStdString();
            EXPECT_EQ(jur1->state(), DataSet::State::Browse);
            // Seen as well as heard, and the next key replaces the text in the same box.
            EXPECT_EQ(edit->toolTip(), c.takes);
            EXPECT_EQ(focused(), edit);
            EXPECT_EQ(edit->selectedText(), text);
        }
        press(Qt::Key_End);
        for (QChar accepted : c.accepted) {
            const int before = beeps;
            const QString text = edit->text();
            type(QString(accepted));
            EXPECT_EQ(beeps, before) << QString(accepted).toStdString();
            EXPECT_EQ(edit->text(), text + accepted) << QString(accepted).toStdString();
        }
        jur1->cancel();
    }
}

TEST_F(DBEditTest, TextFromAnInputMethodFollowsTheSameRules)
{
    ui::DBEdit* price = box("cen0");
    focus(price);
    const auto commit = [price](const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(price, &event);
    };
    commit(QStringLiteral("5р"));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(price->text(), "12,5");
    EXPECT_EQ(jur1->state(), DataSet::State::Browse);
    // The refused text was left selected: what comes next replaces it.
    commit(QStringLiteral("5"));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(price->text(), "5");
    EXPECT_EQ(jur1->state(), DataSet::State::Edit);
    EXPECT_TRUE(price->hasPendingChange());
}

TEST_F(DBEditTest, TextBoxTakesAtMostTheFieldsSize)
{
    struct Case {
        const char16_t* dataSet;
        QString field;
        int size;
    };
    const std::vector<Case> cases = {
        {u"ADOTable_jur1", "n", 15}, {u"ADOTable_jur1", "dok", 30}, {u"ADOTable_jur", "dok", 10},
        {u"ADOTable_sr", "vr", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        DataSet& set = dataSet(c.dataSet);
        ui::DBEdit* edit = box(c.field, source(c.dataSet));
        EXPECT_EQ(edit->maxLength(), c.size);
        focus(edit);
        press(Qt::Key_A, Qt::ControlModifier);
        const int before = beeps;
        type(QString(c.size + 3, u'ж'));
        EXPECT_EQ(edit->text(), QString(c.size, u'ж'));
        // Each character past the size is refused with a beep and the limit in a tooltip.
        EXPECT_EQ(beeps, before + 3);
        EXPECT_EQ(edit->toolTip(), QStringLiteral("В этом поле не более %1 знаков").arg(c.size));
        focus(elsewhere());
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(set.text(QStringView(c.field)), QString(c.size, u'ж'));
        set.cancel();
    }
    EXPECT_EQ(box("cen0")->maxLength(), 32767);
}

TEST_F(DBEditTest, PendingTextIsWrittenOnFocusLossOnSaveAndOnLeavingTheRow)
{
    struct Case {
        const char* name;
        std::function<void(DataSet&)> action;
        bool stillEditing;     // after the action
    };
    const std::vector<Case> cases = {
        {"focus loss", [this](DataSet&) { focus(elsewhere()); }, true},
        {"save", [](DataSet& set) { set.post(); }, false},
        {"leaving the row", [](DataSet& set) { set.next(); }, false},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        jur1->first();
        ui::DBEdit* edit = box("n");
        focus(edit);
        const QString typed = QStringLiteral("-%1").arg(++round);
        type(typed);
        ASSERT_TRUE(edit->hasPendingChange());
        c.action(*jur1);
        EXPECT_FALSE(edit->hasPendingChange());
        EXPECT_EQ(jur1->isEditing(), c.stillEditing);
        EXPECT_EQ(jur1->valueAt(0, jur1->requireField(u"n")).toText(), "A-1" + typed);
        if (jur1->isEditing())
            jur1->post();
        EXPECT_EQ(storedText("jur1", "n", 0), "A-1" + typed);
        EXPECT_TRUE(errors.empty());
        jur1->edit();
        jur1->setText(u"n", QStringLiteral("A-1"));
        jur1->post();
    }
}

TEST_F(DBEditTest, WrittenTextIsShownAgainInTheFieldsOwnForm)
{
    ui::DBEdit* price = box("cen0");
    focus(price);
    press(Qt::Key_A, Qt::ControlModifier);
    type("3.750");
    focus(elsewhere());
    EXPECT_EQ(price->text(), "3,75");
    EXPECT_EQ(jur1->money(u"cen0"), Money::parse(u"3,75"));
}

TEST_F(DBEditTest, PendingTextIsKeptOnFocusGainAndDroppedOnEscapeRowChangeAndStartOfEditOrInsert)
{
    struct Case {
        const char* name;
        bool typed;                                 // typed by the user (editing) or put by the program
        std::function<void(ui::DBEdit*)> action;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"focus gain", false, [](ui::DBEdit* edit) { focus(edit); }, "XYZ"},
        {"focus gain by Tab", false, [](ui::DBEdit* edit) { focus(edit, Qt::TabFocusReason); }, "XYZ"},
        {"escape", true, [](ui::DBEdit*) { press(Qt::Key_Escape); }, "A-1"},
        {"row change", false, [this](ui::DBEdit*) { jur1->next(); }, "B-2"},
        {"start of edit", false, [this](ui::DBEdit*) { jur1->edit(); }, "A-1"},
        {"start of insert", false, [this](ui::DBEdit*) { jur1->append(); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        jur1->first();
        ui::DBEdit* edit = box("n");
        if (c.typed) {
            focus(edit);
            type("XYZ");
        } else {
            focus(elsewhere());
            edit->setPendingText(QStringLiteral("XYZ"));
            EXPECT_EQ(jur1->state(), DataSet::State::Browse);
        }
        ASSERT_TRUE(edit->hasPendingChange());
        ASSERT_EQ(edit->text(), c.typed ? "A-1XYZ" : "XYZ");
        c.action(edit);
        EXPECT_EQ(edit->hasPendingChange(), c.shown == "XYZ");
        EXPECT_EQ(edit->text(), c.shown);
        EXPECT_TRUE(errors.empty());
        edit->discardPending();
        jur1->cancel();
        EXPECT_EQ(storedText("jur1", "n", 0), "A-1");
        EXPECT_EQ(jur1->recordCount(), 2);
    }
}

TEST_F(DBEditTest, FailedWriteOnFocusLossKeepsTheFocusAndTextUntilEscape)
{
    struct Case {
        const char* name;
        QString field;
        std::function<void(ui::DBEdit*)> makePending;
        QString pending;
        QString error;       // empty: any text
        QString stored;
    };
    const std::vector<Case> cases = {
        {"not editing", "dd", [](ui::DBEdit* edit) { edit->setPendingText(QStringLiteral("07.11.2024")); },
         "07.11.2024", "Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите", "05.03.2024"},
        {"not a number", "cen0", [](ui::DBEdit*) { type(",3"); }, "12,5,3", {}, "12,5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        ui::DBEdit* edit = box(c.field);
        focus(edit);
        c.makePending(edit);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            focus(elsewhere());
            ASSERT_EQ(int(errors.size()), attempt);
            EXPECT_EQ(errors.back().first, "Вельмар");
            if (!c.error.isEmpty()) {
                EXPECT_EQ(errors.back().second, c.error);
            }
            EXPECT_EQ(focused(), edit);
            EXPECT_EQ(edit->text(), c.pending);
            EXPECT_EQ(edit->selectedText(), c.pending);
            EXPECT_TRUE(edit->hasPendingChange());
        }
        press(Qt::Key_Escape);
        EXPECT_EQ(edit->text(), c.stored);
        EXPECT_FALSE(edit->hasPendingChange());
        focus(elsewhere());
        EXPECT_EQ(errors.size(), 2u);
        EXPECT_EQ(focused(), elsewhere());
        jur1->cancel();
    }
}

TEST_F(DBEditTest, ProgramTextSurvivesAnotherWindowAndIsSavedWithTheRow)
{
    // As a calendar pick: the box was clicked, another window took over, the text arrived.
    ui::DBEdit* date = box("dd");
    date->setReadOnly(true);
    focus(date);
    jur1->edit();
    QWidget calendar;
    calendar.show();
    calendar.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&calendar));
    date->setPendingText(QStringLiteral("07.11.2024"));
    EXPECT_EQ(jur1->state(), DataSet::State::Edit);
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    EXPECT_TRUE(date->hasPendingChange());
    EXPECT_EQ(date->text(), "07.11.2024");
    EXPECT_EQ(jur1->text(u"dd"), "05.03.2024");
    jur1->post();
    EXPECT_EQ(storedText("jur1", "dd", 0), "07.11.2024");
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace vi23::test
