// The nine books of the report panel prepared over one journal of two years: which rows each book
// takes, the group headings and footers with their sums, the dates in their formats, the cash book,
// the reconciliation act.
#include "PrintFixture.h"

#include "books/BookPrinting.h"
#include "books/BookSheets.h"
#include "data/Error.h"
#include "data/Database.h"
#include "reports/TextLayout.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vi23::e2e {
namespace {

QStringList list(std::initializer_list<const char16_t*> texts)
{
    QStringList out;
    for (const char16_t* t : texts)
        out << QString::fromUtf16(t);
    return out;
}

struct Column {
    int x;
    QStringList texts;      // top to bottom, blanks collapsed
};

struct Placed {
    int x, y;
    const char16_t* text;
};

struct BookCase {
    const char16_t* kind;
    const char* form;
    int pages;
    int boxes;     // on all pages; 0: not counted
    std::vector<Column> columns;
    std::vector<Placed> placed;   // on the first page
};

// The journal: 15.12.2022 КО Выручка +2000 (before the period), 10.01.2023 ПП Выручка +1000,
// 20.02.2023 КО Аренда "Расход" 1500, 05.04.2023 ПП Закупка -300, 15.05.2023 ТН Выручка +777,
// 07.08.2023 ПП Прочий доход +400, 20.08.2023 ПП operation missing from sr +55, 11.11.2023 КО
// Выручка +250, 12.11.2023 А Аренда -88, 15.01.2024 ПП Выручка +600 (the end date), 16.01.2024 КО
// Аренда -120 (the day after). Entry numbers nn are 1 to 11 in that order.
const BookCase kBooks[] = {
    // A tax book: one book for each year of the period, its rows numbered through the year.
    {u"Книга доходов и расходов-квартальная", "frReport11", 2,
     // 2023: title, page header, the year, 4 quarters, 5 rows, 4 quarter footers, the half-year after the
     // second quarter, the nine months after the third and the year after the fourth, the summary and
     // the page footer; 2024: the same for its one row of the first quarter
     (2 + 12 + 1 + 4 * 1 + 5 * 7 + 4 * 3 + 3 + 3 + 3 + 11 + 1) + (2 + 12 + 1 + 1 + 7 + 3 + 11 + 1),
     {{36, list({u"Дата и номер", u"2", u"2023", u"Квартал 1", u"Квартал 2", u"Квартал 3", u"Квартал 4",
                 u"Дата и номер", u"2", u"2024", u"Квартал 1"})},
      {28, list({u"10 янв 2023/", u"20 фев 2023/", u"5 апр 2023/", u"7 авг 2023/", u"11 ноя 2023/",
                 u"15 янв 2024/"})},
      {108, list({u"ПП", u"КО", u"ПП", u"ПП", u"КО", u"ПП"})},
      // The entry numbers inside the "№" column's frame, through each year.
      {12, list({u"Регистрация", u"№", u"1", u"1", u"2", u"3", u"4", u"5", u"Регистрация", u"№", u"1", u"1"})},
      {306, list({u"Итого за 1 квартал:", u"Итого за 2 квартал:", u"Итого за полугодие", u"Итого за 3 квартал:",
                  u"Итого за 9 месяцев", u"Итого за 4 квартал:", u"Итого за 2023 год:", u"Итого за 1 квартал:"})},
      // Rows and footers: income, the longer totals cumulative from the start of the year
      {486, list({u"1000,00", u"0,00", u"1000,00",        // Q1
                  u"0,00", u"0,00", u"1000,00",           // Q2, half-year
                  u"400,00", u"400,00", u"1400,00",       // Q3, nine months
                  u"250,00", u"250,00", u"1650,00",       // Q4, year 2023
                  u"600,00", u"600,00"})},
      // and expense, "Расход" counted although the query writes "расход"
      {606, list({u"0,00", u"1500,00", u"1500,00", u"300,00", u"300,00", u"1800,00", u"0,00", u"0,00", u"1800,00",
                  u"0,00", u"0,00", u"1800,00", u"0,00", u"0,00"})},
      // Each year's 010, 020, 040 the profit, 041 the loss
      {432, list({u"1650,00", u"1800,00", u"0,00", u"150,00", u"600,00", u"0,00", u"600,00", u"0,00"})}},
     {{16, 30, u"Книга учета доходов и расходов"}, {36, 146, u"2023"}, {306, 434, u"Итого за 2023 год:"},
      {220, 456, u"Справка к разделу 1"}, {24, 1035, u"1"}}},
    // Every month of each year's part of the period has its heading and total, rows or none; the
    // reference lines of 2023 go on to a page of their own.
    {u"Книга доходов и расходов-месячная", "frReport10", 3, 0,
     {{136, list({u"Содержание операции", u"3",
                  u"Итого за месяц", u"Итого за месяц", u"Итого за месяц", u"Итого за квартал:",
                  u"Итого за месяц", u"Итого за месяц", u"Итого за месяц", u"Итого за квартал:", u"Итого за полугодие",
                  u"Итого за месяц", u"Итого за месяц", u"Итого за месяц", u"Итого за квартал:", u"Итого за 9 месяцев",
                  u"Итого за месяц", u"Итого за месяц", u"Итого за месяц", u"Итого за квартал:",
                  u"Итого за отчетный - налоговый период 2023 года:", u"Содержание операции", u"3",
                  u"Содержание операции", u"3", u"Итого за месяц", u"Итого за квартал:"})},
      {36, list({u"Дата и номер", u"2", u"10 янв 2023/", u"20 фев 2023/", u"5 апр 2023/", u"7 авг 2023/",
                 u"11 ноя 2023/", u"Дата и номер", u"2", u"Дата и номер", u"2", u"15 янв 2024/"})},
      // expense of each row and total: Jan (row, month), Feb (row, month), Mar, Q1; Apr (row, month),
      // May, Jun, Q2, half-year; Jul, Aug (row, month), Sep, Q3, nine months; Oct, Nov (row, month), Dec,
      // Q4, the year; 2024: Jan (row, month), Q1
      {610, list({u"Расходы, учитываемые при исчислении налоговой базы", u"5",
                  u"0,00", u"0,00", u"1500,00", u"1500,00", u"0,00", u"1500,00",
                  u"300,00", u"300,00", u"0,00", u"0,00", u"300,00", u"1800,00",
                  u"0,00", u"0,00", u"0,00", u"0,00", u"0,00", u"1800,00",
                  u"0,00", u"0,00", u"0,00", u"0,00", u"0,00", u"1800,00",
                  u"Расходы, учитываемые при исчислении налоговой базы", u"5",
                  u"Расходы, учитываемые при исчислении налоговой базы", u"5",
                  u"0,00", u"0,00", u"0,00"})},
      {432, list({u"1650,00", u"1800,00", u"0,00", u"150,00", u"600,00", u"0,00", u"600,00", u"0,00"})}},
     {{16, 150, u"Год 2023"}, {16, 168, u"Квартал 1"}, {16, 186, u"Месяц 01"}}},
    {u"Книга расчетов по банку", "frReport_bank", 1,
     4 + 12 + 2 * 1 + 4 * 1 + 4 * 1 + 5 * 6 + 4 * 4 + 4 * 4 + 2 * 4 + 1,
     {{100, list({u"2", u"4", u"6", u"7", u"10"})},          // every ПП, its operation listed or not
      {136, list({u"Содержание операции", u"3", u"Выручка", u"Закупка", u"Прочий доход", u"Удалённая операция",
                  u"Выручка"})},
      {36, list({u"Дата и номер", u"2", u"10 янв 2023", u"5 апр 2023", u"7 авг 2023", u"20 авг 2023",
                 u"15 янв 2024"})},
      {608, list({u"1000,00", u"1000,00", u"-300,00", u"-300,00", u"455,00", u"455,00", u"1155,00", u"600,00",
                  u"600,00", u"600,00"})},
      {124, list({u"Всего за отчетный период 2023 года:", u"Всего за отчетный период 2024 года:"})}},
     {{16, 130, u"Год 2023"}, {124, 554, u"Всего за отчетный период 2023 года:"}, {360, 554, u"1455,00"},
      {476, 554, u"300,00"}}},
    {u"Книга расчетов по кассе", "frReport_kassa", 1,
     3 + 12 + 1 + 2 * 1 + 2 * 1 + 2 * 6 + 2 * 4 + 2 * 4 + 4 + 1,
     {{96, list({u"3", u"8"})},         // the cash orders of the period only
      {36, list({u"Дата и номер", u"2", u"20 фев 2023", u"11 ноя 2023"})},
      // row, month, quarter; row, month, quarter; year
      {476, list({u"Расход", u"5", u"1500,00", u"1500,00", u"1500,00", u"0,00", u"0,00", u"0,00", u"1500,00"})},
      {608, list({u"-1500,00", u"-1500,00", u"250,00", u"250,00", u"-1250,00"})}},
     {{16, 126, u"Год 2023"}, {16, 146, u"Квартал 1"}, {124, 402, u"Всего за отчетный период 2023 года:"}}},
    {u"Кассовая книга", "frReport_kas", 1,
     2 + 2 + 12 + 2 * 5 + 2 * 6 + 2 * 3 + 1,
     // The days of the period; each opens with the balance of every earlier cash order.
     {{76, list({u"20 февраля 2023", u"11 ноября 2023"})},
      {36, list({u"Номер ордера", u"2", u"3", u"8"})},
      {132, list({u"ООО Бета", u"ООО Альфа"})},
      {608, list({u"Форма № КО-4", u"2000,00", u"500,00", u"500,00", u"750,00"})},
      {476, list({u"Расход", u"5", u"1500,00", u"1500,00", u"0,00", u"0,00"})}},
     {{16, 20, u"Кассовая книга"}, {16, 126, u"Касса за :"}, {352, 126, u"Остаток на начало дня:"},
      {32, 174, u"Кассир________________________ Итого за день:"}, {352, 174, u"0,00"}, {20, 1029, u"Лист № 1"}}},
    {u"Сводный отчет по операциям", "frReport2", 1,
     4 + 12 + 4 * 1 + 8 * 6 + 4 * 4 + 1,
     {{36, list({u"Дата и номер", u"2", u"Типовая операция: Аренда", u"20 фев 2023", u"12 ноя 2023",
                 u"Типовая операция: Выручка", u"10 янв 2023", u"15 мая 2023", u"11 ноя 2023", u"15 янв 2024",
                 u"Типовая операция: Закупка", u"5 апр 2023", u"Типовая операция: Прочий доход", u"7 авг 2023"})},
      {102, list({u"3/КО", u"9/А", u"2/ПП", u"5/ТН", u"8/КО", u"10/ПП", u"4/ПП", u"6/ПП"})},
      {12, list({u"Регистрация", u"№", u"1", u"1", u"2", u"1", u"2", u"3", u"4", u"1", u"1"})},
      {360, list({u"0,00", u"2627,00", u"0,00", u"400,00"})},
      {476, list({u"Списано", u"5", u"1500,00", u"88,00", u"1588,00", u"0,00", u"0,00", u"0,00", u"0,00", u"0,00",
                  u"300,00", u"300,00", u"0,00", u"0,00"})},
      {608, list({u"-1588,00", u"2627,00", u"-300,00", u"400,00"})}},
     {{36, 128, u"Типовая операция: Аренда"}, {204, 190, u"Итого по операции :"}, {360, 322, u"2627,00"}}},
    {u"Книга расчетов с контрагентами", "frReportss", 1,
     3 + 12 + 3 * 1 + 8 * 6 + 3 * 4 + 1,
     {{36, list({u"Дата и номер", u"2", u"Плательщик-получатель: ООО Альфа", u"10 янв 2023", u"11 ноя 2023",
                 u"Плательщик-получатель: ООО Бета", u"20 фев 2023", u"5 апр 2023", u"12 ноя 2023",
                 u"Плательщик-получатель: ООО Гамма", u"15 мая 2023", u"7 авг 2023", u"15 янв 2024"})},
      {102, list({u"2/ПП", u"8/КО", u"3/КО", u"4/ПП", u"9/А", u"5/ТН", u"6/ПП", u"10/ПП"})},
      {136, list({u"Типовая операция", u"3", u"Выручка", u"Выручка", u"Аренда", u"Закупка", u"Аренда", u"Выручка",
                  u"Прочий доход", u"Выручка"})},
      {360, list({u"1250,00", u"0,00", u"1777,00"})}},
     {{36, 124, u"Плательщик-получатель: ООО Альфа"}}},
    // With ООО Альфа: the documents issued to it and its payments in date order, a document before a
    // payment of the same day; the counterparty's side left blank.
    {u"Акт сверки", "frReport_sverka", 1, 20 + 5 * 8 + 40 + 1,
     {{90, list({u"Документ", u"Платежное поручение № 2", u"Акт № 8", u"Платежное поручение № 7", u"Счет № 9",
                 u"Приходный кассовый ордер № 8"})},
      // opening, the rows, the turnovers, the closing balance
      {268, list({u"Дебет", u"1000,00", u"", u"1234,56", u"", u"500,00", u"", u"1734,56", u"1429,56"})},
      {338, list({u"Кредит", u"", u"1000,00", u"", u"55,00", u"", u"250,00", u"1305,00", u""})},
      {580, list({u"Дебет", u"", u"", u"", u"", u"", u"", u"", u""})}},
     {}},
    // One title page for each year.
    {u"Титульный лист", "frRepor_t", 2, 2 * 32, {{252, list({u"книга", u"На 2023 год", u"книга", u"На 2024 год"})}},
     {{252, 220, u"На 2023 год"}, {52, 316, u"ООО «Север»"}, {616, 308, u"12121212"},
      {52, 676, u"г. Тверь, ул. Новая, 3"}, {52, 764, u"ПАО Тверьбанк 40702810000000000077"},
      {52, 403, u"6950000001/695001001"}}},
};

VI23_PRINT_CASES_ON_BOTH_STORES(BookForms);

TEST_P(BookForms, EveryBookPrintsItsRowsGroupsAndSums)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    for (const BookCase& c : kBooks) {
        SCOPED_TRACE(c.form);
        const PreparedReport report = f.printBook(QString::fromUtf16(c.kind));
        EXPECT_EQ(report.templateName, QString::fromLatin1(c.form));
        ASSERT_EQ(int(report.pages.size()), c.pages);
        const PreparedPage& page = report.pages[0];
        int boxes = 0;
        for (const PreparedPage& p : report.pages)
            boxes += int(p.boxes.size());
        if (c.boxes) {
            EXPECT_EQ(boxes, c.boxes);
        }
        for (const Column& col : c.columns)
            EXPECT_EQ(column(report, col.x), col.texts) << "column " << col.x;
        for (const Placed& p : c.placed)
            EXPECT_EQ(flat(boxAt(page, p.x, p.y)), QString::fromUtf16(p.text)) << p.x << "," << p.y;
    }
}

