#pragma once
// A table written as an .xlsx workbook: money as numbers with two decimals, dates as dates, a bold
// row of column titles that stays in view and heads every printed page, bold headings and totals,
// columns wide enough for their text, landscape pages as wide as the table.
#include "data/Value.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace vi23 {

struct SheetColumn {
    enum class Kind { Text, Date, Money, Number };
    QString title;
    Kind kind = Kind::Text;
    bool summed = true;         // money: part of the totals row (a running balance is not)
};

// A row of the table: a data row, a group's heading or a total, as the printed book has them.
struct SheetRow {
    enum class Style { Data, Heading, Total };
    SheetRow(std::vector<Value> values = {}, Style rowStyle = Style::Data) : cells(std::move(values)), style(rowStyle) {}

    std::vector<Value> cells;
    Style style = Style::Data;
    // A total over rows of the sheet (indexes into Sheet::rows, both included): its money cells are
    // live subtotals of those rows, plus what the total counts beyond them (the rows of the year
    // before a period); -1 for a total that is a value only.
    int first = -1;
    int last = -1;
};

struct Sheet {
    QString name;                              // shown on the sheet's tab
    QStringList heading;                       // lines above the table: the book, the enterprise, the period
    std::vector<SheetColumn> columns;
    std::vector<SheetRow> rows;
};

// Writes the workbook through the checked output (data/SafeOutput.h), as every file of the program
// is written: complete or not at all, never over the open database. Throws UserError.
void writeWorkbook(const QString& path, const Sheet& sheet);

// A sheet tab name: at most 31 characters, none of []:*?/\.
QString sheetName(const QString& text);

} // namespace vi23
