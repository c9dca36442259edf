#include "MainWindowFixture.h"

#include "books/JournalTab.h"
#include "calc/CalculatorWindow.h"
#include "data/Today.h"
#include "ui/DBEdit.h"
#include "ui/DBLookupComboBox.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTableView>
#include <QTest>

using namespace vi23;
using vi23::test::MainWindowTest;
using vi23::test::reportTexts;

namespace {

class Journal : public MainWindowTest {
protected:
    void fill(DataStore& store) override
    {
        DataSet& sr = store.dataSet(u"ADOTable_sr");
        for (auto [text, kind] : {std::pair{u"Аренда", u"Расход"}, std::pair{u"Выручка", u"Приход"},
                                  std::pair{u"Аренда", u"Приход"}, std::pair{u"Без вида", u""},
                                  std::pair{u"Мало букв", u"расход"}}) {
            sr.append();
            sr.setText(u"sr", QString::fromUtf16(text));
            sr.setText(u"vr", QString::fromUtf16(kind));
            sr.post();
        }
        DataSet& k = store.dataSet(u"ADOTable_k");
        k.append();
        k.setText(u"k", QStringLiteral("ООО Вектор"));
        k.post();
    }

    JournalTab& tab() { return window->journalTab(); }

    void typeAmount(const QString& keys)
    {
        QTest::mouseClick(tab().sumBox(), Qt::LeftButton);
        TFormcalk& calculator = window->calculator();
        EXPECT_TRUE(calculator.isVisible());
        for (QChar key : keys) {
            const QString name = key == u',' ? QStringLiteral("keyComma") : QStringLiteral("keyDigit") + key;
            calculator.findChild<QPushButton*>(name)->click();
        }
        calculator.findChild<QPushButton*>(QStringLiteral("keySave"))->click();
    }
};

} // namespace

TEST_F(Journal, AnEntryIsAddedWithItsDefaultsAndSavedWithItsOperationsKind)
{
    window->tabs()->setCurrentIndex(1);
    click("Button8");
    DataSet& jur = dataSet(u"ADOTable_jur");
    EXPECT_EQ(jur.date(u"dd"), vi23::today());
    EXPECT_EQ(jur.text(u"dok"), QStringLiteral("ПП"));
    EXPECT_EQ(jur.text(u"vr"), QStringLiteral("Приход"));
    EXPECT_EQ(jur.text(u"s"), QStringLiteral("0"));

    QTest::mouseClick(tab().dateBox(), Qt::LeftButton);
    window->MonthCalendar1Click(QStringLiteral("15.03.2011"));
    typeAmount(QStringLiteral("12,5"));
    EXPECT_EQ(tab().sumBox()->text(), QStringLiteral("12,5"));
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("ар"));
    vi23::test::typeInto(child<QWidget>("DBL3"), QStringLiteral("о"));
    child<QLineEdit>("DBEdit2")->setFocus();
    vi23::test::typeInto(child<QLineEdit>("DBEdit2"), QStringLiteral("17"));
    click("Button16");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(countRows("jur"), 1);
    auto db = Database::open(path);
    Statement row = db->prepare(QStringLiteral("SELECT dd, nn, dok, sr, vr, s, k FROM jur"));
    ASSERT_TRUE(row.step());
    EXPECT_EQ(row.text(0), QStringLiteral("2011-03-15"));
    EXPECT_EQ(row.text(1), QStringLiteral("17"));
    EXPECT_EQ(row.text(2), QStringLiteral("ПП"));
    EXPECT_EQ(row.text(3), QStringLiteral("Аренда"));
    EXPECT_EQ(row.text(4), QStringLiteral("Расход"));       // the first "Аренда" in the list's order
    EXPECT_EQ(row.integer(5), 125000);
    EXPECT_EQ(row.text(6), QStringLiteral("ООО Вектор"));
    // "Сохранить" again does nothing; the operations list is whole again.
    click("Button16");
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(dataSet(u"ADOTable_sr").recordCount(), 5);
}

// An entry added from any line takes its place when saved, newest first as on opening, and stays chosen.
TEST_F(Journal, ASavedEntryTakesItsPlaceInTheGridAtOnce)
{
    window->tabs()->setCurrentIndex(1);
    DataSet& jur = dataSet(u"ADOTable_jur");
    auto* grid = child<QTableView>("DBGrid3");
    auto* number = child<QLineEdit>("DBEdit2");
    for (const char* typed : {"1", "2", "3"}) {
        if (jur.recordCount() > 0)
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(jur.recordCount() - 1, 0)).center());
        click("Button8");
        QTest::keyClick(tab().operationBox(), Qt::Key_Escape);            // a new search
        vi23::test::typeInto(tab().operationBox(), QStringLiteral("выр"));
        number->setFocus();
        vi23::test::typeInto(number, QString::fromLatin1(typed));
        click("Button16");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        EXPECT_EQ(jur.position(), 0) << typed;
        EXPECT_EQ(grid->currentIndex().row(), 0) << typed;
    }
    QStringList shown;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        shown << jur.valueAt(row, jur.fieldIndex(u"nn")).toText();
    EXPECT_EQ(shown, (QStringList{"3", "2", "1"}));
}

