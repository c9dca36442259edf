#include "MainWindowFixture.h"

#include "data/CounterpartyMail.h"
#include "data/DocumentMoney.h"
#include "data/EnterpriseSettings.h"
#include "data/Settings.h"
#include "data/Today.h"
#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBLookupComboBox.h"

#include "ui/DBGrid.h"

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
        DataSet& goods = store.dataSet(u"ADOTable_stov");
        for (const char16_t* name : {u"Болт М8", u"Гайка М8"}) {
            goods.append();
            goods.setText(u"naz", QString::fromUtf16(name));
            goods.post();
        }
    }
};

// One row per list: its buttons, the field typed, and the question its deletion asks.
struct ListCase {
    const char* name;
    const char16_t* dataSet;
    const char* add;
    const char* edit;
    const char* remove;
    const char* save;
    const char* grid;
    const char16_t* field;
    const char16_t* question;   // %1: the row's name
    int tab;
};

const ListCase kLists[] = {
    {"goods", u"ADOTable_stov", "Button33", "Button34", "Button35", "Button36", "DBGrid5", u"naz",
     u"Удалить товар «%1» из списка?", 2},
    {"operations", u"ADOTable_sr", "Button9", "Button19", "Button18", "Button21", "DBGrid1", u"sr",
     u"Удалить операцию «%1»?", 3},
    {"counterparties", u"ADOTable_k", "Button12", "Button17", "Button2", "Button22", "DBGrid2", u"k",
     u"Удалить «%1» из списка поставщиков-покупателей?", 4},
};

} // namespace

TEST_F(Lists, AddEditSaveDeleteAndUndoOnEveryList)
{
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.name);
        window->tabs()->setCurrentIndex(c.tab);
        DataSet& list = dataSet(c.dataSet);
        const int before = list.recordCount();
        click(c.add);
        list.setText(c.field, QStringLiteral("Новая строка"));      // as typed into the grid
        click(c.save);
        EXPECT_EQ(list.recordCount(), before + 1);
        EXPECT_EQ(list.state(), DataSet::State::Browse);

        click(c.edit);
        list.setText(c.field, QStringLiteral("Изменённая строка"));
        click(c.save);
        EXPECT_EQ(list.state(), DataSet::State::Browse);
        list.refresh();
        ASSERT_TRUE(list.locate(c.field, u"Изменённая строка"));
        click(c.save);                                              // nothing written: nothing happens
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

        // The question names the row and "Нет" keeps it; Ctrl+Delete in the grid asks the same.
        const QString question = QString::fromUtf16(c.question).arg(QStringLiteral("Изменённая строка"));
        questions.clear();
        answerYes = false;
        click(c.remove);
        QTest::keyClick(child<QWidget>(c.grid), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(questions, QStringList(2, question));
        EXPECT_EQ(list.recordCount(), before + 1);
        answerYes = true;
        click(c.remove);
        EXPECT_EQ(list.recordCount(), before);
        undoIn(c.grid);
        EXPECT_EQ(list.recordCount(), before + 1);
        EXPECT_EQ(list.text(c.field), QStringLiteral("Изменённая строка"));
        click(c.remove);
        EXPECT_EQ(list.recordCount(), before);
    }
}

// Another workplace changed the row being written: "Сохранить" stores nothing and asks whether to read
// the row again; "Да" shows the stored row, "Нет" keeps the typing in the box, unsaved.
TEST_F(Lists, ASaveMeetingAChangeFromAnotherWorkplaceAsksToReadTheRowAgain)
{
    for (const ListCase& c : kLists) {
        for (const bool reload : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (reload ? ", read again" : ", typing kept"));
            window->tabs()->setCurrentIndex(c.tab);
            DataSet& list = dataSet(c.dataSet);
            const QString name = QStringLiteral("Строка %1").arg(reload);
            list.append();
            list.setText(c.field, name);
            if (list.hasField(u"vr"))   // an operation needs its kind
                list.setText(u"vr", QStringLiteral("Приход"));
            list.post();
            click(c.edit);
            list.setText(c.field, QStringLiteral("Здесь"));
            {
                DataStore elsewhere(path);
                DataSet& theirs = elsewhere.dataSet(c.dataSet);
                ASSERT_TRUE(theirs.locate(c.field, name));
                theirs.edit();
                theirs.setText(c.field, name + QStringLiteral(" там"));
                theirs.post();
            }
            questions.clear();
            answerYes = reload;
            click(c.save);
            ASSERT_EQ(questions.size(), 1);
            EXPECT_TRUE(questions[0].startsWith(QStringLiteral("Запись изменена на другом рабочем месте"))) << questions[0].toStdString();
            EXPECT_EQ(list.text(c.field), reload ? name + QStringLiteral(" там") : QStringLiteral("Здесь"));
            EXPECT_EQ(list.isEditing(), !reload);
            list.cancel();
            EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        }
    }
}

