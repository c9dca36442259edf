// Painting prepared pages: device scaling on an image, and a PDF that pdftotext reads back.
#include "TestSupport.h"

#include "data/Error.h"
#include "reports/ReportRenderer.h"
#include "reports/TextLayout.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vi23::test {
namespace {

const QString kPdfBody = QStringLiteral(
    "band ReportTitle1 kind=0 top=0 height=60\n"
    "| 40 | 0 | 400 | 30 | - fill teal | A12b white | CM |  | \"Кассовая книга\" |\n"
    "| 40 | 30 | 300 | 20 | LTRB= | AN10 | LT |  | \"Счет № [ADOQuery_t.\"n\"]\" |\n"
    "band MasterData1 kind=5 top=100 height=400 dataset=frDBDataSet_t\n"
    "| 40 | 0 | 300 | 40 | LTRB | A10 | RT | F2 | \"[ADOQuery_t.\"v\"]\" |\n"
    "| 340 | 0 | 200 | 40 | B | A10 | LT |  | \"Строка [LINE#] из набора\" |\n");

PreparedReport twoPages(bool landscape = false)
{
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"n", "v"},
             {{Value(17), Value(1250.5)}, {Value(17), Value(3.0)}, {Value(17), Value(99.995)}});
    QString body = kPdfBody;
    if (landscape)
        body.prepend(QStringLiteral("template frTest\ndataset frDBDataSet_t\n"
                                    "page paper=9 width=2970 height=2100 orientation=landscape margins=36,36,36,36\n"));
    return prepareReport(tpl(body), rows);
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(Renderer, PdfTextMatchesThePreparedLines)
{
    const PreparedReport report = twoPages();
    ASSERT_EQ(report.pages.size(), 2u);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    exportPdf(report, pdf);
    const QStringList pages = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).split(u'\f');
    ASSERT_GE(pages.size(), 2);
    // pdftotext joins boxes that share a text row, so the pages are compared word by word.
    for (size_t p = 0; p < report.pages.size(); ++p) {
        QStringList extracted = pages[qsizetype(p)].split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        QStringList prepared;
        for (const PreparedBox& b : report.pages[p].boxes)
            for (const PreparedLine& l : b.lines)
                prepared += l.text.split(u' ', Qt::SkipEmptyParts);
        extracted.sort();
        prepared.sort();
        EXPECT_EQ(extracted, prepared) << "page " << p + 1;
    }
    EXPECT_TRUE(pages[0].contains(QStringLiteral("1250,50")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("100,00")));
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595[.0-9]* x 84[12][.0-9]* pts"))))
        << info.toStdString();
}

TEST(Renderer, PdfPageByPageIsThePdfOfTheWholeReport)
{
    // A box left of the safe margin moves every page's content, whether it is on the first page or
    // only on the last, after the earlier pages were written.
    const struct {
        const char* name;
        QString body;
    } cases[] = {
        {"first page", QString(kPdfBody).replace(QStringLiteral("| 40 | 0 | 400 | 30 |"), QStringLiteral("| 0 | 0 | 400 | 30 |"))},
        {"last page", kPdfBody + QStringLiteral("band ReportSummary1 kind=1 top=520 height=20\n"
                                                "| 0 | 0 | 300 | 18 | - | A10 | LT |  | \"Итого\" |\n")},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto glyphs = [](const QString& pdf) {
        QStringList lines = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).split(u'\n');
        lines.removeIf([](const QString& l) { return l.contains(QStringLiteral("CreationDate")); });
        return lines.join(u'\n');
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Template t = tpl(c.body);
        MemoryResolver rows;
        rows.add("frDBDataSet_t", "ADOQuery_t", {"n", "v"},
                 {{Value(17), Value(1250.5)}, {Value(17), Value(3.0)}, {Value(17), Value(99.995)}});
        const PreparedReport whole = prepareReport(t, rows);
        ASSERT_EQ(whole.pages.size(), 2u);
        ASSERT_NE(whole.pages[0].content, ContentPlacement{});
        const QString expected = dir.filePath(QStringLiteral("whole.pdf")), written = dir.filePath(QStringLiteral("paged.pdf"));
        exportPdf(whole, expected);
        exportPdfPageByPage(t, rows, {}, written);
        EXPECT_EQ(glyphs(written), glyphs(expected));
    }
}

