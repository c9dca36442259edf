// The .tpl notation read into the template model.
#include "TestSupport.h"

#include "data/Error.h"

#include <gtest/gtest.h>

namespace vi23::test {
namespace {

const QString kSource = QStringLiteral(
    "# comment\n"
    "template frReport_x\n"
    "dataset frDBDataSet_bl\n"
    "page paper=9 width=2970 height=2100 orientation=landscape margins=28,0,28,0\n"
    "variables document\n"
    "\n"
    "band ReportTitle1 kind=0 top=-3 height=318\n"
    "| x | y | w | h | frame | font | align | fmt | text |\n"
    "|---|---|---|---|---|---|---|---|---|\n"
    "| 72 | 59 | 83 | 18 | - | A10b | LT |  | \"Получатель\" |\n"
    "| 540 | 131 | 36 | 18 | LTRB= fill teal | AN8i white | CM | F2- |  |\n"
    "| 72 | 149 | 468 | 36 | LTR | AB10bu | RB | D3 | \"Получатель ⏎ [ADOQuery_bl.\"np\"] | \"x\" ⏎ \" |\n"
    "band GroupHeader1 kind=16 top=120 height=20 condition=[ADOQuery11.\"g\"] + 1\n"
    "band MasterData1 kind=5 top=504 height=18 dataset=[Нет]\n"
    "| 70 | 0 | 24 | 18 | LB | A7 | CM | G | \"[LINE#]\" |\n"
    "nobands\n"
    "| 10 | 700 | 24 | 18 | T= fill white | A16 | RT | F0 | \"\" |\n");

TEST(TemplateSource, ReadsHeaderBandsAndObjects)
{
    const Template t = parseTemplateSource(kSource, QStringLiteral("frReport_x.tpl"));
    EXPECT_EQ(t.name, QStringLiteral("frReport_x"));
    EXPECT_EQ(t.defaultDataSet, QStringLiteral("frDBDataSet_bl"));
    EXPECT_EQ(t.printerName, QStringLiteral("Принтер по умолчанию"));
    ASSERT_EQ(t.pages.size(), 1u);
    EXPECT_EQ(t.page().width, 2970);
    EXPECT_EQ(t.page().orientation, Orientation::Landscape);
    EXPECT_EQ(t.page().marginLeft, 28);
    EXPECT_EQ(t.page().marginRight, 28);
    ASSERT_TRUE(t.variables.has_value());
    ASSERT_EQ(t.variables->entries.size(), 1u);
    EXPECT_EQ(t.variables->entries[0].name, QStringLiteral("ss  "));

    ASSERT_EQ(t.bands.size(), 3u);
    EXPECT_EQ(t.bands[0].kind, BandKind::ReportTitle);
    EXPECT_EQ(t.bands[0].top(), -3);
    EXPECT_EQ(t.bands[0].flags, 0x30);
    EXPECT_EQ(t.bands[1].condition(), QStringLiteral("[ADOQuery11.\"g\"] + 1"));
    EXPECT_EQ(t.bands[2].dataSet(), QStringLiteral("[Нет]"));

    ASSERT_EQ(t.memos.size(), 5u);
    const MemoObject& a = t.memos[0];
    EXPECT_EQ(a.name, QStringLiteral("Memo1"));
    EXPECT_EQ(a.y, 56);   // band top -3 plus offset 59
    EXPECT_EQ(a.flags, memoflag::WordWrap);
    EXPECT_EQ(a.frameSides, 0);
    EXPECT_EQ(a.fillColor, kColorNone);
    EXPECT_EQ(a.font.name, QStringLiteral("Arial"));
    EXPECT_EQ(a.font.style, fontstyle::Bold);
    EXPECT_EQ(a.font.charset, 204);
    EXPECT_EQ(a.format.packed(), 0x0000002Cu);
    EXPECT_EQ(a.lines, QStringList{"Получатель"});

    const MemoObject& b = t.memos[1];
    EXPECT_EQ(b.frameSides, 15);
    EXPECT_EQ(b.frameWidth, 2);
    EXPECT_EQ(b.fillColor, 0x00808000u);
    EXPECT_EQ(b.font.name, QStringLiteral("Arial Narrow"));
    EXPECT_EQ(b.font.style, fontstyle::Italic);
    EXPECT_EQ(b.font.color, 0x00FFFFFFu);
    EXPECT_EQ(b.hAlign(), HAlign::Center);
    EXPECT_EQ(b.vAlign(), VAlign::Middle);
    EXPECT_EQ(b.format.packed(), 0x0101022Du);   // number, fixed, 2 digits, '-'
    EXPECT_TRUE(b.lines.isEmpty());

    const MemoObject& c = t.memos[2];
    EXPECT_EQ(c.frameSides, frame::Left | frame::Top | frame::Right);
    EXPECT_EQ(c.font.name, QStringLiteral("Arial Baltic"));
    EXPECT_EQ(c.font.style, fontstyle::Bold | fontstyle::Underline);
    EXPECT_EQ(c.alignment, 1 | (2 << 3));
    EXPECT_EQ(c.format.packed(), 0x0203002Cu);
    EXPECT_EQ(c.lines, (QStringList{"Получатель", "[ADOQuery_bl.\"np\"] | \"x\"", ""}));

    EXPECT_EQ(t.memos[3].y, 504);
    EXPECT_EQ(t.memos[3].format.category, DisplayFormat::Number);
    EXPECT_EQ(t.memos[3].format.subFormat, 0);
    const MemoObject& e = t.memos[4];
    EXPECT_EQ(e.y, 700);
    EXPECT_EQ(e.frameSides, frame::Top);
    EXPECT_EQ(e.fillColor, kColorWhite);
    EXPECT_EQ(e.hAlign(), HAlign::Right);
    EXPECT_EQ(e.lines, QStringList{""});
}

TEST(TemplateSource, ErrorsNameTheFileLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "band B kind=0 top=0 height=10\n| 1 | 2 | 3 | 4 | - | Z10 | LT |  | \"\" |\n",
         "a.tpl, строка 4: неверный шрифт \"Z10\""},
        {"template a\npage paper=9 width=2100 height=2970 orientation=sideways margins=0,0,0,0\n",
         "a.tpl, строка 2: неизвестная ориентация \"sideways\""},
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "band B kind=0 top=0 height=10\n| 1 | 2 | 3 | 4 | X | A10 | LT |  | \"\" |\n",
         "a.tpl, строка 4: неизвестная сторона рамки \"X\""},
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "band B kind=0 top=0 height=10\n| 1 | 2 | 3 | 4 | - | A10 | LT | F9x | \"\" |\n",
         "a.tpl, строка 4: неизвестный формат \"F9x\""},
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "band B kind=0 top=0 height=10\n| 1 | 2 | 3 | 4 | - | A10 | LQ |  | \"\" |\n",
         "a.tpl, строка 4: неверное выравнивание \"LQ\""},
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "band B kind=0 top=0 height=10\n| 1 | 2 | 3 | 4 | - | A10 | LT |  | текст |\n",
         "a.tpl, строка 4: текст должен стоять в кавычках"},
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "band B kind=22 top=0 height=10\n",
         "a.tpl, строка 3: вид полосы вне 0..20: 22"},
        {"template a\npage paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
         "| 1 | 2 | 3 | 4 | - | A10 | LT |  | \"\" |\n",
         "a.tpl, строка 3: строка объекта вне полосы"},
        {"template a\n", "a.tpl, строка 0: нет строки page"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseTemplateSource(QString::fromUtf8(text), QStringLiteral("/some/dir/a.tpl"));
            ADD_FAILURE() << "no error for " << message;
        } catch (const UserError& e) {
            EXPECT_EQ(e.text(), QString::fromUtf8(message));
        }
    }
}

TEST(TemplateSource, PageGeometryOfA4)
{
    PageDescription portrait;
    EXPECT_EQ(pageGeometry(portrait), (PageGeometry{752, 1071, 18, 18, 734, 1053}));
    PageDescription landscape;
    landscape.width = 2970;
    landscape.height = 2100;
    landscape.orientation = Orientation::Landscape;
    landscape.marginLeft = landscape.marginTop = landscape.marginRight = landscape.marginBottom = 36;
    EXPECT_EQ(pageGeometry(landscape), (PageGeometry{1064, 758, 36, 36, 1028, 722}));
    landscape.marginTop = landscape.marginBottom = 0;
    landscape.marginLeft = landscape.marginRight = 28;
    EXPECT_EQ(pageGeometry(landscape), (PageGeometry{1064, 758, 28, 18, 1036, 740}));
    EXPECT_EQ(bandKindName(BandKind::MasterData), QStringLiteral("Данные"));
    EXPECT_EQ(bandKindName(BandKind::GroupFooter), QStringLiteral("Итог группы"));
}

} // namespace
} // namespace vi23::test
