#pragma once
// A printed form ready to be prepared, as the window, vi23-print and the benchmarks all get it, and
// the one way its pages are prepared.
#include "data/CounterpartyMail.h"
#include "reports/PreparedReport.h"
#include "reports/ReportPreparer.h"
#include "reports/TemplateModel.h"

#include <QString>
#include <functional>

namespace vi23 {

// What the program draws on the prepared pages beside the template (the invoice's payment QR code).
using ReportFinish = std::function<void(PreparedReport& pages)>;

// The template's name (empty when there is nothing to print), the lookup of the program's named
// values, the finish and the runs of the template when it prints more than once (a tax book once for
// each year of its period). The rest is for the preview alone: the file name its "Сохранить"
// proposes, what "Отправить по почте" writes in the message and, for a book, the writer of its table
// as an .xlsx workbook.
struct PrintRequest {
    QString templateName = {};
    GetValueCallback values = {};
    ReportFinish finish = {};
    RunCallback runs = {};
    QString fileName = {};
    MailEnvelope mail = {};
    std::function<void(const QString& fileName)> saveWorkbook = {};
};

// Every page of the request over the template: prepared with its values in its runs, then finished.
// Throws as prepareReport does.
PreparedReport preparePrint(const Template& form, RowSourceResolver& rows, const PrintRequest& request);

// A file name from a report's own words: characters no file name may hold become "_".
QString reportFileName(QString words);

} // namespace vi23
