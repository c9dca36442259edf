#include "MainWindowFixture.h"

#include "data/EnterpriseSettings.h"
#include "data/IssuedDocument.h"
#include "data/Settings.h"
#include "data/Today.h"
#include "documents/DocumentsTab.h"
#include "documents/ElectronicDocument.h"
#include "app/CalendarWindow.h"
#include "documents/GoodsPicker.h"
#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "ui/DBLookupComboBox.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QTest>
#include <string_view>

using namespace vi23;
using vi23::test::MainWindowTest;
using vi23::test::reportTexts;

namespace {

class Documents : public MainWindowTest {
protected:
    void fill(DataStore& store) override
    {
        DataSet& goods = store.dataSet(u"ADOTable_stov");
        const std::tuple<const char16_t*, int, const char*, const char16_t*> rows[] = {
            {u"Бумага", 18, "100", u"пач"}, {u"Болт М6", 18, "10,15", u"шт"}, {u"Доска", 18, "0,3333", u"м"},
            {u"Консультация", 0, "1180", u"час"}, {u"O'Brien tea", 10, "12,5", u"уп"}};
        for (const auto& [name, vat, price, unit] : rows) {
            goods.append();
            goods.setText(u"naz", QString::fromUtf16(name));
            goods.setValue(u"nds", vat);
            goods.setText(u"cen", QString::fromLatin1(price));
            goods.setText(u"eu", QString::fromUtf16(unit));
            goods.post();
        }
        goods.append();
        goods.setText(u"naz", QString(251, u'Д'));
        goods.post();
        DataSet& k = store.dataSet(u"ADOTable_k");
        for (auto [name, inn] : {std::pair{u"ООО «Вектор»", u"6901234567/690101001"}, std::pair{u"O'Brien Ltd", u"7812"}}) {
            k.append();
            k.setText(u"k", QString::fromUtf16(name));
            k.setText(u"unn", QString::fromUtf16(inn));
            k.setText(u"ad", QStringLiteral("Тверь"));
            k.setText(u"b", QStringLiteral("Сбербанк"));
            k.setText(u"ok", QStringLiteral("123"));
            k.setValue(u"dd", QDate(2010, 1, 1));
            if (name == std::u16string_view(u"ООО «Вектор»"))
                k.setText(u"email", QStringLiteral("buh@vector.ru"));
            k.post();
        }
        DataSet& pr1 = store.dataSet(u"ADOTable_pr1");
        pr1.edit();
        pr1.setText(u"np", QStringLiteral("ООО Наше"));
        pr1.post();
    }

    DocumentsTab& tab() { return window->documentsTab(); }

    // Clicks the name box of a line and double-clicks the goods found by the search text.
    void pick(int line, const QString& search)
    {
        QTest::mouseClick(tab().nameBox(line), Qt::LeftButton);
        TForm6& picker = window->goodsPicker();
        picker.searchBox()->setText(search);
        picker.DBGrid1DblClick();
    }

    void chooseBuyer(const QString& letters)
    {
        ui::DBLookupComboBox* buyer = tab().buyerBox();
        vi23::test::typeInto(buyer, letters);
    }
};

} // namespace

TEST_F(Documents, NewDocumentGetsItsDefaults)
{
    click("Button4");
    click("Button10");
    click("Button4");
    EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Insert);
    EXPECT_EQ(tab().kindBox()->currentText(), QStringLiteral("Счет"));
    EXPECT_EQ(child<QLineEdit>("DBEditNumber")->text(), QStringLiteral("2"));
    EXPECT_EQ(tab().documentDateBox()->text(), vi23::today().toString(QStringLiteral("dd.MM.yyyy")));
    EXPECT_EQ(child<QLineEdit>("DBEditPaymentNumber")->text(), QStringLiteral("-"));
    EXPECT_TRUE(tab().paymentDateBox()->text().isEmpty());
    for (int line = 0; line < DocumentsTab::kLines; ++line) {
        EXPECT_EQ(tab().nameBox(line)->text(), QStringLiteral("-"));
        EXPECT_EQ(tab().quantityBox(line)->text(), QStringLiteral("1"));
        EXPECT_EQ(tab().priceBox(line)->text(), QStringLiteral("0"));
        EXPECT_EQ(tab().rateBox(line)->text(), QStringLiteral("0"));
        EXPECT_EQ(tab().sumBox(line)->text(), QStringLiteral("0,00"));
    }
    // A document whose lines are all "-" saves with total 0.
    click("Button10");
    EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Browse);
    EXPECT_EQ(dataSet(u"ADOTable_jur1").money(u"sss"), Money());
    EXPECT_EQ(countRows("jur1"), 2);
}

