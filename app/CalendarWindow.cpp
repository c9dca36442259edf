#include "app/CalendarWindow.h"

#include "data/RuFormat.h"
#include "ui/PickWindow.h"

#include <QCalendarWidget>
#include <QLocale>
#include <QVBoxLayout>

namespace vi23 {

TForm2::TForm2(QWidget* parent, QDate today)
    : QWidget(parent)
{
    ui::makePickWindow(this);
    setObjectName(QStringLiteral("Unit2"));
    setWindowTitle(QStringLiteral("Календарь"));

    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    // Russian month and day names whatever the machine's locale.
    MonthCalendar1->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar1->setGridVisible(true);
    MonthCalendar1->setDateRange(minimumDate(), maximumDate());
    MonthCalendar1->setSelectedDate(today);
    const QDate shown = MonthCalendar1->selectedDate();
    MonthCalendar1->setCurrentPage(shown.year(), shown.month());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MonthCalendar1);

    // A mouse click on a day and Enter on the keyboard-selected day are both picks.
    connect(MonthCalendar1, &QCalendarWidget::clicked, this, &TForm2::MonthCalendar1Click);
    connect(MonthCalendar1, &QCalendarWidget::activated, this, &TForm2::MonthCalendar1Click);
}

void TForm2::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit closed();
}

void TForm2::MonthCalendar1Click(QDate date)
{
    if (date.isValid())
        emit datePicked(ru::formatDate(date));
}

} // namespace vi23
