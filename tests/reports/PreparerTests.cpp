// Band membership, the data loop with groups, page breaks, aggregates and failures.
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace vi23::test {
namespace {

const QString kGrouped = QStringLiteral(
    "band ReportTitle1 kind=0 top=0 height=20\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\" |\n"
    "band PageHeader1 kind=2 top=30 height=20\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Шапка\" |\n"
    "band GroupHeader1 kind=16 top=60 height=20 condition=[ADOQuery_t.\"g\"]\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Группа [ADOQuery_t.\"g\"]\" |\n"
    "band MasterData1 kind=5 top=90 height=20 dataset=frDBDataSet_t\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[LINE#]. [ADOQuery_t.\"g\"] [ADOQuery_t.\"v\"]\" |\n"
    "band GroupFooter1 kind=17 top=120 height=20\n"
    "| 20 | 0 | 400 | 18 | - | A10 | LT |  | \"Итог [ADOQuery_t.\"g\"]: [sum([ADOQuery_t.\"v\"])] / [count([ADOQuery_t.\"v\"])] / [max([ADOQuery_t.\"v\"])]\" |\n"
    "band ReportSummary1 kind=1 top=150 height=20\n"
    "| 20 | 0 | 400 | 18 | - | A10 | LT |  | \"Всего [Sum([ADOQuery_t.\"v\"])]\" |\n");

std::vector<std::vector<Value>> groupedRows()
{
    return {{Value(QStringLiteral("А")), Value(10)},
            {Value(QStringLiteral("А")), Value(20)},
            {Value(QStringLiteral("Б")), Value(5)},
            {Value(QStringLiteral("В")), Value(1)},
            {Value(QStringLiteral("В")), Value(2)},
            {Value(QStringLiteral("В")), Value(3)}};
}

TEST(DataLoop, GroupsFootersLineNumbersAndSummary)
{
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "v"}, groupedRows());
    const PreparedReport r = prepareReport(tpl(kGrouped), rows);
    ASSERT_EQ(r.pages.size(), 1u);
    // A footer's field shows the next group's row (the last row at the end); its aggregates
    // cover its own group. LINE# restarts after every group change.
    EXPECT_EQ(boxTexts(r, 1), (QStringList{
                                  "Заголовок", "Шапка",
                                  "Группа А", "1. А 10", "2. А 20", "Итог Б: 30 / 2 / 20",
                                  "Группа Б", "1. Б 5", "Итог В: 5 / 1 / 5",
                                  "Группа В", "1. В 1", "2. В 2", "3. В 3", "Итог В: 6 / 3 / 3",
                                  "Всего 41",
                              }));
}

