#include "ui/DataSetTableModel.h"

#include "ui/Messages.h"

namespace vi23::ui {

DataSetTableModel::DataSetTableModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSetTableModel::~DataSetTableModel()
{
    if (dataSet_)
        dataSet_->removeObserver(this);
}

void DataSetTableModel::setDataSet(DataSet* dataSet)
{
    if (dataSet_ == dataSet)
        return;
    if (dataSet_)
        dataSet_->removeObserver(this);
    beginResetModel();
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->addObserver(this);
    resolveColumns();
    rows_ = dataSet_ ? dataSet_->recordCount() : 0;
    endResetModel();
    emit currentRowMoved();
}

int DataSetTableModel::addColumn(const QString& field, const QString& title)
{
    const int column = int(columns_.size());
    beginInsertColumns({}, column, column);
    columns_.push_back({field, title, dataSet_ ? dataSet_->fieldIndex(field) : -1, {}});
    endInsertColumns();
    return column;
}

void DataSetTableModel::setColumnReadOnly(const QString& field, const QString& reason)
{
    const int column = columnOf(field);
    if (column >= 0)
        columns_[size_t(column)].readOnlyReason = reason;
}

QString DataSetTableModel::readOnlyReason(int column) const
{
    return column >= 0 && column < int(columns_.size()) ? columns_[size_t(column)].readOnlyReason : QString();
}

int DataSetTableModel::columnOf(const QString& field) const
{
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const FieldDef* DataSetTableModel::fieldAt(int column) const
{
    if (!dataSet_ || column < 0 || column >= int(columns_.size()) || columns_[size_t(column)].index < 0)
        return nullptr;
    return &dataSet_->fields()[size_t(columns_[size_t(column)].index)];
}

void DataSetTableModel::setEditable(bool editable)
{
    if (editable_ == editable)
        return;
    editable_ = editable;
    if (rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1), {});
}

void DataSetTableModel::resolveColumns()
{
    for (Column& column : columns_)
        column.index = dataSet_ ? dataSet_->fieldIndex(column.field) : -1;
}

void DataSetTableModel::reset()
{
    beginResetModel();
    rows_ = dataSet_ ? dataSet_->recordCount() : 0;
    endResetModel();
}

int DataSetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int DataSetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DataSetTableModel::data(const QModelIndex& index, int role) const
{
    if (!dataSet_ || !index.isValid() || index.column() >= int(columns_.size()))
        return {};
    const Column& column = columns_[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole: {
        const Value value = dataSet_->valueAt(index.row(), column.index);
        return value.kind() == Value::Kind::Money ? value.money().toFixed(2) : dataSet_->displayText(column.index, value);
    }
    case Qt::ToolTipRole: {
        // The whole text of a cell too narrow for it.
        const Value value = dataSet_->valueAt(index.row(), column.index);
        return value.kind() == Value::Kind::Money ? QVariant() : QVariant(dataSet_->displayText(column.index, value));
    }
    case Qt::EditRole:
        return dataSet_->displayText(column.index, dataSet_->valueAt(index.row(), column.index));
    case Qt::TextAlignmentRole: {
        const FieldDef* field = fieldAt(index.column());
        if (field && field->isNumeric())
            return QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    default:
        return {};
    }
}

QVariant DataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < int(columns_.size()))
        return columns_[size_t(section)].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DataSetTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const FieldDef* field = fieldAt(index.column());
    if (editable_ && field && field->type != FieldType::Counter && !dataSet_->isReadOnly()
        && columns_[size_t(index.column())].readOnlyReason.isEmpty())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DataSetTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int field = columns_[size_t(index.column())].index;
    const QString text = value.toString();
    DataSet& dataSet = *dataSet_;
    const int row = index.row();
    const bool stored = runGuarded(errorParent_, [&] {
        if (dataSet.position() != row) {
            dataSet.moveToPosition(row);
            if (dataSet.position() != row)
                return;
        }
        // An editor closed without a change does not start editing the row.
        if (dataSet.displayText(field, dataSet.valueAt(row, field)) == text)
            return;
        dataSet.edit();
        dataSet.setText(field, text);
    });
    if (!stored)
        emit editRefused(index);
    return stored;
}

void DataSetTableModel::currentRowChanged(DataSet&)
{
    emit currentRowMoved();
}

void DataSetTableModel::fieldChanged(DataSet& dataSet, int field)
{
    const int row = dataSet.position();
    if (row < 0 || row >= rows_)
        return;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].index == field)
            emit dataChanged(index(row, int(i)), index(row, int(i)), {Qt::DisplayRole, Qt::EditRole});
    }
}

void DataSetTableModel::rowsChanged(DataSet& dataSet)
{
    // The same number of lines (a save, a new order) keeps the view's selection and scroll position.
    if (dataSet.recordCount() != rows_)
        reset();
    else if (rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1), {Qt::DisplayRole, Qt::EditRole});
    emit currentRowMoved();
}

void DataSetTableModel::dataSetDestroyed(DataSet&)
{
    beginResetModel();
    dataSet_ = nullptr;
    resolveColumns();
    rows_ = 0;
    endResetModel();
}

} // namespace vi23::ui