// The act's balances against sums worked out by hand from the fixture's documents and journal, on the
// printed page and in the workbook; an act without a counterparty of the list is refused.
TEST_P(BookForms, TheActsBalancesAreTheHandSumsOfDocumentsAndPayments)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    struct Case {
        const char16_t* counterparty;
        QDate from, to;
        // opening debit and credit, the turnovers, closing debit and credit, as printed
        std::vector<const char16_t*> figures;
        const char16_t* wording;
    };
    const Case cases[] = {
        // Before the period: ТН 3000 less КО 2000. In it: Акт 1234,56 and Счет 500; ПП 1000, ПП 55, КО 250.
        {u"ООО Альфа", {2023, 1, 1}, {2024, 1, 15}, {u"1000,00", u"", u"1734,56", u"1305,00", u"1429,56", u""},
         u"Задолженность в пользу ООО «Север» составляет 1429,56 руб."},
        // The document after the end and the cash paid out the day after it come in: 120 is our debit.
        {u"ООО Альфа", {2023, 1, 1}, {2024, 1, 31}, {u"1000,00", u"", u"2854,55", u"1305,00", u"2549,55", u""},
         u"Задолженность в пользу ООО «Север» составляет 2549,55 руб."},
        {u"ООО Альфа", {2022, 1, 1}, {2023, 1, 10}, {u"0,00", u"", u"3000,00", u"3000,00", u"0,00", u""},
         u"Задолженность отсутствует"},
        {u"ООО Альфа", {2023, 3, 2}, {2023, 11, 10}, {u"1234,56", u"", u"0,00", u"55,00", u"1179,56", u""},
         u"Задолженность в пользу ООО «Север» составляет 1179,56 руб."},
        // Paid 400 and 600 with nothing issued: we owe; the ТН row of the journal is no payment.
        {u"ООО Гамма", {2023, 1, 1}, {2024, 1, 15}, {u"0,00", u"", u"0,00", u"1000,00", u"", u"1000,00"},
         u"Задолженность в пользу ООО Гамма составляет 1000,00 руб."},
    };
    for (const Case& c : cases) {
        const QString counterparty = QString::fromUtf16(c.counterparty);
        SCOPED_TRACE(counterparty.toStdString() + " " + c.to.toString(Qt::ISODate).toStdString());
        const PreparedReport act = f.printBook(kReconciliationKind, c.from, c.to, counterparty);
        const QStringList debit = column(act, 268), credit = column(act, 338);
        ASSERT_GE(debit.size(), 4);
        const QStringList printed = {debit[1], credit[1], debit[debit.size() - 2], credit[credit.size() - 2],
                                     debit.back(), credit.back()};
        QStringList expected;
        for (const char16_t* figure : c.figures)
            expected << QString::fromUtf16(figure);
        EXPECT_EQ(printed, expected);
        const QString wording = QStringLiteral("По данным ООО «Север» на %1: %2")
                                    .arg(c.to.toString(QStringLiteral("dd.MM.yyyy")), QString::fromUtf16(c.wording));
        EXPECT_EQ(boxesWithText(act.pages.back(), wording).size(), 1u) << wording.toStdString();

        // The workbook: the same figures in the same order, the wording last.
        const Sheet sheet = bookSheet(f.store(), kReconciliationKind, c.from, c.to, counterparty);
        QStringList kept;
        for (const SheetRow& row : sheet.rows) {
            for (size_t cell : {size_t(3), size_t(4)})
                kept << (row.cells[cell].kind() == Value::Kind::Money ? row.cells[cell].money().toFixed(2) : QString());
        }
        QStringList shown;
        for (int i = 1; i < debit.size(); ++i)
            shown << debit[i] << credit[i];
        shown << QString() << QString();
        EXPECT_EQ(kept, shown);
        EXPECT_EQ(sheet.rows.back().cells[1].toText(), QString::fromUtf16(c.wording));
        EXPECT_EQ(sheet.heading.value(3), QStringLiteral("с контрагентом ") + counterparty);
    }
    const std::pair<QString, QString> refused[] = {
        {QString(), QStringLiteral("Для акта сверки выберите контрагента")},
        {QStringLiteral("ООО Дельта"), QStringLiteral("Контрагента «ООО Дельта» нет в списке")},
    };
    for (const auto& [counterparty, message] : refused) {
        try {
            f.printBook(kReconciliationKind, PrintFixture::periodStart(), PrintFixture::periodEnd(), counterparty);
            ADD_FAILURE() << "printed with " << counterparty.toStdString();
        } catch (const UserError& e) {
            EXPECT_TRUE(e.text().startsWith(message)) << e.text().toStdString();
        }
    }
}

