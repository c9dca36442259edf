#pragma once
// A grid bound to a data source: one line per visible row in the data set's current order; the
// current row follows the line the user selects. An editable grid lets the user change the cells
// of the current row (editing starts; the change is saved when the row is left or saved) and
// deletes the selected row on Ctrl+Delete: through the tab's own deletion when one is set, else
// after the question "Удалить запись?". Money shows whole kopecks, as printed.
#include "data/DataSet.h"

#include <QTableView>
#include <functional>

namespace vi23::ui {

class DataSource;
class DataSetTableModel;

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    // Columns in display order: field name, title and width in pixels.
    void addColumn(const QString& field, const QString& title, int width);
    void setColumnWidthFor(const QString& field, int width);
    void setReadOnly(bool readOnly);
    // A column of an editable grid that takes no typing: a key typed or a double click there shows
    // the reason, which says where the value is changed.
    void setColumnReadOnly(const QString& field, const QString& reason);
    bool isReadOnly() const { return readOnly_; }
    // What Ctrl+Delete does instead of the plain question.
    std::function<void()> deleteAction;
    // Puts the current row in view with the keyboard in its first cell, its editor open.
    void editFirstCellOfCurrentRow();
    // A cell being typed goes into its row now, as leaving the cell would put it.
    void commitOpenEditor();
    // Whether a cell is open for typing.
    bool isCellOpen() const { return state() == QAbstractItemView::EditingState; }

signals:
    // A double click on a line, or Enter on the current line of a read-only grid.
    void rowDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void followDataSet();             // selects the data set's current row
    void lineSelected(int row);       // the user chose a line: it becomes the current row
    int selectedRow() const;
    // Shows why the cell takes no typing; false for a cell that takes it.
    bool explainReadOnlyCell(const QModelIndex& index);

    DataSource* source_ = nullptr;
    bool following_ = false;
    DataSetTableModel* model_ = nullptr;
    bool readOnly_ = true;
};

} // namespace vi23::ui
