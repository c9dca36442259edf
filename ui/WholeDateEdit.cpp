#include "ui/WholeDateEdit.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace vi23::ui {

WholeDateEdit::WholeDateEdit(QDate date, QWidget* parent) : QDateEdit(date, parent)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
}

void WholeDateEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (typed.size() == 1 && !command) {
        QLineEdit* line = lineEdit();
        const QString text = line->text();
        const bool wholeSelected = !text.isEmpty() && line->selectedText() == text;
        const int start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        const bool atPartStart = start == 0 || (start <= text.size() && text.at(start - 1) == u'.');
        const QChar c = typed.at(0);
        if (c.isDigit()) {
            if (wholeSelected || (atPartStart && !line->hasSelectedText())) {
                const int at = wholeSelected ? 0 : start;
                // dd.MM.yyyy: the day ends at 2, the month at 5.
                if (at == 0) {
                    // 31 January of a leap year takes any day, and then any month.
                    const QDate open(2024, 1, 31);
                    if (open >= minimumDate() && open <= maximumDate())
                        setDate(open);
                }
                setSelectedSection(at <= 2 ? DaySection : at <= 5 ? MonthSection : YearSection);
            }
        } else if ((c == u'.' || c == u',' || c == u'/') && !wholeSelected && start > 0 && atPartStart) {
            // The part was completed and the cursor moved on already.
            event->accept();
            return;
        }
    }
    QDateEdit::keyPressEvent(event);
}

} // namespace vi23::ui
