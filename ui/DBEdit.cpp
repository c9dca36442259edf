#include "ui/DBEdit.h"

#include "data/Today.h"
#include "ui/BoundField.h"
#include "data/DocumentMoney.h"
#include "data/RuFormat.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

namespace vi23::ui {

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { onUserEdit(); });
}

void DBEdit::setDataSource(DataSource* source)
{
    link_.setSource(source);
    attach();
}

void DBEdit::setDataField(const QString& field)
{
    link_.setField(field);
    attach();
}

void DBEdit::attach()
{
    setMaxLength(link_.isBound() ? detail::maxLengthFor(link_.fieldDef()) : 32767);
    showFieldValue();
}

void DBEdit::setShowsWholeKopecks(bool on)
{
    wholeKopecks_ = on;
    showFieldValue();
}

QString DBEdit::fieldDisplayText() const
{
    if (wholeKopecks_ && link_.isBound() && link_.dataSet()->isOpen()) {
        const Value value = link_.dataSet()->value(link_.index());
        if (value.kind() == Value::Kind::Money)
            return value.money().toFixed(2);
    }
    return link_.fieldText();
}

void DBEdit::showFieldValue()
{
    const QString value = fieldDisplayText();
    // The same text is left alone, so starting to edit keeps the user's selection and cursor.
    showing_ = true;
    if (text() != value)
        setText(value);
    showing_ = false;
    pending_ = false;
    holdFocus_ = false;
}

void DBEdit::setPendingText(const QString& text)
{
    showing_ = true;
    setText(text);
    showing_ = false;
    pending_ = true;
}

void DBEdit::putFieldText(const QString& text)
{
    if (!link_.isBound())
        return;
    DataSet& dataSet = *link_.dataSet();
    if (!dataSet.isEditing())
        dataSet.edit();
    dataSet.setText(link_.index(), text);
}

void DBEdit::writePending()
{
    if (!pending_ || !link_.isBound())
        return;
    QString typed = text();
    // A date is typed short (ddMMyy, dd.MM) and stored whole, or refused naming the forms taken.
    if (link_.fieldDef().type == FieldType::Date && !typed.trimmed().isEmpty())
        typed = ru::formatDate(ru::parseTypedDate(typed, today()));
    link_.dataSet()->setText(link_.index(), typed);
    // The field's change has shown the stored form of the text again.
    pending_ = false;
    holdFocus_ = false;
}

void DBEdit::discardPending()
{
    showFieldValue();
}

bool DBEdit::acceptsCharacter(QChar c) const
{
    return !link_.isBound() || detail::acceptsCharacter(link_.fieldDef(), c);
}

bool DBEdit::startEditing()
{
    return link_.startEditing(window());
}

void DBEdit::onUserEdit()
{
    if (showing_)
        return;
    if (link_.isBound() && !link_.dataSet()->isEditing()) {
        // A change that came past the keyboard (a drop, the context menu): the row starts editing
        // now, which shows the field again, so the user's text is put back afterwards.
        const QString typed = text();
        const int cursor = cursorPosition();
        if (!startEditing()) {
            showFieldValue();
            return;
        }
        showing_ = true;
        setText(typed);
        setCursorPosition(cursor);
        showing_ = false;
    }
    pending_ = true;
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    // F4 and Alt+Down open the box's pick window (the calendar, the calculator), as a click does.
    if (event->key() == Qt::Key_F4 || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        event->accept();
        emit pickRequested(true);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        discardPending();
        selectAll();
        event->accept();
        return;
    }
    if (!isReadOnly() && link_.isBound()) {
        const QString typed = detail::typedText(event);
        if (!std::all_of(typed.begin(), typed.end(), [this](QChar c) { return acceptsCharacter(c); })) {
            detail::refuseCharacterIn(this, this, link_.fieldDef());
            event->accept();
            return;
        }
        if (detail::refuseOverLimit(this, this, event)) {
            event->accept();
            return;
        }
        if (detail::changesText(event) && !startEditing()) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (!isReadOnly() && link_.isBound() && !commit.isEmpty()) {
        if (!std::all_of(commit.begin(), commit.end(), [this](QChar c) { return acceptsCharacter(c); })) {
            detail::refuseCharacterIn(this, this, link_.fieldDef());
            event->accept();
            return;
        }
        if (!startEditing()) {
            event->accept();
            return;
        }
    }
    QLineEdit::inputMethodEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A rate is one of a few values and a date is typed whole: what is typed replaces it, however the
    // box was entered.
    if (link_.isBound() && !isReadOnly()
        && (isVatRateField(link_.fieldDef().name) || link_.fieldDef().type == FieldType::Date))
        QTimer::singleShot(0, this, [this] {
            if (hasFocus())
                selectAll();
        });
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!detail::focusMovesWithinWindow(event->reason()) || !pending_)
        return;
    // Set before the message shows, so the focus it brings back does not drop the text.
    holdFocus_ = true;
    if (runGuarded(window(), [this] { writePending(); })) {
        holdFocus_ = false;
        return;
    }
    // The refused text is selected, so the next key corrects it.
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void DBEdit::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    emit clicked();
    emit pickRequested(false);
}

} // namespace vi23::ui
