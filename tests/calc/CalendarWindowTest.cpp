// The calendar window: its range, where it opens, and which user actions count as a pick.
#include "app/CalendarWindow.h"
#include "data/Today.h"

#include <QCalendarWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <vector>

namespace vi23 {
namespace {

class CalendarWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&form, &TForm2::datePicked, &form, [this](const QString& text) { picked.push_back(text); });
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QTableView* view() const { return form.calendar()->findChild<QTableView*>(); }

    // The cell of the day in the shown month; days 15 to 22 appear once on every page.
    QPoint dayCell(int day) const
    {
        QAbstractItemModel* model = view()->model();
        for (int row = 1; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column) {
                QModelIndex index = model->index(row, column);
                if (index.data().toString() == QString::number(day))
                    return view()->visualRect(index).center();
            }
        }
        ADD_FAILURE() << "day " << day << " not shown";
        return {};
    }

    void clickDay(int day) { QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, dayCell(day)); }

    TForm2 form{nullptr, QDate(2024, 3, 10)};
    std::vector<QString> picked;
};

TEST_F(CalendarWindow, OpensOnTheGivenDayWithinTheCenturyRange)
{
    QCalendarWidget* calendar = form.calendar();
    EXPECT_EQ(calendar->objectName(), QStringLiteral("MonthCalendar1"));
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 3, 10));
    EXPECT_EQ(calendar->yearShown(), 2024);
    EXPECT_EQ(calendar->monthShown(), 3);
    EXPECT_EQ(calendar->minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(calendar->maximumDate(), QDate(2099, 12, 31));
}

TEST_F(CalendarWindow, HasARussianTitleAndOnlyACloseBox)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Календарь"));
    Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form.isModal());
}

TEST(CalendarStart, OpensOnTodayByDefaultAndKeepsOutOfRangeDaysInside)
{
    QDate before = vi23::today();
    TForm2 form;
    QDate after = vi23::today();
    QDate selected = form.calendar()->selectedDate();
    EXPECT_TRUE(selected == before || selected == after);

    TForm2 late(nullptr, QDate(2150, 6, 1));
    EXPECT_EQ(late.calendar()->selectedDate(), QDate(2099, 12, 31));
    EXPECT_EQ(late.calendar()->monthShown(), 12);
    TForm2 early(nullptr, QDate(1999, 6, 1));
    EXPECT_EQ(early.calendar()->selectedDate(), QDate(2000, 1, 1));
}

TEST_F(CalendarWindow, EveryClickOnADayIsAPickAndTheWindowStaysOpen)
{
    clickDay(15);
    clickDay(22);
    clickDay(15);
    EXPECT_EQ(picked, (std::vector<QString>{"15.03.2024", "22.03.2024", "15.03.2024"}));
    EXPECT_EQ(form.calendar()->selectedDate(), QDate(2024, 3, 15));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(CalendarWindow, EnterOnTheKeyboardSelectedDayIsAPick)
{
    view()->setFocus();
    const struct { Qt::Key key; const char* text; } steps[] = {
        {Qt::Key_Right, "11.03.2024"},
        {Qt::Key_Down, "18.03.2024"},
        {Qt::Key_Left, "17.03.2024"},
        {Qt::Key_Up, "10.03.2024"},
    };
    std::vector<QString> expected;
    for (const auto& step : steps) {
        QTest::keyClick(view(), step.key);
        EXPECT_EQ(picked.size(), expected.size()) << "moving alone must not pick";
        QTest::keyClick(view(), Qt::Key_Return);
        expected.push_back(QString::fromLatin1(step.text));
        EXPECT_EQ(picked, expected);
    }
    QTest::keyClick(view(), Qt::Key_Enter);
    expected.push_back(QStringLiteral("10.03.2024"));
    EXPECT_EQ(picked, expected);
}

TEST_F(CalendarWindow, MonthArrowsTurnThePageWithoutAPick)
{
    auto* next = form.calendar()->findChild<QToolButton*>(QStringLiteral("qt_calendar_nextmonth"));
    ASSERT_NE(next, nullptr);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(form.calendar()->monthShown(), 4);
    EXPECT_TRUE(picked.empty());
    clickDay(15);
    EXPECT_EQ(picked, std::vector<QString>{"15.04.2024"});
}

TEST_F(CalendarWindow, ThePickKeepsItsDateForTheNextShow)
{
    clickDay(15);
    form.hide();
    form.show();
    EXPECT_EQ(form.calendar()->selectedDate(), QDate(2024, 3, 15));
    EXPECT_EQ(form.calendar()->monthShown(), 3);
}

} // namespace
} // namespace vi23