TEST(DataLoop, NestedGroupsCloseInnerFirstAndReopenOuterFirst)
{
    // The topmost footer pairs with the innermost header (q), the next with g. The master
    // footer is output on every group change and once more after the loop.
    const QString body = QStringLiteral(
        "band GroupHeader1 kind=16 top=60 height=10 condition=[ADOQuery_t.\"g\"]\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"Г[ADOQuery_t.\"g\"]\" |\n"
        "band GroupHeader2 kind=16 top=80 height=10 condition=[ADOQuery_t.\"q\"]\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"К[ADOQuery_t.\"q\"]\" |\n"
        "band MasterData1 kind=5 top=100 height=10 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"[LINE#]:[ADOQuery_t.\"v\"]\" |\n"
        "band GroupFooter1 kind=17 top=120 height=10\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"ИК[sum([ADOQuery_t.\"v\"])]\" |\n"
        "band GroupFooter2 kind=17 top=140 height=10\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"ИГ[sum([ADOQuery_t.\"v\"])] [ADOQuery_t.\"g\"]\" |\n"
        "band MasterFooter1 kind=6 top=160 height=10\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"М[sum([ADOQuery_t.\"v\"])]\" |\n");
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "q", "v"},
             {{Value(1), Value(1), Value(1)},
              {Value(1), Value(1), Value(2)},
              {Value(1), Value(2), Value(4)},
              {Value(2), Value(1), Value(8)},
              {Value(2), Value(2), Value(16)}});
    const PreparedReport r = prepareReport(tpl(body), rows);
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"Г1", "К1", "1:1", "2:2", "М3", "ИК3", "К2", "1:4", "М4", "ИК4", "ИГ7 2",
                                           "Г2", "К1", "1:8", "М8", "ИК8", "К2", "1:16", "М16", "ИК16", "ИГ24 2",
                                           "М "}));
}

TEST(DataLoop, EmptyDataSetPrintsTitleAndPageHeaderOnly)
{
    const QString body = QStringLiteral(
        "band ReportTitle1 kind=0 top=0 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\" |\n"
        "band PageHeader1 kind=2 top=30 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Шапка\" |\n"
        "band MasterHeader1 kind=4 top=60 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Колонки\" |\n"
        "band GroupHeader1 kind=16 top=85 height=4 condition=[ADOQuery_t.\"g\"]\n"
        "| 20 | 0 | 300 | 4 | - | A10 | LT |  | \"Группа\" |\n"
        "band MasterData1 kind=5 top=90 height=20 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQuery_t.\"v\"]\" |\n"
        "band MasterFooter1 kind=6 top=120 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Итого [sum([ADOQuery_t.\"v\"])] [str5]\" |\n");
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "v"}, {});
    const PreparedReport r = prepareReport(tpl(body), rows);
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"Заголовок", "Шапка"}));
}

// Title 100, page header 20, master header 20, rows of 300 and a page footer of 20 on A4:
// the usable bottom is 1053 - 20 = 1033, so two rows fit on page 1 and the third moves.
const QString kPaged = QStringLiteral(
    "band ReportTitle1 kind=0 top=0 height=100\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\" |\n"
    "band PageHeader1 kind=2 top=110 height=20\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Шапка стр. [Page#]\" |\n"
    "band MasterHeader1 kind=4 top=140 height=20\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Колонки\" |\n"
    "band MasterData1 kind=5 top=170 height=300 dataset=frDBDataSet_t\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Строка [LINE#]\" |\n"
    "band MasterFooter1 kind=6 top=480 height=30\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Итого [sum([ADOQuery_t.\"v\"])] на листе [Page#]\" |\n"
    "band PageFooter1 kind=3 top=520 height=20\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Лист [Page#], по листу [sum([ADOQuery_t.\"v\"])]\" |\n");

TEST(PageBreaks, RowMovesUnderRepeatedPageHeaderWithoutMasterHeader)
{
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {{Value(1)}, {Value(2)}, {Value(4)}});
    const PreparedReport r = prepareReport(tpl(kPaged), rows);
    ASSERT_EQ(r.pages.size(), 2u);
    EXPECT_EQ(dump(r),
              QStringLiteral("1 20 18 300 18 | - | A10 | LT | Заголовок\n"
                             "1 20 118 300 18 | - | A10 | LT | Шапка стр. 1\n"
                             "1 20 138 300 18 | - | A10 | LT | Колонки\n"
                             "1 20 158 300 18 | - | A10 | LT | Строка 1\n"
                             "1 20 458 300 18 | - | A10 | LT | Строка 2\n"
                             "1 20 1033 300 18 | - | A10 | LT | Лист 1, по листу 3\n"
                             "2 20 18 300 18 | - | A10 | LT | Шапка стр. 2\n"
                             "2 20 38 300 18 | - | A10 | LT | Строка 3\n"
                             "2 20 338 300 18 | - | A10 | LT | Итого 7 на листе 2\n"
                             "2 20 1033 300 18 | - | A10 | LT | Лист 2, по листу 4\n"));
    EXPECT_EQ(r.pages[1].width, 752);
    EXPECT_EQ(r.pages[1].height, 1071);
}

TEST(PageBreaks, ProgressSeesEveryPageAndCancelStops)
{
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"},
             {{Value(1)}, {Value(2)}, {Value(4)}, {Value(8)}, {Value(16)}, {Value(32)}});
    QList<int> seen;
    prepareReport(tpl(kPaged), rows, {}, [&](int page) { seen.push_back(page); return true; });
    EXPECT_EQ(seen, (QList<int>{1, 2, 3}));
    EXPECT_THROW(prepareReport(tpl(kPaged), rows, {}, [](int page) { return page < 2; }), ReportCancelled);
}

