#pragma once
// The calendar window that fills the date boxes of the main window.
#include "data/Today.h"

#include <QDate>
#include <QString>
#include <QWidget>

class QCalendarWidget;

namespace vi23 {

class TForm2 : public QWidget {
    Q_OBJECT

public:
    // Dates the calendar offers; wide enough for any current bookkeeping date.
    static QDate minimumDate() { return QDate(2000, 1, 1); }
    static QDate maximumDate() { return QDate(2099, 12, 31); }

    // Opens on `today`'s month with `today` selected.
    explicit TForm2(QWidget* parent = nullptr, QDate today = vi23::today());

    QCalendarWidget* calendar() const { return MonthCalendar1; }

signals:
    // Every pick of a day, as dd.MM.yyyy; the main window decides which box, if any, takes it.
    void datePicked(const QString& text);
    // The window was closed; it fills nothing more.
    void closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void MonthCalendar1Click(QDate date);

    QCalendarWidget* MonthCalendar1 = nullptr;
};

} // namespace vi23
