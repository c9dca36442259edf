#include "ui/DataSource.h"

namespace vi23::ui {

DataSource::DataSource(DataSet& dataSet, const QString& name, QObject* parent) : QObject(parent), dataSet_(&dataSet)
{
    setObjectName(name);
}

} // namespace vi23::ui