// Another workplace stored a document under the number New proposed here: Save stores this one under
// the next free number and says which; a number typed over the proposal is kept as typed.
TEST_F(Documents, AProposedNumberTakenElsewhereMeanwhileBecomesTheNextFreeOne)
{
    auto* number = child<QLineEdit>("DBEditNumber");
    // Another workplace stores an invoice under the number this one proposes.
    auto takenElsewhere = [this](const QString& taken) {
        DataStore elsewhere(path);
        DataSet& doc = elsewhere.jur1();
        doc.append();
        doc.setText(u"dok", QStringLiteral("Счет"));
        doc.setText(u"n", taken);
        doc.post();
    };
    click("Button4");
    ASSERT_EQ(number->text(), QStringLiteral("1"));
    takenElsewhere(QStringLiteral("1"));
    click("Button10");
    EXPECT_EQ(informations, QStringList{QStringLiteral("Номер 1 уже занят другим документом «Счет»; документ сохранен под номером 2")});
    EXPECT_EQ(number->text(), QStringLiteral("2"));
    click("Button4");
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("1"));
    click("Button10");
    EXPECT_EQ(informations.size(), 1);
    EXPECT_EQ(number->text(), QStringLiteral("1"));
    // Stored by a move to another row of the grid, a document says the same.
    click("Button4");
    const QString proposed = number->text();
    tab().quantityBox(0)->setPendingText(QStringLiteral("1"));
    takenElsewhere(proposed);
    ui::DBGrid* grid = tab().grid();
    grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row() == 0 ? 1 : 0, 1));
    ASSERT_EQ(informations.size(), 2);
    EXPECT_EQ(informations[1], QStringLiteral("Номер %1 уже занят другим документом «Счет»; документ сохранен под номером %2")
                                   .arg(proposed).arg(proposed.toInt() + 1));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// Picking goods fills a line's price and rate from the list; what is typed over them afterwards is
// what Save stores and "Печать" prints, and the line sums follow the one money rule.
TEST_F(Documents, WhatIsTypedOverAPickIsStoredAndPrinted)
{
    struct Case { const char* search; const char* quantity; const char* typedPrice; const char* typedRate;
                  const char* price; const char* rate; const char* sum; };
    const Case cases[] = {
        {"бу", "2", nullptr, nullptr, "100", "18", "236"},
        {"бол", "3", "9,99", nullptr, "9,99", "18", "35,36"},     // 29,97 and its VAT 5,3946
        {"до", "3", nullptr, nullptr, "0,3333", "18", "1,18"},    // 0,9999 is 1,00
        {"кон", "1", nullptr, "22", "1180", "22", "1439,6"},
        {"o'b", "2", nullptr, "Без НДС", "12,5", "Без НДС", "25"},
    };
    click("Button4");
    chooseBuyer(QStringLiteral("ооо"));
    for (size_t line = 0; line < std::size(cases); ++line) {
        const Case& c = cases[line];
        pick(int(line), QString::fromUtf8(c.search));
        EXPECT_EQ(tab().goodsLine(), -1);
        tab().quantityBox(int(line))->setPendingText(QString::fromLatin1(c.quantity));
        if (c.typedPrice)
            tab().priceBox(int(line))->setPendingText(QString::fromLatin1(c.typedPrice));
        if (c.typedRate)
            tab().rateBox(int(line))->setPendingText(QString::fromUtf8(c.typedRate));
    }
    click("Button10");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    DataSet& doc = dataSet(u"ADOTable_jur1");
    for (size_t line = 0; line < std::size(cases); ++line) {
        const Case& c = cases[line];
        SCOPED_TRACE(c.search);
        EXPECT_EQ(tab().priceBox(int(line))->text(), QString::fromLatin1(c.price));
        EXPECT_EQ(tab().rateBox(int(line))->text(), QString::fromUtf8(c.rate));
        EXPECT_EQ(doc.text(QStringLiteral("s%1").arg(line)), QString::fromLatin1(c.sum));
    }
    EXPECT_EQ(doc.money(u"sss"), Money::parse(u"1737,14"));
    EXPECT_EQ(doc.text(u"z"), QStringLiteral("ООО «Вектор»"));
    EXPECT_EQ(doc.text(u"unn"), QStringLiteral("6901234567/690101001"));
    EXPECT_EQ(doc.text(u"rb"), QStringLiteral("Сбербанк"));
    // Pressing "Сохранить " again does nothing.
    click("Button10");
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(doc.state(), DataSet::State::Browse);
    click("Button3");
    ASSERT_EQ(reports.size(), 1u) << errors.join(u'\n').toStdString();
    const QString printed = reportTexts(reports[0]).join(u'\n');
    EXPECT_TRUE(printed.contains(QStringLiteral("Одна тысяча семьсот тридцать семь рублей 14 копеек"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("9,99"))) << printed.toStdString();
}

TEST_F(Documents, AQuantityThatDoesNotReadStopsSaveAndStoresNothing)
{
    click("Button4");
    pick(0, QStringLiteral("бу"));
    pick(1, QStringLiteral("бол"));
    tab().quantityBox(1)->setPendingText(QStringLiteral("2,5 кг"));
    click("Button10");
    EXPECT_EQ(errors, QStringList{QStringLiteral("«2,5 кг» — не число: введите цифры, дробную часть через запятую")});
    EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Insert);
    EXPECT_EQ(countRows("jur1"), 0);
    EXPECT_EQ(tab().priceBox(1)->text(), QStringLiteral("10,15"));   // the pick stays done
    tab().quantityBox(1)->setPendingText(QStringLiteral("2,5"));
    click("Button10");
    EXPECT_EQ(countRows("jur1"), 1);
}

// A rate is one of those in force: a box takes a rate typed over the one shown and refuses anything
// else with the rates it takes, storing nothing.
TEST_F(Documents, ARateBoxTakesTheRatesInForceOnly)
{
    click("Button4");
    pick(0, QStringLiteral("бу"));
    window->goodsPicker().hide();
    window->activateWindow();
    QApplication::processEvents();
    ui::DBEdit* rate = tab().rateBox(0);
    QTest::mouseClick(rate, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(rate->selectedText(), QStringLiteral("18"));
    vi23::test::typeInto(rate, QStringLiteral("15"));
    click("Button10");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QStringLiteral("«15» — не ставка НДС: допустимы 22 %, 20 %, 18 %, 10 %, 7 %, 5 %, 0 % или «Без НДС»"));
    EXPECT_EQ(countRows("jur1"), 0);
    rate->selectAll();
    vi23::test::typeInto(rate, QStringLiteral("10"));
    click("Button10");
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"nds0"), QStringLiteral("10"));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"s0"), QStringLiteral("110"));
}

