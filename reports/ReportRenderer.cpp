#include "reports/ReportRenderer.h"

#include "data/Error.h"
#include "data/SafeOutput.h"
#include "reports/PdfDocument.h"
#include "reports/TextLayout.h"

#include <QPainter>
#include <QPrinter>

namespace vi23 {

namespace {

QColor toQColor(std::uint32_t c)
{
    return QColor(colorRed(c), colorGreen(c), colorBlue(c));
}

void drawFrame(QPainter& p, const PreparedBox& b)
{
    if (b.frameSides == 0 || b.frameWidth <= 0)
        return;
    QPen pen(toQColor(b.frameColor));
    pen.setWidthF(b.frameWidth);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    const double l = b.x, t = b.y, r = b.x + b.width, bt = b.y + b.height;
    if (b.frameSides & frame::Left)
        p.drawLine(QPointF(l, t), QPointF(l, bt));
    if (b.frameSides & frame::Top)
        p.drawLine(QPointF(l, t), QPointF(r, t));
    if (b.frameSides & frame::Right)
        p.drawLine(QPointF(r, t), QPointF(r, bt));
    if (b.frameSides & frame::Bottom)
        p.drawLine(QPointF(l, bt), QPointF(r, bt));
}

void drawLineObject(QPainter& p, const PreparedBox& b)
{
    if (b.width == 0 && b.height == 0)
        return;
    QPen pen(toQColor(b.frameColor));
    pen.setWidthF(b.frameWidth);
    p.setPen(pen);
    if (b.height < b.width)
        p.drawLine(QPointF(b.x, b.y), QPointF(b.x + b.width, b.y));
    else
        p.drawLine(QPointF(b.x, b.y), QPointF(b.x, b.y + b.height));
}

void drawMemo(QPainter& p, const PreparedBox& b)
{
    const QRectF rect(b.x, b.y, b.width, b.height);
    if (b.fillColor != kColorNone)
        p.fillRect(rect, toQColor(b.fillColor));
    if (!b.lines.empty()) {
        const bool clip = !linesInsideBox(b);
        if (clip) {
            p.save();
            p.setClipRect(rect, Qt::IntersectClip);
        }
        p.setPen(toQColor(b.font.color));
        // The layout font is sized in units; the painter's scale takes it to the device.
        MemoFont font = b.font;
        const double ascent = layoutAscent(font);
        for (const PreparedLine& line : b.lines) {
            if (line.text.isEmpty())
                continue;
            if (line.scaleX == 1) {
                p.drawGlyphRun(QPointF(line.x, line.y + ascent), layoutGlyphRun(font, line.text));
                continue;
            }
            p.save();
            p.translate(line.x, line.y + ascent);
            p.scale(line.scaleX, 1);
            p.drawGlyphRun(QPointF(0, 0), layoutGlyphRun(font, line.text));
            p.restore();
        }
        if (clip)
            p.restore();
    }
    drawFrame(p, b);
}

} // namespace

QSizeF pageSizeAt(const PreparedPage& page, double dpiX, double dpiY)
{
    return QSizeF(page.width * dpiX / kUnitsPerInchX, page.height * dpiY / kUnitsPerInchY);
}

void renderPage(QPainter& painter, const PreparedPage& page, double dpiX, double dpiY)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(dpiX / kUnitsPerInchX, dpiY / kUnitsPerInchY);
    painter.translate(page.content.x, page.content.y);
    painter.scale(page.content.scale, page.content.scale);
    for (const PreparedBox& b : page.boxes) {
        if (b.kind == PreparedBox::Kind::Line)
            drawLineObject(painter, b);
        else
            drawMemo(painter, b);
    }
    painter.restore();
}

struct PdfPageWriter::Parts {
    // The PDF is complete on the disk, or the target is left as it was.
    SafeOutputFile file;
    PdfDocument pdf;

    Parts(const QString& fileName, const QString& title) : file(fileName), pdf(file.device(), fileName, title) {}
};

PdfPageWriter::PdfPageWriter(const QString& fileName, const QString& title)
    : parts_(std::make_unique<Parts>(fileName, title))
{
}

PdfPageWriter::~PdfPageWriter() = default;

void PdfPageWriter::add(const PreparedPage& page)
{
    parts_->pdf.addPage(page);
}

void PdfPageWriter::commit()
{
    parts_->pdf.finish();
    parts_->file.commit();
}

void exportPdf(const PreparedReport& report, const QString& fileName)
{
    PdfPageWriter pdf(fileName, report.templateName);
    for (const PreparedPage& page : report.pages)
        pdf.add(page);
    pdf.commit();
}

void exportPdfPageByPage(const Template& report, RowSourceResolver& rows, const GetValueCallback& getValue,
                         const QString& fileName, const RunCallback& runs)
{
    // Every page takes the placement of the whole report, known only after the last page: the pages
    // wait in a temporary file until then.
    PageSpool spool;
    const PreparedReport shape = prepareReportPageByPage(report, rows, [&](PreparedPage& page, int) { spool.add(page); },
                                                         getValue, {}, runs);
    const ContentPlacement placement = shape.pages.empty() ? ContentPlacement{} : shape.pages.front().content;
    PdfPageWriter pdf(fileName, report.name);
    spool.replay([&](PreparedPage& page) {
        page.content = placement;
        pdf.add(page);
    });
    pdf.commit();
}

void printReport(const PreparedReport& report, QPrinter& printer, const QList<int>& pages, const QString& jobName)
{
    printer.setFullPage(true);
    printer.setDocName(jobName.isEmpty() ? report.templateName : jobName);
    // A job the printer stops taking is a failure, whatever page it stops at.
    const QString name = printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
    QPainter painter;
    bool first = true;
    for (int number : pages) {
        if (number < 1 || number > int(report.pages.size()))
            continue;
        const PreparedPage& page = report.pages[size_t(number - 1)];
        printer.setPageOrientation(page.paper.orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                                     : QPageLayout::Portrait);
        if (first) {
            if (!painter.begin(&printer))
                throw UserError(QStringLiteral("Не удается начать печать на принтере %1").arg(name));
            first = false;
        } else if (!printer.newPage()) {
            throw UserError(QStringLiteral("Печать прервана: принтер %1 не принял страницу %2").arg(name).arg(number));
        }
        renderPage(painter, page, printer.resolution(), printer.resolution());
    }
    if (!first && (!painter.end() || printer.printerState() == QPrinter::Error))
        throw UserError(QStringLiteral("Печать не завершена: принтер %1 не принял задание").arg(name));
}

} // namespace vi23
