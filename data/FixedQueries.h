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

const std::vector<FixedQuery>& fixedQueries();
const FixedQuery& fixedQuery(QStringView name);

// The number of rows of the book of income and expenses (ADOQuery11) dated from ?1 to the day before
// ?2 (ISO text): the rows of a year before a period, which the book numbers but does not list.
QString incomeBookRowCountSql();

// Every row of the reconciliation act with one counterparty (?3) dated before ?2 (ISO text): its date
// dd, our debit d and our credit k1, in no order; the act's balances are summed from them.
QString reconciliationBalanceSql();

} // namespace vi23