TEST_F(Documents, BuyerRequisitesAndNamesWithApostrophesMatch)
{
    click("Button4");
    chooseBuyer(QStringLiteral("o'b"));
    pick(0, QStringLiteral("o'b"));
    EXPECT_EQ(tab().nameBox(0)->text(), QStringLiteral("O'Brien tea"));
    EXPECT_EQ(tab().priceBox(0)->text(), QStringLiteral("12,5"));
    click("Button10");
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"unn"), QStringLiteral("7812"));
}

TEST_F(Documents, AGoodsNameLongerThanALineIsRefused)
{
    click("Button4");
    QTest::mouseClick(tab().nameBox(2), Qt::LeftButton);
    DataSet& goods = dataSet(u"ADOTable_stov");
    goods.locate(u"naz", QString(251, u'Д'));
    window->goodsPicker().DBGrid1DblClick();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("не помещается в строку документа")));
    EXPECT_NE(tab().nameBox(2)->text(), QString(251, u'Д'));
    EXPECT_EQ(tab().goodsLine(), 2);
}

TEST_F(Documents, PickIntoAStoredDocumentStartsEditingItAndASecondPickFillsNothing)
{
    click("Button4");
    click("Button10");
    pick(0, QStringLiteral("бу"));
    DataSet& doc = dataSet(u"ADOTable_jur1");
    EXPECT_EQ(doc.state(), DataSet::State::Edit);
    EXPECT_EQ(tab().nameBox(0)->text(), QStringLiteral("Бумага"));
    EXPECT_EQ(tab().priceBox(0)->text(), QStringLiteral("100"));      // re-priced as it is written
    window->goodsPicker().searchBox()->setText(QStringLiteral("бол"));
    window->goodsPicker().DBGrid1DblClick();
    EXPECT_EQ(tab().nameBox(0)->text(), QStringLiteral("Бумага"));
    click("Button10");
    EXPECT_EQ(doc.state(), DataSet::State::Browse);
    EXPECT_EQ(doc.text(u"s0"), QStringLiteral("118"));
    // Search with no match keeps the current goods; an empty search goes to the first by name.
    window->goodsPicker().searchBox()->setText(QStringLiteral("ящик"));
    EXPECT_EQ(dataSet(u"ADOTable_stov").text(u"naz"), QStringLiteral("Болт М6"));
    window->goodsPicker().searchBox()->setText(QString());
    // Russian order puts the Cyrillic names before the Latin ones.
    EXPECT_EQ(dataSet(u"ADOTable_stov").text(u"naz"), QStringLiteral("Болт М6"));
    EXPECT_EQ(dataSet(u"ADOTable_stov").sort(), QStringLiteral("naz"));
}

TEST_F(Documents, DeleteOnAnEmptyListSaysThereIsNothingToDelete)
{
    click("Button11");
    EXPECT_EQ(errors, QStringList{QStringLiteral("Удалять нечего: список пуст")});
}

TEST_F(Documents, EveryKindPrintsItsFormWithLinesTotalsAndWords)
{
    const std::pair<const char16_t*, const char*> kinds[] = {
        {u"Счет", "frReport_sh"}, {u"Счет-фактура", "frReport_sf"}, {u"Товарная накладная", "frReport_tn"},
        {u"Акт", "frReport_akt"}, {u"Товарный чек", "frReport_chek"}, {u"Наряд-заказ", "frReport_nz"},
        {u"Расходная накладная", "frReport_zh"}, {u"Бланк заказа", "frReport_z"}, {u"Кассовый ордер-пр", "frReportpr"},
        {u"УПД", "frReport_upd"}, {u"Расходный кассовый ордер", "frReport_rko"}};
    for (const auto& [kind, form] : kinds) {
        reports.clear();
        click("Button4");
        tab().kindBox()->setPendingText(QString::fromUtf16(kind));
        pick(0, QStringLiteral("бол"));
        tab().quantityBox(0)->setPendingText(QStringLiteral("3"));
        pick(2, QStringLiteral("бу"));
        click("Button10");
        click("Button3");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        ASSERT_EQ(reports.size(), 1u) << form;
        EXPECT_EQ(reports[0].templateName, QString::fromLatin1(form));
        const QString all = reportTexts(reports[0]).join(u'\n');
        // the cash orders list no lines
        if (QStringView(kind) != u"Кассовый ордер-пр" && QStringView(kind) != u"Расходный кассовый ордер") {
            EXPECT_TRUE(all.contains(QStringLiteral("Болт М6"))) << form;
            EXPECT_TRUE(all.contains(QStringLiteral("Бумага"))) << form;
            EXPECT_LT(all.indexOf(QStringLiteral("Болт М6")), all.indexOf(QStringLiteral("Бумага"))) << form;
        }
        // 3 × 10,15 at 18 % gives 35,93 with VAT 5,48; 1 × 100 at 18 % gives 118 with 18.
        const IssuedDocument printedDocument =
            readIssuedDocument(window->store().database(), dataSet(u"ADOTable_jur1").integer(u"k"));
        EXPECT_EQ(printedDocument.totals.gross, Money::parse(u"153,93"));
        EXPECT_EQ(printedDocument.totals.vat, Money::parse(u"23,48"));
        EXPECT_EQ(dataSet(u"ADOTable_jur1").money(u"sss"), Money::parse(u"153,93"));
        if (QStringView(kind) != u"Счет-фактура" && QStringView(kind) != u"УПД") {
            EXPECT_TRUE(all.contains(QStringLiteral("Сто пятьдесят три рубля 93 копейки"))) << form;
        }
        EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Browse);
    }
    // The last print's lines are the window's connection's own; the file's table stays as it was.
    Statement lines = window->store().database().prepare(QStringLiteral("SELECT count(*) FROM tov"));
    ASSERT_TRUE(lines.step());
    EXPECT_EQ(lines.integer(0), 2);
    EXPECT_EQ(countRows("tov"), 0);
    EXPECT_EQ(countRows("z"), 11);
}

