#pragma once
// What the tabs of the main window share: the store, the data sources and the state integers
// through which handlers hand work to each other.
#include "data/DataStore.h"
#include "data/Money.h"
#include "data/Value.h"

#include <functional>
#include <optional>

namespace vi23::ui {

class DataSource;

struct MainState {
    int inputMode = 0;      // which list is being written, or which box the next pick fills
    int docMode = 0;        // documents tab: 23 being written, 121 saved, 34 printed
    Money printTotal;       // totals of the document being printed
    Money printVat;
    // The inputMode value of the date box clicked since the last calendar pick (9, 21 or 25), 0 for
    // none: a pick fills only a box that was clicked for it.
    int calendarTarget = 0;
};

struct MainContext {
    DataStore& store;
    MainState& state;
    DataSource& jur;
    DataSource& jur1;
    DataSource& sr;
    DataSource& k;
    DataSource& stov;
    DataSource& pr1;
    // Pick windows, shown (or brought to the front) by clicks in boxes.
    std::function<void()> showCalendar;
    std::function<void()> showCalculator;
    std::function<void()> showGoodsPicker;
    // Prepares the named printed form over its data and shows the preview; the lookup answers the
    // program's named values (an unset answer leaves the name to the engine).
    using ValueLookup = std::function<std::optional<Value>(const QString& name)>;
    std::function<void(const QString& templateName, const ValueLookup& values)> runReport;
};

} // namespace vi23::ui