TEST(PageBreaks, PageByPageHandsOutTheSamePagesAndPlacement)
{
    // The title left of the safe margin moves the content of every page, the pages handed out earlier too.
    const Template t = tpl(QString(kPaged).replace(QStringLiteral("| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\""),
                                                   QStringLiteral("| 0 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\"")));
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"},
             {{Value(1)}, {Value(2)}, {Value(4)}, {Value(8)}, {Value(16)}, {Value(32)}});
    const PreparedReport whole = prepareReport(t, rows);
    ASSERT_EQ(whole.pages.size(), 3u);
    ASSERT_NE(whole.pages[0].content, ContentPlacement{});
    std::vector<PreparedPage> handed;
    QList<int> numbers;
    const PreparedReport shape = prepareReportPageByPage(t, rows, [&](PreparedPage& page, int number) {
        handed.push_back(page);
        numbers.push_back(number);
    });
    EXPECT_EQ(numbers, (QList<int>{1, 2, 3}));
    ASSERT_EQ(shape.pages.size(), 3u);
    ASSERT_EQ(handed.size(), 3u);
    for (size_t i = 0; i < handed.size(); ++i) {
        EXPECT_TRUE(shape.pages[i].boxes.empty());
        handed[i].content = shape.pages[i].content;
        EXPECT_EQ(handed[i], whole.pages[i]) << "page " << i + 1;
    }
}

TEST(Membership, OverlapGoesToLowerKindAndOutsideObjectsStayAbsolute)
{
    const QString body = QStringLiteral(
        "band PageHeader1 kind=2 top=40 height=30\n"
        "| 20 | 5 | 100 | 18 | - | A10 | LT |  | \"в перекрытии\" |\n"
        "| 200 | 20 | 100 | 18 | - | A10 | LT |  | \"шапка\" |\n"
        "band ReportTitle1 kind=0 top=0 height=50\n"
        "| 20 | 0 | 100 | 18 | - | A10 | LT |  | \"заголовок\" |\n"
        "| 20 | 50 | 100 | 18 | - | A10 | LT |  | \"нижний край\" |\n"
        "nobands\n"
        "| 400 | 900 | 100 | 18 | - | A10 | LT |  | \"вне полос\" |\n");
    MemoryResolver rows;
    const PreparedReport r = prepareReport(tpl(body), rows);
    // Outside objects come first at their absolute place; the title (top 18) takes the object
    // at 45 and the one on its lower edge; the page header follows the title at 68.
    EXPECT_EQ(dump(r), QStringLiteral("1 400 900 100 18 | - | A10 | LT | вне полос\n"
                                      "1 20 63 100 18 | - | A10 | LT | в перекрытии\n"
                                      "1 20 18 100 18 | - | A10 | LT | заголовок\n"
                                      "1 20 68 100 18 | - | A10 | LT | нижний край\n"
                                      "1 200 88 100 18 | - | A10 | LT | шапка\n"));
}

// The dump writes each box itself: every alphabet, a letter past 16 bits and a lone half of a pair come
// out as Qt writes them, and a line object as its width.
TEST(LayoutDump, TextsOfEveryKindAndLineObjectsComeOutWhole)
{
    PreparedPage page;
    PreparedBox box;
    box.x = 1;
    box.y = 2;
    box.width = 30;
    box.height = 40;
    const QStringList texts{QStringLiteral("Сумма: 5 €"), QString::fromUcs4(U"\U0001D11E ключ"), QString(QChar(0xD800)) + u'x',
                            QString()};
    for (const QString& t : texts)
        box.lines.push_back(PreparedLine{t});
    page.boxes.push_back(box);
    PreparedBox line;
    line.kind = PreparedBox::Kind::Line;
    line.x = -5;
    line.width = 120;
    line.frameWidth = 2.5;
    page.boxes.push_back(line);
    QByteArray out;
    dumpPreparedPage(page, 7, out);
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 3) << out.toStdString();
    ASSERT_TRUE(lines[0].startsWith("7 1 2 30 40 | ")) << out.toStdString();
    EXPECT_EQ(lines[0].mid(lines[0].lastIndexOf(" | ") + 3), texts.join(QStringLiteral(" ⏎ ")).toUtf8());
    EXPECT_EQ(lines[1], "7 -5 0 120 0 | line 2.5 |");
    EXPECT_EQ(lines[2], "");
}

