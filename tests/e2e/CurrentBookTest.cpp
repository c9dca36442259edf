// The book of income and expenses in the FNS form and its title page, prepared over the fixture's
// journal: a year that ends in a loss, its quarter and cumulative totals, the reference lines and
// the empty sections.
#include "PrintFixture.h"

#include "books/BookPrinting.h"
#include "data/FormKinds.h"
#include "data/Settings.h"
#include "reports/ReportPreparer.h"

#include <gtest/gtest.h>

namespace vi23::e2e {
namespace {

// The quarterly book or the title page in the forms of 2026, as "Печать отчета" prints them.
PreparedReport prepareCurrent(PrintFixture& f, const char* form, QDate from, QDate to)
{
    const QString kind = QLatin1String(form) == QLatin1String("frRepor_t26") ? QStringLiteral("Титульный лист")
                                                                             : QStringLiteral("Книга доходов и расходов-квартальная");
    const PrintRequest request = printBook(f.store(), kind, from, to, FormSet::Current2026);
    const Template* t = f.templates().find(request.templateName);
    if (!t || request.templateName != QLatin1String(form))
        throw std::runtime_error(form);
    return preparePrint(*t, f.store(), request);
}

VI23_PRINT_CASES_ON_BOTH_STORES(CurrentBook);

// 2023 in the book: income 1000 (Q1), 400 (Q3), 250 (Q4); expense 1500 (Q1), 300 (Q2): a loss of 150.
TEST_P(CurrentBook, QuartersAndCumulativeTotalsWithALossOnLine041AndSectionsOnTheirOwnPages)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    const PreparedReport book = prepareCurrent(f, "frReport_kudir", {2023, 1, 1}, {2023, 12, 31});
    ASSERT_EQ(book.pages.size(), 5u);
    const PreparedPage& page = book.pages[0];
    EXPECT_EQ(column(page, 12).mid(0, 15),
              (QStringList{"Регистрация", "№ п/п", "1", "1", "2", "Итого за I квартал", "3", "Итого за II квартал",
                           "Итого за полугодие", "4", "Итого за III квартал", "Итого за 9 месяцев", "5",
                           "Итого за IV квартал", "Итого за год"}));
    EXPECT_EQ(column(page, 36).mid(2),
              (QStringList{"10.01.2023 № 2 ПП", "20.02.2023 № 3 КО", "05.04.2023 № 4 ПП", "07.08.2023 № 6 ПП",
                           "11.11.2023 № 8 КО"}));
    EXPECT_EQ(column(page, 484).mid(2),
              (QStringList{"4", "1000,00", "0,00", "1000,00", "0,00", "0,00", "1000,00", "400,00", "400,00", "1400,00",
                           "250,00", "250,00", "1650,00"}));
    EXPECT_EQ(column(page, 610).mid(1),
              (QStringList{"5", "0,00", "1500,00", "1500,00", "300,00", "300,00", "1800,00", "0,00", "0,00", "1800,00",
                           "0,00", "0,00", "1800,00"}));
    // The reference lines: 030 left for the hand, 040 nil and the loss on 041 as a positive amount.
    EXPECT_EQ(column(page, 532), (QStringList{"Код строки", "010", "020", "030", "", "040", "041"}));
    EXPECT_EQ(column(page, 592), (QStringList{"Сумма", "1650,00", "1800,00", "", "", "0,00", "150,00"}));
    const char* sections[] = {"II. Расчет расходов", "III. Расчет суммы убытка", "IV. Расходы, предусмотренные",
                              "V. Сумма торгового сбора"};
    for (int s = 0; s < 4; ++s) {
        const QStringList texts = pageTexts(book.pages[size_t(s) + 1]);
        EXPECT_TRUE(texts.front().startsWith(QString::fromUtf8(sections[s]))) << texts.front().toStdString();
        EXPECT_EQ(texts.back(), QString::number(s + 2));
        EXPECT_TRUE(texts.contains(QStringLiteral("Итого за отчетный (налоговый) период")) || s == 1);
    }
}

// A period across the new year is a book for each year: its own numbering, totals, reference lines
// and page numbers; 2023 ends in a loss, January 2024 in income.
TEST_P(CurrentBook, EachYearOfAPeriodIsABookOfItsOwn)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    f.fillJournal();
    const PreparedReport book = prepareCurrent(f, "frReport_kudir", {2023, 1, 1}, {2024, 1, 15});
    ASSERT_EQ(book.pages.size(), 10u);
    const PreparedPage& first = book.pages.at(0);
    EXPECT_EQ(column(first, 12).mid(13, 3), (QStringList{"Итого за IV квартал", "Итого за год", "Справка к разделу I"}));
    EXPECT_EQ(column(first, 592), (QStringList{"Сумма", "1650,00", "1800,00", "", "", "0,00", "150,00"}));
    const PreparedPage& second = book.pages.at(5);
    EXPECT_EQ(pageTexts(second).front(), QStringLiteral("I. Доходы и расходы"));
    EXPECT_EQ(column(second, 12).mid(0, 6),
              (QStringList{"Регистрация", "№ п/п", "1", "1", "Итого за I квартал", "Справка к разделу I"}));
    EXPECT_EQ(column(second, 484).mid(3), (QStringList{"600,00", "600,00"}));
    EXPECT_EQ(column(second, 592), (QStringList{"Сумма", "600,00", "0,00", "", "", "600,00", "0,00"}));
    EXPECT_EQ(pageTexts(second).back(), QStringLiteral("1"));
    EXPECT_EQ(pageTexts(book.pages.at(9)).back(), QStringLiteral("5"));
}

