#pragma once
// What the tabs of the main window share: the store, the data sources and the pick windows.
#include "data/DataStore.h"

#include <functional>

namespace vi23 {
struct PrintRequest;
}

namespace vi23::ui {

class DataSource;
class DBEdit;

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
    // Prepares the request's printed form over its data and shows the preview.
    std::function<void(const PrintRequest& request)> runReport;
    // Has the program open its file again, in a new main window, once the current handler is done
    // (after a restore from a backup copy).
    std::function<void()> reopen;
};

} // namespace vi23::ui
