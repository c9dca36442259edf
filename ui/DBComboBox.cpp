#include "ui/DBComboBox.h"

#include "ui/BoundField.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace vi23::ui {

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // Typed text is stored as typed: no completion from the items, and the list never grows.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { onUserEdit(); });
    connect(this, &QComboBox::activated, this, [this](int index) { onItemChosen(index); });
}

void DBComboBox::setItems(const QStringList& items)
{
    showing_ = true;
    clear();
    addItems(items);
    showing_ = false;
    showFieldValue();
}

void DBComboBox::setDataSource(DataSource* source)
{
    link_.setSource(source);
    attach();
}

void DBComboBox::setDataField(const QString& field)
{
    link_.setField(field);
    attach();
}

void DBComboBox::attach()
{
    lineEdit()->setMaxLength(link_.isBound() ? detail::maxLengthFor(link_.fieldDef()) : 32767);
    showFieldValue();
}

void DBComboBox::showFieldValue()
{
    const QString value = link_.fieldText();
    // The same text is left alone, so starting to edit keeps the user's selection and cursor.
    const int index = findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    const bool replaced = currentText() != value;
    showing_ = true;
    if (currentIndex() != index)
        setCurrentIndex(index);
    if (currentText() != value)
        setEditText(value);
    if (replaced)
        showFromStart();
    showing_ = false;
    pending_ = false;
    holdFocus_ = false;
}

void DBComboBox::showFromStart()
{
    // A text longer than a narrow box shows its first words, not its scrolled end ("…сходный кассовый ордер").
    lineEdit()->setCursorPosition(0);
}

void DBComboBox::setPendingText(const QString& text)
{
    showing_ = true;
    setEditText(text);
    showing_ = false;
    pending_ = true;
}

void DBComboBox::writePending()
{
    if (!pending_ || !link_.isBound())
        return;
    link_.dataSet()->setText(link_.index(), currentText());
    pending_ = false;
    holdFocus_ = false;
}

void DBComboBox::discardPending()
{
    showFieldValue();
}

bool DBComboBox::acceptsText(const QString& text) const
{
    return !link_.isBound() || detail::acceptsText(link_.fieldDef(), text);
}

bool DBComboBox::startEditing()
{
    return link_.startEditing(window());
}

void DBComboBox::onUserEdit()
{
    if (showing_)
        return;
    if (link_.isBound() && !link_.dataSet()->isEditing()) {
        const QString typed = currentText();
        const int cursor = lineEdit()->cursorPosition();
        if (!startEditing()) {
            showFieldValue();
            return;
        }
        showing_ = true;
        setEditText(typed);
        lineEdit()->setCursorPosition(cursor);
        showing_ = false;
    }
    pending_ = true;
}

void DBComboBox::onItemChosen(int index)
{
    if (showing_ || index < 0)
        return;
    const QString item = itemText(index);
    // Starting to edit shows the stored value again; the chosen item then becomes the pending text.
    if (!startEditing()) {
        showFieldValue();
        return;
    }
    showing_ = true;
    setCurrentIndex(index);
    showing_ = false;
    setPendingText(item);
}

void DBComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        discardPending();
        lineEdit()->selectAll();
        event->accept();
        return;
    }
    if (link_.isBound()) {
        if (!acceptsText(detail::typedText(event))) {
            detail::refuseCharacter();
            event->accept();
            return;
        }
        if (lineEdit() && detail::refuseOverLimit(this, lineEdit(), event)) {
            event->accept();
            return;
        }
        if (detail::changesText(event) && !startEditing()) {
            event->accept();
            return;
        }
    }
    // Enter makes the combo box pick the item its text matches, which is no choice from the list.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool wasShowing = showing_;
    showing_ = showing_ || enter;
    QComboBox::keyPressEvent(event);
    showing_ = wasShowing;
}

void DBComboBox::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (link_.isBound() && !commit.isEmpty()) {
        if (!acceptsText(commit)) {
            detail::refuseCharacter();
            event->accept();
            return;
        }
        if (!startEditing()) {
            event->accept();
            return;
        }
    }
    QComboBox::inputMethodEvent(event);
}

void DBComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    // Shown from its start while away, the text takes typing at its end again when the box is entered by
    // a click or by the program (a click then puts the cursor where it lands; Tab selects it all).
    if (event->reason() == Qt::MouseFocusReason || event->reason() == Qt::OtherFocusReason)
        lineEdit()->end(false);
}

void DBComboBox::focusOutEvent(QFocusEvent* event)
{
    // Leaving the box makes the combo box pick the item its text matches; that is no choice by the user.
    showing_ = true;
    QComboBox::focusOutEvent(event);
    showing_ = false;
    // Only a move to another control: back from another window, the typing goes on where it was.
    if (!detail::focusMovesWithinWindow(event->reason()))
        return;
    holdFocus_ = pending_;
    if (!pending_ || runGuarded(window(), [this] { writePending(); })) {
        holdFocus_ = false;
        showFromStart();
        return;
    }
    setFocus(Qt::OtherFocusReason);
}

} // namespace vi23::ui
