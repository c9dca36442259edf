#pragma once
// The columns of the grids over the journal, the documents and the lists: the field and its title, in
// the grid's order. A data set's workbook has the same columns under the same titles.
#include <QString>
#include <QStringView>
#include <vector>

namespace vi23 {

struct GridColumn {
    QString field;
    QString title;
};

// The grid's columns of the data set; empty for a data set no grid shows.
const std::vector<GridColumn>& gridColumns(QStringView dataSet);

} // namespace vi23