TEST_P(CurrentBook, TitlePagePrintsTheYearTheSplitInnKppAndTheObject)
{
    PrintFixture f(GetParam());
    f.fillReferenceLists();
    struct Case {
        const char* innKpp;
        QDate from;
        const char* year;
        const char* inn;
        const char* kpp;
    };
    const Case cases[] = {{"6950000001/695001001", {2026, 1, 1}, "на 2026 год", "6950000001", "695001001"},
                          {"695000000123", {2025, 4, 1}, "на 2025 год", "695000000123", ""}};
    DataSet& pr1 = f.store().dataSet(u"ADOTable_pr1");
    for (const Case& c : cases) {
        pr1.first();
        pr1.edit();
        pr1.setText(u"unn", QString::fromUtf8(c.innKpp));
        pr1.post();
        const PreparedReport title = prepareCurrent(f, "frRepor_t26", c.from, c.from.addMonths(3));
        ASSERT_EQ(title.pages.size(), 1u);
        const PreparedPage& page = title.pages[0];
        EXPECT_EQ(flat(boxAt(page, 176, 200)), QString::fromUtf8(c.year));
        EXPECT_EQ(flat(boxAt(page, 112, 320)), QString::fromUtf8(c.inn));
        EXPECT_EQ(flat(boxAt(page, 380, 320)), QString::fromUtf8(c.kpp));
        EXPECT_EQ(flat(boxAt(page, 52, 284)), QStringLiteral("ООО «Север»"));
        EXPECT_EQ(flat(boxAt(page, 252, 364)), QStringLiteral("Доходы, уменьшенные на величину расходов"));
        EXPECT_EQ(flat(boxAt(page, 52, 564)),
                  QStringLiteral("р/с 40702810000000000077 в ПАО Тверьбанк, БИК 042800001, к/с 30101810000000000001"));
        // The codes block carries no code.
        EXPECT_EQ(flat(boxAt(page, 616, 184)), QString());
    }
}

// The report panel's kinds print the FNS book and title page once the forms of 2026 are chosen.
TEST_P(CurrentBook, TheFormSetChoosesTheBookAndTitlePage)
{
    PrintFixture f(GetParam());
    const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
        {"", {"frReport11", "frRepor_t"}}, {"described", {"frReport11", "frRepor_t"}},
        {"2026", {"frReport_kudir", "frRepor_t26"}}};
    for (const auto& [set, forms] : cases) {
        writeSetting(f.store().database(), kFormSetSetting, QString::fromLatin1(set));
        const QDate from(2026, 1, 1), to(2026, 12, 31);
        EXPECT_EQ(printBook(f.store(), QStringLiteral("Книга доходов и расходов-квартальная"), from, to).templateName,
                  QString::fromLatin1(forms.first)) << set;
        EXPECT_EQ(printBook(f.store(), QStringLiteral("Титульный лист"), from, to).templateName,
                  QString::fromLatin1(forms.second)) << set;
        EXPECT_EQ(printBook(f.store(), QStringLiteral("Книга расчетов по банку"), from, to).templateName,
                  QStringLiteral("frReport_bank")) << set;
    }
}

} // namespace
} // namespace vi23::e2e