// The period: its start and end both in, the day after out, and a start after the end passes nothing.
TEST_P(BookForms, ThePeriodTakesBothEndsAndNothingElse)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    struct Case {
        QDate from, to;
        QStringList cashOrders;     // nn column of the cash-settlement book
        QStringList bankOrders;
    };
    const Case cases[] = {
        {{2023, 1, 1}, {2024, 1, 15}, {"3", "8"}, {"2", "4", "6", "7", "10"}},
        {{2023, 1, 1}, {2024, 1, 16}, {"3", "8", "11"}, {"2", "4", "6", "7", "10"}},
        {{2024, 1, 16}, {2024, 1, 16}, {"11"}, {}},
        {{2022, 12, 15}, {2023, 1, 10}, {"1"}, {"2"}},
        {{2023, 2, 21}, {2023, 11, 10}, {}, {"4", "6", "7"}},
        {{2024, 1, 15}, {2023, 1, 1}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString(Qt::ISODate).toStdString() + " " + c.to.toString(Qt::ISODate).toStdString());
        const PreparedReport cash = f.printBook(QStringLiteral("Книга расчетов по кассе"), c.from, c.to);
        EXPECT_EQ(column(cash.pages.at(0), 96), c.cashOrders);
        const PreparedReport bank = f.printBook(QStringLiteral("Книга расчетов по банку"), c.from, c.to);
        EXPECT_EQ(column(bank.pages.at(0), 100), c.bankOrders);
        if (c.bankOrders.isEmpty()) {
            // An empty period prints the title, the page header and the page footer only.
            EXPECT_EQ(bank.pages.at(0).boxes.size(), size_t(4 + 12 + 1));
        }
    }
}

