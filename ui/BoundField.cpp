#include "ui/BoundField.h"

#include <QApplication>
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
    case FieldType::Text:
    case FieldType::Date:
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

void setRefusalHook(std::function<void()> hook)
{
    refusalHook() = std::move(hook);
}

} // namespace vi23::ui::detail