TEST(Membership, MasterHeaderAndFooterAttachByPosition)
{
    // The footer above every data band is attached to nothing and never printed.
    const QString body = QStringLiteral(
        "band MasterFooter1 kind=6 top=0 height=10\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"ничей подвал\" |\n"
        "band MasterHeader1 kind=4 top=20 height=10\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"шапка\" |\n"
        "band MasterData1 kind=5 top=40 height=10 dataset=[Нет]\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"[ADOQuery_t.\"v\"]\" |\n"
        "band MasterFooter2 kind=6 top=55 height=10\n"
        "| 20 | 0 | 100 | 10 | - | A10 | LT |  | \"итого [sum([ADOQuery_t.\"v\"])]\" |\n");
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {{Value(2)}, {Value(3)}});
    const PreparedReport r = prepareReport(tpl(body), rows);
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"шапка", "2", "3", "итого 5"}));
}

TEST(Aggregates, OncePerRowPerCallTextAndSeparatePerFooter)
{
    const QString body = QStringLiteral(
        "band MasterData1 kind=5 top=0 height=20 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQuery_t.\"v\"]\" |\n"
        "band MasterFooter1 kind=6 top=30 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[sum([ADOQuery_t.\"v\"])] [sum([ADOQuery_t.\"v\"])]\" |\n"
        "| 320 | 0 | 300 | 18 | - | A10 | LT |  | \"[sum([ADOQuery_t.\"v\"])] [sum( [ADOQuery_t.\"v\"])] [avg([ADOQuery_t.\"v\"])] [min([ADOQuery_t.\"v\"])]\" |\n"
        "band ReportSummary1 kind=1 top=60 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[sum([ADOQuery_t.\"v\"])] [count([ADOQuery_t.\"nope\"])] [([Sum([ADOQuery_t.\"v\"])]-[Sum([ADOQuery_t.\"w\"])])]\" |\n"
        "| 320 | 0 | 300 | 18 | - | A10 | LT |  | \"[(Sum([ADOQuery_t.\"t\"])-0.3)*100000000000000000000]\" |\n");
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v", "w", "t"},
             {{Value(1), Value(), Value(0.1)}, {Value(2), Value(0.5), Value(0.1)}, {Value(4), Value(1), Value(0.1)}});
    const PreparedReport r = prepareReport(tpl(body), rows);
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"1", "2", "4", "7 7", "7 7 2,33333333333333 1", "7 3 5,5", "0"}));
}