// Quarter columns of the income and expense query as the quarterly book groups on them.
TEST_P(BookForms, HalfYearAndNineMonthColumnsFollowTheQuarter)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    setBookPeriod(f.store(), {2023, 1, 1}, {2023, 12, 31});
    DataSet& book = f.store().dataSet(u"ADOQuery11");
    if (!book.isOpen())
        book.open();
    QStringList rows;
    for (book.first(); !book.eof(); book.next()) {
        QStringList cells;
        for (const char16_t* field : {u"nn", u"q", u"ds6", u"ds9", u"d", u"k", u"d6", u"d9", u"k6", u"k9"})
            cells << book.text(field);
        if (book.integer(u"shown"))
            rows << cells.join(u'|');
    }
    const QStringList expected = {
        QStringLiteral("2|1|6|9|1000|0|1000|1000|0|0"),
        QStringLiteral("3|1|6|9|0|1500|0|0|1500|1500"),
        QStringLiteral("4|2|6|9|0|300|0|0|300|300"),
        QStringLiteral("6|3|0|9|400|0|0|400|0|0"),
        QStringLiteral("8|4|0|0|250|0|0|0|0|0"),
    };
    EXPECT_EQ(rows, expected);
}

TEST_P(BookForms, TheTitlePagePrintsTheYearOfThePeriodsStart)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    const std::pair<QDate, const char16_t*> cases[] = {
        {{2023, 1, 1}, u"На 2023 год"}, {{2024, 12, 31}, u"На 2024 год"}, {{2031, 7, 1}, u"На 2031 год"}};
    for (const auto& [from, text] : cases) {
        const PreparedReport title = f.printBook(QStringLiteral("Титульный лист"), from, from.addYears(1));
        EXPECT_EQ(flat(boxAt(title.pages.at(0), 252, 220)), QString::fromUtf16(text));
    }
}