// A row is never stored without its name: a new row nothing was written into goes on Esc, on a tab
// switch and on exit without a question; one written without its name asks and is refused.
TEST_F(Lists, ANewRowWithoutItsNameIsNeverStored)
{
    // "Выход" with the save question answered "Отмена": what was asked.
    const auto exitAsked = [this] {
        QStringList asked;
        ui::setSaveChoiceHook([&asked](const QString& text) {
            asked << text;
            return ui::SaveChoice::Cancel;
        });
        click("Button1");
        ui::setSaveChoiceHook({});
        return asked;
    };
    const std::pair<const char*, const char*> tables[] = {{"goods", "stov"}, {"operations", "sr"},
                                                          {"counterparties", "k"}};
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.name);
        const char* table = std::find_if(std::begin(tables), std::end(tables), [&](const auto& t) {
                                return qstrcmp(t.first, c.name) == 0;
                            })->second;
        window->tabs()->setCurrentIndex(c.tab);
        DataSet& list = dataSet(c.dataSet);
        const long long stored = countRows(table);
        auto* grid = child<ui::DBGrid>(c.grid);

        // Typed, then taken back with Esc: the row goes with the second Esc.
        click(c.add);
        QWidget* typing = QApplication::focusWidget();
        if (typing && grid->isAncestorOf(typing)) {
            vi23::test::typeInto(typing, QStringLiteral("Сок"));
            QTest::keyClick(typing, Qt::Key_Escape);
        }
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Escape);
        EXPECT_EQ(list.state(), DataSet::State::Browse);
        EXPECT_EQ(list.recordCount(), stored);

        // Left for another tab: the row goes, and nothing is stored on the way.
        click(c.add);
        window->tabs()->setCurrentIndex(0);
        window->tabs()->setCurrentIndex(c.tab);
        EXPECT_EQ(list.state(), DataSet::State::Browse);
        EXPECT_EQ(countRows(table), stored);

        // Written without its name: "Сохранить" refuses, and exit asks before anything is lost.
        click(c.add);
        list.setText(c.field == QStringView(u"k") ? u"ad" : (c.field == QStringView(u"sr") ? u"vr" : u"eu"),
                     QStringLiteral("Расход"));
        errors.clear();
        click(c.save);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Не заполнено поле «Наименование"))) << errors[0].toStdString();
        EXPECT_EQ(exitAsked(), QStringList{QStringLiteral("Сохранить изменения?")});
        EXPECT_TRUE(window->isVisible());
        list.cancel();
        EXPECT_EQ(countRows(table), stored);
        errors.clear();
    }
    // The goods row of the complaint: typed, Esc twice, another tab, exit: no question, nothing stored.
    window->tabs()->setCurrentIndex(2);
    click("Button33");
    vi23::test::typeInto(QApplication::focusWidget(), QStringLiteral("Сок"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    window->tabs()->setCurrentIndex(0);
    EXPECT_TRUE(exitAsked().isEmpty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(countRows("stov"), 2);
}

TEST_F(Lists, DeleteOnAnEmptyListSaysThereIsNothingToDelete)
{
    click("Button18");
    EXPECT_EQ(errors, QStringList{QStringLiteral("Удалять нечего: список пуст")});
}

// An operation is stored with the kind shown, never without one, and never as a second operation of a
// name the list has, letter case and ё/е aside: the books would not know which one a journal row means.
TEST_F(Lists, AnOperationIsStoredWithTheKindShownAndNeverWithoutOrTwice)
{
    const QString twice = QStringLiteral("уже есть в списке: «%1». Названия операций не должны совпадать "
                                         "(заглавные и строчные буквы, «ё» и «е» не различаются)");
    struct Case {
        const char* name;
        const char16_t* operation;
        std::function<void()> chooseKind;
        QString stored;      // empty: refused with the error
        QString error;
    };
    const Case cases[] = {
        {"kind left as shown, Tab through the boxes", u"Продажа", [] {}, QStringLiteral("Приход"), {}},
        {"expense picked", u"Учет расходов", [this] { QTest::keyClick(child<QComboBox>("DBComboBox7"), Qt::Key_Down); },
         QStringLiteral("Расход"), {}},
        {"kind cleared", u"Ремонт", [this] {
             auto* kind = child<QComboBox>("DBComboBox7");
             QTest::mouseClick(kind->lineEdit(), Qt::LeftButton);
             kind->lineEdit()->selectAll();
             QTest::keyClick(kind->lineEdit(), Qt::Key_Delete);
         }, QString(), QStringLiteral("Укажите вид расчета операции «Ремонт»: Приход или Расход")},
        {"a name listed, in capitals", u"ПРОДАЖА", [] {}, QString(),
         QStringLiteral("Операция «ПРОДАЖА» ") + twice.arg(QStringLiteral("Продажа"))},
        {"a name listed, with ё for е", u"учёт расходов", [] {}, QString(),
         QStringLiteral("Операция «учёт расходов» ") + twice.arg(QStringLiteral("Учет расходов"))},
    };
    window->tabs()->setCurrentIndex(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        const long long before = countRows("sr");
        click("Button9");
        EXPECT_EQ(child<QComboBox>("DBComboBox7")->currentText(), QStringLiteral("Приход"));
        auto* text = child<ui::DBEdit>("DBEditOperation");
        QTest::mouseClick(text, Qt::LeftButton);
        vi23::test::typeInto(text, QString::fromUtf16(c.operation));
        QTest::keyClick(text, Qt::Key_Tab);
        c.chooseKind();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        click("Button21");
        if (c.stored.isEmpty()) {
            EXPECT_EQ(errors, QStringList{c.error});
            EXPECT_EQ(countRows("sr"), before);
            dataSet(u"ADOTable_sr").cancel();
        } else {
            EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
            EXPECT_EQ(countRows("sr"), before + 1);
            EXPECT_EQ(dataSet(u"ADOTable_sr").text(u"vr"), c.stored);
        }
    }
    // A listed operation edited keeps its name without being its own second.
    dataSet(u"ADOTable_sr").first();
    click("Button19");
    dataSet(u"ADOTable_sr").setText(u"vr", QStringLiteral("Расход"));
    errors.clear();
    click("Button21");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(countRows("sr"), 2);
}

TEST_F(Lists, ANewRowIsWhereTheUserTypes)
{
    struct Case { const char* add; const char* grid; const char16_t* dataSet; const char16_t* field; int tab; };
    const Case cases[] = {{"Button33", "DBGrid5", u"ADOTable_stov", u"naz", 2},
                          {"Button12", "DBGrid2", u"ADOTable_k", u"k", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grid);
        window->tabs()->setCurrentIndex(c.tab);
        DataSet& list = dataSet(c.dataSet);
        const int before = list.recordCount();
        QStringList names;
        for (int row = 0; row < before; ++row)
            names << list.valueAt(row, list.fieldIndex(c.field)).toText();
        click(c.add);
        auto* grid = child<ui::DBGrid>(c.grid);
        QWidget* typing = QApplication::focusWidget();
        ASSERT_NE(typing, nullptr);
        EXPECT_TRUE(typing == grid || grid->isAncestorOf(typing));
        EXPECT_EQ(grid->currentIndex().row(), list.position());
        EXPECT_EQ(grid->currentIndex().column(), 0);
        for (QChar letter : QStringLiteral("Болт М10"))
            vi23::test::typeInto(QApplication::focusWidget(), QString(letter));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();                     // the editor hands its text over queued
        click(c.add == QStringLiteral("Button33") ? "Button36" : "Button22");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        list.refresh();
        QStringList after;
        for (int row = 0; row < list.recordCount(); ++row)
            after << list.valueAt(row, list.fieldIndex(c.field)).toText();
        names << QStringLiteral("Болт М10");
        std::sort(names.begin(), names.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, names);
    }
}

TEST_F(Lists, RequisitesTypedWithoutTheEditButtonAreStoredBySave)
{
    auto* name = child<ui::DBEdit>("DBEdit_pr1_np");
    window->tabs()->setCurrentIndex(5);
    QTest::mouseClick(name, Qt::LeftButton);
    vi23::test::typeInto(name, QStringLiteral("ООО «Ромашка»"));
    click("Button7");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    auto db = Database::open(path);
    Statement row = db->prepare(QStringLiteral("SELECT np FROM pr1"));
    ASSERT_TRUE(row.step());
    EXPECT_EQ(row.text(0), QStringLiteral("ООО «Ромашка»"));
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
    EXPECT_EQ(dataSet(u"ADOTable_k").date(u"dd"), vi23::today());
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
    EXPECT_THROW(goods.setText(u"nds", QStringLiteral("восемнадцать")), UserError);
    click("Button36");
    EXPECT_EQ(countRows("stov"), 3);
    EXPECT_TRUE(goods.isNull(u"cen"));
}

TEST_F(Lists, TheRequisitesChooseTheDefaultRateAndTheFormsAndTheOgrnipMustReadBack)
{
    window->tabs()->setCurrentIndex(5);
    auto* rate = child<QComboBox>("ComboBoxDefaultVat");
    auto* forms = child<QComboBox>("ComboBoxFormSet");
    EXPECT_EQ(rate->currentText(), QStringLiteral("22"));
    EXPECT_EQ(forms->currentText(), QStringLiteral("как в программе"));
    rate->setCurrentIndex(rate->findText(QStringLiteral("Без НДС")));
    forms->setCurrentIndex(1);
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    {
        auto db = Database::open(path);
        EXPECT_EQ(readSetting(*db, kDefaultVatSetting), QString::number(kVatExempt));
        EXPECT_EQ(readSetting(*db, kFormSetSetting), QStringLiteral("2026"));
    }
    // A new goods row gets the default rate, shown as the grid shows it.
    window->tabs()->setCurrentIndex(2);
    click("Button33");
    DataSet& goods = dataSet(u"ADOTable_stov");
    EXPECT_EQ(goods.integer(u"nds"), kVatExempt);
    EXPECT_EQ(goods.text(u"nds"), QStringLiteral("Без НДС"));
    goods.setText(u"naz", QStringLiteral("Курс"));
    click("Button36");

    // With the 2026 forms the sole trader's ОГРНИП and its date must be in their layout.
    window->tabs()->setCurrentIndex(5);
    struct Case { const char16_t* rup; bool stored; };
    for (const Case& c : {Case{u"Свидетельство 77 № 0123", false}, Case{u"ОГРНИП 304770000000011 от 15.03.2012", true}}) {
        errors.clear();
        auto* box = child<ui::DBEdit>("DBEdit_pr1_rup");
        click("Button6");
        box->setPendingText(QString::fromUtf16(c.rup));
        click("Button7");
        EXPECT_EQ(errors.isEmpty(), c.stored) << errors.join(u'\n').toStdString();
        auto db = Database::open(path);
        Statement row = db->prepare(QStringLiteral("SELECT coalesce(rup, '') FROM pr1"));
        ASSERT_TRUE(row.step());
        EXPECT_EQ(row.text(0) == QString::fromUtf16(c.rup), c.stored);
    }
    dataSet(u"ADOTable_pr1").cancel();
}

TEST_F(Lists, TheCounterpartyListShowsTheEmailAndTakesOnlyAnAddress)
{
    window->tabs()->setCurrentIndex(4);
    auto* grid = child<ui::DBGrid>("DBGrid2");
    EXPECT_EQ(grid->model()->headerData(grid->model()->columnCount() - 3, Qt::Horizontal).toString(),
              QStringLiteral("Эл. почта"));
    click("Button12");
    DataSet& k = dataSet(u"ADOTable_k");
    k.setText(u"k", QStringLiteral("ООО Почта"));
    k.setText(u"email", QStringLiteral("buh@pochta"));
    click("Button22");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("«buh@pochta» в поле «Эл. почта» не адрес электронной почты")));
    EXPECT_EQ(countRows("k"), 3);
    k.setText(u"email", QStringLiteral("buh@pochta.ru"));
    click("Button22");
    EXPECT_EQ(countRows("k"), 4);
    auto db = Database::open(path);
    EXPECT_EQ(vi23::counterpartyMail(*db, QStringLiteral("ООО Почта")), QStringLiteral("buh@pochta.ru"));
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

