#include "MainWindowFixture.h"

#include "app/CalendarWindow.h"
#include "books/JournalTab.h"
#include "calc/CalculatorWindow.h"
#include "data/Error.h"
#include "data/RuFormat.h"
#include "data/Today.h"
#include "documents/DocumentsTab.h"
#include "documents/GoodsPicker.h"
#include "ui/DBEdit.h"
#include "ui/DBLookupComboBox.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QComboBox>
#include <QDateEdit>
#include <QFontInfo>
#include <QTabBar>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <tuple>
#include <QWindow>

using namespace vi23;
using vi23::test::MainWindowTest;

namespace {

class Started : public MainWindowTest {
protected:
    void fill(DataStore& store) override
    {
        DataSet& k = store.dataSet(u"ADOTable_k");
        for (auto [name, day] : {std::pair{u"Бета", 3}, std::pair{u"Альфа", 1}, std::pair{u"Гамма", 2}}) {
            k.append();
            k.setText(u"k", QString::fromUtf16(name));
            k.setValue(u"dd", QDate(2010, 1, day));
            k.post();
        }
        DataSet& sr = store.dataSet(u"ADOTable_sr");
        sr.append();
        sr.setText(u"sr", QStringLiteral("Продажа"));
        sr.setText(u"vr", QStringLiteral("Приход"));
        sr.post();
        DataSet& jur1 = store.dataSet(u"ADOTable_jur1");
        for (auto [number, total] : {std::pair{"1", "100"}, std::pair{"2", "6404,915"}}) {
            jur1.append();
            jur1.setText(u"n", QString::fromLatin1(number));
            jur1.setText(u"dok", QStringLiteral("Расходный кассовый ордер"));   // the longest kind
            jur1.post();
            // A total as an older program stored it, with a fraction of a kopeck.
            store.database().exec(QStringLiteral("UPDATE jur1 SET sss = %1 WHERE n = '%2'")
                                      .arg(Money::parse(QString::fromLatin1(total)).units())
                                      .arg(QString::fromLatin1(number)));
        }
        DataSet& jur = store.jur();
        for (int i = 0; i < 3; ++i) {
            jur.append();
            jur.setText(u"nn", QString::number(i + 1));
            jur.post();
        }
    }
};

} // namespace

TEST(StartUp, AMissingOrDamagedDatabaseStopsTheWindowWithItsError)
{
    QTemporaryDir dir;
    try {
        TForm1 window(dir.filePath(QStringLiteral("kn.mdb")));
        ADD_FAILURE();
    } catch (const UserError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Не найден файл базы данных")));
    }
}