TEST_F(Documents, AKindTypedDifferentlyIsItsKindAndAKindWithoutAFormSaysSo)
{
    struct Case { const char16_t* typed; const char16_t* stored; const char* form; };
    const Case cases[] = {
        {u"Счёт", u"Счет", "frReport_sh"}, {u"счет-фактура", u"Счет-фактура", "frReport_sf"},
        {u"Акт ", u"Акт", "frReport_akt"}, {u"Договор", u"Договор", nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        reports.clear();
        errors.clear();
        click("Button4");
        auto* kind = tab().kindBox();
        QTest::mouseClick(kind->lineEdit(), Qt::LeftButton);
        kind->lineEdit()->selectAll();
        vi23::test::typeInto(kind->lineEdit(), QString::fromUtf16(c.typed));
        pick(0, QStringLiteral("бу"));
        click("Button10");
        EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"dok"), QString::fromUtf16(c.stored));
        const long long logged = countRows("z");
        click("Button3");
        if (c.form) {
            EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports[0].templateName, QString::fromLatin1(c.form));
        } else {
            EXPECT_TRUE(reports.empty());
            ASSERT_EQ(errors.size(), 1);
            EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Для вида документа «Договор» нет печатной формы")));
            EXPECT_EQ(countRows("z"), logged);                       // no print is logged
        }
    }
}

TEST_F(Documents, AGoodsRowChangedAfterSaveDoesNotReachTheDocument)
{
    click("Button4");
    pick(0, QStringLiteral("бу"));
    click("Button10");
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"s0"), QStringLiteral("118"));
    DataSet& goods = dataSet(u"ADOTable_stov");
    goods.locate(u"naz", u"Бумага");
    goods.edit();
    goods.setValue(u"nds", 20);
    goods.setText(u"naz", QStringLiteral("Бумага офисная"));
    goods.post();
    click("Button3");
    ASSERT_EQ(reports.size(), 1u) << errors.join(u'\n').toStdString();
    const QString printed = reportTexts(reports[0]).join(u'\n');
    EXPECT_TRUE(printed.contains(QStringLiteral("Сто восемнадцать рублей 00 копеек"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Бумага\n"))) << printed.toStdString();
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"s0"), QStringLiteral("118"));
}