// Money totals stay exact past fifteen digits; a value that is not money carries on in double.
TEST(Aggregates, MoneyTotalsAreExactUntilDisplayed)
{
    const QString body = QStringLiteral(
        "band MasterData1 kind=5 top=0 height=20 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"-\" |\n"
        "band ReportSummary1 kind=1 top=60 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT | F2 | \"[sum([ADOQuery_t.\"v\"])]|[max([ADOQuery_t.\"v\"])]|[min([ADOQuery_t.\"v\"])]|[count([ADOQuery_t.\"v\"])]\" |\n");
    const Value big(Money::parse(u"1234567890123,45"));
    const Value cent(Money::parse(u"0,01"));
    const Value huge(Money::parse(u"12345678901234,56"));
    const Value small(Money::parse(u"0,04"));
    const struct {
        std::vector<std::vector<Value>> rows;
        const char* expected;
    } cases[] = {
        {{{big}, {cent}, {Value()}, {cent}}, "1234567890123,47|1234567890123,45|0,00|4,00"},
        // Rounded to fifteen digits after every row this total would stay at ...234,60.
        {{{huge}, {small}, {small}, {Value()}, {small}, {small}}, "12345678901234,70|12345678901234,60|0,00|6,00"},
        {{{cent}, {big}, {Value(2)}}, "1234567890125,46|1234567890123,45|0,01|3,00"},
        {{{Value(Money::max())}, {Value(Money::max())}}, "1844674407370960,00|922337203685478,00|922337203685478,00|2,00"},
    };
    for (const auto& c : cases) {
        MemoryResolver rows;
        rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, c.rows);
        EXPECT_EQ(boxTexts(prepareReport(tpl(body), rows), 1).last(), QString::fromUtf8(c.expected));
    }
}

TEST(Aggregates, EmptyAccumulatorPrintsSpace)
{
    const QString body = QStringLiteral(
        "band ReportSummary1 kind=1 top=60 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT | F2 | \"<[sum([ADOQuery_t.\"v\"])]>\" |\n");
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {});
    EXPECT_EQ(boxTexts(prepareReport(tpl(body), rows), 1), QStringList{"< >"});
}

TEST(DataSets, ReturnedToTheirRowAndClosedExceptSs)
{
    const QString body = QStringLiteral(
        "band MasterData1 kind=5 top=0 height=20 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQuery_t.\"v\"] [ADOQueryss.\"v\"]\" |\n"
        "band MasterData2 kind=5 top=40 height=20 dataset=frDBDataSetss\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQueryss.\"v\"]\" |\n");
    MemoryResolver rows;
    MemoryRows& t = rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {{Value(1)}, {Value(2)}});
    MemoryRows& ss = rows.add("frDBDataSetss", "ADOQueryss", {"v"}, {{Value(7)}, {Value(8)}});
    ss.open();
    ss.next();
    const PreparedReport r = prepareReport(tpl(body), rows);
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"1 8", "2 8", "7", "8"}));
    EXPECT_FALSE(t.isOpen());
    EXPECT_EQ(t.opens, 1);
    EXPECT_TRUE(ss.isOpen());
    EXPECT_EQ(ss.position(), 1);
}

struct FailureCase {
    const char* name;
    const char* body;
    const char* message;
    const char* reason;
};
void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << safeLabel(c.name);
}

class Failures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Failures, ReportTheExactMessage)
{
    const auto& c = GetParam();
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {{Value(QStringLiteral("абв"))}});
    try {
        prepareReport(tpl(QString::fromUtf8(c.body)), rows);
        FAIL() << "no error for " << c.name;
    } catch (const ReportError& e) {
        EXPECT_EQ(e.text(), QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(e.reason(), QString::fromUtf8(c.reason)) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Failures,
    ::testing::Values(
        FailureCase{"undefined", "band MasterData1 kind=5 top=0 height=20 dataset=frDBDataSet_t\n"
                                 "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Сумма: ⏎ [str5] ⏎ \" |\n",
                    "Возникла ошибка при обработке выражения\nСумма:\n[str5]\n\nДокумент: frTest\nСекция: Данные",
                    "Неизвестное имя «STR5»"},
        FailureCase{"no dataset", "band MasterData1 kind=5 top=0 height=20 dataset=frDBDataSet_x\n"
                                  "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"x\" |\n",
                    "Не найден набор данных frDBDataSet_x", "Не найден набор данных frDBDataSet_x"},
        FailureCase{"division", "band ReportTitle1 kind=0 top=0 height=20\n"
                                "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[1/(2-2)]\" |\n",
                    "Возникла ошибка при обработке выражения\n[1/(2-2)]\nДокумент: frTest\nСекция: Заголовок отчета",
                    "Деление на ноль"},
        FailureCase{"conversion", "band MasterData1 kind=5 top=0 height=20 dataset=frDBDataSet_t\n"
                                  "band GroupFooter1 kind=17 top=30 height=20\n"
                                  "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[sum([ADOQuery_t.\"v\"])]\" |\n"
                                  "band MasterData2 kind=5 top=60 height=20 dataset=frDBDataSet_t\n"
                                  "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQuery_t.\"v\"]\" |\n",
                    "Возникла ошибка при обработке выражения\n[sum([ADOQuery_t.\"v\"])]\nДокумент: frTest\nСекция: Итог группы",
                    "«абв» — не число: введите цифры, дробную часть через запятую"},
        FailureCase{"unknown data set name", "band PageFooter1 kind=3 top=0 height=20\n"
                                             "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQuery_z.\"v\"]\" |\n",
                    "Возникла ошибка при обработке выражения\n[ADOQuery_z.\"v\"]\nДокумент: frTest\nСекция: Низ страницы",
                    "Неизвестное имя «ADOQuery_z.\"v\"»"}));

TEST(Failures, MessageIsAUserError)
{
    MemoryResolver rows;
    const Template t = tpl(QStringLiteral("band ReportTitle1 kind=0 top=0 height=20\n"
                                          "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[нет_такого]\" |\n"));
    try {
        prepareReport(t, rows);
        FAIL();
    } catch (const UserError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Возникла ошибка при обработке выражения\n[нет_такого]\n")));
    }
}

} // namespace
} // namespace vi23::test

