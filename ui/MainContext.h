#pragma once
// What the tabs of the main window share: the store, the data sources and the pick windows.
#include "data/CounterpartyMail.h"
#include "data/DataStore.h"
#include "data/Money.h"
#include "data/Value.h"

#include <functional>
#include <optional>

namespace vi23 {
struct PreparedReport;
}

namespace vi23::ui {

class DataSource;
class DBEdit;

// A printed form ready to be prepared, as the window and vi23-print both get it: the template's name
// (empty when there is nothing to print), the lookup of the program's named values, what is drawn
// on the prepared pages beside the template (the invoice's payment QR code) and the runs of the
// template when it prints more than once (a tax book once for each year of its period).
using ReportFinish = std::function<void(PreparedReport& pages)>;
using ReportRuns = std::function<bool(int run)>;
struct PrintRequest {
    QString templateName;
    std::function<std::optional<Value>(const QString& name)> values;
    ReportFinish finish = {};
    ReportRuns runs = {};
};

struct MainContext {
    DataStore& store;
    DataSource& jur;
    DataSource& jur1;
    DataSource& sr;
    DataSource& k;
    DataSource& stov;
    DataSource& pr1;
    // Pick windows, shown (or brought to the front) by clicks in boxes and F4. The calendar fills the
    // date box it was opened for, with every day clicked, until it is closed. `byKeyboard`: the
    // window takes the keyboard; else the box keeps it.
    std::function<void(DBEdit* target, bool byKeyboard)> showCalendar;
    std::function<void(bool byKeyboard)> showCalculator;
    // The goods window, opened beside the name box of the line it fills.
    std::function<void(QWidget* nameBox)> showGoodsPicker;
    // Prepares the named printed form over its data and shows the preview; the lookup answers the
    // program's named values (an unset answer leaves the name to the engine).
    using ValueLookup = std::function<std::optional<Value>(const QString& name)>;
    std::function<void(const QString& templateName, const ValueLookup& values, const ReportFinish& finish)> runReport;
    // The file name the preview's "Сохранить" proposes for the report run next.
    QString reportFileName;
    // What the preview's "Отправить по почте" writes in the message, for the report run next only.
    MailEnvelope reportMail;
    // While a book is shown: writes its table as an .xlsx workbook for the preview's "Сохранить".
    std::function<void(const QString& fileName)> saveWorkbook;
    // Has the program open its file again, in a new main window, once the current handler is done
    // (after a restore from a backup copy).
    std::function<void()> reopen;
    // While a book is printed: the runs of its form (PrintRequest::runs), for runReport.
    ReportRuns reportRuns;
};

// A file name from a report's own words: characters no file name may hold become "_".
inline QString reportFileName(QString words)
{
    for (QChar& c : words) {
        if (QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'_';
    }
    return words + QStringLiteral(".pdf");
}

} // namespace vi23::ui
