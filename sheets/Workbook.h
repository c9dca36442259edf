#pragma once
// A table written as an .xlsx workbook: money as numbers with two decimals, dates as dates,
// a bold heading row that stays in view, bold totals and columns wide enough for their text.
#include "data/Value.h"

#include <QString>
#include <vector>

namespace vi23 {

struct SheetColumn {
    enum class Kind { Text, Date, Money, Number };
    QString title;
    Kind kind = Kind::Text;
    bool summed = true;         // money: part of the totals row (a running balance is not)
};

struct Sheet {
    QString name;                              // shown on the sheet's tab
    std::vector<SheetColumn> columns;
    std::vector<std::vector<Value>> rows;
    bool totals = false;                       // a bold last row summing the money columns
};

// Writes the workbook through the checked output (data/SafeOutput.h), as every file of the program
// is written: complete or not at all, never over the open database. Throws UserError.
void writeWorkbook(const QString& path, const Sheet& sheet);

// A sheet tab name: at most 31 characters, none of []:*?/\.
QString sheetName(const QString& text);

} // namespace vi23
