// Bracket expansion, name resolution and arithmetic, observed on prepared pages.
#include "TestSupport.h"

#include "reports/Expression.h"

#include <gtest/gtest.h>

namespace vi23::test {
namespace {

// Expands one memo line in a report title over a one-row data set t (fields a, b, s, n, d).
QString expand(const QString& text, const QString& fmt = QString(), const GetValueCallback& cb = {})
{
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"a", "b", "s", "n", "d"},
             {{Value(7), Value(2.5), Value(QStringLiteral("12,5")), Value(), Value(QDate(1998, 11, 5))}});
    const Template t = tpl(QStringLiteral("band ReportTitle1 kind=0 top=0 height=20\n"
                                          "| 20 | 0 | 700 | 18 | - | A10 | LT | %1 | \"%2\" |\n")
                               .arg(fmt, text));
    const PreparedReport r = prepareReport(t, rows, cb);
    return r.pages.at(0).boxes.at(0).texts().join(u'|');
}

struct ExpansionCase {
    const char* text;
    const char* fmt;
    const char* expected;
};
void PrintTo(const ExpansionCase& c, std::ostream* os)
{
    *os << safeLabel(c.text) << "_" << safeLabel(c.fmt);
}

class Expansion : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(Expansion, GivesTheExpectedText)
{
    const auto& c = GetParam();
    EXPECT_EQ(expand(QString::fromUtf8(c.text), QString::fromUtf8(c.fmt)), QString::fromUtf8(c.expected))
        << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, Expansion,
    ::testing::Values(
        // precedence and parentheses
        ExpansionCase{"[1+2*3]", "", "7"}, ExpansionCase{"[(1+2)*3]", "", "9"},
        ExpansionCase{"[10-4-3]", "", "3"}, ExpansionCase{"[12/4/3]", "", "1"},
        ExpansionCase{"[2*3+4*5]", "", "26"}, ExpansionCase{"[-2*3]", "", "-6"},
        // numbers with point or comma
        ExpansionCase{"[1.5+1,25]", "", "2,75"}, ExpansionCase{"[0,1*3]", "", "0,3"},
        // round: halves to the even neighbour
        ExpansionCase{"[round(2.5)]", "", "3"}, ExpansionCase{"[round(3.5)]", "", "4"},
        ExpansionCase{"[round(-2.5)]", "", "-3"}, ExpansionCase{"[round(2.51)]", "", "3"},
        ExpansionCase{"[round(-0.4)]", "", "0"}, ExpansionCase{"[0*(-1)]", "", "0"},
        ExpansionCase{"[ROUND(0,5)]", "", "1"}, ExpansionCase{"[round(1.005*1000)]", "", "1005"},
        // kopeck rounding of a row amount: 0.125 roubles x 100 = 12.5 kopecks -> 13 (away from zero)
        ExpansionCase{"[round(0.125*100)/100]", "F2", "0,13"},
        ExpansionCase{"[round(0.135*100)/100]", "F2", "0,14"},
        // field references and nested brackets
        ExpansionCase{"[ADOQuery_t.\"a\"]", "", "7"}, ExpansionCase{"[ADOQuery_t.a]", "", "7"},
        ExpansionCase{"[[ADOQuery_t.\"a\"]*[ADOQuery_t.\"b\"]]", "", "17,5"},
        ExpansionCase{"[round([ADOQuery_t.\"a\"]*[ADOQuery_t.\"b\"])]", "", "18"},
        ExpansionCase{"[([ADOQuery_t.\"a\"]+1)*2]", "", "16"},
        // a text value takes part in arithmetic as a number
        ExpansionCase{"[[ADOQuery_t.\"s\"]*2]", "", "25"},
        // special names; bare identifiers are upper-cased first
        ExpansionCase{"[Page#] [PAGE#] [page#]", "", "1 1 1"},
        // text outside brackets is copied, scanning goes on after the inserted value
        ExpansionCase{"a [1+1] b [2+2] c", "", "a 2 b 4 c"},
        ExpansionCase{"[ADOQuery_t.\"a\"]]", "", "7]"},
        ExpansionCase{"нет скобки [ открыта", "", "нет скобки [ открыта"},
        // quoted stretches hide brackets from the matching
        ExpansionCase{"['a]b']", "", "a]b"}, ExpansionCase{"[\"x[y\"]", "", "x[y"},
        // an empty memo line stays an empty line; Null prints a space
        ExpansionCase{"", "", ""}, ExpansionCase{"<[ADOQuery_t.\"n\"]>", "", "< >"},
        ExpansionCase{"<[ADOQuery_t.\"n\"]>", "F2", "< >"}, ExpansionCase{"<[ADOQuery_t.\"n\"]>", "D3", "< >"},
        // aggregates outside footers give 0
        ExpansionCase{"[sum([ADOQuery_t.\"a\"])]", "", "0"},
        // a noun agreeing with its count
        ExpansionCase{"[plural(1; 'запись'; 'записи'; 'записей')]", "", "запись"},
        ExpansionCase{"[plural(2, 'запись', 'записи', 'записей')]", "", "записи"},
        ExpansionCase{"[plural(5; 'запись'; 'записи'; 'записей')]", "", "записей"},
        ExpansionCase{"[plural(11; 'запись'; 'записи'; 'записей')]", "", "записей"},
        ExpansionCase{"[plural(14; 'запись'; 'записи'; 'записей')]", "", "записей"},
        ExpansionCase{"[plural(21; 'запись'; 'записи'; 'записей')]", "", "запись"},
        ExpansionCase{"[plural(104; 'запись'; 'записи'; 'записей')]", "", "записи"},
        ExpansionCase{"[plural(0; 'запись'; 'записи'; 'записей')]", "", "записей"},
        ExpansionCase{"[plural(1,5; 'листе'; 'листа'; 'листах')]", "", "листа"},
        ExpansionCase{"[plural([ADOQuery_t.\"a\"]; 'лист'; 'листа'; 'листов')]", "", "листов"},
        // equality of numbers, and the larger or smaller of two
        ExpansionCase{"[[ADOQuery_t.\"a\"] = 7]", "", "1"}, ExpansionCase{"[[ADOQuery_t.\"s\"] = 12,5]", "", "1"},
        ExpansionCase{"[1 = 2]", "", "0"}, ExpansionCase{"[max(3; 5)]", "", "5"},
        ExpansionCase{"[min(3; 5)]", "", "3"}, ExpansionCase{"[max(2-5; 0)]", "F2", "0,00"}));