TEST_P(BookForms, TheCashBookPrintedTwiceGivesTheSameRowsAndPages)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    auto kassa = [&] {
        Statement rows = f.store().database().prepare(
            QStringLiteral("SELECT dd, nn, sr, k, sd, sk, srr, sdd, skk, srrr FROM kassa ORDER BY n"));
        QStringList out;
        while (rows.step()) {
            QStringList cells;
            for (int i = 0; i < 10; ++i)
                cells << rows.text(i);
            out << cells.join(u'|');
        }
        return out;
    };
    const PreparedReport first = f.printBook(kCashBookKind);
    const QStringList firstRows = kassa();
    const PreparedReport second = f.printBook(kCashBookKind);
    EXPECT_EQ(first, second);
    EXPECT_EQ(kassa(), firstRows);
    ASSERT_EQ(firstRows.size(), 2);
    // The period's orders with balances as money in ten-thousandths, from the order of 2000 before the
    // period: 500 after the expense of 1500, then 750.
    EXPECT_TRUE(firstRows[0].endsWith(QStringLiteral("|20000000|15000000|5000000"))) << firstRows[0].toStdString();
    EXPECT_TRUE(firstRows[1].endsWith(QStringLiteral("|22500000|15000000|7500000"))) << firstRows[1].toStdString();
}

