#pragma once
// The rows of a data set as a table for a grid: one line per visible row in the data set's
// current order, one column per chosen field. Edits go to the current row through the data set.
#include "data/DataSet.h"

#include <QAbstractTableModel>
#include <vector>

namespace vi23::ui {

class DataSetTableModel : public QAbstractTableModel, private DataSetObserver {
    Q_OBJECT
public:
    explicit DataSetTableModel(QObject* parent = nullptr);
    ~DataSetTableModel() override;

    void setDataSet(DataSet* dataSet);
    DataSet* dataSet() const { return dataSet_; }
    // Adds a column and returns its number.
    int addColumn(const QString& field, const QString& title);
    // The column shows its field but takes no typing; the reason says where it is changed. Empty for none.
    void setColumnReadOnly(const QString& field, const QString& reason);
    QString readOnlyReason(int column) const;
    int columnOf(const QString& field) const;
    // The field shown in a column; null while the field is unknown to the data set.
    const FieldDef* fieldAt(int column) const;
    void setEditable(bool editable);
    bool isEditable() const { return editable_; }
    // Errors of edits made through setData are shown over this widget.
    void setErrorParent(QWidget* parent) { errorParent_ = parent; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The data set's current row moved (or the rows were read again); the grid selects it.
    void currentRowMoved();
    // The text typed into a cell was refused (the reason shown).
    void editRefused(const QModelIndex& index);

private:
    struct Column {
        QString field;
        QString title;
        int index = -1;            // in the data set's fields
        QString readOnlyReason;    // a column of an editable grid that shows what is made elsewhere
    };

    void currentRowChanged(DataSet&) override;
    void fieldChanged(DataSet&, int field) override;
    void rowsChanged(DataSet&) override;
    void dataSetDestroyed(DataSet&) override;

    void resolveColumns();
    void reset();

    DataSet* dataSet_ = nullptr;
    std::vector<Column> columns_;
    int rows_ = 0;                 // the row count the views were last told
    bool editable_ = false;
    QWidget* errorParent_ = nullptr;
};

} // namespace vi23::ui