TEST_F(Documents, TheWholeEntryFlowStoresEveryField)
{
    click("Button4");
    chooseBuyer(QStringLiteral("оо"));
    pick(3, QStringLiteral("бу"));
    tab().quantityBox(3)->setPendingText(QStringLiteral("2"));
    click("Button10");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    auto db = Database::open(path);
    Statement row = db->prepare(QStringLiteral(
        "SELECT dok, n, dd, np, dp, z, a, unn, rb, okpo, naz3, kol3, cen3, nds3, s3, eu3, naz0, kol0, cen0, nds0, s0, eu0, "
        "sss FROM jur1"));
    ASSERT_TRUE(row.step());
    const QStringList expected = {
        QStringLiteral("Счет"), QStringLiteral("1"), vi23::today().toString(Qt::ISODate), QStringLiteral("-"),
        QString(), QStringLiteral("ООО «Вектор»"), QStringLiteral("Тверь"), QStringLiteral("6901234567/690101001"),
        QStringLiteral("Сбербанк"), QStringLiteral("123"), QStringLiteral("Бумага"), QStringLiteral("2.0"),
        QStringLiteral("1000000"), QStringLiteral("18"), QStringLiteral("2360000"), QStringLiteral("пач"),
        QStringLiteral("-"), QStringLiteral("1.0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
        QString(), QStringLiteral("2360000")};
    for (int column = 0; column < int(expected.size()); ++column)
        EXPECT_EQ(row.text(column), expected[column]) << column;
    EXPECT_FALSE(row.step());
}

// "Редактор" and "Сохранить " on an issued document keep its prices whatever the list says now; its
// buyer's requisites are kept while the buyer stays, taken anew for another buyer, and emptied for one
// the list does not know.
TEST_F(Documents, EditorKeepsTheIssuedPricesAndTheBuyersRequisites)
{
    click("Button4");
    chooseBuyer(QStringLiteral("оо"));
    pick(0, QStringLiteral("бу"));
    click("Button10");
    DataSet& goods = dataSet(u"ADOTable_stov");
    goods.locate(u"naz", u"Бумага");
    goods.edit();
    goods.setText(u"cen", QStringLiteral("200"));
    goods.post();
    DataSet& counterparties = dataSet(u"ADOTable_k");
    counterparties.locate(u"k", u"ООО «Вектор»");
    counterparties.edit();
    counterparties.setText(u"k", QStringLiteral("ООО «Вектор-2»"));
    counterparties.post();
    DataSet& doc = dataSet(u"ADOTable_jur1");
    click("Button20");
    tab().quantityBox(0)->setPendingText(QStringLiteral("2"));
    click("Button10");
    EXPECT_EQ(doc.text(u"s0"), QStringLiteral("236"));
    EXPECT_EQ(doc.text(u"cen0"), QStringLiteral("100"));
    EXPECT_EQ(doc.text(u"unn"), QStringLiteral("6901234567/690101001"));
    click("Button20");
    doc.setText(u"z", QStringLiteral("Нет в списке"));
    click("Button10");
    for (const char16_t* field : {u"a", u"unn", u"rb", u"okpo"})
        EXPECT_TRUE(doc.isNull(field)) << QString::fromUtf16(field).toStdString();
}

// The documents grid shows the figures; typing into it edits the document through the same Save.
TEST_F(Documents, TheGridsTotalTakesNoTypingAndItsOtherCellsStoreThroughSave)
{
    click("Button4");
    chooseBuyer(QStringLiteral("оо"));
    pick(0, QStringLiteral("бу"));
    click("Button10");
    window->goodsPicker().hide();
    window->activateWindow();
    QApplication::processEvents();
    ui::DBGrid* grid = tab().grid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 3));
    QTest::keyClick(grid, Qt::Key_9);
    ASSERT_EQ(informations.size(), 1);
    EXPECT_TRUE(informations[0].startsWith(QStringLiteral("«Всего к оплате» — сумма строк документа"))) << informations[0].toStdString();
    DataSet& doc = dataSet(u"ADOTable_jur1");
    EXPECT_EQ(doc.state(), DataSet::State::Browse);
    EXPECT_EQ(doc.text(u"sss"), QStringLiteral("118"));
    // A number typed into the grid is stored as "Сохранить " stores it: checked, the figures made again.
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClick(grid, Qt::Key_F2);
    QLineEdit* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("1234567890123456"));
    EXPECT_EQ(editor->text(), QStringLiteral("123456789012345"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    click("Button10");
    EXPECT_EQ(doc.text(u"n"), QStringLiteral("123456789012345"));
    EXPECT_EQ(doc.text(u"sss"), QStringLiteral("118"));
    EXPECT_EQ(doc.text(u"unn"), QStringLiteral("6901234567/690101001"));
}

TEST_F(Documents, TheNumberProposedIsTheCountOfStoredDocumentsPlusOne)
{
    for (int i = 0; i < 5; ++i) {
        click("Button4");
        click("Button10");
    }
    DataSet& doc = dataSet(u"ADOTable_jur1");
    doc.locate(u"n", u"3");
    click("Button11");
    click("Button4");
    EXPECT_EQ(child<QLineEdit>("DBEditNumber")->text(), QStringLiteral("5"));   // a number already in use
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Documents, TheNewDocumentsDefaultsSurviveEveryWalkThroughTheForm)
{
    // Each walk is a user's steps between "Новая запись" and "Сохранить ".
    struct Walk {
        const char* name;
        bool savedFirst;                      // a document was stored before, so the grid has rows
        std::function<void()> steps;
    };
    auto clickBox = [this](const char* name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); };
    const Walk walks[] = {
        {"boxes clicked, calendar closed without a pick", false,
         [&] {
             clickBox("DBEditNumber");
             clickBox("DBEdit12");
             window->calendar().close();
             clickBox("DBEditPaymentNumber");
             clickBox("DBEdit41");
             window->calendar().close();
         }},
        {"the same after a stored document", true,
         [&] {
             clickBox("DBEditNumber");
             clickBox("DBEdit12");
             window->calendar().close();
             clickBox("DBEditPaymentNumber");
         }},
        {"Tab through the header and the first line", false,
         [&] {
             clickBox("DBEditNumber");
             for (int i = 0; i < 12; ++i)
                 QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
         }},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        reports.clear();
        if (walk.savedFirst) {
            click("Button4");
            click("Button10");
        }
        const QString number = QString::number(countRows("jur1") + 1);
        click("Button4");
        walk.steps();
        chooseBuyer(QStringLiteral("ооо"));
        pick(1, QStringLiteral("бу"));
        click("Button10");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        {
            auto db = Database::open(path);
            Statement row = db->prepare(QStringLiteral("SELECT n, dd, np, naz0, kol0, naz1, kol1, s1, dok FROM jur1 "
                                                       "ORDER BY k DESC LIMIT 1"));
            ASSERT_TRUE(row.step());
            const QStringList expected = {number, vi23::today().toString(Qt::ISODate), QStringLiteral("-"),
                                          QStringLiteral("-"), QStringLiteral("1.0"), QStringLiteral("Бумага"),
                                          QStringLiteral("1.0"), QStringLiteral("1180000"), QStringLiteral("Счет")};
            for (int column = 0; column < int(expected.size()); ++column)
                EXPECT_EQ(row.text(column), expected[column]) << column;
        }
        click("Button3");
        ASSERT_EQ(reports.size(), 1u) << errors.join(u'\n').toStdString();
        const QString printed = reportTexts(reports[0]).join(u'\n');
        EXPECT_TRUE(printed.contains(QStringLiteral("Счет № %1 от").arg(number))) << printed.toStdString();
    }
}