TEST_F(Started, TheWindowHasItsTabsControlsAndCaptionsInOrder)
{
    QTabWidget* tabs = window->tabs();
    const QStringList captions = {QStringLiteral("Выписка документов"), QStringLiteral("Регистрация документов, отчеты"),
                                  QStringLiteral("Список товаров, цены"), QStringLiteral("Типовые операции"),
                                  QStringLiteral("Список поставщиков-покупателей "), QStringLiteral("Данные пользователя"),
                                  QStringLiteral("О программе")};
    ASSERT_EQ(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(child<QPushButton>("Button1")->text(), QStringLiteral("Bыход"));
    EXPECT_EQ(child<QPushButton>("Button1")->text().at(0), QChar(u'B'));   // the Latin letter
    for (const char* name : {"Button4", "Button20", "Button11", "Button10", "Button3", "Button8", "Button14", "Button15",
                             "Button16", "Button5", "Button33", "Button34", "Button35", "Button36", "Button9", "Button18",
                             "Button19", "Button21", "Button12", "Button17", "Button2", "Button22", "Button6", "Button7",
                             "DBEdit1", "DBEdit3", "DBEdit12", "DBEdit41", "DBEdit19", "DBEdit40", "DBEdit70", "DBComboBox1",
                             "DBComboBox2", "DBComboBox7", "DBL1", "DBL3", "DBLookupComboBox2", "DBGrid1", "DBGrid2",
                             "DBGrid3", "DBGrid4", "DBGrid5", "dtp1", "dtp2", "ComboBox1", "Edit2", "Label25"})
        EXPECT_NE(window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    auto* about = child<QPlainTextEdit>("Memo1");
    const QStringList lines = about->toPlainText().split(u'\n');
    EXPECT_EQ(lines.size(), 27);
    EXPECT_EQ(lines.front(), QStringLiteral("Программа  \"Вельмар\"  предназначена для  бухгалтеров и руководителей малых "
                                            "предприятий, предпринимателей."));
    EXPECT_TRUE(lines.back().isEmpty());
}

TEST_F(Started, ActivationSetsTheSortOrdersAgain)
{
    EXPECT_EQ(dataSet(u"ADOTable_jur1").sort(), QStringLiteral("k DESC"));
    EXPECT_EQ(dataSet(u"ADOTable_jur").sort(), QStringLiteral("n DESC"));
    DataSet& jur = dataSet(u"ADOTable_jur");
    EXPECT_EQ(jur.valueAt(0, jur.fieldIndex(u"nn")).toText(), QStringLiteral("3"));   // newest first
    DataSet& k = dataSet(u"ADOTable_k");
    EXPECT_EQ(k.sort(), QStringLiteral("dd DESC"));
    EXPECT_EQ(k.valueAt(0, k.fieldIndex(u"k")).toText(), QStringLiteral("Бета"));
    vi23::test::typeInto(child<QLineEdit>("Edit2"), QStringLiteral("га"));
    EXPECT_EQ(k.sort(), QStringLiteral("k"));
    EXPECT_EQ(k.text(u"k"), QStringLiteral("Гамма"));
    window->FormActivate();
    EXPECT_EQ(k.sort(), QStringLiteral("dd DESC"));
}

TEST_F(Started, LayoutFollowsTheRowAndColumnUnits)
{
    window->layoutFor(1000, 600);                     // row unit (600 - 40) / 30 = 18
    DocumentsTab& documents = window->documentsTab();
    for (int line = 0; line + 1 < DocumentsTab::kLines; ++line)
        EXPECT_EQ(documents.nameBox(line + 1)->y() - documents.nameBox(line)->y(), 18);
    EXPECT_EQ(documents.nameBox(0)->y(), 5 * 18);
    EXPECT_EQ(child<QPushButton>("Button4")->x(), 362 * (1000 - 5) / 1010);
    EXPECT_EQ(child<QPushButton>("Button4")->width(), (1000 - 5) * 100 / 1010);
    EXPECT_EQ(child<QPushButton>("Button1")->geometry(), QRect(900, 10, 1000 / 14, 22));
    EXPECT_EQ(child<QWidget>("DBGrid3")->y(), 3 * 18 + 10);
    EXPECT_EQ(child<QWidget>("DBGrid3")->height(), 20 * 18);
}

TEST_F(Started, LeavingWithAHalfWrittenRowAsksWhetherToSaveIt)
{
    // Each case: how the user leaves, the answer, whether the window closes and the journal rows after.
    struct Case {
        const char* name;
        bool byCloseBox;
        ui::SaveChoice answer;
        bool closes;
        long long rows;
    };
    const Case cases[] = {
        {"exit button, cancel", false, ui::SaveChoice::Cancel, false, 3},
        {"close box, no", true, ui::SaveChoice::Discard, true, 3},
        {"exit button, yes", false, ui::SaveChoice::Save, true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!window) {
            window = std::make_unique<TForm1>(path);
            window->show();
            QApplication::setActiveWindow(window.get());
        }
        QStringList asked;
        ui::setSaveChoiceHook([&](const QString& text) {
            asked << text;
            return c.answer;
        });
        window->tabs()->setCurrentIndex(1);
        click("Button8");
        vi23::test::typeInto(window->journalTab().operationBox(), QStringLiteral("п"));
        auto* number = child<QLineEdit>("DBEdit2");
        QTest::mouseClick(number, Qt::LeftButton);
        vi23::test::typeInto(number, QStringLiteral("7"));
        if (c.byCloseBox)
            window->close();
        else
            click("Button1");
        EXPECT_EQ(asked, QStringList{QStringLiteral("Сохранить изменения?")});
        EXPECT_EQ(window->isVisible(), !c.closes);
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        if (c.closes)
            window.reset();
        else
            dataSet(u"ADOTable_jur").cancel();
        EXPECT_EQ(countRows("jur"), c.rows);
    }
    // Nothing half written: no question.
    window = std::make_unique<TForm1>(path);
    window->show();
    QStringList asked;
    ui::setSaveChoiceHook([&](const QString& text) {
        asked << text;
        return ui::SaveChoice::Cancel;
    });
    click("Button1");
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(window->isVisible());
    ui::setSaveChoiceHook({});
}

TEST_F(Started, TheCalendarFillsTheBoxItWasOpenedForWithEveryDayClickedUntilClosed)
{
    click("Button4");                                 // a document being written
    QTest::mouseClick(child<QWidget>("DBEdit12"), Qt::LeftButton);
    EXPECT_TRUE(window->calendar().isVisible());
    window->MonthCalendar1Click(QStringLiteral("15.03.2011"));
    EXPECT_EQ(window->documentsTab().documentDateBox()->text(), QStringLiteral("15.03.2011"));
    window->MonthCalendar1Click(QStringLiteral("16.03.2011"));   // a second click on another day
    EXPECT_EQ(window->documentsTab().documentDateBox()->text(), QStringLiteral("16.03.2011"));
    QTest::mouseClick(child<QWidget>("DBEdit41"), Qt::LeftButton);
    window->MonthCalendar1Click(QStringLiteral("01.02.2011"));
    EXPECT_EQ(window->documentsTab().paymentDateBox()->text(), QStringLiteral("01.02.2011"));
    EXPECT_EQ(window->documentsTab().documentDateBox()->text(), QStringLiteral("16.03.2011"));
    // Closed, the calendar fills nothing.
    window->calendar().close();
    EXPECT_EQ(window->calendarTarget(), nullptr);
    window->MonthCalendar1Click(QStringLiteral("02.02.2011"));
    EXPECT_EQ(window->documentsTab().paymentDateBox()->text(), QStringLiteral("01.02.2011"));
    click("Button10");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(dataSet(u"ADOTable_jur1").date(u"dd"), QDate(2011, 3, 16));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").date(u"dp"), QDate(2011, 2, 1));
}

// Every date box takes a date typed in full or short and refuses an impossible one where it is typed;
// the calendar still opens on a click (the box keeps the keyboard) and on F4 or Alt+Down, and Esc
// closes it. The journal's sum is typed the same way, its calculator opened by F4 and closed by Esc.
TEST_F(Started, DatesAndTheSumAreTypedAndThePickWindowsOpenAndCloseByKeys)
{
    const int year = vi23::today().year();
    struct Case {
        const char* newRow;
        const char* box;
        const char16_t* dataSet;
        const char16_t* field;
        int tab;
    };
    const Case cases[] = {{"Button4", "DBEdit12", u"ADOTable_jur1", u"dd", 0},
                          {"Button4", "DBEdit41", u"ADOTable_jur1", u"dp", 0},
                          {"Button8", "DBEdit1", u"ADOTable_jur", u"dd", 1}};
    const std::pair<const char*, QDate> typed[] = {
        {"150326", QDate(2026, 3, 15)}, {"1.4.2025", QDate(2025, 4, 1)}, {"07.11", QDate(year, 11, 7)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        window->tabs()->setCurrentIndex(c.tab);
        click(c.newRow);
        auto* box = child<ui::DBEdit>(c.box);
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_TRUE(window->calendar().isVisible());
        EXPECT_EQ(window->focusWidget(), box);
        QTest::keyClick(&window->calendar(), Qt::Key_Escape);
        EXPECT_FALSE(window->calendar().isVisible());
        for (const auto& [text, date] : typed) {
            box->setFocus();
            box->selectAll();
            vi23::test::typeInto(box, QString::fromLatin1(text));
            QTest::keyClick(box, Qt::Key_Tab);
            EXPECT_EQ(dataSet(c.dataSet).date(c.field), date) << text;
            EXPECT_EQ(box->text(), ru::formatDate(date));
        }
        // An impossible date is refused with the forms a date takes; the box keeps it, selected.
        errors.clear();
        box->setFocus();
        box->selectAll();
        vi23::test::typeInto(box, QStringLiteral("31.02.2026"));
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_EQ(errors, QStringList{QStringLiteral("«31.02.2026» — не дата: введите дату в виде дд.мм.гггг, ддммгг или дд.мм")});
        EXPECT_EQ(window->focusWidget(), box);
        EXPECT_EQ(box->selectedText(), QStringLiteral("31.02.2026"));
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_EQ(dataSet(c.dataSet).date(c.field), QDate(year, 11, 7));
        for (auto key : {std::pair{Qt::Key_F4, Qt::NoModifier}, std::pair{Qt::Key_Down, Qt::AltModifier}}) {
            QTest::keyClick(box, key.first, key.second);
            EXPECT_TRUE(window->calendar().isVisible());
            EXPECT_EQ(window->calendarTarget(), box);
            QTest::keyClick(&window->calendar(), Qt::Key_Escape);
            EXPECT_FALSE(window->calendar().isVisible());
        }
        dataSet(c.dataSet).cancel();
        errors.clear();
    }
    auto* sum = child<ui::DBEdit>("DBEdit3");
    click("Button8");
    sum->setFocus();
    sum->selectAll();
    vi23::test::typeInto(sum, QStringLiteral("1250,5"));
    QTest::keyClick(sum, Qt::Key_Tab);
    EXPECT_EQ(dataSet(u"ADOTable_jur").money(u"s"), Money::parse(QStringLiteral("1250,5")));
    QTest::keyClick(sum, Qt::Key_F4);
    EXPECT_TRUE(window->calculator().isVisible());
    QTest::keyClick(&window->calculator(), Qt::Key_Escape);
    EXPECT_FALSE(window->calculator().isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    dataSet(u"ADOTable_jur").cancel();
}

TEST_F(Started, ThePickWindowsStayAboveTheMainWindowAndCloseByEscFromAnyOfTheirBoxes)
{
    auto& context = window->context();
    const struct {
        QWidget* pickWindow;
        std::function<void()> open;
    } cases[] = {
        {&window->calendar(), [&] { context.showCalendar(child<ui::DBEdit>("DBEdit12"), true); }},
        {&window->calculator(), [&] { context.showCalculator(true); }},
        {&window->goodsPicker(), [&] { context.showGoodsPicker(child<QWidget>("DBEdit36")); }},   // a line halfway down
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pickWindow->objectName().toStdString());
        c.open();
        ASSERT_TRUE(c.pickWindow->isVisible());
        // A tool window of the main window: the desktop keeps it above its owner.
        EXPECT_EQ(c.pickWindow->windowType(), Qt::Tool);
        ASSERT_NE(c.pickWindow->windowHandle(), nullptr);
        EXPECT_EQ(c.pickWindow->windowHandle()->transientParent(), window->windowHandle());
        EXPECT_FALSE(c.pickWindow->windowTitle().contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
        // Its frame inside the screen, though placed before its first showing, when the frame is unknown.
        const QRect screen = c.pickWindow->screen()->availableGeometry();
        EXPECT_LE(c.pickWindow->frameGeometry().bottom(), screen.bottom());
        // Wide enough for a window manager to show the whole title beside its buttons.
        QFont bold = c.pickWindow->font();
        bold.setBold(true);
        EXPECT_GE(c.pickWindow->width(), QFontMetrics(bold).horizontalAdvance(c.pickWindow->windowTitle()) + 100);
        QWidget* inner = c.pickWindow->findChildren<QWidget*>().constLast();
        for (QWidget* w : c.pickWindow->findChildren<QWidget*>()) {
            if (w->focusPolicy() != Qt::NoFocus && w->isVisible())
                inner = w;
        }
        QTest::keyClick(inner, Qt::Key_Escape);
        EXPECT_FALSE(c.pickWindow->isVisible()) << inner->metaObject()->className();
    }
    // Opened by a click, the calendar leaves the keyboard in its box: Esc there closes it first.
    auto* dateBox = child<ui::DBEdit>("DBEdit12");
    context.showCalendar(dateBox, false);
    ASSERT_TRUE(window->calendar().isVisible());
    QTest::keyClick(dateBox, Qt::Key_Escape);
    EXPECT_FALSE(window->calendar().isVisible());
}

TEST_F(Started, TabVisitsEveryControlOfATabInScreenOrder)
{
    // From the first control down to the grid, where Tab goes on from cell to cell.
    const struct {
        int tab;
        const char* newRow;   // tried while writing a new row, every box open
        const char* first;
        const char* visited;
    } cases[] = {
        {0, "Button4", "Button4",
         "Button4 Button20 Button11 Button10 Button3 ButtonExchange DBComboBox2 DBEditNumber DBEdit12 "
         "DBEditPaymentNumber DBEdit41 DBL1 ComboBoxUpdStatus "
         "DBEdit19 DBEdit20 DBEdit21 DBEdit71 DBEdit43 DBEdit22 DBEdit45 DBEdit54 DBEdit72 DBEdit44 DBEdit23 DBEdit46 "
         "DBEdit55 DBEdit74 DBEdit63 DBEdit24 DBEdit47 DBEdit56 DBEdit77 DBEdit64 DBEdit25 DBEdit48 DBEdit57 DBEdit78 "
         "DBEdit65 DBEdit36 DBEdit49 DBEdit58 DBEdit79 DBEdit66 DBEdit37 DBEdit50 DBEdit59 DBEdit80 DBEdit67 DBEdit38 "
         "DBEdit51 DBEdit60 DBEdit81 DBEdit68 DBEdit39 DBEdit52 DBEdit61 DBEdit82 DBEdit69 DBEdit40 DBEdit53 DBEdit62 "
         "DBEdit83 DBEdit70 DBLOperation ButtonRegisterCash DBEditTotal DBGrid4"},
        {1, "Button8", "Button8", "Button8 Button14 Button15 Button16 DBEdit1 DBEdit2 DBComboBox1 DBEdit3 DBLookupComboBox2 DBL3 DBGrid3"},
        {5, "Button6", "DBEdit_pr1_np",
         "DBEdit_pr1_np DBEdit_pr1_unn DBEdit_pr1_ad DBEdit_pr1_fr DBEdit_pr1_fb DBEdit_pr1_kas DBEdit_pr1_tel "
         "DBEdit_pr1_bank DBEdit_pr1_rs DBEdit_pr1_ks DBEdit_pr1_buk DBEdit_pr1_okdp DBEdit_pr1_okpo DBEdit_pr1_dr "
         "DBEdit_pr1_fup DBEdit_pr1_rup DBEdit_pr1_edo_id DBEdit_pr1_signer_surname DBEdit_pr1_signer_name "
         "DBEdit_pr1_signer_patronymic DBEdit_pr1_signer_position ComboBoxDefaultVat ComboBoxFormSet Button6 Button7 "
         "ButtonRestore"},
    };
    for (const auto& c : cases) {
        window->tabs()->setCurrentIndex(c.tab);
        QWidget* page = window->tabs()->currentWidget();
        SCOPED_TRACE(page->objectName().toStdString());
        click(c.newRow);
        QWidget* at = child<QWidget>(c.first);
        at->setFocus();
        QStringList visited;
        std::vector<std::tuple<int, int>> places;
        while (at && page->isAncestorOf(at) && !visited.contains(at->objectName())) {
            visited << at->objectName();
            const QPoint place = at->mapTo(page, QPoint());
            places.emplace_back(place.y(), place.x());
            if (qobject_cast<QTableView*>(at))
                break;
            QTest::keyClick(at, Qt::Key_Tab);
            at = QApplication::focusWidget();
        }
        EXPECT_EQ(visited.join(u' ').toStdString(), c.visited);
        EXPECT_TRUE(std::is_sorted(places.begin(), places.end())) << visited.join(u' ').toStdString();
    }
}

TEST_F(Started, ControlPageKeysSwitchTabsFromAnywhere)
{
    QWidget* from[] = {child<QWidget>("DBEditNumber"), child<QWidget>("DBGrid4")};
    for (QWidget* widget : from) {
        SCOPED_TRACE(widget->objectName().toStdString());
        window->tabs()->setCurrentIndex(0);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(window->tabs()->currentIndex(), 1);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_PageUp,
                        Qt::ControlModifier);
        EXPECT_EQ(window->tabs()->currentIndex(), 0);
        QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(window->tabs()->currentIndex(), 6);
    }
}

// Rows another workplace stores (another connection to the file) show when the window is activated or
// their tab is shown, the current row staying current; a data set typed into is not read again.
TEST_F(Started, RowsStoredAtAnotherWorkplaceShowOnActivationOrWhenTheirTabIsShown)
{
    struct Case {
        const char* what;
        int tab;
        bool byActivation;         // else shown coming from another tab
        const char16_t* dataSet;
        const char16_t* field;
        const char* grid;
        const char* typedBox;      // typed into before the other workplace stores its row
        int rowsShown;
    };
    const Case cases[] = {
        {"journal, its tab shown", 1, false, u"ADOTable_jur", u"nn", "DBGrid3", nullptr, 4},
        {"documents, window activated", 0, true, u"ADOTable_jur1", u"n", "DBGrid4", nullptr, 3},
        {"counterparties, their tab shown", 4, false, u"ADOTable_k", u"k", "DBGrid2", nullptr, 4},
        {"goods, their tab shown", 2, false, u"ADOTable_stov", u"naz", "DBGrid5", nullptr, 1},
        {"operations, window activated", 3, true, u"ADOTable_sr", u"sr", "DBGrid1", nullptr, 2},
        {"journal typed into, window activated", 1, true, u"ADOTable_jur", u"nn", "DBGrid3", "DBEdit3", 4},
    };
    int added = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->tabs()->setCurrentIndex(c.byActivation ? c.tab : 6);
        DataSet& shown = dataSet(c.dataSet);
        if (shown.recordCount() > 1)
            shown.moveToPosition(1);
        const QString current = shown.text(c.field);
        if (c.typedBox)
            vi23::test::typeInto(child<QWidget>(c.typedBox), QStringLiteral("15"));
        {
            DataStore other(path);
            DataSet& rows = other.dataSet(c.dataSet);
            rows.open();
            rows.append();
            rows.setText(c.field, QStringLiteral("Другое место %1").arg(++added));
            if (QStringView(c.dataSet) == u"ADOTable_sr")
                rows.setText(u"vr", QStringLiteral("Расход"));
            rows.post();
        }
        if (c.byActivation)
            window->FormActivate();
        else
            window->tabs()->setCurrentIndex(c.tab);
        EXPECT_EQ(child<QTableView>(c.grid)->model()->rowCount(), c.rowsShown);
        EXPECT_EQ(shown.recordCount(), c.rowsShown);
        if (!current.isEmpty()) {
            EXPECT_EQ(shown.text(c.field), current);
        }
        if (c.typedBox) {
            EXPECT_EQ(child<QLineEdit>(c.typedBox)->text(), QStringLiteral("15"));
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(Started, TheDocumentsAndTheJournalOpenOnTheNewestRowWithWholeKopecks)
{
    struct Case { const char* grid; const char16_t* dataSet; const char16_t* field; const char* newest; };
    const Case cases[] = {{"DBGrid4", u"ADOTable_jur1", u"n", "2"}, {"DBGrid3", u"ADOTable_jur", u"nn", "3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grid);
        EXPECT_EQ(dataSet(c.dataSet).text(c.field), QString::fromLatin1(c.newest));
        auto* grid = child<QTableView>(c.grid);
        EXPECT_EQ(grid->currentIndex().row(), 0);
        EXPECT_TRUE(grid->selectionModel()->isRowSelected(0, {}));
    }
    auto* documents = child<QTableView>("DBGrid4");
    EXPECT_EQ(documents->model()->index(0, 3).data().toString(), QStringLiteral("6404,92"));
    EXPECT_EQ(child<QLineEdit>("DBEditTotal")->text(), QStringLiteral("6404,92"));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").money(u"sss"), Money::parse(u"6404,915"));   // stored exactly
    // A window the desktop shows without activating it is on the newest rows before the first click.
    window.reset();
    window = std::make_unique<TForm1>(path);
    window->show();
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"n"), QStringLiteral("2"));
    EXPECT_EQ(dataSet(u"ADOTable_jur").text(u"nn"), QStringLiteral("3"));
}

namespace {

// A grid's columns end inside it, each wide enough for its title, and the ИНН/КПП whole.
void expectColumnsFit(const QTableView& grid)
{
    int total = 0;
    for (int column = 0; column < grid.model()->columnCount(); ++column) {
        if (grid.isColumnHidden(column))
            continue;
        total += grid.columnWidth(column);
        const QString title = grid.model()->headerData(column, Qt::Horizontal).toString();
        const QFontMetrics metrics = grid.horizontalHeader()->fontMetrics();
        EXPECT_LE(metrics.horizontalAdvance(title) + 8, grid.columnWidth(column)) << title.toStdString();
        for (int row = 0; title == QStringLiteral("ИНН/КПП") && row < grid.model()->rowCount(); ++row) {
            const QString value = grid.model()->index(row, column).data().toString();
            EXPECT_LE(grid.fontMetrics().horizontalAdvance(value) + 8, grid.columnWidth(column)) << value.toStdString();
        }
    }
    const int room = grid.width() - 2 * grid.frameWidth() - grid.verticalScrollBar()->sizeHint().width()
                     - grid.verticalHeader()->width();
    EXPECT_LE(total, room) << grid.objectName().toStdString();
}

} // namespace

TEST_F(Started, OnSmallScreensEveryControlIsNarrowWholeUncoveredAndUncut)
{
    for (const QSize size : {QSize(1024, 600), QSize(1280, 800)}) {
        SCOPED_TRACE(size.width());
        window->layoutFor(size.width(), size.height());
        const QRect screen(QPoint(), size);
        QTabWidget* tabs = window->tabs();
        for (int i = 0; i < tabs->count(); ++i)
            EXPECT_TRUE(screen.contains(tabs->tabBar()->tabRect(i).translated(tabs->tabBar()->mapTo(window.get(), QPoint())))) << i;
        for (int i = 0; i + 1 < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QWidget* page = tabs->currentWidget();
            SCOPED_TRACE(page->objectName().toStdString());
            QList<QWidget*> controls;
            for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isVisibleTo(window.get()) && (qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w) ||
                                                     qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                                                     qobject_cast<QTableView*>(w) || qobject_cast<QDateEdit*>(w)))
                    controls << w;
            }
            ASSERT_FALSE(controls.isEmpty());
            for (QWidget* w : controls) {
                const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
                SCOPED_TRACE(name.toStdString());
                EXPECT_EQ(QFontInfo(w->font()).family(), QStringLiteral("Liberation Sans Narrow"));
                EXPECT_EQ(w->font().pixelSize(), 13);
                const QRect onScreen(w->mapTo(window.get(), QPoint()), w->size());
                EXPECT_TRUE(screen.contains(onScreen)) << onScreen.x() << "," << onScreen.y() << " " << onScreen.width()
                                                       << "x" << onScreen.height();
                QString text;
                if (auto* b = qobject_cast<QPushButton*>(w))
                    text = b->text();
                if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap())
                    text = l->text();
                if (!text.isEmpty()) {
                    EXPECT_LE(w->fontMetrics().horizontalAdvance(text), w->contentsRect().width()) << "cut: " << text.toStdString();
                }
                if (auto* grid = qobject_cast<QTableView*>(w))
                    expectColumnsFit(*grid);
                // A text longer than its box shows from its first letter.
                if (auto* box = qobject_cast<QComboBox*>(w); box && box->lineEdit()) {
                    const QLineEdit& edit = *box->lineEdit();
                    EXPECT_TRUE(edit.cursorPosition() == 0 || edit.fontMetrics().horizontalAdvance(edit.text()) < edit.width() - 8)
                        << "scrolled: " << edit.text().toStdString();
                }
                if (qobject_cast<QPushButton*>(w)) {
                    for (QWidget* other : controls) {
                        if (other != w && !qobject_cast<QLabel*>(other)) {
                            EXPECT_FALSE(other->geometry().intersects(w->geometry())) << other->objectName().toStdString();
                        }
                    }
                }
            }
        }
    }
}
