#pragma once
// A realistic sample enterprise for a new database: requisites, goods, counterparties, typical
// operations, documents and a year of journal entries.
#include <QDate>

namespace vi23 {

class DataStore;

struct DemoCounts {
    int goods = 0;
    int counterparties = 0;
    int operations = 0;
    int documents = 0;
    int journalEntries = 0;
};

// Fills the store's tables through its data sets; entries are dated within the given year, up to
// and including lastDay. The same arguments always give the same rows.
DemoCounts fillDemoData(DataStore& store, int year, QDate lastDay);

} // namespace vi23