TEST_F(Documents, MovingTheFocusThroughBoxesChangesNothingShownOrStored)
{
    click("Button4");
    pick(0, QStringLiteral("бу"));
    pick(1, QStringLiteral("бол"));
    QTest::mouseClick(tab().quantityBox(0), Qt::LeftButton);
    QStringList shown;
    for (int line = 0; line < 2; ++line)
        shown << tab().nameBox(line)->text() << tab().priceBox(line)->text() << tab().rateBox(line)->text();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), tab().nameBox(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QStringList after;
    for (int line = 0; line < 2; ++line)
        after << tab().nameBox(line)->text() << tab().priceBox(line)->text() << tab().rateBox(line)->text();
    EXPECT_EQ(after, shown);
    click("Button10");
    DataSet& doc = dataSet(u"ADOTable_jur1");
    doc.refresh();
    EXPECT_EQ(doc.text(u"naz1"), QStringLiteral("Болт М6"));
    EXPECT_EQ(doc.money(u"sss"), Money::parse(u"118") + Money::parse(u"11,98"));
}

TEST_F(Documents, PrintWhileWritingStoresWhatIsPrintedAndSaveAfterwardsWorks)
{
    click("Button4");
    chooseBuyer(QStringLiteral("ооо"));
    pick(0, QStringLiteral("бу"));
    tab().quantityBox(0)->setPendingText(QStringLiteral("2"));
    click("Button10");
    click("Button20");                                   // "Редактор"
    ui::DBEdit* quantity = tab().quantityBox(0);
    QTest::mouseClick(quantity, Qt::LeftButton);
    quantity->selectAll();
    vi23::test::typeInto(quantity, QStringLiteral("5"));
    // "Нет": neither stored nor printed, the document still being written as typed.
    answerYes = false;
    click("Button3");
    EXPECT_EQ(questions, QStringList{QStringLiteral("Сохранить документ и напечатать?")});
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Edit);
    EXPECT_EQ(quantity->text(), QStringLiteral("5"));
    answerYes = true;
    click("Button3");
    EXPECT_EQ(questions.size(), 2);
    EXPECT_TRUE(informations.isEmpty()) << informations.join(u'\n').toStdString();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(requests.back().fileName,
              QStringLiteral("Счет № 1 от %1.pdf").arg(vi23::today().toString(QStringLiteral("dd.MM.yyyy"))));
    // "Отправить по почте" in the preview writes to the buyer.
    EXPECT_EQ(requests.back().mail.subject,
              QStringLiteral("Счет № 1 от %1").arg(vi23::today().toString(QStringLiteral("dd.MM.yyyy"))));
    EXPECT_EQ(requests.back().mail.address, QStringLiteral("buh@vector.ru"));
    EXPECT_TRUE(reportTexts(reports[0]).join(u'\n').contains(QStringLiteral("Пятьсот девяносто рублей 00 копеек")));
    auto stored = [this] {
        auto db = Database::open(path);
        Statement row = db->prepare(QStringLiteral("SELECT kol0, s0, sss FROM jur1"));
        EXPECT_TRUE(row.step());
        return QStringList{row.text(0), row.text(1), row.text(2)};
    };
    const QStringList printed = {QStringLiteral("5.0"), QStringLiteral("5900000"), QStringLiteral("5900000")};
    EXPECT_EQ(stored(), printed);
    click("Button10");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(stored(), printed);
    EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Browse);
}