namespace vi23::test {
namespace {

// A group heading never stays alone at a page foot, a group total never starts a page alone, a
// footer with a condition prints only when it holds on its group's last row, and a data row grows
// to show a long text whole.
TEST(KeepTogether, HeadingsTotalsConditionsAndTallRows)
{
    const QString title = QStringLiteral(
        "band ReportTitle1 kind=0 top=0 height=940\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\" |\n");
    const QString grouped = QStringLiteral(
        "band GroupHeader1 kind=16 top=960 height=20 condition=[ADOQuery_t.\"g\"]\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Группа [ADOQuery_t.\"g\"]\" |\n"
        "band MasterData1 kind=5 top=990 height=20 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 20 | - | A10 | LM |  | \"[ADOQuery_t.\"v\"]\" |\n"
        "band GroupFooter1 kind=17 top=1020 height=20%1\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Итог [sum([ADOQuery_t.\"q\"])]\" |\n");
    const QString tall = QStringLiteral(
        "band MasterData1 kind=5 top=990 height=20 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 24 | 20 | LB | A10 | CM |  | \"[LINE#]\" |\n"
        "| 44 | 0 | 200 | 20 | LB | A10 | LM |  | \"[ADOQuery_t.\"v\"]\" |\n"
        "| 244 | 2 | 60 | 10 | - | A10 | LM |  | \"метка\" |\n");
    auto row = [](const char* g, int q, const QString& v) {
        return std::vector<Value>{Value(QString::fromUtf8(g)), Value(q), Value(v)};
    };
    const QString longName = QStringLiteral("Очень длинное наименование товара, которое не помещается в одну строку");
    struct Case {
        const char* what;
        QString body;
        std::vector<std::vector<Value>> rows;
        std::vector<QStringList> pages;
    };
    const Case cases[] = {
        {"a heading at the foot moves to the next page with its first row",
         title + grouped.arg(QString()),
         {row("А", 1, "а1"), row("Б", 1, "б1")},
         {{"Заголовок", "Группа А", "а1", "Итог 1"}, {"Группа Б", "б1", "Итог 1"}}},
        {"a total takes the group's last row with it",
         title + grouped.arg(QString()),
         {row("А", 1, "а1"), row("А", 2, "а2"), row("А", 3, "а3")},
         {{"Заголовок", "Группа А", "а1", "а2"}, {"а3", "Итог 6"}}},
        {"a footer with a condition prints only after the groups it holds for",
         QStringLiteral("band ReportTitle1 kind=0 top=0 height=20\n") + grouped.arg(QStringLiteral(" condition=[ADOQuery_t.\"q\"] = 2")),
         {row("А", 1, "а1"), row("А", 2, "а2"), row("Б", 3, "б1"), row("В", 2, "в1")},
         {{"Группа А", "а1", "а2", "Итог 3", "Группа Б", "б1", "Группа В", "в1", "Итог 2"}}},
        {"a long name grows its row, and the row moves whole",
         QString(title).replace(QStringLiteral("height=940"), QStringLiteral("height=980")) + tall,
         {row("А", 1, "короткое"), row("А", 1, longName)},
         {{"Заголовок", "1", "короткое", "метка"}, {"2", longName, "метка"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryResolver rows;
        rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "q", "v"}, c.rows);
        const PreparedReport r = prepareReport(tpl(c.body), rows);
        ASSERT_EQ(r.pages.size(), c.pages.size()) << dump(r).toStdString();
        for (size_t p = 0; p < c.pages.size(); ++p) {
            QStringList texts = boxTexts(r, int(p) + 1);
            texts.replaceInStrings(QStringLiteral(" ⏎ "), QStringLiteral(" "));
            EXPECT_EQ(texts, c.pages[p]) << dump(r).toStdString();
        }
    }
    // The tall row: every box reaching its foot grows with it, the text shows whole in its size.
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "q", "v"}, {row("А", 1, longName)});
    const PreparedReport r = prepareReport(tpl(QStringLiteral("band ReportTitle1 kind=0 top=0 height=20\n") + tall), rows);
    const std::vector<PreparedBox>& boxes = r.pages.at(0).boxes;
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].font.size, 10);
    EXPECT_GT(boxes[1].lines.size(), 1u);
    EXPECT_EQ(boxes[0].height, boxes[1].height);
    EXPECT_GE(boxes[1].y + boxes[1].height, boxes[1].lines.back().y + boxes[1].fontHeight);
    EXPECT_EQ(boxes[2].height, 10);   // "метка" does not reach the row's foot
}

} // namespace
} // namespace vi23::test

