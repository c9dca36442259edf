#include "MainWindowFixture.h"

#include "books/JournalTab.h"
#include "calc/Unitcalk.h"
#include "ui/DBEdit.h"
#include "ui/DBLookupComboBox.h"

#include <QComboBox>
#include <QDateEdit>
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
                                  std::pair{u"Аренда", u"Приход"}}) {
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
    EXPECT_EQ(window->state().inputMode, 21);
    DataSet& jur = dataSet(u"ADOTable_jur");
    EXPECT_EQ(jur.date(u"dd"), QDate::currentDate());
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
    EXPECT_EQ(window->state().inputMode, 21);   // the row stays savable after its date is picked
    click("Button16");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(window->state().inputMode, 25);
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
    EXPECT_EQ(dataSet(u"ADOTable_sr").recordCount(), 3);
}

TEST_F(Journal, NoOperationChosenSavesAnEmptyKindAndAFailedSaveLiftsTheFilter)
{
    click("Button8");
    click("Button16");
    EXPECT_EQ(countRows("jur"), 1);
    EXPECT_TRUE(dataSet(u"ADOTable_jur").isNull(u"vr"));
    // The marker at 21 while no row is being written: the store's error, the list unfiltered.
    QTest::mouseClick(tab().dateBox(), Qt::LeftButton);
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("в"));   // starts editing by the lookup...
    dataSet(u"ADOTable_jur").post();                              // ...stored by moving on
    click("Button16");
    EXPECT_EQ(errors, QStringList{QStringLiteral("Dataset not in edit or insert mode")});
    EXPECT_EQ(window->state().inputMode, 21);
    EXPECT_EQ(dataSet(u"ADOTable_sr").recordCount(), 3);
    EXPECT_TRUE(dataSet(u"ADOTable_sr").filter().isEmpty());
}

TEST_F(Journal, DeletingAnUnsavedRowDeletesNothing)
{
    click("Button8");
    click("Button16");
    click("Button8");
    click("Button14");
    EXPECT_EQ(countRows("jur"), 1);
    EXPECT_EQ(dataSet(u"ADOTable_jur").recordCount(), 1);
    click("Button14");
    EXPECT_EQ(countRows("jur"), 0);
    click("Button14");
    EXPECT_EQ(errors, QStringList{QStringLiteral("Cannot perform this operation on an empty dataset")});
}

TEST_F(Journal, ThePeriodPickersTakeAnyCurrentDate)
{
    const int year = QDate::currentDate().year();
    EXPECT_EQ(tab().periodStart()->date(), QDate(year, 1, 1));
    EXPECT_EQ(tab().periodEnd()->date(), QDate(year, 12, 31));
    EXPECT_EQ(tab().periodStart()->minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(tab().periodEnd()->maximumDate(), QDate(2099, 12, 31));
    EXPECT_EQ(tab().reportKind()->currentText(), QStringLiteral("Книга доходов и расходов-месячная"));
    EXPECT_EQ(tab().reportKind()->count(), 8);
}

TEST_F(Journal, EachReportKindPrintsItsBookOverThePeriod)
{
    click("Button8");
    dataSet(u"ADOTable_jur").setText(u"dd", QStringLiteral("10.02.2010"));
    dataSet(u"ADOTable_jur").setText(u"dok", QStringLiteral("КО"));
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("в"));
    typeAmount(QStringLiteral("2000"));
    click("Button16");
    tab().periodStart()->setDate(QDate(2010, 1, 1));
    tab().periodEnd()->setDate(QDate(2010, 12, 31));
    const std::pair<const char16_t*, const char*> kinds[] = {
        {u"Книга доходов и расходов-месячная", "frReport10"}, {u"Книга доходов и расходов-квартальная", "frReport11"},
        {u"Книга расчетов по банку", "frReport_bank"}, {u"Книга расчетов по кассе", "frReport_kassa"},
        {u"Кассовая книга", "frReport_kas"}, {u"Сводный отчет по операциям", "frReport2"},
        {u"Книга расчетов с контрагентами", "frReportss"}, {u"Титульный лист", "frRepor_t"}};
    for (const auto& [kind, form] : kinds) {
        reports.clear();
        tab().reportKind()->setCurrentText(QString::fromUtf16(kind));
        click("Button5");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        ASSERT_EQ(reports.size(), 1u) << form;
        EXPECT_EQ(reports[0].templateName, QString::fromLatin1(form));
        const QString all = reportTexts(reports[0]).join(u'\n');
        if (QStringView(kind) == u"Титульный лист") {
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
