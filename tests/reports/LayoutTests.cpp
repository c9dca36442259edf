// Text layout inside a memo: font height, word wrap, alignment offsets.
#include "TestSupport.h"

#include "reports/TextLayout.h"

#include <QRawFont>
#include <cmath>
#include <gtest/gtest.h>

namespace vi23::test {
namespace {

MemoFont arial(int size, int style = 0)
{
    MemoFont f;
    f.size = size;
    f.style = style;
    return f;
}

TEST(TextLayout, FontHeightInUnits)
{
    const std::pair<int, int> cases[] = {{6, 8}, {7, 9}, {8, 11}, {9, 12}, {10, 13}, {11, 15},
                                         {12, 16}, {13, 17}, {14, 19}, {16, 21}};
    for (const auto& [points, units] : cases)
        EXPECT_EQ(fontHeightUnits(points), units) << points;
}

TEST(TextLayout, FontsAreSubstitutedByLiberation)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Arial", "Liberation Sans"}, {"Arial Narrow", "Liberation Sans Narrow"}, {"Arial Baltic", "Liberation Sans"}};
    for (const auto& [name, family] : cases) {
        MemoFont f;
        f.name = QString::fromLatin1(name);
        EXPECT_EQ(substituteFontFamily(f.name), QString::fromLatin1(family));
        EXPECT_EQ(QRawFont::fromFont(layoutFont(f, 13)).familyName(), QString::fromLatin1(family)) << name;
    }
    MemoFont narrow;
    narrow.name = QStringLiteral("Arial Narrow");
    const QString text = QStringLiteral("Наименование продукции");
    EXPECT_LT(textWidthUnits(narrow, text), textWidthUnits(arial(10), text));
    EXPECT_LT(textWidthUnits(arial(10), text), textWidthUnits(arial(10, fontstyle::Bold), text));
    // Widths grow with the layout size, not with any device.
    EXPECT_NEAR(textWidthUnits(arial(20), text) / textWidthUnits(arial(10), text), 27.0 / 13.0, 0.06);
}

TEST(TextLayout, WrapBreaksAtTheLastSpaceBeforeTheOverflow)
{
    const MemoFont f = arial(10);
    const QString text = QStringLiteral("Оплата по счету за поставку товаров и оказание услуг по договору");
    const double width = 150;
    const QStringList lines = wrapLine(f, text, width);
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines.join(u' '), text);
    const QStringList words = text.split(u' ');
    qsizetype word = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(textWidthUnits(f, lines[i]), width) << lines[i].toStdString();
        word += lines[i].split(u' ').size();
        // The next word would not have fitted on this line.
        if (i + 1 < lines.size()) {
            EXPECT_GT(textWidthUnits(f, lines[i] + u' ' + words[word]), width) << lines[i].toStdString();
        }
    }
}

TEST(TextLayout, WordWiderThanTheBoxBreaksBetweenCharacters)
{
    const MemoFont f = arial(10);
    const QString word = QStringLiteral("Сверхдлинноенаименованиебезпробелов");
    const double width = 60;
    const QStringList lines = wrapLine(f, QStringLiteral("ab ") + word, width);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("ab"));
    EXPECT_EQ(lines.mid(1).join(QString()), word);
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_LE(textWidthUnits(f, lines[i]), width);
        EXPECT_GT(textWidthUnits(f, lines[i] + lines[i + 1].front()), width);
    }
}

TEST(TextLayout, ShortLinesAndEmptyLinesStayAsTheyAre)
{
    PreparedBox box;
    box.x = 10;
    box.y = 10;
    box.width = 400;
    box.height = 60;
    layoutText(box, QStringList{"один", "", "три"}, true);
    EXPECT_EQ(box.texts(), (QStringList{"один", "", "три"}));
    EXPECT_EQ(box.lines[1].y - box.lines[0].y, 15);   // line step = font height 13 + 2
}