// Entry numbers of every width print whole on one line in the books' narrow number cells, condensed
// where they do not fit; a loss goes to line 041 as a positive amount with 040 at zero.
TEST_P(BookForms, NumbersPrintWholeAndALossGoesToItsOwnLine)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    DataSet& jur = f.store().jur();
    const std::pair<const char*, const char16_t*> entries[] = {{"99", u"ПП"}, {"100", u"КО"}, {"1000", u"ПП"}, {"99999", u"КО"}};
    int day = 1;
    for (const auto& [number, kind] : entries) {
        jur.append();
        jur.setValue(u"dd", QDate(2025, 3, day++));
        jur.setText(u"nn", QString::fromLatin1(number));
        jur.setText(u"dok", QString::fromUtf16(kind));
        jur.setText(u"sr", QStringLiteral("Аренда"));
        jur.setText(u"vr", QStringLiteral("Расход"));
        jur.setText(u"s", QStringLiteral("100"));
        jur.setText(u"k", QStringLiteral("ООО Бета"));
        jur.post();
    }
    struct Case {
        const char16_t* kind;
        std::vector<const char16_t*> cells;
    };
    const Case cases[] = {
        {u"Книга доходов и расходов-квартальная", {u"99/", u"100/", u"1000/", u"99999/"}},
        {u"Книга доходов и расходов-месячная", {u"99/", u"100/", u"1000/", u"99999/"}},
        {u"Сводный отчет по операциям", {u"99/ПП", u"100/КО", u"1000/ПП", u"99999/КО"}},
        {u"Книга расчетов с контрагентами", {u"99/ПП", u"100/КО", u"1000/ПП", u"99999/КО"}},
        {u"Книга расчетов по банку", {u"99", u"1000"}},
        {u"Книга расчетов по кассе", {u"100", u"99999"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.kind).toStdString());
        const PreparedReport book = f.printBook(QString::fromUtf16(c.kind), {2025, 1, 1}, {2025, 12, 31});
        const PreparedPage& page = book.pages.at(0);
        for (const char16_t* text : c.cells) {
            const std::vector<const PreparedBox*> boxes = boxesWithText(page, QString::fromUtf16(text));
            ASSERT_EQ(boxes.size(), 1u) << QString::fromUtf16(text).toStdString();
            const PreparedBox& box = *boxes.front();
            ASSERT_EQ(box.lines.size(), 1u);
            const PreparedLine& line = box.lines.front();
            EXPECT_GE(line.x, box.x);
            EXPECT_LE(line.x + textWidthUnits(box.font, line.text) * line.scaleX, box.x + box.width + 1e-9)
                << QString::fromUtf16(text).toStdString();
        }
    }
    // 2025 is all expense: 040 is 0,00 and 041 the loss.
    const PreparedReport quarterly = f.printBook(QStringLiteral("Книга доходов и расходов-квартальная"), {2025, 1, 1},
                                                 {2025, 12, 31});
    const QStringList reference = column(quarterly.pages.at(0), 432);
    EXPECT_EQ(reference, (QStringList{"0,00", "400,00", "0,00", "400,00"}));
}

} // namespace
} // namespace vi23::e2e