// Pages waiting in the temporary file come back exactly as they went in, every field of every box.
TEST(Renderer, SpooledPagesComeBackAsTheyWere)
{
    PreparedReport report = twoPages(true);
    PreparedBox& box = report.pages[0].boxes.front();
    box.fillColor = kColorTeal;
    box.frameWidth = 2.5;
    box.font = MemoFont{QStringLiteral("Times New Roman"), 9, 3, 0x123456, 0};
    box.lines.push_back(PreparedLine{QStringLiteral("Ёлка «№ 5»"), 10.25, 20.5, 0.75});
    report.pages[1].boxes.front().kind = PreparedBox::Kind::Line;
    report.pages[1].content = ContentPlacement{4.5, -3, 0.875};
    PageSpool spool;
    for (const PreparedPage& page : report.pages)
        spool.add(page);
    std::vector<PreparedPage> back;
    spool.replay([&](PreparedPage& page) { back.push_back(page); });
    EXPECT_EQ(back, report.pages);
}

TEST(Renderer, LandscapePagesAreLandscapeInThePdf)
{
    const PreparedReport report = twoPages(true);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("land.pdf"));
    exportPdf(report, pdf);
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12][.0-9]* x 595[.0-9]* pts"))))
        << info.toStdString();
}

TEST(Renderer, PdfLinesLandWhereTheLayoutPutThem)
{
    struct Case {
        const char* face;
        int size;
        int style;
        QString text;
        int x, y, width;   // the box; the line starts 2 units in, 1 down
        double scaleX;
    };
    const Case cases[] = {
        {"Arial", 10, 0, QStringLiteral("Приход наличными 1250,50"), 40, 30, 300, 1},
        {"Arial", 14, fontstyle::Bold, QStringLiteral("Итого"), 40, 60, 300, 1},
        {"Arial Narrow", 8, fontstyle::Underline, QStringLiteral("Наименование товара"), 40, 100, 90, 0.75},
        // Wider than its box and not condensed: clipped. Arial Baltic is the same font as Arial.
        {"Arial Baltic", 10, 0, QStringLiteral("Выручка"), 40, 130, 30, 1},
        {"Arial", 12, 0, QStringLiteral("Всего"), 400, 130, 100, 1},
    };
    PreparedPage page;
    page.content = ContentPlacement{12, 20, 0.9};
    for (const Case& c : cases) {
        PreparedBox b;
        b.x = c.x, b.y = c.y, b.width = c.width, b.height = 20;
        b.font.name = QString::fromLatin1(c.face);
        b.font.size = c.size;
        b.font.style = c.style;
        b.fontHeight = fontHeightUnits(c.size);
        b.frameSides = frame::Left | frame::Bottom;
        b.fillColor = kColorTeal;
        b.lines.push_back(PreparedLine{c.text, c.x + 2.0, c.y + 1.0, c.scaleX});
        page.boxes.push_back(b);
    }
    ASSERT_FALSE(linesInsideBox(page.boxes[3]));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("lines.pdf"));
    exportPdf(PreparedReport{QStringLiteral("Проба"), {page}}, pdf);

    const QString boxes = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression word(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                                                 "yMax=\"[\\d.]+\">([^<]+)<"));
    const double sx = 72 / kUnitsPerInchX * page.content.scale, sy = 72 / kUnitsPerInchY * page.content.scale;
    const double left = 72 / kUnitsPerInchX * page.content.x, top = 72 / kUnitsPerInchY * page.content.y;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        MemoFont font;
        font.name = QString::fromLatin1(c.face);
        font.size = c.size;
        font.style = c.style;
        for (const QString& w : c.text.split(u' ')) {
            const QRegularExpressionMatch m = [&] {
                for (auto it = word.globalMatch(boxes); it.hasNext();) {
                    const QRegularExpressionMatch next = it.next();
                    if (next.captured(4) == w)
                        return next;
                }
                return QRegularExpressionMatch();
            }();
            ASSERT_TRUE(m.hasMatch()) << w.toStdString() << "\n" << boxes.toStdString();
            // A word starts where the layout's advances put it; its top is the line's top give or take
            // the font's declared ascent against the layout's; it ends one (condensed) advance later,
            // give or take the rounding of its last glyph's advance.
            const double start = c.x + 2 + textWidthUnits(font, c.text.left(c.text.indexOf(w))) * c.scaleX;
            EXPECT_NEAR(m.captured(1).toDouble(), left + start * sx, 0.05);
            EXPECT_NEAR(m.captured(2).toDouble(), top + (c.y + 1) * sy, 0.2);
            EXPECT_NEAR(m.captured(3).toDouble(), left + (start + textWidthUnits(font, w) * c.scaleX) * sx, 0.4);
        }
    }
    // Each face and style once, as a subset with its own tag; Arial Baltic is Arial.
    const QStringList fonts = run(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_EQ(fonts.size(), 3) << fonts.join(u'\n').toStdString();
    for (const QString& f : fonts) {
        EXPECT_TRUE(f.contains(QRegularExpression(QStringLiteral(
            "^[A-Z]{6}\\+LiberationSans\\S*\\s+CID TrueType\\s+Identity-H\\s+yes yes yes"))))
            << f.toStdString();
    }
}