namespace vi23::test {
namespace {

// A data band with a condition: a row where it is zero prints nothing, is not numbered, but counts in
// its groups and totals; a group of such rows alone still prints its heading and total.
TEST(DataLoop, RowsThatPrintNothingStillCountInTheirGroupsAndTotals)
{
    const QString body = QStringLiteral(
        "band GroupHeader1 kind=16 top=60 height=20 condition=[ADOQuery_t.\"g\"]\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Группа [ADOQuery_t.\"g\"]\" |\n"
        "band MasterData1 kind=5 top=90 height=20 dataset=frDBDataSet_t condition=[ADOQuery_t.\"p\"]\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[LINE#]. [ADOQuery_t.\"v\"]\" |\n"
        "band GroupFooter1 kind=17 top=120 height=20\n"
        "| 20 | 0 | 400 | 18 | - | A10 | LT |  | \"Итог [sum([ADOQuery_t.\"v\"])]\" |\n"
        "band ReportSummary1 kind=1 top=150 height=20\n"
        "| 20 | 0 | 400 | 18 | - | A10 | LT |  | \"Всего [Sum([ADOQuery_t.\"v\"])] в [count([ADOQuery_t.\"v\"])]\" |\n");
    auto row = [](const char* g, int printed, int v) {
        return std::vector<Value>{Value(QString::fromUtf8(g)), Value(printed), Value(v)};
    };
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "p", "v"},
             {row("А", 0, 100), row("А", 1, 1), row("А", 0, 0), row("А", 1, 2), row("Б", 0, 0), row("В", 1, 4)});
    const PreparedReport r = prepareReport(tpl(body), rows);
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"Группа А", "1. 1", "2. 2", "Итог 103", "Группа Б", "Итог 0", "Группа В",
                                           "1. 4", "Итог 4", "Всего 107 в 6"}));
}

