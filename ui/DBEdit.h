#pragma once
// A box bound to one field of a data source's current row.
//
// It shows the field as text and again whenever the value or the current row changes. Typing starts
// editing the row; characters a number or date field cannot hold are refused with a beep and a
// tooltip naming what it takes; text is limited to the field's size; a date may be typed short. What the box holds is a pending change, written into the field on focus loss, on
// save and on leaving the row; dropped on Escape, row change and the start of insert or edit, never
// by entering the box. A write that fails on focus loss keeps the focus in the box until Escape.
#include "ui/BoundField.h"

#include <QLineEdit>

namespace vi23::ui {

class DataSource;

class DBEdit : public QLineEdit, private detail::FieldLinkOwner {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    void setDataField(const QString& field);
    DataSource* dataSource() const { return link_.source(); }
    const QString& dataField() const { return link_.field(); }

    // Puts a text into the box as a pending change, as a calendar or calculator pick does.
    void setPendingText(const QString& text);
    bool hasPendingChange() const override { return pending_; }
    // Shows a money field with whole kopecks, as the printed forms do.
    void setShowsWholeKopecks(bool on);

    // Writes a picked value straight into the field, starting editing of a browsed row, so the value
    // shown is the value Save stores; throws the store's error.
    void putFieldText(const QString& text);
    // Writes the pending text into the field now; throws the store's error.
    void writePending() override;
    // Drops the pending text and shows the field's value again.
    void discardPending();

signals:
    // A mouse click in the box, read-only or not.
    void clicked();
    // A click, F4 or Alt+Down: the box's pick window (calendar, calculator) is wanted. Opened by a
    // key, it takes the keyboard; opened by a click, the box keeps it, so typing goes on there.
    void pickRequested(bool byKeyboard);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void attach();
    void showFieldValue() override;
    bool acceptsCharacter(QChar c) const;
    QString fieldDisplayText() const;
    bool startEditing();         // false when the row could not start editing (the error is shown)
    void onUserEdit();

    detail::FieldLink link_{*this};
    bool pending_ = false;
    bool showing_ = false;       // the box is being filled from the field, not by the user
    bool holdFocus_ = false;     // a failed write on focus loss keeps the focus until Escape
    bool wholeKopecks_ = false;
};

} // namespace vi23::ui