TEST_F(Journal, AnEntryWhoseOperationHasNoKindIsRefusedByName)
{
    struct Case {
        const char* name;
        const char* letters;          // typed into the operation box; empty: none chosen
        QString message;
    };
    const Case cases[] = {
        {"no operation", "", QStringLiteral("Не выбрана операция. Выберите её в списке операций и снова нажмите «Сохранить»")},
        {"operation without a kind", "без",
         QStringLiteral("У операции «Без вида» не указан вид расчета (Приход или Расход), и книги не учли бы эту запись. "
                        "Укажите его на странице «Типовые операции» и снова нажмите «Сохранить»")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        click("Button8");
        vi23::test::typeInto(tab().operationBox(), QString::fromUtf8(c.letters));
        click("Button16");
        EXPECT_EQ(errors, QStringList{c.message});
        EXPECT_EQ(countRows("jur"), 0);
        EXPECT_EQ(dataSet(u"ADOTable_jur").state(), DataSet::State::Insert);
        EXPECT_EQ(dataSet(u"ADOTable_sr").recordCount(), 5);            // the list is whole again
        EXPECT_TRUE(dataSet(u"ADOTable_sr").filter().isEmpty());
        dataSet(u"ADOTable_jur").cancel();
    }
    // A kind in another letter case is the kind.
    errors.clear();
    click("Button8");
    QTest::keyClick(tab().operationBox(), Qt::Key_Escape);            // a new search
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("мал"));
    click("Button16");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(dataSet(u"ADOTable_jur").text(u"vr"), QStringLiteral("Расход"));
    EXPECT_EQ(countRows("jur"), 1);
}

TEST_F(Journal, TheCalculatorsSumIntoABrowsedEntryStartsEditingItAndSaveStoresIt)
{
    click("Button8");
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("в"));
    click("Button16");
    ASSERT_EQ(dataSet(u"ADOTable_jur").state(), DataSet::State::Browse);
    typeAmount(QStringLiteral("75,5"));
    EXPECT_EQ(dataSet(u"ADOTable_jur").state(), DataSet::State::Edit);
    EXPECT_EQ(tab().sumBox()->text(), QStringLiteral("75,5"));
    click("Button16");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    {
        auto db = Database::open(path);
        Statement row = db->prepare(QStringLiteral("SELECT s FROM jur"));
        ASSERT_TRUE(row.step());
        EXPECT_EQ(row.integer(0), 755000);
    }
    // Typed into the browsed entry's number box: editing starts, and Save stores it.
    auto* number = child<QLineEdit>("DBEdit2");
    QTest::mouseClick(number, Qt::LeftButton);
    vi23::test::typeInto(number, QStringLiteral("42"));
    EXPECT_EQ(dataSet(u"ADOTable_jur").state(), DataSet::State::Edit);
    click("Button16");
    EXPECT_EQ(dataSet(u"ADOTable_jur").text(u"nn"), QStringLiteral("42"));
    EXPECT_EQ(countRows("jur"), 1);
}

TEST_F(Journal, DeletingAsksNamingTheEntryAndCtrlZPutsItBack)
{
    window->tabs()->setCurrentIndex(1);
    click("Button8");
    click("Button14");                                   // an entry never stored: dropped after a question
    EXPECT_EQ(questions, QStringList{QStringLiteral("Отменить новую несохранённую запись?")});
    EXPECT_EQ(dataSet(u"ADOTable_jur").recordCount(), 0);
    click("Button8");
    dataSet(u"ADOTable_jur").setText(u"dd", QStringLiteral("15.03.2026"));
    dataSet(u"ADOTable_jur").setText(u"nn", QStringLiteral("31"));
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("в"));
    typeAmount(QStringLiteral("100"));
    click("Button16");
    const long long key = dataSet(u"ADOTable_jur").integer(u"n");
    questions.clear();
    answerYes = false;
    click("Button14");
    EXPECT_EQ(questions, QStringList{QStringLiteral("Удалить запись журнала: ПП № 31 от 15.03.2026 на сумму 100,00?")});
    EXPECT_EQ(countRows("jur"), 1);
    answerYes = true;
    click("Button14");
    EXPECT_EQ(countRows("jur"), 0);
    undoIn("DBGrid3");
    EXPECT_EQ(countRows("jur"), 1);
    EXPECT_EQ(dataSet(u"ADOTable_jur").integer(u"n"), key);          // the same counter
    EXPECT_EQ(dataSet(u"ADOTable_jur").text(u"sr"), QStringLiteral("Выручка"));
    undoIn("DBGrid3");   // once only
    EXPECT_EQ(countRows("jur"), 1);
    // A change after the deletion ends the undo.
    click("Button14");
    click("Button8");
    dataSet(u"ADOTable_jur").cancel();
    undoIn("DBGrid3");
    EXPECT_EQ(countRows("jur"), 0);
    click("Button14");
    EXPECT_EQ(errors, QStringList{QStringLiteral("Удалять нечего: список пуст")});
}

