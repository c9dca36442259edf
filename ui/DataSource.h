#pragma once
// A named link between screen controls and one data set (DataSource_jur1 and the like).
#include "data/DataSet.h"

#include <QObject>

namespace vi23::ui {

class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(DataSet& dataSet, const QString& name, QObject* parent = nullptr);
    DataSet& dataSet() const { return *dataSet_; }

private:
    DataSet* dataSet_;
};

} // namespace vi23::ui
