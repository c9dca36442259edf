#pragma once
// Dates another program wrote that are not calendar dates ("2026-02-31", "2026-13-39"): the store
// reads them as blank, so a book would count such a row under no day while another drops it.
#include "Database.h"

#include <QString>

namespace vi23 {

// The SQL condition true for a row whose `field` holds a value that is no calendar date. The partial
// index on it (made by the upgrade for the journal) keeps such rows at hand, so the check below costs
// nothing however long the journal grows.
QString notCalendarDateCondition(QStringView field);
QString notCalendarDateIndex(QStringView table, QStringView field);

// Throws a UserError naming the table, the rows (by counter, or rowid) and the texts, at most ten of
// them, when any date field of the table holds a text that is not a calendar date.
void requireCalendarDates(Database& db, QStringView table);

} // namespace vi23