TEST_F(Journal, ThePeriodPickersTakeAnyCurrentDate)
{
    const int year = vi23::today().year();
    EXPECT_EQ(tab().periodStart()->date(), QDate(year, 1, 1));
    EXPECT_EQ(tab().periodEnd()->date(), QDate(year, 12, 31));
    EXPECT_EQ(tab().periodStart()->minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(tab().periodEnd()->maximumDate(), QDate(2099, 12, 31));
    EXPECT_EQ(tab().reportKind()->currentText(), QStringLiteral("Книга доходов и расходов-месячная"));
    EXPECT_EQ(tab().reportKind()->count(), 9);
}

TEST_F(Journal, EachReportKindPrintsItsBookOverThePeriod)
{
    click("Button8");
    dataSet(u"ADOTable_jur").setText(u"dd", QStringLiteral("10.02.2010"));
    dataSet(u"ADOTable_jur").setText(u"dok", QStringLiteral("КО"));
    dataSet(u"ADOTable_jur").setText(u"k", QStringLiteral("ООО Вектор"));
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("в"));
    typeAmount(QStringLiteral("2000"));
    click("Button16");
    tab().periodStart()->setDate(QDate(2010, 1, 1));
    tab().periodEnd()->setDate(QDate(2010, 12, 31));
    const std::pair<const char16_t*, const char*> kinds[] = {
        {u"Книга доходов и расходов-месячная", "frReport10"}, {u"Книга доходов и расходов-квартальная", "frReport11"},
        {u"Книга расчетов по банку", "frReport_bank"}, {u"Книга расчетов по кассе", "frReport_kassa"},
        {u"Кассовая книга", "frReport_kas"}, {u"Сводный отчет по операциям", "frReport2"},
        {u"Книга расчетов с контрагентами", "frReportss"}, {u"Акт сверки", "frReport_sverka"},
        {u"Титульный лист", "frRepor_t"}};
    for (const auto& [kind, form] : kinds) {
        reports.clear();
        tab().reportKind()->setCurrentText(QString::fromUtf16(kind));
        // The counterparty is chosen beside the period for the act alone, from the list.
        const bool act = QStringView(kind) == u"Акт сверки";
        EXPECT_EQ(tab().reportCounterparty()->isVisibleTo(&tab()), act) << form;
        if (act) {
            EXPECT_EQ(tab().reportCounterparty()->count(), 1);
            tab().reportCounterparty()->setCurrentText(QStringLiteral("ООО Вектор"));
        }
        click("Button5");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        ASSERT_EQ(reports.size(), 1u) << form;
        EXPECT_EQ(reports[0].templateName, QString::fromLatin1(form));
        EXPECT_EQ(requests.back().fileName,
                  QString::fromUtf16(kind) + (act ? QStringLiteral(" ООО Вектор 2010.pdf") : QStringLiteral(" 2010.pdf")));
        const QString all = reportTexts(reports[0]).join(u'\n');
        if (act) {
            // The cash received is our credit, and what we owe the counterparty.
            EXPECT_TRUE(all.contains(QStringLiteral("Задолженность в пользу ООО Вектор составляет 2000,00 руб.")))
                << all.toStdString();
        } else if (QStringView(kind) == u"Титульный лист") {
            EXPECT_TRUE(all.contains(QStringLiteral("На 2010 год"))) << all.toStdString();
        } else if (QStringView(kind) != u"Книга расчетов по банку") {
            EXPECT_TRUE(all.contains(QStringLiteral("2000"))) << form;
        }
    }
    reports.clear();
    tab().reportKind()->setCurrentText(QStringLiteral("Книга расчетов"));
    click("Button5");
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Journal, AWholeDateTypedIntoThePeriodPickersIsTaken)
{
    const char* typed[] = {"15.03.2026", "29.02.2024", "31.01.2025", "01.10.2030", "5.3.2027", "15032026", "29.02.2028"};
    for (QDateEdit* picker : {tab().periodStart(), tab().periodEnd()}) {
        for (const char* text : typed) {
            SCOPED_TRACE(text);
            picker->setFocus();
            picker->selectAll();
            QTest::keyClicks(picker, QString::fromLatin1(text));
            QTest::keyClick(picker, Qt::Key_Tab);
            const QDate expected = QDate::fromString(QString::fromLatin1(text), QStringLiteral("d.M.yyyy")).isValid()
                                       ? QDate::fromString(QString::fromLatin1(text), QStringLiteral("d.M.yyyy"))
                                       : QDate::fromString(QString::fromLatin1(text), QStringLiteral("ddMMyyyy"));
            EXPECT_EQ(picker->date(), expected);
        }
    }
}
