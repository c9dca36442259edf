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

} // namespace vi23