TEST(Expressions, CallbackComesFirstWithTheNameAsWritten)
{
    QStringList asked;
    const auto cb = [&](const QString& name) -> std::optional<Value> {
        asked.push_back(name);
        if (name == u"str5")
            return Value(QStringLiteral("Сто рублей"));
        if (name == u"ADOQuery_t.\"a\"")
            return Value(QStringLiteral("из обработчика"));
        return std::nullopt;
    };
    EXPECT_EQ(expand(QStringLiteral("[str5]; [ADOQuery_t.\"a\"]; [Page#]"), {}, cb),
              QStringLiteral("Сто рублей; из обработчика; 1"));
    // "Page#" is offered as written, then upper-cased as a bare identifier.
    EXPECT_EQ(asked, (QStringList{"str5", "ADOQuery_t.\"a\"", "Page#", "PAGE#"}));
}

TEST(Expressions, ValueWithLineBreaksBecomesSeveralLines)
{
    const auto cb = [](const QString& name) -> std::optional<Value> {
        if (name == u"v")
            return Value(QStringLiteral("один\r\nдва\nтри"));
        return std::nullopt;
    };
    EXPECT_EQ(expand(QStringLiteral("<[v]>"), {}, cb), QStringLiteral("<один|два|три>"));
}

TEST(Expressions, ClosingBracketSkipsNestingAndQuotes)
{
    const QString s = QStringLiteral("x[a[b]\"]\"c]y");
    EXPECT_EQ(findClosingBracket(s, 1), s.size() - 1);
    EXPECT_EQ(findClosingBracket(QStringLiteral("[a[b]"), 0), -1);
}

TEST(Expressions, RoundTakesHalvesAwayFromZeroAsMoneyDoes)
{
    // 0,135 × 100 is 13,499999… as a double: taken at 15 digits it is the half it was written as.
    const std::pair<double, double> cases[] = {{0.5, 1},   {1.5, 2},    {2.5, 3},     {-0.5, -1},     {-2.5, -3},
                                               {0.4, 0},   {-0.4, 0},   {2.4999, 2},  {2.5001, 3},    {1234.5, 1235},
                                               {0.135 * 100, 14}, {1.005 * 100, 101}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(roundToWhole(in), out) << in;
}

} // namespace
} // namespace vi23::test
