// The book of income and expenses as a tax year, against sums worked out by hand: any quarter alone
// numbers its rows through the year and totals the half-year, nine months, year and reference lines
// from 1 January; a quarter without rows still closes with its totals; a period across the new year
// is a book for each year. An operation listed twice counts each journal row once in every book, and
// the workbooks hold what the pages print.
#include "PrintFixture.h"

#include "books/BookPrinting.h"
#include "books/BookSheets.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <tuple>

namespace vi23::e2e {
namespace {

// 2025: income 1000 (Q1, cash), 200 (Q1, cash), 300 (Q2), 500 (Q4); expense 400 (Q1), 100 (Q2, cash),
// 50 (Q4, cash); nothing in the third quarter. 2026: income 70 (cash), expense 30. "Выручка" is listed
// twice, once in capitals.
class TaxYear : public StoreCase {
protected:
    void SetUp() override
    {
        StoreCase::SetUp();
        if (IsSkipped())
            return;
        fixture_ = std::make_unique<PrintFixture>(GetParam());
        PrintFixture& f = *fixture_;
        f.fillReferenceLists();
        DataSet& sr = f.store().dataSet(u"ADOTable_sr");
        for (auto [text, kind] : {std::pair{u"Выручка", u"Приход"}, std::pair{u"ВЫРУЧКА", u"Приход"}, std::pair{u"Аренда", u"Расход"}}) {
            sr.append();
            sr.setText(u"sr", QString::fromUtf16(text));
            sr.setText(u"vr", QString::fromUtf16(kind));
            sr.post();
        }
        struct Entry {
            QDate date;
            const char16_t* kind;
            bool income;
            const char* amount;
        };
        const Entry entries[] = {
            {{2025, 1, 15}, u"КО", true, "1000"}, {{2025, 2, 20}, u"ПП", false, "400"}, {{2025, 3, 10}, u"КО", true, "200"},
            {{2025, 5, 5}, u"ПП", true, "300"},   {{2025, 6, 12}, u"КО", false, "100"}, {{2025, 10, 3}, u"ПП", true, "500"},
            {{2025, 11, 25}, u"КО", false, "50"}, {{2026, 1, 14}, u"КО", true, "70"},   {{2026, 2, 9}, u"ПП", false, "30"},
        };
        DataSet& jur = f.store().jur();
        int number = 1;
        for (const Entry& e : entries) {
            jur.append();
            jur.setValue(u"dd", e.date);
            jur.setText(u"nn", QString::number(number++));
            jur.setText(u"dok", QString::fromUtf16(e.kind));
            jur.setText(u"sr", e.income ? QStringLiteral("Выручка") : QStringLiteral("Аренда"));
            jur.setText(u"vr", e.income ? QStringLiteral("Приход") : QStringLiteral("Расход"));
            jur.setText(u"s", QString::fromLatin1(e.amount));
            jur.setText(u"k", QStringLiteral("ООО Альфа"));
            jur.post();
        }
    }

