#pragma once
// Prepare stage: template + rows + named values -> PreparedReport (pages of placed boxes).
#include "data/Error.h"
#include "data/RowSource.h"
#include "data/Value.h"
#include "reports/PreparedReport.h"
#include "reports/TemplateModel.h"

#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

namespace vi23 {

// The program's named values ("str5"); an unset result lets the engine resolve the name itself.
using GetValueCallback = std::function<std::optional<Value>(const QString& name)>;
// Called when a page is started with its number; returning false stops the preparation.
using ProgressCallback = std::function<bool(int page)>;
// A report may print its template several times over, each run from a new page with its own page
// numbers, totals and summary (a tax book once for each year of its period). Called before run n
// (0, 1, ...) to set up that run's rows and values; false when there is no run n. Without it, or when
// it has no run 0, the template runs once over the rows as they are.
using RunCallback = std::function<bool(int run)>;

// A failed preparation. text() is the whole message the user sees under the caption "Ошибка";
// reason() is the underlying failure ("Неизвестное имя «X»").
class ReportError : public UserError {
public:
    ReportError(const QString& text, const QString& reason) : UserError(text), reason_(reason) {}
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// The user stopped the preparation; nothing to report.
class ReportCancelled : public std::runtime_error {
public:
    ReportCancelled() : std::runtime_error("report preparation cancelled") {}
};

// Builds every page of the report. Throws ReportError on a failure and ReportCancelled when
// the progress callback asks to stop; data sets are returned to their rows either way.
PreparedReport prepareReport(const Template& report, RowSourceResolver& rows,
                             const GetValueCallback& getValue = {}, const ProgressCallback& progress = {},
                             const RunCallback& runs = {});

// A finished page with its number, before the content placement of the whole report is known.
using PageSink = std::function<void(PreparedPage& page, int number)>;

// The same pages handed to `sink` one by one as each is finished and then dropped, so that a long
// report is never whole in memory. The pages returned have no boxes, only their sizes and the
// placement the whole report would have had. `progress` is called as in prepareReport, after the
// page before has left for the sink.
PreparedReport prepareReportPageByPage(const Template& report, RowSourceResolver& rows, const PageSink& sink,
                                       const GetValueCallback& getValue = {}, const ProgressCallback& progress = {},
                                       const RunCallback& runs = {});

} // namespace vi23
