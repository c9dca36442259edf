#pragma once
// The books of the report panel and the data sets as spreadsheet tables: the columns of the
// printed form (or of the list's grid) over the same rows the print takes.
#include "data/DataStore.h"
#include "sheets/Workbook.h"

#include <QDate>

namespace vi23 {

// The book of a report kind over a period, as "Печать отчета" would print it; the cash book is
// rebuilt first; the reconciliation act is with `counterparty`. Throws for a kind without rows (the
// title page) or an unknown text.
Sheet bookSheet(DataStore& store, const QString& kind, QDate from, QDate to, const QString& counterparty = {});

// The book written to an .xlsx file; the open database is refused as the target.
void saveBookWorkbook(DataStore& store, const QString& fileName, const QString& kind, QDate from, QDate to,
                      const QString& counterparty = {});

// A data set's visible rows; the lists and the journal take their grid titles, others the field names.
Sheet dataSetSheet(DataSet& rows);

} // namespace vi23