    std::unique_ptr<PrintFixture> fixture_;
};

VI23_INSTANTIATE_ON_BOTH_STORES(TaxYear);

bool isAmount(const QString& text)
{
    static const QRegularExpression amount(QStringLiteral("^-?[0-9]+,[0-9]{2}$"));
    return amount.match(text).hasMatch();
}

// What the quarterly book prints, page by page: the quarter headings, each row's number, each total with
// its income and expense, and the reference lines 010, 020, 040 and 041.
QStringList quarterlyBook(const PreparedReport& book)
{
    QStringList out;
    for (const PreparedPage& page : book.pages) {
        std::vector<std::tuple<int, int, QString>> lines;   // y, x, text
        for (const PreparedBox& b : page.boxes) {
            const QString text = flat(b);
            const bool heading = b.x == 36 && text.startsWith(QStringLiteral("Квартал"));
            const bool number = b.x == 12 && b.width < 24;   // not the column's title "1"
            const bool total = b.x == 306 || ((b.x == 486 || b.x == 606) && text.size() && b.font.style);
            const bool reference = b.x == 432 && isAmount(text);
            if (heading || number || total || reference)
                lines.emplace_back(b.y, b.x, number ? QStringLiteral("№") + text : text);
        }
        std::sort(lines.begin(), lines.end());
        QString line;
        int y = -1;
        for (const auto& [at, x, text] : lines) {
            if (at != y && !line.isEmpty()) {
                out << line;
                line.clear();
            }
            y = at;
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + text.simplified();
        }
        if (!line.isEmpty())
            out << line;
        out << QStringLiteral("-- лист %1").arg(pageTexts(page).back());
    }
    return out;
}

TEST_P(TaxYear, AnyPeriodOfAYearCountsFromTheFirstOfJanuary)
{
    PrintFixture& f = *fixture_;
    struct Case {
        const char* what;
        QDate from, to;
        QStringList printed;
    };
    const Case cases[] = {
        {"the second quarter: rows 4 and 5, the half-year from January",
         {2025, 4, 1},
         {2025, 6, 30},
         {"Квартал 2", "№4", "№5", "Итого за 2 квартал: 300,00 100,00", "Итого за полугодие 1500,00 500,00", "1500,00",
          "500,00", "1000,00", "0,00", "-- лист 1"}},
        {"the third quarter without rows: its total and the nine months all the same",
         {2025, 7, 1},
         {2025, 9, 30},
         {"Квартал 3", "Итого за 3 квартал: 0,00 0,00", "Итого за 9 месяцев 1500,00 500,00", "1500,00", "500,00", "1000,00",
          "0,00", "-- лист 1"}},
        {"the fourth quarter: rows 6 and 7, the year",
         {2025, 10, 1},
         {2025, 12, 31},
         {"Квартал 4", "№6", "№7", "Итого за 4 квартал: 500,00 50,00", "Итого за 2025 год: 2000,00 550,00", "2000,00",
          "550,00", "1450,00", "0,00", "-- лист 1"}},
        {"from March: the first quarter's total counts January and February",
         {2025, 3, 1},
         {2025, 12, 31},
         {"Квартал 1", "№3", "Итого за 1 квартал: 1200,00 400,00", "Квартал 2", "№4", "№5", "Итого за 2 квартал: 300,00 100,00",
          "Итого за полугодие 1500,00 500,00", "Квартал 3", "Итого за 3 квартал: 0,00 0,00",
          "Итого за 9 месяцев 1500,00 500,00", "Квартал 4", "№6", "№7", "Итого за 4 квартал: 500,00 50,00",
          "Итого за 2025 год: 2000,00 550,00", "2000,00", "550,00", "1450,00", "0,00", "-- лист 1"}},
        {"across the new year: a book for each year",
         {2025, 10, 1},
         {2026, 3, 31},
         {"Квартал 4", "№6", "№7", "Итого за 4 квартал: 500,00 50,00", "Итого за 2025 год: 2000,00 550,00", "2000,00",
          "550,00", "1450,00", "0,00", "-- лист 1",
          "Квартал 1", "№1", "№2", "Итого за 1 квартал: 70,00 30,00", "70,00", "30,00", "40,00", "0,00", "-- лист 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PreparedReport book = f.printBook(QStringLiteral("Книга доходов и расходов-квартальная"), c.from, c.to);
        EXPECT_EQ(quarterlyBook(book), c.printed);
    }
}

// The monthly book of the second quarter: April has no rows but its total; the quarter and half-year
// as in the quarterly book.
TEST_P(TaxYear, TheMonthlyBookClosesEveryMonthOfThePeriod)
{
    PrintFixture& f = *fixture_;
    const PreparedReport book = f.printBook(QStringLiteral("Книга доходов и расходов-месячная"), {2025, 4, 1}, {2025, 6, 30});
    ASSERT_EQ(book.pages.size(), 1u);
    const PreparedPage& page = book.pages[0];
    EXPECT_EQ(column(page, 16).mid(1, 5), (QStringList{"Год 2025", "Квартал 2", "Месяц 04", "Месяц 05", "Месяц 06"}));
    EXPECT_EQ(column(page, 12).mid(3), (QStringList{"4", "5"}));
    QStringList income;
    for (const QString& text : column(page, 484)) {
        if (isAmount(text))
            income << text;
    }
    // April, May (row, month), June (row, month), the quarter, the half-year
    EXPECT_EQ(income, (QStringList{"0,00", "300,00", "300,00", "0,00", "0,00", "300,00", "1500,00"}));
    EXPECT_EQ(column(page, 432), (QStringList{"1500,00", "500,00", "1000,00", "0,00"}));
}

// "Выручка" listed twice: each journal row once in the summary and in the cash book of a month, whose
// day opens with the balance of every earlier cash order.
TEST_P(TaxYear, AnOperationListedTwiceCountsEachRowOnce)
{
    PrintFixture& f = *fixture_;
    const PreparedReport summary = f.printBook(QStringLiteral("Сводный отчет по операциям"), {2025, 1, 1}, {2025, 12, 31});
    EXPECT_EQ(column(summary.pages.at(0), 608), (QStringList{"-550,00", "2000,00"}));
    EXPECT_EQ(column(summary.pages.at(0), 102).size(), 7);
    const PreparedReport cash = f.printBook(kCashBookKind, {2025, 6, 1}, {2025, 6, 30});
    ASSERT_EQ(cash.pages.size(), 1u);
    EXPECT_EQ(column(cash.pages[0], 76), (QStringList{"12 июня 2025"}));
    EXPECT_EQ(column(cash.pages[0], 608), (QStringList{"Форма № КО-4", "1200,00", "1100,00"}));
    EXPECT_EQ(column(cash.pages[0], 476), (QStringList{"Расход", "5", "100,00", "100,00"}));
}

// A workbook holds the rows, numbers, totals and reference lines its print shows, in the same order.
TEST_P(TaxYear, AWorkbookHoldsWhatItsPrintShows)
{
    PrintFixture& f = *fixture_;
    // Each book with the x of the printed amounts of its first money column; the rows' numbers are at 12.
    const std::pair<const char16_t*, std::vector<int>> cases[] = {
        {u"Книга доходов и расходов-квартальная", {486, 432}}, {u"Книга доходов и расходов-месячная", {484, 432}},
        {u"Книга расчетов по банку", {352, 360}}, {u"Книга расчетов по кассе", {352, 360}}, {u"Кассовая книга", {352}},
        {u"Сводный отчет по операциям", {352, 360}}, {u"Книга расчетов с контрагентами", {352, 360}},
    };
    const QDate from(2025, 2, 15), to(2026, 3, 31);
    for (const auto& [kindText, amountsAt] : cases) {
        const QString kind = QString::fromUtf16(kindText);
        SCOPED_TRACE(kind.toStdString());
        const PreparedReport print = f.printBook(kind, from, to);
        QStringList printed, printedNumbers;
        for (const PreparedPage& page : print.pages) {
            std::vector<std::tuple<int, QString>> amounts, numbers;
            for (const PreparedBox& b : page.boxes) {
                if (std::find(amountsAt.begin(), amountsAt.end(), b.x) != amountsAt.end() && isAmount(flat(b)))
                    amounts.emplace_back(b.y, flat(b));
                if (b.x == 12 && b.width < 24)
                    numbers.emplace_back(b.y, flat(b));
            }
            std::sort(amounts.begin(), amounts.end());
            std::sort(numbers.begin(), numbers.end());
            for (const auto& [y, text] : amounts)
                printed << text;
            for (const auto& [y, text] : numbers)
                printedNumbers << text;
        }
        const Sheet sheet = bookSheet(f.store(), kind, from, to);
        const size_t money = size_t(std::find_if(sheet.columns.begin(), sheet.columns.end(),
                                                 [](const SheetColumn& col) { return col.kind == SheetColumn::Kind::Money; })
                                    - sheet.columns.begin());
        QStringList kept, keptNumbers;
        for (const SheetRow& row : sheet.rows) {
            if (row.cells.size() > money && row.cells[money].kind() == Value::Kind::Money)
                kept << row.cells[money].money().toFixed(2);
            if (row.style == SheetRow::Style::Data)
                keptNumbers << row.cells[0].toText();
        }
        EXPECT_GT(printed.size(), 4);
        EXPECT_EQ(kept, printed);
        EXPECT_EQ(keptNumbers, printedNumbers);
        EXPECT_EQ(sheet.heading.value(2), QStringLiteral("за период с 15.02.2025 по 31.03.2026"));
        EXPECT_EQ(sheet.heading.value(1), QStringLiteral("ООО «Север», ИНН/КПП 6950000001/695001001"));
    }
    // The title page has no table; a text that is no kind (letter case differs) has none either.
    for (const char16_t* kind : {u"Титульный лист", u"книга расчетов по банку"}) {
        try {
            bookSheet(f.store(), QString::fromUtf16(kind), from, to);
            ADD_FAILURE() << "a table for " << QString::fromUtf16(kind).toStdString();
        } catch (const UserError& e) {
            EXPECT_TRUE(e.text().endsWith(QStringLiteral("не сохраняется в таблицу: в нём нет строк журнала")));
        }
    }
}

} // namespace
} // namespace vi23::e2e