struct AlignCase {
    const char* align;
    double x;        // offset of the text start from the box's left edge; -1 right, -2 centre
    double y;        // offset of the first line from the box's top edge
};
void PrintTo(const AlignCase& c, std::ostream* os)
{
    *os << safeLabel(c.align);
}

class Alignment : public ::testing::TestWithParam<AlignCase> {};

TEST_P(Alignment, PlacesTheTextBlock)
{
    const auto& c = GetParam();
    MemoryResolver rows;
    const Template t = tpl(QStringLiteral("band ReportTitle1 kind=0 top=0 height=80\n"
                                          "| 100 | 10 | 200 | 60 | LTRB | A10 | %1 |  | \"Итого\" |\n")
                               .arg(QString::fromLatin1(c.align)));
    const PreparedReport r = prepareReport(t, rows);
    const PreparedBox& box = r.pages.at(0).boxes.at(0);
    ASSERT_EQ(box.lines.size(), 1u);
    EXPECT_EQ(box.x, 100);
    EXPECT_EQ(box.y, 28);
    const double w = textWidthUnits(box.font, QStringLiteral("Итого"));
    const double expectedX = c.x == -1 ? 100 + 200 - 3 - w : c.x == -2 ? 102 + (196 - w) / 2 : 100 + c.x;
    EXPECT_NEAR(box.lines[0].x, expectedX, 1e-9) << c.align;
    EXPECT_NEAR(box.lines[0].y, 28 + c.y, 1e-9) << c.align;
}

// Box height 60, one line of step 15: middle moves the block by 22.5, bottom by 45.
INSTANTIATE_TEST_SUITE_P(Codes, Alignment,
                         ::testing::Values(AlignCase{"LT", 2, 1}, AlignCase{"CT", -2, 1}, AlignCase{"RT", -1, 1},
                                           AlignCase{"LM", 2, 23.5}, AlignCase{"CM", -2, 23.5},
                                           AlignCase{"RM", -1, 23.5}, AlignCase{"LB", 2, 46},
                                           AlignCase{"CB", -2, 46}, AlignCase{"RB", -1, 46}));

TEST(TextLayout, GlyphAdvancesAreWholeUnits)
{
    // "Плательщик" in bold Arial 10 is 80.1 units by exact design advances but 79 by whole
    // units per glyph, so it stays on one line in the invoice's 83-unit box.
    const MemoFont bold = arial(10, fontstyle::Bold);
    EXPECT_EQ(textWidthUnits(bold, QStringLiteral("Плательщик")), 79);
    EXPECT_EQ(wrapLine(bold, QStringLiteral("Плательщик"), 83 - 4), QStringList{"Плательщик"});
    const double w = textWidthUnits(arial(9), QStringLiteral("Итого без НДС:"));
    EXPECT_EQ(w, std::round(w));
}

TEST(TextLayout, MemoTextIsWrappedInsideTheInsets)
{
    MemoryResolver rows;
    const Template t = tpl(QStringLiteral("band ReportTitle1 kind=0 top=0 height=80\n"
                                          "| 100 | 0 | 80 | 60 | - | A10 | LT |  | \"Банк получателя ⏎ АО Банк\" |\n"));
    const PreparedReport r = prepareReport(t, rows);
    const PreparedBox& box = r.pages.at(0).boxes.at(0);
    EXPECT_EQ(box.texts(), (QStringList{"Банк", "получателя", "АО Банк"}));
    for (const PreparedLine& l : box.lines)
        EXPECT_LE(textWidthUnits(box.font, l.text), 76);
}

} // namespace
} // namespace vi23::test