// The pick window opens afresh for every line, Enter picks only what the typed letters begin (else
// contain), puts nothing when nothing matches, and a pick closes it with the keyboard in the quantity.
TEST_F(Documents, TheGoodsPickWindowPicksOnlyWhatIsTypedAndClosesToTheQuantity)
{
    click("Button4");
    TForm6& picker = window->goodsPicker();
    DataSet& goods = dataSet(u"ADOTable_stov");
    struct Step {
        const char16_t* typed;
        bool onGrid;               // Enter on the list instead of the search line
        const char16_t* picked;    // null: nothing matches
    };
    const Step steps[] = {{u"бол", false, u"Болт М6"},
                          {u"сульт", false, u"Консультация"},   // contained, no name begins so
                          {u"кон", true, u"Консультация"},
                          {u"картбумага", false, nullptr}};
    for (int line = 0; line < int(std::size(steps)); ++line) {
        const Step& step = steps[line];
        SCOPED_TRACE(QString::fromUtf16(step.typed).toStdString());
        QTest::mouseClick(tab().nameBox(line), Qt::LeftButton);
        ASSERT_TRUE(picker.isVisible());
        EXPECT_TRUE(picker.searchBox()->text().isEmpty());
        EXPECT_EQ(goods.position(), 0);
        EXPECT_EQ(goods.text(u"naz"), QStringLiteral("Болт М6"));
        vi23::test::typeInto(picker.searchBox(), QString::fromUtf16(step.typed));
        QTest::keyClick(step.onGrid ? static_cast<QWidget*>(picker.grid()) : picker.searchBox(), Qt::Key_Return);
        if (step.picked) {
            EXPECT_EQ(tab().nameBox(line)->text(), QString::fromUtf16(step.picked));
            EXPECT_FALSE(picker.isVisible());
            EXPECT_EQ(window->focusWidget(), tab().quantityBox(line));
            EXPECT_TRUE(picker.notFoundText().isEmpty());
        } else {
            EXPECT_EQ(tab().nameBox(line)->text(), QStringLiteral("-"));
            EXPECT_TRUE(picker.isVisible());
            EXPECT_EQ(picker.notFoundText(),
                      QStringLiteral("Товара «картбумага» нет в списке: в строку документа ничего не внесено"));
            QTest::keyClick(picker.searchBox(), Qt::Key_Escape);
            EXPECT_FALSE(picker.isVisible());
        }
    }
    EXPECT_EQ(tab().priceBox(1)->text(), QStringLiteral("1180"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// "Печать" of an invoice draws the payment code once the requisites hold the bank's details; the other
// forms never carry one.
TEST_F(Documents, TheInvoiceCarriesThePaymentCodeOnceTheBankDetailsAreThere)
{
    const auto codeBoxes = [](const PreparedReport& report) {
        int count = 0;
        for (const PreparedPage& page : report.pages)
            for (const PreparedBox& box : page.boxes)
                count += box.fillColor == kColorBlack && box.lines.empty();
        return count;
    };
    const auto print = [&](const char16_t* kind) {
        reports.clear();
        click("Button4");
        tab().kindBox()->setPendingText(QString::fromUtf16(kind));
        pick(0, QStringLiteral("бол"));
        click("Button10");
        click("Button3");
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        return reports.size() == 1 ? codeBoxes(reports[0]) : -1;
    };
    EXPECT_EQ(print(u"Счет"), 0);
    DataSet& pr1 = dataSet(u"ADOTable_pr1");
    pr1.first();
    pr1.edit();
    pr1.setText(u"bank", QStringLiteral("ПАО Тверьбанк"));
    pr1.setText(u"rs", QStringLiteral("40702810000000000077"));
    pr1.setText(u"ks", QStringLiteral("30101810000000000001"));
    pr1.setText(u"buk", QStringLiteral("042800001"));
    pr1.post();
    EXPECT_GT(print(u"Счет"), 20);
    EXPECT_EQ(print(u"Акт"), 0);
}

TEST_F(Documents, ATransferDocumentKeepsTheStatusChosenForItAndAnExemptLineBearsNoVat)
{
    dataSet(u"ADOTable_stov").first();
    dataSet(u"ADOTable_stov").edit();
    dataSet(u"ADOTable_stov").setText(u"nds", QStringLiteral("Без НДС"));   // "Бумага", 100
    dataSet(u"ADOTable_stov").post();
    QComboBox* status = tab().statusBox();
    // Chosen while the document is new, the status is stored with it by "Сохранить ".
    click("Button4");
    tab().kindBox()->setPendingText(QStringLiteral("УПД"));
    pick(0, QStringLiteral("бум"));
    status->setCurrentIndex(1);
    emit status->activated(1);
    click("Button10");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    const long long upd = dataSet(u"ADOTable_jur1").integer(u"k");
    EXPECT_EQ(transferStatus(window->store().database(), upd), 2);
    EXPECT_EQ(tab().rateBox(0)->text(), QStringLiteral("Без НДС"));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").money(u"sss"), Money::parse(u"100"));
    // Another document shows its own status; back on the first, its status again.
    click("Button4");
    click("Button10");
    EXPECT_EQ(status->currentIndex(), 0);
    dataSet(u"ADOTable_jur1").first();
    while (dataSet(u"ADOTable_jur1").integer(u"k") != upd)
        dataSet(u"ADOTable_jur1").next();
    EXPECT_EQ(status->currentIndex(), 1);
    // A stored document's status is stored when chosen; the print reads it.
    status->setCurrentIndex(0);
    emit status->activated(0);
    EXPECT_EQ(transferStatus(window->store().database(), upd), 1);
    click("Button3");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].templateName, QStringLiteral("frReport_upd"));
    const IssuedDocument printed = readIssuedDocument(window->store().database(), upd);
    EXPECT_EQ(printed.transferStatus, 1);
    EXPECT_TRUE(printed.exempt);
    EXPECT_EQ(printed.totals.vat, Money());
}

// A cash order reaches the journal by its button: once, with an operation of its own direction, as
// its number and date, counterparty and total; the expense orders are numbered on their own.
TEST_F(Documents, ACashOrderIsRegisteredInTheJournalOnceUnderAnOperationOfItsDirection)
{
    DataSet& operations = dataSet(u"ADOTable_sr");
    for (auto [text, kind] : {std::pair{u"Выручка наличными", u"Приход"}, std::pair{u"Хозяйственные расходы", u"Расход"}}) {
        operations.append();
        operations.setText(u"sr", QString::fromUtf16(text));
        operations.setText(u"vr", QString::fromUtf16(kind));
        operations.post();
    }
    auto writeOrder = [this](const QString& kind, const QString& operation) {
        click("Button4");
        tab().kindBox()->setPendingText(kind);
        pick(0, QStringLiteral("бол"));
        tab().quantityBox(0)->setPendingText(QStringLiteral("3"));
        chooseBuyer(QStringLiteral("ооо"));
        child<ui::DBEdit>("DBEditCashBasis")->setPendingText(QStringLiteral("Оплата поставщику наличными"));
        QTest::keyClick(tab().operationBox(), Qt::Key_Escape);   // a new search, not the last one's letters
        vi23::test::typeInto(tab().operationBox(), operation);
        click("Button10");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    };
    click("Button4");
    click("Button10");                       // an invoice, number 1
    writeOrder(QStringLiteral("Расходный кассовый ордер"), QStringLiteral("Вы"));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"n"), QStringLiteral("1"));   // its own sequence, not 2
    // An operation of the other direction is refused and nothing is written.
    click("ButtonRegisterCash");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("выберите операцию вида «Расход»"))) << errors[0].toStdString();
    EXPECT_EQ(countRows("jur"), 0);
    errors.clear();
    click("Button20");
    QTest::keyClick(tab().operationBox(), Qt::Key_Escape);
    vi23::test::typeInto(tab().operationBox(), QStringLiteral("Хоз"));
    click("ButtonRegisterCash");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    ASSERT_EQ(informations.size(), 1);
    const QString today = vi23::today().toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(informations[0], QStringLiteral("В журнал добавлена строка «КО» № 1 от %1 на сумму 35,93, ООО «Вектор», "
                                              "Хозяйственные расходы").arg(today));
    DataSet& journal = dataSet(u"ADOTable_jur");
    EXPECT_EQ(countRows("jur"), 1);
    EXPECT_EQ(journal.text(u"dok"), QStringLiteral("КО"));
    EXPECT_EQ(journal.text(u"nn"), QStringLiteral("1"));
    EXPECT_EQ(journal.money(u"s"), Money::parse(u"35,93"));
    EXPECT_EQ(journal.text(u"vr"), QStringLiteral("Расход"));
    EXPECT_EQ(journal.text(u"k"), QStringLiteral("ООО «Вектор»"));
    // The second press shows the row already made.
    click("ButtonRegisterCash");
    ASSERT_EQ(informations.size(), 2);
    EXPECT_TRUE(informations[1].startsWith(QStringLiteral("Ордер уже зарегистрирован в журнале: строка «КО» № 1 от ")));
    EXPECT_EQ(countRows("jur"), 1);
    // The next expense order follows its sequence; a receipt order is registered as income under the
    // payment number its form prints; an invoice is not a cash order.
    writeOrder(QStringLiteral("Расходный кассовый ордер"), QStringLiteral("Хоз"));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"n"), QStringLiteral("2"));
    writeOrder(QStringLiteral("Кассовый ордер-пр"), QStringLiteral("Выр"));
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"n"), QStringLiteral("4"));
    click("Button20");
    child<ui::DBEdit>("DBEditPaymentNumber")->setPendingText(QStringLiteral("42"));
    click("ButtonRegisterCash");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(countRows("jur"), 2);
    EXPECT_EQ(journal.text(u"nn"), QStringLiteral("42"));
    EXPECT_EQ(journal.text(u"vr"), QStringLiteral("Приход"));
    // Its row deleted from the journal, the order may be registered again.
    click("Button14");
    EXPECT_EQ(countRows("jur"), 1);
    click("ButtonRegisterCash");
    EXPECT_EQ(countRows("jur"), 2);
    EXPECT_EQ(informations.size(), 4);
    dataSet(u"ADOTable_jur1").last();
    click("ButtonRegisterCash");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("В журнал этой кнопкой регистрируются кассовые ордера"))) << errors[0].toStdString();
    EXPECT_EQ(countRows("jur"), 2);
}