// A master header that repeats heads every page of its data loop, under the page header, but is not
// printed again after a group change nor over what follows the loop.
TEST(PageBreaks, ARepeatedHeaderHeadsEveryPageOfTheRowsOnly)
{
    const QString body = QStringLiteral(
        "band ReportTitle1 kind=0 top=0 height=100\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Заголовок\" |\n"
        "band MasterHeader1 kind=4 top=120 height=20 repeat\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Колонки\" |\n"
        "band GroupHeader1 kind=16 top=150 height=20 condition=[ADOQuery_t.\"g\"]\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Группа [ADOQuery_t.\"g\"]\" |\n"
        "band MasterData1 kind=5 top=170 height=300 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Строка [ADOQuery_t.\"v\"]\" |\n"
        "band ReportSummary1 kind=1 top=480 height=900\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Итоги\" |\n");
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"g", "v"},
             {{Value(1), Value(1)}, {Value(1), Value(2)}, {Value(2), Value(3)}, {Value(2), Value(4)}});
    const PreparedReport r = prepareReport(tpl(body), rows);
    ASSERT_EQ(r.pages.size(), 3u) << dump(r).toStdString();
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"Заголовок", "Группа 1", "Колонки", "Строка 1", "Строка 2"}));
    EXPECT_EQ(boxTexts(r, 2), (QStringList{"Колонки", "Группа 2", "Строка 3", "Строка 4"}));
    EXPECT_EQ(boxTexts(r, 3), (QStringList{"Итоги"}));
}

// Runs: the template once for each run the callback sets up, every run from a page of its own with its
// own page numbers, title, objects outside the bands, totals and summary, in one report.
TEST(Runs, EachRunIsAReportOfItsOwnInOne)
{
    const QString body = QStringLiteral(
        "band ReportTitle1 kind=0 top=0 height=30\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Книга [year]\" |\n"
        "band MasterData1 kind=5 top=90 height=400 dataset=frDBDataSet_t\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[LINE#]. [ADOQuery_t.\"v\"]\" |\n"
        "band ReportSummary1 kind=1 top=500 height=20\n"
        "| 20 | 0 | 400 | 18 | - | A10 | LT |  | \"Всего [Sum([ADOQuery_t.\"v\"])]\" |\n"
        "band PageFooter1 kind=3 top=600 height=20\n"
        "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Лист [Page#]\" |\n"
        "nobands\n"
        "| 600 | 1000 | 100 | 18 | - | A10 | LT |  | \"Печать\" |\n");
    MemoryResolver rows;
    MemoryRows& data = rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {});
    const std::vector<std::vector<std::vector<Value>>> years = {
        {{Value(1)}, {Value(2)}, {Value(4)}}, {{Value(10)}}};
    int year = 0;
    const RunCallback runs = [&](int run) {
        if (run >= int(years.size()))
            return false;
        year = 2023 + run;
        data.setRows(years[size_t(run)]);
        return true;
    };
    const GetValueCallback values = [&](const QString& name) -> std::optional<Value> {
        if (name == u"year")
            return std::optional<Value>(std::in_place, std::int64_t(year));
        return std::nullopt;
    };
    const PreparedReport r = prepareReport(tpl(body), rows, values, {}, runs);
    ASSERT_EQ(r.pages.size(), 3u) << dump(r).toStdString();
    EXPECT_EQ(boxTexts(r, 1), (QStringList{"Печать", "Книга 2023", "1. 1", "2. 2", "Лист 1"}));
    EXPECT_EQ(boxTexts(r, 2), (QStringList{"3. 4", "Всего 7", "Лист 2"}));
    EXPECT_EQ(boxTexts(r, 3), (QStringList{"Печать", "Книга 2024", "1. 10", "Всего 10", "Лист 1"}));
    // The same pages handed out one by one, numbered through the report.
    QList<int> numbers;
    const PreparedReport shape =
        prepareReportPageByPage(tpl(body), rows, [&](PreparedPage&, int number) { numbers.push_back(number); }, values, {}, runs);
    EXPECT_EQ(numbers, (QList<int>{1, 2, 3}));
    EXPECT_EQ(shape.pages.size(), 3u);
}

} // namespace
} // namespace vi23::test
