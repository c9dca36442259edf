#pragma once
// A drop-down with a fixed item list bound to one field; it behaves as a bound box (DBEdit) whose
// text can also be chosen from the list. Choosing an item starts editing the row.
#include "ui/BoundField.h"

#include <QComboBox>

namespace vi23::ui {

class DataSource;

class DBComboBox : public QComboBox, private detail::FieldLinkOwner {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    void setDataSource(DataSource* source);
    void setDataField(const QString& field);
    DataSource* dataSource() const { return link_.source(); }
    const QString& dataField() const { return link_.field(); }

    void setPendingText(const QString& text);
    bool hasPendingChange() const override { return pending_; }
    void writePending() override;
    void discardPending();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void attach();
    void showFieldValue() override;
    void showFromStart();
    bool startEditing();
    bool acceptsText(const QString& text) const;
    void onUserEdit();
    void onItemChosen(int index);

    detail::FieldLink link_{*this};
    bool pending_ = false;
    bool showing_ = false;
    bool holdFocus_ = false;
};

} // namespace vi23::ui
