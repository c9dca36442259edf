#pragma once
// Render stage: prepared pages painted on any QPainter (screen, printer, PDF) at the device's
// resolution, layout units scaled to device pixels.
#include "reports/PreparedReport.h"
#include "reports/ReportPreparer.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <memory>

class QPainter;
class QPrinter;

namespace vi23 {

// Paints the page with its top-left paper corner at the painter's origin. dpiX and dpiY are the
// device resolution the painter draws in (before any scaling the caller has set up).
void renderPage(QPainter& painter, const PreparedPage& page, double dpiX, double dpiY);

// Page size in device pixels at the given resolution.
QSizeF pageSizeAt(const PreparedPage& page, double dpiX, double dpiY);

// Writes all pages to a PDF file (A4, each page in its own orientation); throws UserError.
void exportPdf(const PreparedReport& report, const QString& fileName);

// A PDF written page by page, for pages that are not kept; the file appears only on commit().
class PdfPageWriter {
public:
    // Throws UserError when the file cannot be made.
    PdfPageWriter(const QString& fileName, const QString& title);
    ~PdfPageWriter();
    PdfPageWriter(const PdfPageWriter&) = delete;
    PdfPageWriter& operator=(const PdfPageWriter&) = delete;

    void add(const PreparedPage& page);
    void commit();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Prepares the report once into a PDF, never holding it whole in memory: the pages wait in a temporary
// file until the placement of the whole is known. The file is the one exportPdf would write. `runs` as
// for prepareReport.
void exportPdfPageByPage(const Template& report, RowSourceResolver& rows, const GetValueCallback& getValue,
                         const QString& fileName, const RunCallback& runs = {});

// Prints the given pages (1-based, in order) on a printer already set up for copies and paper. The
// print queue shows the job as `jobName` (the document's or book's name), else as the form's name.
void printReport(const PreparedReport& report, QPrinter& printer, const QList<int>& pages,
                 const QString& jobName = {});

} // namespace vi23
