#pragma once
// A drop-down with a fixed item list bound to one field; it behaves as a bound box (DBEdit) whose
// text can also be chosen from the list. Choosing an item starts editing the row.
#include "data/DataSet.h"

#include <QComboBox>

namespace vi23::ui {

class DataSource;

class DBComboBox : public QComboBox, private DataSetObserver {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    ~DBComboBox() override;

    void setItems(const QStringList& items);
    void setDataSource(DataSource* source);
    void setDataField(const QString& field);
    DataSource* dataSource() const { return source_; }
    const QString& dataField() const { return field_; }

    void setPendingText(const QString& text);
    bool hasPendingChange() const { return pending_; }
    void writePending();
    void discardPending();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void currentRowChanged(DataSet&) override;
    void fieldChanged(DataSet&, int field) override;
    void stateChanged(DataSet&) override;
    void rowsChanged(DataSet&) override;
    void writePendingChanges(DataSet&) override;
    void dataSetDestroyed(DataSet&) override;

    void attach();
    void detach();
    void showFieldValue();
    bool startEditing();
    bool acceptsText(const QString& text) const;
    void onUserEdit();
    void onItemChosen(int index);

    DataSource* source_ = nullptr;
    DataSet* dataSet_ = nullptr;
    QString field_;
    int fieldIndex_ = -1;
    bool pending_ = false;
    bool showing_ = false;
    bool holdFocus_ = false;
};

} // namespace vi23::ui