namespace vi23::test {
namespace {

// A number, a date or "115/КО" never wraps inside itself or loses a character: too wide for its box, it
// is condensed just enough to fit on one line. Text with blanks wraps as before.
TEST(TextLayout, TextWithoutBlanksIsCondensedNotBroken)
{
    struct Case {
        const char* text;
        int width;
        int size;
        bool condensed;
    };
    const Case cases[] = {
        {"99", 18, 8, false},   {"100/П", 18, 8, true}, {"1000", 18, 8, true},      {"99999", 18, 8, true},
        {"115/КО", 28, 8, true}, {"12,50", 40, 8, false}, {"05.11.2024", 30, 9, true},
        {" 1234567,89", 40, 9, true},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        PreparedBox box;
        box.x = 100;
        box.y = 50;
        box.width = c.width;
        box.height = 18;
        box.font = arial(c.size);
        box.alignment = int(HAlign::Right);
        layoutText(box, QStringList{text}, true);
        ASSERT_EQ(box.lines.size(), 1u) << c.text;
        const PreparedLine& line = box.lines[0];
        EXPECT_EQ(line.text, text);
        EXPECT_EQ(line.scaleX < 1, c.condensed) << c.text;
        EXPECT_GE(line.x, box.x + 1) << c.text;
        EXPECT_LE(line.x + textWidthUnits(box.font, text) * line.scaleX, box.x + box.width - 2 + 1e-9) << c.text;
        if (c.condensed) {
            EXPECT_NEAR(textWidthUnits(box.font, text) * line.scaleX, c.width - 4, 1e-9) << c.text;   // just enough
        }
    }
    PreparedBox words;
    words.width = 70;
    words.height = 60;
    words.font = arial(8);
    layoutText(words, QStringList{QStringLiteral("Оплата поставщику")}, true);
    EXPECT_EQ(words.texts(), (QStringList{"Оплата", "поставщику"}));
    // A narrow column's heading keeps its words whole: the one wider than the column is condensed.
    PreparedBox heading;
    heading.width = 54;
    heading.height = 54;
    heading.font = arial(8);
    heading.font.name = QStringLiteral("Arial Narrow");
    layoutText(heading, QStringList{QStringLiteral("Код аналитического учета")}, true);
    EXPECT_EQ(heading.texts(), (QStringList{"Код", "аналитического", "учета"}));
    ASSERT_EQ(heading.lines.size(), 3u);
    EXPECT_LT(heading.lines[1].scaleX, 1);
    EXPECT_GE(heading.lines[1].scaleX, kMinCondensed);
}

// A text taller than its box keeps its first words: it is set smaller until it fits; if it cannot
// fit even then, it starts at the top of the box instead of being centred out of it.
TEST(TextLayout, TallTextShrinksAndKeepsItsBeginning)
{
    const QString name = QStringLiteral(
        "Кабель силовой медный ВВГнг(А)-LS 3х2,5 ок(N, PE)-0,66 кВ в бухтах по 100 метров, "
        "ГОСТ 31996-2012, производство Россия, партия 2026 года");
    struct Case {
        int width, height, size;
        bool shrinks;
    };
    const Case cases[] = {{314, 18, 9, true}, {314, 80, 9, false}, {120, 18, 9, true}, {1400, 18, 9, false}};
    for (const Case& c : cases) {
        PreparedBox box;
        box.x = 10;
        box.y = 100;
        box.width = c.width;
        box.height = c.height;
        box.font = arial(c.size);
        box.alignment = int(HAlign::Left) | (int(VAlign::Middle) << 3);
        layoutText(box, QStringList{name}, true);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(box.font.size < c.size, c.shrinks);
        EXPECT_EQ(box.texts().join(u' '), name);
        ASSERT_FALSE(box.lines.empty());
        EXPECT_TRUE(box.lines.front().text.startsWith(QStringLiteral("Кабель")));
        EXPECT_GE(box.lines.front().y, box.y);
        if (box.font.size > 4) {
            EXPECT_LE(box.lines.back().y + box.fontHeight, box.y + box.height) << "every line inside";
        }
    }
}

} // namespace
} // namespace vi23::test
