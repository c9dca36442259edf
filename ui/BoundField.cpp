#include "ui/BoundField.h"

#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QToolTip>
#include <QKeyEvent>
#include <QKeySequence>

namespace vi23::ui::detail {

namespace {

std::function<void()>& refusalHook()
{
    static std::function<void()> hook;
    return hook;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

bool acceptsCharacter(const FieldDef& field, QChar c)
{
    if (!c.isPrint())
        return true;
    const bool digitOrSign = isAsciiDigit(c) || c == u'+' || c == u'-';
    switch (field.type) {
    case FieldType::Counter:
    case FieldType::Short:
    case FieldType::Long:
        return digitOrSign;
    case FieldType::Money:
        return digitOrSign || c == u',' || c == u'.';
    case FieldType::Real:
        return digitOrSign || c == u',' || c == u'.' || c == u'e' || c == u'E';
    case FieldType::Date:
        return isAsciiDigit(c) || c == u'.';
    case FieldType::Text:
        return true;
    }
    return true;
}

bool acceptsText(const FieldDef& field, QStringView text)
{
    for (QChar c : text) {
        if (!acceptsCharacter(field, c))
            return false;
    }
    return true;
}

QString typedText(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    return event->text();
}

bool changesText(const QKeyEvent* event)
{
    static const QKeySequence::StandardKey editing[] = {
        QKeySequence::Paste,           QKeySequence::Cut,
        QKeySequence::Undo,            QKeySequence::Redo,
        QKeySequence::DeleteEndOfWord, QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine,
    };
    for (QKeySequence::StandardKey key : editing) {
        if (event->matches(key))
            return true;
    }
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QString text = typedText(event);
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return true;
}

bool focusMovesWithinWindow(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

int maxLengthFor(const FieldDef& field)
{
    // QLineEdit's own default when the field sets no limit.
    return field.type == FieldType::Text && field.size > 0 ? field.size : 32767;
}

void refuseCharacter()
{
    if (refusalHook())
        refusalHook()();
    else
        QApplication::beep();
}

QString acceptedCharactersText(const FieldDef& field)
{
    switch (field.type) {
    case FieldType::Counter:
    case FieldType::Short:
    case FieldType::Long:
        return QStringLiteral("Здесь только целое число: цифры 0–9");
    case FieldType::Money:
    case FieldType::Real:
        return QStringLiteral("Здесь только число: цифры 0–9 и запятая");
    case FieldType::Date:
        return QStringLiteral("Дата: дд.мм.гггг, ддммгг или дд.мм");
    case FieldType::Text:
        break;
    }
    return {};
}

void refuseCharacterIn(QWidget* box, QLineEdit* line, const FieldDef& field)
{
    refuseCharacter();
    const QString takes = acceptedCharactersText(field);
    box->setToolTip(takes);
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), takes, box);
    line->selectAll();
}

QString insertedText(const QKeyEvent* event)
{
    QString inserted = event->matches(QKeySequence::Paste) ? QGuiApplication::clipboard()->text() : typedText(event);
    inserted.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });   // Enter, Tab, Escape
    return inserted;
}

bool overLimit(const QLineEdit* line, const QKeyEvent* event)
{
    const QString inserted = insertedText(event);
    return !inserted.isEmpty() && line->text().size() - line->selectedText().size() + inserted.size() > line->maxLength();
}

bool refuseOverLimit(QWidget* box, const QLineEdit* line, const QKeyEvent* event)
{
    if (!overLimit(line, event))
        return false;
    refuseCharacter();
    const QString limit = QStringLiteral("В этом поле не более %1 знаков").arg(line->maxLength());
    box->setToolTip(limit);
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), limit, box);
    return true;
}

void setRefusalHook(std::function<void()> hook)
{
    refusalHook() = std::move(hook);
}

void FieldLink::setSource(DataSource* source)
{
    detach();
    source_ = source;
    attach();
}

void FieldLink::setField(const QString& field)
{
    detach();
    field_ = field;
    attach();
}

void FieldLink::attach()
{
    dataSet_ = source_ ? &source_->dataSet() : nullptr;
    if (dataSet_) {
        dataSet_->addObserver(this);
        index_ = field_.isEmpty() ? -1 : dataSet_->fieldIndex(field_);
    }
}

void FieldLink::detach()
{
    if (dataSet_)
        dataSet_->removeObserver(this);
    dataSet_ = nullptr;
    index_ = -1;
}

QString FieldLink::fieldText() const
{
    return isBound() && dataSet_->isOpen() ? dataSet_->text(index_) : QString();
}

bool FieldLink::startEditing(QWidget* errorParent)
{
    if (!isBound() || dataSet_->isEditing())
        return true;
    return runGuarded(errorParent, [this] { dataSet_->edit(); });
}

void FieldLink::fieldChanged(DataSet&, int field)
{
    if (field == index_)
        owner_.showFieldValue();
}

void FieldLink::rowsChanged(DataSet&)
{
    if (!owner_.hasPendingChange())
        owner_.showFieldValue();
}

void FieldLink::dataSetDestroyed(DataSet&)
{
    dataSet_ = nullptr;
    index_ = -1;
}

} // namespace vi23::ui::detail