TEST(Renderer, APrintJobThatStopsTakingPagesIsAFailure)
{
    // A device that takes nothing: the printer's output fails once its buffer is written out.
    PreparedReport report = twoPages();
    while (report.pages.size() < 40)
        report.pages.push_back(report.pages[0]);
    QList<int> all;
    for (int i = 1; i <= int(report.pages.size()); ++i)
        all << i;
    QPrinter full(QPrinter::HighResolution);
    full.setOutputFormat(QPrinter::PdfFormat);
    full.setOutputFileName(QStringLiteral("/dev/full"));
    QString error;
    try {
        printReport(report, full, all);
    } catch (const UserError& e) {
        error = e.text();
    }
    EXPECT_TRUE(error.startsWith(QStringLiteral("Печать прервана: принтер /dev/full не принял страницу "))) << error.toStdString();

    // The same job on a device that takes it prints every page.
    QTemporaryDir dir;
    QPrinter file(QPrinter::HighResolution);
    file.setOutputFormat(QPrinter::PdfFormat);
    file.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
    EXPECT_NO_THROW(printReport(report, file, all, QStringLiteral("Счет № 31 от 01.01.2026")));
    const QString info = run(QStringLiteral("pdfinfo"), {dir.filePath(QStringLiteral("out.pdf"))});
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           40")));
    // The job carries the document's name, not the form's.
    EXPECT_TRUE(info.contains(QStringLiteral("Счет № 31 от 01.01.2026"))) << info.toStdString();
}

TEST(Renderer, UnitsScaleToTheDeviceResolution)
{
    const PreparedReport report = twoPages();
    const PreparedPage& page = report.pages[0];
    // At 93/1.022 x 93/1.015 dots per inch one unit is one pixel.
    const double dpiX = kUnitsPerInchX * 2, dpiY = kUnitsPerInchY * 2;
    const QSizeF size = pageSizeAt(page, dpiX, dpiY);
    EXPECT_NEAR(size.width(), 752 * 2, 1e-6);
    EXPECT_NEAR(size.height(), 1071 * 2, 1e-6);
    QImage image(size.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderPage(painter, page, dpiX, dpiY);
    }
    // Teal fill of the title box (x 40..440, y 18..48 in units) away from its white text.
    EXPECT_EQ(image.pixelColor(2 * 45, 2 * 20), QColor(0, 128, 128));
    // The 2-unit frame of the box below (top edge at y 48) is dark; inside it stays white.
    EXPECT_LT(image.pixelColor(2 * 300, 2 * 48).lightness(), 60);
    EXPECT_EQ(image.pixelColor(2 * 300, 2 * 60), QColor(Qt::white));
    // Nothing is painted outside the boxes.
    EXPECT_EQ(image.pixelColor(2 * 700, 2 * 900), QColor(Qt::white));
}

} // namespace
} // namespace vi23::test
