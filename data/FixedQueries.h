#pragma once
// The program's fixed queries over kn.mdb, with their result columns.
#include "DataSet.h"

#include <QString>
#include <vector>

namespace vi23 {

struct FixedQuery {
    QString name;          // "ADOQuery11"
    QueryDef definition;
};

// The queries in the SQL of the store they run on.
const std::vector<FixedQuery>& fixedQueries(Backend backend = Backend::SQLite);
const FixedQuery& fixedQuery(QStringView name, Backend backend = Backend::SQLite);

// The number of rows of the book of income and expenses (ADOQuery11) dated from ?1 to the day before
// ?2 (ISO text): the rows of a year before a period, which the book numbers but does not list.
QString incomeBookRowCountSql();

} // namespace vi23