// "Выгрузить для ЭДО…": a kind without an electronic form says so before a folder is asked; a
// document being written is stored first, its file is made from what is stored, and the folder is
// remembered for the next time.
TEST_F(Documents, AnElectronicFileIsOfTheStoredDocumentAndItsFolderIsRemembered)
{
    window->store().database().prepare(QStringLiteral(
        "UPDATE pr1 SET unn = '6950000001/695001001', ad = 'г. Тверь', edo_id = '2BM-6950000001-695001001', "
        "signer_surname = 'Петров', signer_name = 'Петр'")).run();
    window->store().database().prepare(QStringLiteral("UPDATE k SET edo_id = '2AL-6901234567-690101001'")).run();

    click("Button4");
    chooseBuyer(QStringLiteral("ООО «В"));
    pick(0, QStringLiteral("бо"));
    click("ButtonExchange");
    EXPECT_EQ(errors, QStringList{noExchangeFormText(QStringLiteral("Счет"))});
    errors.clear();
    click("Button20");                                   // "Редактор"
    tab().kindBox()->setPendingText(QStringLiteral("Акт"));
    tab().quantityBox(0)->setPendingText(QStringLiteral("3"));
    QTemporaryDir folder;
    const QString path = tab().writeExchangeInto(folder.path());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(dataSet(u"ADOTable_jur1").state(), DataSet::State::Browse);
    EXPECT_EQ(dataSet(u"ADOTable_jur1").text(u"dok"), QStringLiteral("Акт"));
    // Each export of a document being written asked first, and only the file written was told.
    EXPECT_EQ(questions, QStringList(2, QStringLiteral("Сохранить документ и выгрузить?")));
    EXPECT_EQ(informations.size(), 1);
    EXPECT_TRUE(informations.value(0).contains(QDir::toNativeSeparators(path))) << informations.join(u'\n').toStdString();
    EXPECT_EQ(QFileInfo(path).dir().absolutePath(), QDir(folder.path()).absolutePath());
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("ON_NSCHFDOPPR_2AL-6901234567-690101001_2BM-")));
    EXPECT_EQ(readSetting(window->store().database(), QStringLiteral("edo_folder")), folder.path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QStringDecoder("windows-1251").decode(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Функция=\"ДОП\""))) << text.toStdString();
    // The stored quantity 3 of "Болт М6" at 10,15: 30,45 before VAT.
    EXPECT_TRUE(text.contains(QStringLiteral("КолТов=\"3\" ЦенаТов=\"10.15\" СтТовБезНДС=\"30.45\""))) << text.toStdString();
}