namespace vi23::e2e {
namespace {

// Every mark of every form lies at least 5 mm from each paper edge once its page's content
// is placed; a form that already lies inside is not moved.
TEST(AllForms, EveryMarkKeepsFiveMillimetresFromThePaperEdges)
{
    PrintFixture f;
    f.fillReferenceLists();
    f.fillJournal();
    std::vector<PreparedReport> reports;
    for (const FormKind& k : documentKindTable()) {
        for (FormSet set : {FormSet::Described, FormSet::Current2026}) {
            if (set == FormSet::Current2026 && k.form2026.isEmpty())
                continue;
            std::optional<PreparedReport> r = f.printDocument(f.addDocument(k.caption), set);
            ASSERT_TRUE(r.has_value()) << k.caption.toStdString();
            reports.push_back(std::move(*r));
        }
    }
    for (const FormKind& k : reportKindTable())
        reports.push_back(f.printBook(k.caption));
    ASSERT_EQ(reports.size(), 21u);
    int moved = 0;
    for (const PreparedReport& r : reports) {
        SCOPED_TRACE(r.templateName.toStdString());
        for (const PreparedPage& page : r.pages) {
            const ContentPlacement& c = page.content;
            EXPECT_GT(c.scale, 0.97);
            moved += c.x != 0 || c.y != 0 || c.scale != 1;
            for (const PreparedBox& b : page.boxes) {
                const bool text = std::any_of(b.lines.begin(), b.lines.end(),
                                              [](const PreparedLine& l) { return !l.text.trimmed().isEmpty(); });
                if (b.kind == PreparedBox::Kind::Memo && !text && b.frameSides == 0 && b.fillColor == kColorNone)
                    continue;
                EXPECT_GE(b.x * c.scale + c.x, kSafeMarginX - 1e-6) << flat(b).toStdString();
                EXPECT_LE((b.x + b.width) * c.scale + c.x, page.width - kSafeMarginX + 1e-6) << flat(b).toStdString();
                EXPECT_GE(b.y * c.scale + c.y, kSafeMarginY - 1e-6) << flat(b).toStdString();
                EXPECT_LE((b.y + b.height) * c.scale + c.y, page.height - kSafeMarginY + 1e-6) << flat(b).toStdString();
            }
        }
    }
    EXPECT_GT(moved, 0);
}

} // namespace
} // namespace vi23::e2e
